// The notification-area icon: the records it sends to the shell, and its behaviour driven by real
// callback messages posted to the shared window.
#include "tray/TrayIcon.h"

#include "tests/support/TestSupport.h"
#include "tests/tray/TestIcons.h"
#include "ui/controls/Forms.h"
#include "ui/controls/Menus.h"
#include "ui/core/ClassBuilder.h"
#include "ui/core/Description.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

using testsupport::MoveCursorTo;
using testsupport::PumpFor;
using testsupport::PumpUntil;
using tray::TBalloonIconKind;
using tray::TTrayIcon;
using tray::TTrayIconData;
using tray::TTrayIconHandler;

namespace {

struct TSentRecord {
    DWORD Message = 0;
    std::vector<uint8_t> Bytes;

    uint32_t Dword(size_t offset) const
    {
        uint32_t v;
        std::memcpy(&v, Bytes.data() + offset, 4);
        return v;
    }
    // A window or icon handle: pointer-sized in the record of either flavour.
    uintptr_t Handle(size_t offset) const
    {
        uintptr_t v;
        std::memcpy(&v, Bytes.data() + offset, sizeof v);
        return v;
    }
    // A zero-terminated text field; fails the test when the field has no terminator.
    std::string Text(size_t offset, size_t size) const
    {
        const char* p = reinterpret_cast<const char*>(Bytes.data() + offset);
        size_t length = strnlen(p, size);
        EXPECT_LT(length, size) << "text field at " << offset << " is not terminated inside its size";
        return std::string(p, length);
    }
    bool AllZero(size_t offset, size_t size) const
    {
        for (size_t i = 0; i < size; ++i)
            if (Bytes[offset + i] != 0)
                return false;
        return true;
    }
};

// Offsets of the record as the shell reads it: the 488-byte record of the shipped 32-bit program,
// or the shell's 64-bit layout in the 64-bit flavour.
constexpr size_t kSize = 0, kWnd = tray::kTrayRecord.Wnd, kId = tray::kTrayRecord.ID,
                 kFlags = tray::kTrayRecord.Flags, kCallback = tray::kTrayRecord.CallbackMessage,
                 kIcon = tray::kTrayRecord.Icon, kTip = tray::kTrayRecord.Tip, kInfo = tray::kTrayRecord.Info,
                 kTimeout = tray::kTrayRecord.Timeout, kTitle = tray::kTrayRecord.InfoTitle,
                 kInfoFlags = tray::kTrayRecord.InfoFlags;
constexpr uint32_t kRecordSize = uint32_t(tray::kTrayRecord.Size);

class TrayIconTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ui::Application->Handle();
        ui::Application->OnException = [this](ui::TObject* sender, ui::Exception& e) {
            Errors.push_back(testsupport::Narrow(e.Message()));
            ErrorSender = sender;
        };
        FPrevious = tray::SetShellNotifyIcon([this](DWORD message, const TTrayIconData& data) {
            TSentRecord r;
            r.Message = message;
            r.Bytes.assign(reinterpret_cast<const uint8_t*>(&data), reinterpret_cast<const uint8_t*>(&data) + kRecordSize);
            Sent.push_back(std::move(r));
            return ShellAnswer;
        });
        ASSERT_EQ(TTrayIconHandler::RefCount(), 0) << "an icon of an earlier test is still alive";
    }
    void TearDown() override
    {
        tray::SetShellNotifyIcon(FPrevious);
        ui::Application->OnException = nullptr;
    }

    // Posts a shell callback for `icon` to the shared window, as the shell does.
    static void Callback(const TTrayIcon& icon, UINT mouseMessage)
    {
        PostMessageW(TTrayIconHandler::Window(), tray::WM_TRAYICON, icon.IconId(), mouseMessage);
    }

    void LogEvents(TTrayIcon& icon)
    {
        auto button = [](ui::TMouseButton b) {
            return b == ui::TMouseButton::mbLeft ? "left" : b == ui::TMouseButton::mbRight ? "right" : "middle";
        };
        icon.OnClick = [this](ui::TObject*) { Log.push_back("click"); };
        icon.OnMouseDown = [this, button](ui::TObject* s, ui::TMouseButton b, ui::TShiftState, int, int) {
            Log.push_back(std::string("down ") + button(b));
        };
        icon.OnMouseUp = [this, button](ui::TObject*, ui::TMouseButton b, ui::TShiftState, int, int) {
            Log.push_back(std::string("up ") + button(b));
        };
        icon.OnMouseMove = [this](ui::TObject*, ui::TShiftState, int, int) { Log.push_back("move"); };
        icon.OnMouseEnter = [this](ui::TObject*) { Log.push_back("enter"); };
        icon.OnMouseExit = [this](ui::TObject*) { Log.push_back("exit"); };
        icon.OnBalloonHintShow = [this](ui::TObject*) { Log.push_back("balloon show"); };
        icon.OnBalloonHintHide = [this](ui::TObject*) { Log.push_back("balloon hide"); };
        icon.OnBalloonHintTimeout = [this](ui::TObject*) { Log.push_back("balloon timeout"); };
        icon.OnBalloonHintClick = [this](ui::TObject*) { Log.push_back("balloon click"); };
    }

    std::string Joined() const
    {
        std::string out;
        for (const auto& e : Log)
            out += (out.empty() ? "" : ", ") + e;
        return out;
    }

    std::vector<TSentRecord> Sent;
    bool ShellAnswer = true;
    std::vector<std::string> Log;
    std::vector<std::string> Errors;
    ui::TObject* ErrorSender = nullptr;

