// The real program under Wine with a device control that fails: each call the program makes on
// the control failing once, and the control disconnecting underneath it. The test reads what
// the user sees from outside the process: the notice box through WM_GETTEXT, the listed rows
// from the grid's pixels, and whether the program still answers and ends cleanly.
#include "ProgramDriver.h"

#include "tests/support/SystemMessage.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace {

using e2e::FindChild;
using e2e::WaitUntil;
using testsupport::Narrow;
using testsupport::SystemMessage;

// The window's text as it stands between two changes: the program may be changing it while it
// is read, so it is read until two reads agree.
std::wstring SettledText(HWND wnd)
{
    std::wstring text = e2e::WindowText(wnd);
    for (int i = 0; i < 50; ++i) {
        std::wstring again = e2e::WindowText(wnd);
        if (again == text)
            break;
        text = std::move(again);
    }
    return text;
}

bool IsTimeStamped(const std::wstring& line)
{
    return line.size() > 9 && iswdigit(line[0]) && iswdigit(line[1]) && line[2] == L':' && line[5] == L':' &&
           line[8] == L':';
}

// The real program, started with a script for the simulated device, followed through its notice
// box and its grid's pixels; closed when the test ends.
class TRealProgram {
public:
    explicit TRealProgram(const std::string& script) : FProgram(script)
    {
        FMain = FProgram.Main();
        if (FMain != nullptr)
            WaitUntil([&] {
                FMemo = FindChild(FMain, L"CallerIdTest.TMemo");
                return FMemo != nullptr && IsWindowVisible(FMemo);
            });
    }

    bool Running() const { return FMain != nullptr && FMemo != nullptr; }
    HWND Main() const { return FMain; }

    std::vector<std::wstring> MemoLines() const
    {
        std::vector<std::wstring> lines;
        const std::wstring text = SettledText(FMemo);
        size_t pos = 0;
        while (pos < text.size()) {
            size_t end = text.find(L"\r\n", pos);
            if (end == std::wstring::npos)
                end = text.size();
            if (end > pos)
                lines.push_back(text.substr(pos, end - pos));
            pos = end + 2;
        }
        return lines;
    }

    // Follows the notice box, which keeps only its last two lines, and collects every
    // time-stamped line added to it since the last look.
    void Look()
    {
        std::vector<std::wstring> now = MemoLines();
        // The lines added are those after the longest tail of the last look that starts this one.
        size_t overlap = std::min(FLastLines.size(), now.size());
        for (; overlap > 0; --overlap)
            if (std::equal(FLastLines.end() - static_cast<std::ptrdiff_t>(overlap), FLastLines.end(), now.begin()))
                break;
        for (size_t i = overlap; i < now.size(); ++i)
            if (IsTimeStamped(now[i]))
                FLogged.push_back(now[i]);
        FLastLines = now;
    }
    const std::vector<std::wstring>& Logged() const { return FLogged; }
    bool WaitForLogged(size_t count, unsigned timeoutMs = 20000)
    {
        return WaitUntil(
            [&] {
                Look();
                return FLogged.size() >= count;
            },
            timeoutMs);
    }
    // Watches the notice box for the given time: for checking that nothing more is logged.
    void Watch(unsigned milliseconds)
    {
        WaitUntil(
            [&] {
                Look();
                return false;
            },
            milliseconds);
    }

    // The rows the grid shows: bands below the header with dark (text) pixels in them.
    int ListedRows() const
    {
        HWND grid = FindChild(FMain, L"CallerIdTest.TGridView");
        if (grid == nullptr)
            return -1;
        RECT client;
        GetClientRect(grid, &client);
        MapWindowPoints(grid, nullptr, reinterpret_cast<POINT*>(&client), 2);
        const int w = client.right - client.left, h = client.bottom - client.top;
        const std::vector<uint32_t> pixels = e2e::ScreenPixels(client);
        if (pixels.empty())
            return -1;
        // Header and rows are 20 pixels high, as the window's description sets them.
        int rows = 0;
        for (int top = 20; top + 20 <= h; top += 20) {
            int dark = 0;
            for (int y = top + 4; y < top + 16; ++y)
                for (int x = 4; x < w - 4; ++x) {
                    uint32_t p = pixels[y * w + x];
                    if ((p & 0xFF) < 96 && ((p >> 8) & 0xFF) < 96 && ((p >> 16) & 0xFF) < 96)
                        ++dark;
                }
            if (dark >= 10)
                ++rows;
        }
        return rows;
    }
    bool WaitForRows(int rows) const
    {
        return WaitUntil([&] { return ListedRows() == rows; });
    }

