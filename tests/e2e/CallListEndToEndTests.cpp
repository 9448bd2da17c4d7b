// The real program with a scripted device, read from outside as a user sees it at each stage:
// the call list through its accessibility object (rows, columns as on the screen), the labels of
// the status group and the meters through their windows' accessibility objects, the notice box's
// text, the shell's balloon. Screenshots of each stage go to build/<flavour>/screenshots.
#include "tests/e2e/ProgramDriver.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <sstream>

using namespace e2e;
using testsupport::Narrow;

namespace {

using TLines = std::vector<std::vector<std::wstring>>;
using TRows = std::vector<std::vector<std::wstring>>;

const std::wstring kNoticeLine1 = L"Cihaz ile ilgili başka program çalışıyorsa lütfen sonlandırınız.";
const std::wstring kNoticeLine2 = L"Aynı anda, 1 uygulama cihaza  bağlantı sağlayabilir.";

// What one stage shows.
struct TScreen {
    TGridView Grid;
    TLines Status; // the group "Cihaz Modeli - Bağlantı Durumu", line by line
    TLines Meters; // the group "Sinyaller"
    std::vector<std::wstring> Notices;
};

std::vector<std::wstring> SplitLines(const std::wstring& text)
{
    std::vector<std::wstring> lines;
    std::wstringstream in(text);
    std::wstring line;
    while (std::getline(in, line))
        lines.push_back(!line.empty() && line.back() == L'\r' ? line.substr(0, line.size() - 1) : line);
    while (!lines.empty() && lines.back().empty())
        lines.pop_back();
    return lines;
}

bool ReadGroup(HWND main, const std::wstring& captionPart, TLines& lines)
{
    HWND group = FindChild(main, L"CallerIdTest.TGroupBox",
                           [&](const std::wstring& text) { return text.find(captionPart) != std::wstring::npos; });
    TAccElement self;
    std::vector<TAccElement> labels;
    if (group == nullptr || !ReadAccessible(group, self, labels))
        return false;
    lines = TextLines(labels);
    return true;
}

bool ReadScreen(HWND main, TScreen& screen)
{
    HWND grid = FindChild(main, L"CallerIdTest.TGridView");
    HWND memo = FindChild(main, L"CallerIdTest.TMemo");
    if (grid == nullptr || memo == nullptr || !ReadGrid(grid, screen.Grid))
        return false;
    screen.Notices = SplitLines(WindowText(memo));
    return ReadGroup(main, L"Cihaz Modeli", screen.Status) && ReadGroup(main, L"Sinyaller", screen.Meters);
}

// What a stage must show. The meters are the four numbers beside "Telefon 1" to "Telefon 4".
struct TExpected {
    TRows Rows;
    std::wstring Counter;
    std::wstring Status;
    std::wstring Model;
    std::wstring Serial;
    std::vector<std::wstring> Meters;
    std::vector<std::wstring> Notices;
};

TLines StatusLines(const TExpected& e)
{
    return {{L"Çağrı sayısı : ", e.Counter}, {e.Status}, {e.Model}, {e.Serial}};
}

TLines MeterLines(const TExpected& e)
{
    TLines lines;
    for (size_t i = 0; i < e.Meters.size(); ++i)
        lines.push_back({L"Telefon " + std::to_wstring(i + 1), e.Meters[i]});
    return lines;
}

// An error logged in the notice box: the time in the long time format (HH:mm:ss), ":", the message.
bool IsLoggedError(const std::wstring& line, const std::wstring& message)
{
    if (line.size() != 9 + message.size() || line.compare(9, std::wstring::npos, message) != 0)
        return false;
    for (int i : {0, 1, 3, 4, 6, 7})
        if (!std::iswdigit(line[i]))
            return false;
    return line[2] == L':' && line[5] == L':' && line[8] == L':';
}

std::string Show(const TLines& lines)
{
    std::string text;
    for (const auto& line : lines) {
        text += "[";
        for (const auto& cell : line)
            text += "\"" + Narrow(cell) + "\" ";
        text += "] ";
    }
    return text;
}

// Waits until the window shows the stage, then checks each part so that a failure says which,
// and keeps a screenshot of the window as screenshots/<shot>.bmp.
void ExpectStage(HWND main, const TExpected& want, const std::string& stage,
                 const std::function<bool(const std::vector<std::wstring>&)>& noticesOk, const std::string& shot)
{
    const std::vector<std::wstring> header = {L"Hat no.", L"Arayan numara", L"Saat", L"Cihaz seri no.",
                                              L"Çağrı sıra no"};
    TScreen seen;
    const bool shown = WaitUntil(
        [&] {
            return ReadScreen(main, seen) && seen.Grid.Rows == want.Rows && seen.Status == StatusLines(want) &&
                   seen.Meters == MeterLines(want) && noticesOk(seen.Notices);
        },
        15000);
    EXPECT_TRUE(shown) << stage << ": the window did not come to show the stage";
    EXPECT_EQ(seen.Grid.Header, header) << stage << ": the header, columns in display order";
    for (size_t i = 1; i < seen.Grid.HeaderLefts.size(); ++i)
        EXPECT_LT(seen.Grid.HeaderLefts[i - 1], seen.Grid.HeaderLefts[i]) << stage << ": columns left to right";
    EXPECT_EQ(Show(seen.Grid.Rows), Show(want.Rows)) << stage << ": the rows, oldest at the top";
    for (size_t i = 0; i < seen.Grid.Rows.size() && i < seen.Grid.RowNames.size(); ++i) {
        std::wstring joined;
        for (const auto& cell : seen.Grid.Rows[i])
            joined += (joined.empty() ? L"" : L"; ") + cell;
        EXPECT_EQ(Narrow(seen.Grid.RowNames[i]), Narrow(joined)) << stage << ": a row reads as its cells";
    }
    EXPECT_EQ(Show(seen.Status), Show(StatusLines(want))) << stage << ": counter, status, model and serial";
    EXPECT_EQ(Show(seen.Meters), Show(MeterLines(want))) << stage << ": the meters' numbers";
    std::string notices;
    for (const auto& line : seen.Notices)
        notices += "\"" + Narrow(line) + "\" ";
    EXPECT_TRUE(noticesOk(seen.Notices)) << stage << ": the notice box shows " << notices;
    EXPECT_LE(seen.Notices.size(), 2u) << stage << ": the notice box keeps two lines";
    SaveWindowShot(main, shot);
}

bool DefaultNotices(const std::vector<std::wstring>& lines)
{
    return lines == std::vector<std::wstring>{kNoticeLine1, kNoticeLine2};
}

// Whether a recognised line reads as the balloon title "Çağrı: <number>": the word within two
// letters of it (recognition may miss a Turkish letter's mark), and exactly the number.
bool ReadsAsCallTitle(const std::wstring& line, int number)
{
    // The word is the last run of letters before the number (the balloon's icon may be read as
    // something before it).
    std::wstring letters, digits;
    bool wordEnded = false;
    for (wchar_t c : line) {
        const bool letter = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || c >= 0xC0;
        if (c >= L'0' && c <= L'9') {
            digits += c;
        } else if (letter && digits.empty()) {
            if (wordEnded)
                letters.clear();
            wordEnded = false;
            letters += c;
        } else {
            wordEnded = true;
        }
    }
    for (wchar_t& c : letters) {
        c = c == L'Ç' || c == L'ç' ? L'c' : c == L'Ğ' || c == L'ğ' ? L'g' : c == L'ı' || c == L'İ' ? L'i' : c;
        c = static_cast<wchar_t>(std::towlower(c));
    }
    const std::wstring word = L"cagri";
    std::vector<size_t> previous(word.size() + 1), current(word.size() + 1);
    for (size_t j = 0; j <= word.size(); ++j)
        previous[j] = j;
    for (size_t i = 1; i <= letters.size(); ++i) {
        current[0] = i;
        for (size_t j = 1; j <= word.size(); ++j)
            current[j] = std::min({previous[j] + 1, current[j - 1] + 1,
                                   previous[j - 1] + (letters[i - 1] == word[j - 1] ? 0 : 1)});
        std::swap(previous, current);
    }
    return previous[word.size()] <= 2 && digits == std::to_wstring(number);
}

// The balloon for a call shows the caller's number (read from the shell's tooltip) under the
// title "Çağrı: <call number>" (read off the screen: Wine's tooltips do not answer TTM_GETTITLE).
void ExpectBalloon(int callNumber, const std::wstring& callerNumber, const std::string& stage, const std::string& shot)
{
    HWND balloon = nullptr;
    std::wstring text;
    const bool shown = WaitUntil([&] { return (balloon = FindBalloon(text)) != nullptr && text == callerNumber; }, 15000);
    EXPECT_TRUE(shown) << stage << ": no balloon shows \"" << Narrow(callerNumber) << "\"; last seen \"" << Narrow(text)
                       << "\"";
    if (!shown)
        return;
    SaveDesktopShot(shot + "-desktop");
    std::vector<std::wstring> lines;
    bool titled = false;
    WaitUntil(
        [&] {
            RECT r;
            GetWindowRect(balloon, &r);
            lines = RecogniseText(r, shot);
            for (const std::wstring& line : lines)
                titled = titled || ReadsAsCallTitle(line, callNumber);
            std::wstring now;
            return titled || FindBalloon(now) != balloon || now != callerNumber;
        },
        30000);
    std::string seen;
    for (const std::wstring& line : lines)
        seen += "\"" + Narrow(line) + "\" ";
    EXPECT_TRUE(titled) << stage << ": the balloon is not titled \"Çağrı: " << callNumber << "\"; recognised " << seen;
}

std::vector<std::wstring> Call(const wchar_t* line, const wchar_t* number, const wchar_t* time, const wchar_t* serial,
                               int counter)
{
    return {line, number, time, serial, std::to_wstring(counter)};
}

} // namespace