private:
    tray::TShellNotifyIcon FPrevious;
};

TEST_F(TrayIconTest, AddModifyDeleteSendTheFullRecordWithTheTip)
{
    auto icon = std::make_unique<TTrayIcon>(nullptr);
    ui::TIcon image;
    image.LoadFromBytes(traytest::DiscIconBytes(RGB(0xFF, 0, 0)));
    Sent.clear();
    icon->SetIcon(&image);
    EXPECT_EQ(Sent.size(), 1u) << "copying an image updates the icon once";
    image.LoadFromBytes(traytest::DiscIconBytes(RGB(0, 0, 0xFF)));
    EXPECT_EQ(Sent.size(), 1u) << "the icon keeps its own copy";
    icon->SetHint(L"Arayan ağ");
    Sent.clear();

    ShellAnswer = false;
    EXPECT_FALSE(icon->AddIcon()) << "the shell's answer is returned";
    EXPECT_TRUE(icon->IconVisible()) << "even a refused add counts as shown";
    ShellAnswer = true;
    ASSERT_EQ(Sent.size(), 1u);
    const TSentRecord& add = Sent[0];
    EXPECT_EQ(add.Message, DWORD(NIM_ADD));
    EXPECT_EQ(add.Dword(kSize), kRecordSize);
    EXPECT_EQ(add.Handle(kWnd), reinterpret_cast<uintptr_t>(TTrayIconHandler::Window()));
    EXPECT_EQ(add.Dword(kId), icon->IconId());
    EXPECT_EQ(add.Dword(kFlags), 7u);
    EXPECT_EQ(add.Dword(kCallback), 0x800u);
    HICON sent = reinterpret_cast<HICON>(add.Handle(kIcon));
    ASSERT_NE(sent, nullptr);
    const int small = GetSystemMetrics(SM_CXSMICON);
    EXPECT_EQ(traytest::CentreColour(sent, small), RGB(0xFF, 0, 0)) << "the record carries the copied image";
    EXPECT_EQ(add.Text(kTip, 128), "Arayan a\xF0") << "the tip is 8-bit text in the Turkish code page";
    EXPECT_TRUE(add.AllZero(kInfo, 256));
    EXPECT_TRUE(add.AllZero(kTitle, 64));

    // Tips longer than the field are cut at 127 characters; no hint, or ShowHint off, sends none.
    icon->SetHint(std::wstring(200, L'x'));
    ASSERT_EQ(Sent.size(), 2u);
    EXPECT_EQ(Sent[1].Message, DWORD(NIM_MODIFY));
    EXPECT_EQ(Sent[1].Text(kTip, 128), std::string(127, 'x'));
    icon->SetShowHint(false);
    EXPECT_TRUE(Sent.back().AllZero(kTip, 128)) << "ShowHint off must send an all-zero tip";
    icon->SetShowHint(true);
    icon->SetHint(L"");
    EXPECT_TRUE(Sent.back().AllZero(kTip, 128)) << "an empty hint must send an all-zero tip";

    // A later change of the icon's own image updates the notification area.
    Sent.clear();
    icon->Icon()->LoadFromBytes(traytest::DiscIconBytes(RGB(0, 0x80, 0)));
    ASSERT_EQ(Sent.size(), 1u);
    EXPECT_EQ(Sent[0].Message, DWORD(NIM_MODIFY));
    EXPECT_EQ(traytest::CentreColour(reinterpret_cast<HICON>(Sent[0].Handle(kIcon)), small), RGB(0, 0x80, 0));
    icon->SetIcon(nullptr);
    EXPECT_EQ(Sent.back().Handle(kIcon), 0u) << "no image, no icon handle";

    EXPECT_TRUE(icon->RemoveIcon());
    EXPECT_EQ(Sent.back().Message, DWORD(NIM_DELETE));
    EXPECT_FALSE(icon->IconVisible());

    Sent.clear();
    icon.reset();
    ASSERT_EQ(Sent.size(), 1u) << "destroying the icon removes it from the notification area";
    EXPECT_EQ(Sent[0].Message, DWORD(NIM_DELETE));
}