    // The program answers messages and ends with exit code 0 when its window is closed.
    ::testing::AssertionResult EndsCleanly()
    {
        DWORD_PTR ignored = 0;
        if (!SendMessageTimeoutW(FMain, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored))
            return ::testing::AssertionFailure() << "the program does not answer messages";
        if (!FProgram.Close())
            return ::testing::AssertionFailure() << "the program did not end with code 0 after its window was closed";
        return ::testing::AssertionSuccess();
    }

    void Screenshot(const char* name) const { e2e::SaveWindowShot(FMain, name); }

    // Answers the question gate on the "?" page and presses its button, as a user does.
    bool PressSettingsButton()
    {
        // The user picks the last page, "?"; its windows are made when it first shows.
        HWND pages = FindChild(FMain, L"CallerIdTest.TPageControl");
        if (pages == nullptr)
            return false;
        LRESULT last = SendMessageW(pages, TCM_GETITEMCOUNT, 0, 0) - 1;
        PostMessageW(pages, TCM_SETCURFOCUS, last, 0);
        HWND page = nullptr;
        if (!WaitUntil([&] {
                return (page = FindChild(FMain, L"CallerIdTest.TTabSheet",
                                         [](const std::wstring& t) { return t == L"?"; })) != nullptr &&
                       IsWindowVisible(page);
            }))
            return false;
        HWND edit = FindChild(page, L"CallerIdTest.TEdit");
        HWND button = FindChild(page, L"CallerIdTest.TBitBtn", [](const std::wstring& t) { return t == L"Tamam"; });
        if (edit == nullptr || button == nullptr)
            return false;
        SendMessageTimeoutW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"8"), SMTO_ABORTIFHUNG, 2000, nullptr);
        SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
        return true;
    }

private:
    e2e::TProgram FProgram;
    HWND FMain = nullptr;
    HWND FMemo = nullptr;
    std::vector<std::wstring> FLastLines;
    std::vector<std::wstring> FLogged;
};

std::string Lines(const std::vector<std::wstring>& lines)
{
    std::string out;
    for (const std::wstring& l : lines)
        out += "  " + Narrow(l) + "\n";
    return out;
}

// Each line must be the time-stamped text of the expected error, in order.
void ExpectLogged(const std::vector<std::wstring>& logged, const std::vector<std::wstring>& texts)
{
    ASSERT_EQ(logged.size(), texts.size()) << "logged:\n" << Lines(logged);
    for (size_t i = 0; i < texts.size(); ++i)
        EXPECT_EQ(logged[i].substr(9), texts[i]) << "line " << i + 1 << " of:\n" << Lines(logged);
}

} // namespace