TEST(EndToEnd, WhatTheWindowShowsFollowsTheDeviceFromAbsentThroughCallsUnplugAndReplug)
{
    // Stages six seconds apart, so that each one is seen before the next one starts even on a
    // busy machine; the balloon after the eighth call gets the ten seconds it shows for, as
    // reading its title off the screen may take a few tries.
    TProgram program("at 6000 plug DLX-4 10004711\n"
                     "at 6100 levels 07 -3 12 30\n"
                     "at 12000 levels 5 A 9 9\n"
                     "at 18000 call 1 05321234567 \"08.12 10:00:01\" x\n"
                     "at 24000 call 2 02124445566 \"08.12 10:00:02\"\n"
                     "at 24150 call 3 03122223344 \"08.12 10:00:03\"\n"
                     "at 24300 call 4 \"0 (232) 444 55 66\" \"08.12 10:00:04\"\n"
                     "at 24450 call 1 +905057778899 \"08.12 10:00:05\"\n"
                     "at 24600 call 2 4441444 \"08.12 10:00:06\"\n"
                     "at 24750 call 3 05559998877 \"08.12 10:00:07\"\n"
                     "at 24900 call 4 05001112233 \"08.12 10:00:08\"\n"
                     "at 36000 unplug\n"
                     "at 42000 plug DLX-8 20009999\n"
                     "at 48000 call 2 05443332211 \"08.12 10:01:00\"\n");
    ASSERT_TRUE(program.Started()) << "cannot start the program, error " << GetLastError();
    HWND main = program.Main();
    ASSERT_NE(main, nullptr) << "no visible window titled \"Cihaz Test\" appeared";

    TExpected absent{{}, L"0", L"Bağlantı bekleniyor", L"", L"", {L"-", L"-", L"-", L"-"}, {}};
    ExpectStage(main, absent, "device absent", DefaultNotices, "e2e-stage1-absent");

    TExpected plugged{{}, L"0", L"Cihaz bağlı", L"Cihaz modeli: DLX-4", L"Seri no: 10004711",
                      {L"7", L"-3", L"12", L"30"}, {}};
    ExpectStage(main, plugged, "plugged, levels with a leading zero and a negative value", DefaultNotices,
                "e2e-stage2-plugged");

    // A level with a letter: one logged line, and every meter stays as it was.
    const auto letterLogged = [](const std::vector<std::wstring>& lines) {
        return !lines.empty() && IsLoggedError(lines.back(), L"'A' is not a valid integer value");
    };
    ExpectStage(main, plugged, "a level with a letter", letterLogged, "e2e-stage3-bad-level");

    TExpected firstCall = plugged;
    firstCall.Rows = {Call(L"1", L"05321234567", L"08.12 10:00:01", L"10004711", 1)};
    firstCall.Counter = L"1";
    ExpectStage(main, firstCall, "the first call", letterLogged, "e2e-stage4-first-call");
    ExpectBalloon(1, L"05321234567", "the first call", "e2e-stage4-balloon");

    TExpected eightCalls = plugged;
    eightCalls.Rows = {Call(L"3", L"03122223344", L"08.12 10:00:03", L"10004711", 3),
                       Call(L"4", L"0 (232) 444 55 66", L"08.12 10:00:04", L"10004711", 4),
                       Call(L"1", L"+905057778899", L"08.12 10:00:05", L"10004711", 5),
                       Call(L"2", L"4441444", L"08.12 10:00:06", L"10004711", 6),
                       Call(L"3", L"05559998877", L"08.12 10:00:07", L"10004711", 7),
                       Call(L"4", L"05001112233", L"08.12 10:00:08", L"10004711", 8)};
    eightCalls.Counter = L"8";
    ExpectStage(main, eightCalls, "eight calls on four lines", letterLogged, "e2e-stage5-eight-calls");
    ExpectBalloon(8, L"05001112233", "eight calls", "e2e-stage5-balloon");

    // The user clicks the last call; the list will empty under it when the device goes.
    HWND grid = FindChild(main, L"CallerIdTest.TGridView");
    ASSERT_NE(grid, nullptr);
    TAccElement table;
    std::vector<TAccElement> rows;
    ASSERT_TRUE(ReadAccessible(grid, table, rows) && rows.size() == 7u) << "the header and six rows";
    const RECT lastRow = rows.back().Location;
    ClickAt(grid, POINT{(lastRow.left + lastRow.right) / 2, (lastRow.top + lastRow.bottom) / 2});
    const auto currentCell = [&] {
        TGridView view;
        return ReadGrid(grid, view) ? view.CurrentCell : std::wstring();
    };
    const auto onRow = [](const std::wstring& cell, const std::wstring& row) {
        return cell.size() > row.size() + 2 && cell.compare(cell.size() - row.size() - 2, std::wstring::npos, L"; " + row) == 0;
    };
    EXPECT_TRUE(WaitUntil([&] { return onRow(currentCell(), L"6"); }, 5000))
        << "the click made the sixth row current: " << Narrow(currentCell());

    // Unplugged: the list, the counter and the notice box start over; the meters keep their numbers.
    TExpected unplugged = plugged;
    unplugged.Status = L"Bağlantı bekleniyor";
    unplugged.Model = L"";
    unplugged.Serial = L"";
    ExpectStage(main, unplugged, "unplugged", DefaultNotices, "e2e-stage6-unplugged");

    TExpected replugged = plugged;
    replugged.Model = L"Cihaz modeli: DLX-8";
    replugged.Serial = L"Seri no: 20009999";
    ExpectStage(main, replugged, "plugged again", DefaultNotices, "e2e-stage7-replugged");

    TExpected oneMore = replugged;
    oneMore.Rows = {Call(L"2", L"05443332211", L"08.12 10:01:00", L"20009999", 1)};
    oneMore.Counter = L"1";
    ExpectStage(main, oneMore, "one more call", DefaultNotices, "e2e-stage8-one-more-call");
    ExpectBalloon(1, L"05443332211", "one more call", "e2e-stage8-balloon");

    // Up, as the keyboard sends it, from the current cell the emptied list left behind.
    DWORD_PTR result = 0;
    SendMessageTimeoutW(grid, WM_KEYDOWN, VK_UP, 1, SMTO_ABORTIFHUNG, 5000, &result);
    SendMessageTimeoutW(grid, WM_KEYUP, VK_UP, 0xC0000001, SMTO_ABORTIFHUNG, 5000, &result);
    EXPECT_TRUE(onRow(currentCell(), L"1")) << "after the list emptied and one call came, Up stays on the one row: "
                                            << Narrow(currentCell());

    EXPECT_TRUE(program.Close()) << "the program did not end cleanly after its window was closed";
}