TEST_F(TrayIconTest, BalloonIsCutHiddenFirstAndLeavesTheFlagsAtSeven)
{
    TTrayIcon icon(nullptr);
    icon.SetIconVisible(true);
    Sent.clear();

    std::string title(80, 'T');
    title[0] = '\xC7'; // Ç in the Turkish code page
    std::string text(300, 'n');
    EXPECT_TRUE(icon.ShowBalloon(title, text, TBalloonIconKind::bkInfo, 10));
    ASSERT_EQ(Sent.size(), 2u) << "one record hides the old balloon, one shows the new";

    const TSentRecord& hide = Sent[0];
    EXPECT_EQ(hide.Message, DWORD(NIM_MODIFY));
    EXPECT_EQ(hide.Dword(kFlags), 0x17u) << "hiding sends NIF_INFO";
    EXPECT_TRUE(hide.AllZero(kInfo, 256)) << "with an empty balloon text";

    const TSentRecord& show = Sent[1];
    EXPECT_EQ(show.Message, DWORD(NIM_MODIFY));
    EXPECT_EQ(show.Dword(kSize), kRecordSize);
    EXPECT_EQ(show.Dword(kFlags), 0x17u);
    EXPECT_EQ(show.Text(kInfo, 256), text.substr(0, 255));
    EXPECT_EQ(show.Text(kTitle, 64), title.substr(0, 63));
    EXPECT_EQ(show.Dword(kTimeout), 10000u) << "seconds are sent as milliseconds";
    EXPECT_EQ(show.Dword(kInfoFlags), 1u) << "the information icon";
    EXPECT_EQ(icon.IconData().Flags, 7u) << "the flags return to 7 after the balloon";

    // A second balloon while the first is up: the old one goes first, the new one shows whole.
    Sent.clear();
    icon.ShowBalloon("\xC7" "a\xF0r\xFD: 2", "05321234567", TBalloonIconKind::bkUser, 255);
    ASSERT_EQ(Sent.size(), 2u);
    EXPECT_TRUE(Sent[0].AllZero(kInfo, 256));
    EXPECT_EQ(Sent[1].Text(kInfo, 256), "05321234567") << "no remnant of the longer earlier text";
    EXPECT_EQ(Sent[1].Text(kTitle, 64), "\xC7" "a\xF0r\xFD: 2");
    EXPECT_EQ(Sent[1].Dword(kTimeout), 255000u) << "nothing is clamped";
    EXPECT_EQ(Sent[1].Dword(kInfoFlags), 4u);

    icon.UpdateIcon();
    EXPECT_EQ(Sent.back().Dword(kFlags), 7u) << "a later update carries no balloon";

    // A refused update (icon not in the notification area) makes the balloon answer false.
    ShellAnswer = false;
    EXPECT_FALSE(icon.ShowBalloon("a", "b", TBalloonIconKind::bkNone, 1));
    EXPECT_EQ(icon.IconData().Flags, 7u);
}

