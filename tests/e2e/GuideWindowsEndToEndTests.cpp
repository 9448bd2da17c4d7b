// The guide page of the real program: every link and picture opens its guide windows and message
// boxes in front of the stay-on-top main window. While each one is modal the main window has
// given up its topmost flag and the modal window is above it; once the last one has closed the
// main window is topmost again. Screenshots of each go to build/<flavour>/screenshots.
#include "tests/e2e/ProgramDriver.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <oleacc.h>

#include <algorithm>

using namespace e2e;
using testsupport::Narrow;

namespace {

// A modal window one click brings up: a guide window by its title, or a message box by its
// caption and the start of its text.
struct TModal {
    bool Box = false;
    std::wstring Title;
    std::wstring TextStart;
};

TModal Guide(const wchar_t* title) { return {false, title, {}}; }
TModal Box(const wchar_t* caption, const wchar_t* textStart) { return {true, caption, textStart}; }

const TModal kSingleLine = Guide(L"Tek Hatlı Caller ID Cihazı  Bağlantısı");
const TModal kTwoLines = Guide(L"2 Hatlı Cihaz Bağlantısı");
const TModal kFourLines = Guide(L"4 hatlı Cihaz Bağlantısı");
const std::vector<TModal> kInternetLine = {
    Box(L"Information", L"İnternet bağlantısı olan hat varsa, mutlaka ADSL splitter kullanılır."),
    Guide(L"ADSL splitter nedir ?"), Guide(L"İnternet hattı cihaza nasıl bağlanır ?  (ADSL hattı)")};
const std::vector<TModal> kNotes = {Box(L"Information", L"Caller ID cihazları, santralin gönderdiği"),
                                    Box(L"Warning", L"Telefon kapalı ve zil çalmıyorsa")};

HWND FindModal(DWORD processId, const TModal& modal)
{
    if (!modal.Box)
        return FindProcessWindow(processId, modal.Title);
    HWND box = FindProcessWindowOfClass(processId, L"#32770");
    return box != nullptr && WindowText(box) == modal.Title ? box : nullptr;
}

// Waits for each window of the sequence in turn, checks that it is in front, saves a screenshot
// and closes it as its own button would; then the main window must be topmost again.
void ExpectInFront(TProgram& program, const std::vector<TModal>& sequence, const std::string& shot)
{
    HWND main = program.Main();
    for (size_t i = 0; i < sequence.size(); ++i) {
        const TModal& modal = sequence[i];
        const std::string what = shot + ": \"" + Narrow(modal.Title) + "\"";
        HWND wnd = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (wnd = FindModal(program.ProcessId(), modal)) != nullptr; }))
            << what << " did not open";
        // The flag is lifted before the window shows; the window then comes up above.
        EXPECT_TRUE(WaitUntil([&] { return !IsTopMost(main) && IsAbove(wnd, main); }, 5000))
            << what << " is not in front: main topmost " << IsTopMost(main) << ", above main " << IsAbove(wnd, main);
        EXPECT_FALSE(IsTopMost(main)) << what << ": the main window gave up its topmost flag";
        if (modal.Box) {
            HWND text = FindChild(wnd, L"Static", [&](const std::wstring& t) { return t.rfind(modal.TextStart, 0) == 0; });
            EXPECT_NE(text, nullptr) << what << " shows its text";
        }
        EXPECT_TRUE(SaveDesktopShot(shot + "-" + std::to_string(i + 1)));
        if (modal.Box)
            PostMessageW(wnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        else
            PostMessageW(wnd, WM_CLOSE, 0, 0);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(wnd) || !IsWindowVisible(wnd); })) << what << " did not close";
    }
    EXPECT_TRUE(WaitUntil([&] { return IsTopMost(main); })) << shot << ": the main window is topmost again";
}

} // namespace

TEST(EndToEnd, EveryLinkAndPictureOfTheGuidePageOpensItsWindowsInFrontOfTheMainWindow)
{
    TProgram program;
    ASSERT_TRUE(program.Started()) << "cannot start the program, error " << GetLastError();
    HWND main = program.Main();
    ASSERT_NE(main, nullptr) << "no visible window titled \"Cihaz Test\" appeared";
    ASSERT_TRUE(WaitUntil([&] { return IsTopMost(main); })) << "the main window stays on top";

    // The user picks the page "Bağlantı Kılavuzu !" (the second tab).
    HWND pages = FindChild(main, L"CallerIdTest.TPageControl");
    ASSERT_NE(pages, nullptr);
    PostMessageW(pages, TCM_SETCURFOCUS, 1, 0);
    HWND topics = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        return (topics = FindChild(main, L"CallerIdTest.TGroupBox", [](const std::wstring& t) {
                    return t.find(L"Yardım Konuları") != std::wstring::npos;
                })) != nullptr;
    })) << "the guide page did not show";
    TAccElement self;
    std::vector<TAccElement> items;
    ASSERT_TRUE(ReadAccessible(topics, self, items)) << "the guide page's links cannot be read";
    EXPECT_TRUE(SaveWindowShot(main, "guide-page"));

    auto centre = [](const TAccElement& e) {
        return POINT{(e.Location.left + e.Location.right) / 2, (e.Location.top + e.Location.bottom) / 2};
    };
    auto link = [&](const std::wstring& caption) -> const TAccElement* {
        for (const TAccElement& e : items)
            if (e.Role == ROLE_SYSTEM_STATICTEXT && e.Name == caption)
                return &e;
        return nullptr;
    };
    std::vector<const TAccElement*> pictures;
    for (const TAccElement& e : items)
        if (e.Role == ROLE_SYSTEM_GRAPHIC)
            pictures.push_back(&e);
    std::sort(pictures.begin(), pictures.end(),
              [](const TAccElement* a, const TAccElement* b) { return a->Location.top < b->Location.top; });
    ASSERT_EQ(pictures.size(), 4u) << "four pictures beside the links";

    struct TClick {
        const TAccElement* Target;
        std::vector<TModal> Opens;
        std::string Shot;
    };
    const std::vector<TClick> clicks = {
        {link(L"Tek hatlı Cihaz Bağlantısı böyle yapılır >"), {kSingleLine}, "guide-link-single-line"},
        {link(L"2 hatlı Cihaz Bağlantısı böyle yapılır >"), {kTwoLines}, "guide-link-two-lines"},
        {link(L"4 hatlı Cihaz Bağlantısı böyle yapılır >"), {kFourLines}, "guide-link-four-lines"},
        {link(L"İnternet hattı, cihaza böyle bağlanır >"), kInternetLine, "guide-link-internet-line"},
        {link(L"Önemli açıklamalar"), kNotes, "guide-link-notes"},
        {pictures[0], {kSingleLine}, "guide-picture-single-line"},
        {pictures[1], {kTwoLines}, "guide-picture-two-lines"},
        {pictures[2], {kFourLines}, "guide-picture-four-lines"},
        {pictures[3], kInternetLine, "guide-picture-internet-line"},
    };
    for (const TClick& click : clicks) {
        ASSERT_NE(click.Target, nullptr) << click.Shot << ": the link is not on the page";
        ClickAt(topics, centre(*click.Target));
        ExpectInFront(program, click.Opens, click.Shot);
        if (HasFatalFailure())
            return;
    }
    EXPECT_TRUE(program.Close()) << "the program did not end cleanly after its window was closed";
}
