// The README's pictures, taken from the real program: the "Test" page with calls listed, and
// the single-line connection guide. scripts/docs-screenshots.sh runs this and turns the shots
// (build/<flavour>/screenshots/docs-*.bmp) into the PNGs under docs/. Exit code 0 when both
// were taken.
#include "tests/e2e/ProgramDriver.h"

#include <commctrl.h>
#include <oleacc.h>

#include <cstdio>

using namespace e2e;

namespace {

int Fail(const char* what)
{
    std::fprintf(stderr, "docs-screenshots: %s\n", what);
    return 1;
}

} // namespace

int main()
{
    // A device with calls on all four lines and levels that show on the meters.
    TProgram program("at 500 plug DLX-4 10004711\n"
                     "at 800 levels 2 14 0 1\n"
                     "at 1500 call 1 05321234567 \"08.12 10:00:01\"\n"
                     "at 1700 call 2 02124445566 \"08.12 10:02:14\"\n"
                     "at 1900 call 4 03122223344 \"08.12 10:05:40\"\n"
                     "at 2100 call 3 \"0 (232) 444 55 66\" \"08.12 10:07:03\"\n"
                     "at 2300 call 1 +905057778899 \"08.12 10:11:52\"\n");
    if (!program.Started())
        return Fail("cannot start the program");
    HWND main = program.Main();
    if (main == nullptr)
        return Fail("the main window did not appear");
    HWND grid = FindChild(main, L"CallerIdTest.TGridView");
    TGridView view;
    if (grid == nullptr || !WaitUntil([&] { return ReadGrid(grid, view) && view.Rows.size() == 5; }))
        return Fail("the calls were not listed");
    // The balloon of the last call and the repaint settle before the picture.
    Sleep(1500);
    if (!SaveWindowShot(main, "docs-test-page"))
        return Fail("cannot save the picture of the Test page");

    HWND pages = FindChild(main, L"CallerIdTest.TPageControl");
    if (pages == nullptr)
        return Fail("no page control");
    PostMessageW(pages, TCM_SETCURFOCUS, 1, 0);
    HWND topics = nullptr;
    if (!WaitUntil([&] {
            return (topics = FindChild(main, L"CallerIdTest.TGroupBox", [](const std::wstring& t) {
                        return t.find(L"Yardım Konuları") != std::wstring::npos;
                    })) != nullptr;
        }))
        return Fail("the guide page did not show");
    TAccElement self;
    std::vector<TAccElement> items;
    if (!ReadAccessible(topics, self, items))
        return Fail("the guide page's links cannot be read");
    for (const TAccElement& e : items) {
        if (e.Role != ROLE_SYSTEM_STATICTEXT || e.Name != L"Tek hatlı Cihaz Bağlantısı böyle yapılır >")
            continue;
        ClickAt(topics, POINT{(e.Location.left + e.Location.right) / 2, (e.Location.top + e.Location.bottom) / 2});
        HWND guide = nullptr;
        if (!WaitUntil([&] {
                return (guide = FindProcessWindow(program.ProcessId(), L"Tek Hatlı Caller ID Cihazı  Bağlantısı")) !=
                       nullptr;
            }))
            return Fail("the single-line guide did not open");
        Sleep(1000);
        if (!SaveWindowShot(guide, "docs-guide-single-line"))
            return Fail("cannot save the picture of the guide");
        PostMessageW(guide, WM_CLOSE, 0, 0);
        WaitUntil([&] { return !IsWindowVisible(guide); }, 5000);
        return program.Close() ? 0 : Fail("the program did not end cleanly");
    }
    return Fail("the single-line link is not on the guide page");
}