TEST_F(TrayIconTest, StoredDescriptionCreatesTheIconAndLoadingSendsAddThenVersion)
{
    tray::RegisterTrayClasses();
    ui::RegisterStandardClasses();
    ui::TForm form(nullptr);
    // The menu comes after the icon that names it.
    const wchar_t* text =
        L"object Form1: TForm\n"
        L"  object TrayIcon1: TTrayIcon\n"
        L"    CycleInterval = 400\n"
        L"    Hint = 'Cihaz Test'\n"
        L"    Icon = file 'green.ico'\n"
        L"    IconVisible = True\n"
        L"    IconIndex = 0\n"
        L"    PopupMenu = PopupMenu1\n"
        L"    WantEnterExitEvents = True\n"
        L"  end\n"
        L"  object PopupMenu1: TPopupMenu\n"
        L"  end\n"
        L"end\n";
    ui::ReadDescription(form, text, L"test", [](const std::wstring& name, std::vector<uint8_t>& bytes) {
        if (name != L"green.ico")
            return false;
        bytes = traytest::DiscIconBytes(RGB(0, 0x80, 0));
        return true;
    });
    auto* icon = dynamic_cast<TTrayIcon*>(form.FindComponent(L"TrayIcon1"));
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->PopupMenu(), form.FindComponent(L"PopupMenu1"));
    EXPECT_FALSE(icon->Icon()->Empty());
    EXPECT_TRUE(icon->IconVisible());
    EXPECT_EQ(icon->CycleInterval(), 400u);
    EXPECT_TRUE(icon->WantEnterExitEvents());

    std::vector<DWORD> messages;
    for (const auto& r : Sent)
        messages.push_back(r.Message);
    // Properties only store while the description is read; loading applies them once.
    EXPECT_EQ(messages, (std::vector<DWORD>{NIM_MODIFY, NIM_ADD, NIM_SETVERSION}));
    ASSERT_EQ(Sent.size(), 3u);
    EXPECT_EQ(Sent[1].Text(kTip, 128), "Cihaz Test");
    EXPECT_EQ(traytest::CentreColour(reinterpret_cast<HICON>(Sent[1].Handle(kIcon)),
                                     GetSystemMetrics(SM_CXSMICON)),
              RGB(0, 0x80, 0));
    EXPECT_EQ(Sent[2].Dword(kTimeout), 0u) << "behaviour mode 0 is shell version 0";
    EXPECT_EQ(Sent[2].Dword(kFlags), 7u);

    // Written back, the description names the class and the stored settings.
    std::wstring written = ui::WriteDescription(form);
    EXPECT_NE(written.find(L"TrayIcon1: TTrayIcon"), std::wstring::npos);
    EXPECT_NE(written.find(L"CycleInterval = 400"), std::wstring::npos);
    EXPECT_NE(written.find(L"PopupMenu = PopupMenu1"), std::wstring::npos);
    EXPECT_NE(written.find(L"Icon = file 'green.ico'"), std::wstring::npos);

    // A description naming a menu that does not exist is an error.
    ui::TForm other(nullptr);
    EXPECT_THROW(ui::ReadDescription(other,
                                     L"object Form2: TForm\n  object TrayIcon2: TTrayIcon\n"
                                     L"    PopupMenu = Missing1\n  end\nend\n",
                                     L"test"),
                 ui::Exception);

    // The exit timer runs from loading on: a move enters.
    LogEvents(*icon);
    ASSERT_TRUE(MoveCursorTo(50, 60));
    Callback(*icon, WM_MOUSEMOVE);
    EXPECT_TRUE(PumpUntil([&] { return !Log.empty(); }));
    EXPECT_EQ(Joined(), "enter, move");
}

TEST_F(TrayIconTest, ClickWithoutDoubleClickHandlerComesAtOnce)
{
    TTrayIcon icon(nullptr);
    LogEvents(icon);
    Callback(icon, WM_LBUTTONDOWN);
    Callback(icon, WM_LBUTTONUP);
    ASSERT_TRUE(PumpUntil([&] { return Log.size() >= 3; })) << Joined();
    EXPECT_EQ(Joined(), "down left, click, up left");

    // Right and middle buttons report their button; the right release comes from WM_RBUTTONUP.
    Log.clear();
    const std::vector<UINT> others{WM_RBUTTONDOWN, WM_RBUTTONUP, WM_MBUTTONDOWN, WM_MBUTTONUP, WM_CONTEXTMENU,
                                   NIN_SELECT};
    for (UINT m : others)
        Callback(icon, m);
    ASSERT_TRUE(PumpUntil([&] { return Log.size() >= 4; }));
    PumpFor(50);
    EXPECT_EQ(Joined(), "down right, up right, down middle, up middle")
        << "in behaviour mode 0, WM_CONTEXTMENU and NIN_SELECT raise nothing";
}