TEST(DeviceControlFaults, EachCallFailingOnceLogsOneLineAndThePollAndTheListGoOn)
{
    // Every call the program makes on the control fails once, each with its own code so that
    // each line can be told apart: Visible and Start at the first show, GetInfo for the model
    // and for the serial number in the poll, and, behind the question gate, Visible and
    // ShowSettings. A wrong line in the script is skipped; the rest runs.
    TRealProgram program("at create fail Visible 0x80004005\n"
                         "at create fail Start 0x80070005\n"
                         "at 100 plug DLX-4 10004711\n"
                         "at 200 this line is wrong\n"
                         "at 300 call 1 05321234567 \"08.12 10:00:00\"\n"
                         "at 1200 fail GetInfo devicemodel 0x8007001F\n"
                         "at 2400 fail GetInfo serial 0x80070015\n"
                         "at 2500 call 2 02124445566 \"08.12 10:01:00\"\n"
                         "at 2500 fail Visible 0x80004001\n"
                         "at 2500 fail ShowSettings 0x8007000E\n");
    ASSERT_TRUE(program.Running()) << "the program did not come up with its notice box";

    ASSERT_TRUE(program.WaitForLogged(4)) << "logged:\n" << Lines(program.Logged());
    ASSERT_TRUE(program.WaitForRows(2)) << "the calls before and after the failed polls are listed; rows seen: "
                                        << program.ListedRows();
    // Start failed at the first show and was retried by the poll: that is how calls came at all.
    // The hide that failed was done again by the poll too.
    HWND control = FindChild(program.Main(), L"DalvexSimulator.Control");
    ASSERT_NE(nullptr, control) << "the control's own window";
    EXPECT_FALSE(IsWindowVisible(control)) << "the control's window was hidden by a later poll";
    ExpectLogged(program.Logged(), {SystemMessage(E_FAIL), SystemMessage(E_ACCESSDENIED), SystemMessage(0x8007001F),
                                    SystemMessage(0x80070015)});

    ASSERT_TRUE(program.PressSettingsButton()) << "the question gate's edit and button were not found";
    ASSERT_TRUE(program.WaitForLogged(5));
    ASSERT_TRUE(program.PressSettingsButton());
    ASSERT_TRUE(program.WaitForLogged(6));
    ExpectLogged(program.Logged(), {SystemMessage(E_FAIL), SystemMessage(E_ACCESSDENIED), SystemMessage(0x8007001F),
                                    SystemMessage(0x80070015), SystemMessage(E_NOTIMPL), SystemMessage(E_OUTOFMEMORY)});
    // The third press finds the control answering again: its settings window opens.
    ASSERT_TRUE(program.PressSettingsButton());
    HWND settings = nullptr;
    EXPECT_TRUE(WaitUntil([&] { return (settings = FindWindowW(nullptr, L"Dalvex simulator")) != nullptr; }))
        << "the settings window did not open";
    if (settings != nullptr) {
        PostMessageW(settings, WM_CLOSE, 0, 0);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(settings); }));
    }
    program.Screenshot("faults-each-call-failing-once");
    program.Watch(1200);
    EXPECT_EQ(6u, program.Logged().size()) << "nothing more was logged:\n" << Lines(program.Logged());
    EXPECT_TRUE(program.EndsCleanly());
}

TEST(DeviceControlFaults, AControlThatDisconnectsIsReportedOnceAndTheProgramRunsOn)
{
    TRealProgram program("at 100 plug DLX-4 10004711\n"
                         "at 300 call 1 05321234567 \"08.12 10:00:00\"\n"
                         "at 400 call 2 02124445566 \"08.12 10:01:00\"\n"
                         "at 1500 disconnect\n"
                         "at 1600 call 3 03122223344 \"08.12 10:02:00\"\n");
    ASSERT_TRUE(program.Running()) << "the program did not come up with its notice box";
    ASSERT_TRUE(program.WaitForRows(2)) << "rows seen: " << program.ListedRows();
    ASSERT_TRUE(program.WaitForLogged(1)) << "the disconnection was not reported";
    // The device went with its control: the list is emptied as on an unplug, and the reason
    // stays in view below the first notice line.
    EXPECT_TRUE(program.WaitForRows(0)) << "rows seen: " << program.ListedRows();
    const std::wstring expected = L"The caller-ID device control is not available (" +
                                  SystemMessage(RPC_E_DISCONNECTED) + L")";
    EXPECT_EQ(program.Logged()[0].substr(9), expected);
    std::vector<std::wstring> shown = program.MemoLines();
    ASSERT_EQ(2u, shown.size());
    EXPECT_EQ(shown[1], program.Logged()[0]);
    // Four polls later: no repetition, and no call of a control that is gone.
    program.Watch(2000);
    EXPECT_EQ(1u, program.Logged().size()) << "logged:\n" << Lines(program.Logged());
    EXPECT_EQ(0, program.ListedRows());
    program.Screenshot("faults-control-disconnected");
    EXPECT_TRUE(program.EndsCleanly());
}

TEST(DeviceControlFaults, AControlGoneBeforeItsFirstCallIsReportedOnceAtStart)
{
    TRealProgram program("at create disconnect\n");
    ASSERT_TRUE(program.Running()) << "the program did not come up with its notice box";
    // Reported while the window was being made, once; the polls that follow stay quiet.
    program.Watch(1500);
    ExpectLogged(program.Logged(),
                 {L"The caller-ID device control is not available (" + SystemMessage(RPC_E_DISCONNECTED) + L")"});
    EXPECT_TRUE(program.EndsCleanly());
}