TEST_F(TrayIconTest, WithDoubleClickHandlerClickWaitsAndDoubleClickSuppressesIt)
{
    TTrayIcon icon(nullptr);
    LogEvents(icon);
    icon.OnDblClick = [this](ui::TObject*) { Log.push_back("double"); };
    // The wait is measured from the press to the click as the handlers see them, so that a
    // machine slow to run this test cannot make a click look early.
    DWORD pressed = 0, clicked = 0;
    auto logDown = icon.OnMouseDown;
    icon.OnMouseDown = [&, logDown](ui::TObject* s, ui::TMouseButton b, ui::TShiftState shift, int x, int y) {
        pressed = GetTickCount();
        logDown(s, b, shift, x, y);
    };
    icon.OnClick = [&](ui::TObject*) {
        clicked = GetTickCount();
        Log.push_back("click");
    };

    Callback(icon, WM_LBUTTONDOWN);
    Callback(icon, WM_LBUTTONUP);
    ASSERT_TRUE(PumpUntil([&] { return Log.size() >= 3; })) << Joined();
    EXPECT_EQ(Joined(), "down left, up left, click") << "the click comes after the release";
    EXPECT_GE(clicked - pressed + 50, GetDoubleClickTime() / 2) << "the click waits for the double-click time";

    // The shell's sequence for a double click: down, up, double, up.
    Log.clear();
    for (UINT m : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
        Callback(icon, m);
    ASSERT_TRUE(PumpUntil([&] { return Log.size() >= 4; }));
    PumpFor(GetDoubleClickTime() + 200);
    EXPECT_EQ(Joined(), "down left, up left, double, up left") << "a double click raises no click";

    // The state is clean afterwards: the next single click is reported again.
    Log.clear();
    Callback(icon, WM_LBUTTONDOWN);
    Callback(icon, WM_LBUTTONUP);
    ASSERT_TRUE(PumpUntil([&] { return Log.size() >= 3; })) << Joined();
    EXPECT_EQ(Joined(), "down left, up left, click");
}

TEST_F(TrayIconTest, EnterAndExitFollowTheCursor)
{
    TTrayIcon icon(nullptr);
    LogEvents(icon);
    icon.SetWantEnterExitEvents(true);
    ASSERT_TRUE(MoveCursorTo(100, 100));
    Callback(icon, WM_MOUSEMOVE);
    Callback(icon, WM_MOUSEMOVE);
    ASSERT_TRUE(PumpUntil([&] { return Log.size() >= 3; }));
    PumpFor(150);
    EXPECT_EQ(Joined(), "enter, move, move") << "one enter, and no exit while the cursor rests";

    ASSERT_TRUE(SetCursorPos(300, 310));
    ASSERT_TRUE(PumpUntil([&] { return Log.size() >= 4; })) << Joined();
    EXPECT_EQ(Log.back(), "exit");

    Log.clear();
    Callback(icon, WM_MOUSEMOVE);
    ASSERT_TRUE(PumpUntil([&] { return Log.size() >= 2; }));
    EXPECT_EQ(Joined(), "enter, move") << "a new move after the exit enters again";
}

TEST_F(TrayIconTest, DisabledIconIgnoresTheMouseButNotTheBalloon)
{
    TTrayIcon icon(nullptr);
    LogEvents(icon);
    icon.OnDblClick = [this](ui::TObject*) { Log.push_back("double"); };
    icon.SetWantEnterExitEvents(true);
    icon.SetEnabled(false);
    for (UINT m : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN, WM_RBUTTONUP,
                   WM_MBUTTONDOWN, WM_MBUTTONUP})
        Callback(icon, m);
    for (UINT m : {NIN_BALLOONSHOW, NIN_BALLOONUSERCLICK, NIN_BALLOONTIMEOUT, NIN_BALLOONHIDE})
        Callback(icon, m);
    ASSERT_TRUE(PumpUntil([&] { return Log.size() >= 4; }));
    PumpFor(GetDoubleClickTime() + 100);
    EXPECT_EQ(Joined(), "balloon show, balloon click, balloon timeout, balloon hide");

    // Callbacks for an identifier that no icon has are ignored.
    PostMessageW(TTrayIconHandler::Window(), tray::WM_TRAYICON, icon.IconId() + 1000, NIN_BALLOONSHOW);
    PumpFor(50);
    EXPECT_EQ(Log.size(), 4u);
}

TEST_F(TrayIconTest, ErrorsOfEventHandlersGoToTheApplication)
{
    TTrayIcon icon(nullptr);
    icon.OnClick = [](ui::TObject*) { throw ui::Exception(L"click failed"); };
    Callback(icon, WM_LBUTTONDOWN);
    Callback(icon, WM_LBUTTONUP);
    ASSERT_TRUE(PumpUntil([&] { return !Errors.empty(); }));
    EXPECT_EQ(Errors.front(), "click failed");
    EXPECT_EQ(ErrorSender, &icon);

    // The shared window keeps working after the error.
    bool shown = false;
    icon.OnBalloonHintShow = [&](ui::TObject*) { shown = true; };
    Callback(icon, NIN_BALLOONSHOW);
    EXPECT_TRUE(PumpUntil([&] { return shown; }));
}

TEST_F(TrayIconTest, RestartedTaskbarGetsTheVisibleIconBack)
{
    const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    TTrayIcon shown(nullptr), hidden(nullptr);
    shown.SetIconVisible(true);
    Sent.clear();
    PostMessageW(ui::Application->Handle(), taskbarCreated, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return !Sent.empty(); }));
    PumpFor(50);
    ASSERT_EQ(Sent.size(), 1u) << "only the visible icon is added again";
    EXPECT_EQ(Sent[0].Message, DWORD(NIM_ADD));
    EXPECT_EQ(Sent[0].Dword(kId), shown.IconId());
}

TEST_F(TrayIconTest, SharedWindowsAreCountedForIconsAndTheirTimers)
{
    const int timersBefore = tray::TSimpleTimer::HandlerRefCount();
    EXPECT_EQ(TTrayIconHandler::Window(), nullptr);
    auto first = std::make_unique<TTrayIcon>(nullptr);
    HWND window = TTrayIconHandler::Window();
    ASSERT_NE(window, nullptr);
    auto second = std::make_unique<TTrayIcon>(nullptr);
    EXPECT_EQ(TTrayIconHandler::Window(), window);
    EXPECT_EQ(TTrayIconHandler::RefCount(), 2);
    EXPECT_NE(first->IconId(), second->IconId());
    EXPECT_EQ(tray::TSimpleTimer::HandlerRefCount(), timersBefore + 6) << "three timers per icon";

    first.reset();
    EXPECT_EQ(TTrayIconHandler::RefCount(), 1);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(tray::TSimpleTimer::HandlerRefCount(), timersBefore + 3);

    // The window answers closing and session end without going away.
    EXPECT_EQ(SendMessageW(window, WM_CLOSE, 0, 0), 1);
    EXPECT_EQ(SendMessageW(window, WM_QUERYENDSESSION, 0, 0), 1);
    EXPECT_TRUE(IsWindow(window));

    second.reset();
    EXPECT_EQ(TTrayIconHandler::RefCount(), 0);
    EXPECT_EQ(TTrayIconHandler::Window(), nullptr);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(tray::TSimpleTimer::HandlerRefCount(), timersBefore);
}

TEST_F(TrayIconTest, MinimizingTheApplicationHidesTheMainWindowBehindTheIcon)
{
    ui::TForm mainForm(nullptr);
    ui::TForm* previousMain = ui::Application->MainForm();
    ui::Application->SetMainForm(&mainForm);
    mainForm.SetVisible(true);
    ASSERT_TRUE(IsWindowVisible(mainForm.Handle()));

    TTrayIcon icon(&mainForm);
    icon.SetMinimizeToTray(true);
    Sent.clear();
    SendMessageW(ui::Application->Handle(), WM_SIZE, SIZE_MINIMIZED, 0);
    EXPECT_FALSE(mainForm.Visible());
    EXPECT_FALSE(IsWindowVisible(mainForm.Handle()));
    EXPECT_TRUE(icon.IconVisible());
    ASSERT_FALSE(Sent.empty());
    EXPECT_EQ(Sent.back().Message, DWORD(NIM_ADD));

    // Restoring the application shows the main window again.
    SendMessageW(ui::Application->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_TRUE(mainForm.Visible());

    // The owner's minimize command goes to the tray only with a handler, and is then consumed.
    bool raised = false;
    icon.OnMinimizeToTray = [&](ui::TObject*) { raised = true; };
    icon.SetIconVisible(false);
    EXPECT_EQ(SendMessageW(mainForm.Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0), 1);
    EXPECT_TRUE(raised);
    EXPECT_FALSE(mainForm.Visible());
    EXPECT_TRUE(icon.IconVisible());

    ui::Application->SetMainForm(previousMain);
}

TEST_F(TrayIconTest, CyclingStepsThroughTheImageList)
{
    const int small = GetSystemMetrics(SM_CXSMICON);
    auto shownColour = [&] {
        return traytest::CentreColour(reinterpret_cast<HICON>(Sent.back().Handle(kIcon)), small);
    };
    const COLORREF red = RGB(0xFF, 0, 0), green = RGB(0, 0x80, 0), blue = RGB(0, 0, 0xFF);

    ui::TForm form(nullptr);
    auto* list = new ui::TImageList(&form);
    for (COLORREF c : {red, green, blue}) {
        ui::TIcon image;
        image.LoadFromBytes(traytest::DiscIconBytes(c));
        list->AddIcon(image);
    }
    auto* icon = new TTrayIcon(&form);
    icon->SetIconIndex(2);
    EXPECT_EQ(icon->IconIndex(), 0) << "without a list the index stays 0";
    icon->SetIconList(list);
    EXPECT_EQ(icon->IconIndex(), 0);
    EXPECT_EQ(shownColour(), red) << "the list's first image is shown";

    // Indexes outside the list are kept inside it.
    icon->SetIconIndex(7);
    EXPECT_EQ(icon->IconIndex(), 2);
    EXPECT_EQ(shownColour(), blue);
    icon->SetIconIndex(-3);
    EXPECT_EQ(icon->IconIndex(), 0);
    EXPECT_EQ(shownColour(), red);

    std::vector<int> nexts;
    std::vector<COLORREF> shownAtCycle;
    icon->OnCycle = [&](ui::TObject* sender, int next) {
        EXPECT_EQ(sender, icon);
        nexts.push_back(next);
        shownAtCycle.push_back(shownColour());
        if (nexts.size() == 4)
            icon->SetCycleIcons(false);
    };
    icon->SetIconIndex(1);
    icon->SetCycleInterval(30);
    icon->SetCycleIcons(true);
    EXPECT_EQ(icon->IconIndex(), 0) << "switching cycling on starts at the first image";
    ASSERT_TRUE(PumpUntil([&] { return nexts.size() >= 4; }));
    PumpFor(150);
    EXPECT_EQ(nexts, (std::vector<int>{1, 2, 0, 1})) << "switching cycling off stops the ticks";
    EXPECT_EQ(shownAtCycle, (std::vector<COLORREF>{red, green, blue, red}));
    EXPECT_EQ(icon->IconIndex(), 1);
    EXPECT_EQ(shownColour(), green) << "the image of the new index is shown";

    // A destroyed list is forgotten; cycling then does nothing.
    delete list;
    EXPECT_EQ(icon->IconList(), nullptr);
    EXPECT_EQ(icon->IconIndex(), 0);
    icon->SetCycleIcons(true);
    PumpFor(150);
    EXPECT_EQ(nexts.size(), 4u);
}

// A window whose description binds the icon's start-up event, as a program's main window would;
// its handler asks for the main window to stay hidden.
class TStartupForm : public ui::TForm {
    UI_PUBLISHED_CLASS
public:
    using TForm::TForm;
    void TrayStartup(ui::TObject* Sender, bool& ShowMainForm)
    {
        ++StartupCalls;
        ShowMainForm = false;
    }
    static inline int StartupCalls = 0;
};

const ui::TClassInfo& TStartupForm::StaticClass()
{
    static const ui::TClassInfo info = ui::TClassBuilder<TStartupForm>(L"TStartupForm", &TForm::StaticClass())
        .Handler<tray::TStartupEvent>(L"TrayStartup", &TStartupForm::TrayStartup)
        .Build();
    return info;
}

TEST_F(TrayIconTest, StartupHandlerCanKeepTheMainWindowHidden)
{
    tray::RegisterTrayClasses();
    const wchar_t* text = L"object Main: TStartupForm\n"
                          L"  object TrayIcon1: TTrayIcon\n"
                          L"    IconVisible = True\n"
                          L"    OnStartup = TrayStartup\n"
                          L"  end\n"
                          L"end\n";
    ui::TForm* previousMain = ui::Application->MainForm();
    const bool previousShow = ui::Application->ShowMainForm();

    TStartupForm::StartupCalls = 0;
    TStartupForm hidden(nullptr);
    ui::Application->SetMainForm(&hidden);
    hidden.SetVisible(true);
    ui::ReadDescription(hidden, text, L"test");
    EXPECT_EQ(TStartupForm::StartupCalls, 1) << "loading asks once";
    EXPECT_FALSE(ui::Application->ShowMainForm()) << "the application is told not to show its main window";
    EXPECT_FALSE(hidden.Visible()) << "and the main window is hidden";
    auto* icon = dynamic_cast<TTrayIcon*>(hidden.FindComponent(L"TrayIcon1"));
    ASSERT_NE(icon, nullptr);
    EXPECT_TRUE(icon->IconVisible()) << "the icon is there to bring it back";

    ui::Application->SetShowMainForm(previousShow);
    ui::Application->SetMainForm(previousMain);
}

// A popup menu that records where it was opened instead of running the modal menu loop.
class TRecordingMenu : public ui::TPopupMenu {
public:
    using TPopupMenu::TPopupMenu;
    void Popup(int x, int y) override
    {
        Opened.push_back(POINT{x, y});
        Component = PopupComponent();
    }
    std::vector<POINT> Opened;
    ui::TComponent* Component = nullptr;
};

TEST_F(TrayIconTest, MenuOpensOnThePressAndDoubleClickChoosesTheDefaultItem)
{
    ui::TForm form(nullptr);
    auto* menu = new TRecordingMenu(&form);
    std::vector<std::string> chosen;
    for (int i = 0; i < 3; ++i) {
        auto* item = new ui::TMenuItem(&form);
        item->SetDefault(i > 0); // two defaults: the upper one counts
        item->OnClick = [&chosen, i](ui::TObject*) { chosen.push_back("item " + std::to_string(i)); };
        menu->Items()->Add(item);
    }
    auto* icon = new TTrayIcon(&form);
    LogEvents(*icon);
    icon->OnDblClick = [this](ui::TObject*) { Log.push_back("double"); };
    icon->SetPopupMenu(menu);
    ASSERT_TRUE(MoveCursorTo(321, 234));

    Callback(*icon, WM_RBUTTONDOWN);
    ASSERT_TRUE(PumpUntil([&] { return !menu->Opened.empty(); })) << "the right press opens the menu";
    EXPECT_EQ(menu->Opened[0].x, 321);
    EXPECT_EQ(menu->Opened[0].y, 234);
    EXPECT_EQ(menu->Component, icon) << "the icon is the menu's popup component";
    Callback(*icon, WM_RBUTTONUP);
    ASSERT_TRUE(PumpUntil([&] { return Log.size() >= 2; }));
    EXPECT_EQ(menu->Opened.size(), 1u) << "the release opens nothing more";

    // The left button opens the menu only with LeftPopup; a double click then chooses nothing.
    Callback(*icon, WM_LBUTTONDOWN);
    Callback(*icon, WM_LBUTTONDBLCLK);
    ASSERT_TRUE(PumpUntil([&] { return chosen.size() == 1; })) << "a double click chooses the default item";
    EXPECT_EQ(chosen[0], "item 1");
    EXPECT_EQ(menu->Opened.size(), 1u);
    icon->SetLeftPopup(true);
    Callback(*icon, WM_LBUTTONDOWN);
    Callback(*icon, WM_LBUTTONDBLCLK);
    ASSERT_TRUE(PumpUntil([&] { return menu->Opened.size() == 2; }));
    PumpFor(50);
    EXPECT_EQ(chosen.size(), 1u) << "with LeftPopup the double click chooses nothing";

    // Without AutoPopup, or with the icon disabled, nothing opens.
    menu->SetAutoPopup(false);
    Callback(*icon, WM_RBUTTONDOWN);
    Callback(*icon, WM_LBUTTONDBLCLK);
    menu->SetAutoPopup(true);
    icon->SetEnabled(false);
    Callback(*icon, WM_RBUTTONDOWN);
    Callback(*icon, WM_LBUTTONDBLCLK);
    PumpFor(100);
    EXPECT_EQ(menu->Opened.size(), 2u);
    EXPECT_EQ(chosen.size(), 1u);

    // A destroyed menu is forgotten.
    delete menu;
    EXPECT_EQ(icon->PopupMenu(), nullptr);
    icon->SetEnabled(true);
    Callback(*icon, WM_RBUTTONDOWN);
    Callback(*icon, WM_LBUTTONDBLCLK);
    ASSERT_TRUE(PumpUntil([&] { return !Log.empty() && Log.back() == "double"; }));
}

} // namespace
