// The real program's log, read back from the files it wrote: a scripted device plugs in, calls
// come on several lines, a level is bad, the device is unplugged and another plugged in, the
// user empties the list from the popup menu; meanwhile the day's file is held open without
// sharing by another program for a while.
#include "tests/e2e/ProgramDriver.h"
#include "tests/support/CsvReader.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>

using namespace e2e;
using testsupport::Narrow;
using testsupport::ReadCsvFile;
using testsupport::Unguarded;

namespace {

using TRow = std::vector<std::wstring>;

const TRow kHeader = {L"Zaman",         L"Olay",          L"Hat no.",      L"Arayan numara",
                      L"Cihaz seri no.", L"Çağrı sıra no", L"Cihaz modeli", L"Açıklama"};

// Every file of the folder in name (day) order; each must start with the header, which is
// checked and dropped here. The rows keep their file's day for the check of their times.
struct TLogRows {
    std::vector<TRow> Rows;
    std::vector<std::wstring> Days;
    std::string Problems;
};

TLogRows ReadLogFolder(const std::wstring& folder)
{
    TLogRows log;
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((folder + L"\\*.csv").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do
            names.push_back(found.cFileName);
        while (FindNextFileW(find, &found));
        FindClose(find);
    }
    std::sort(names.begin(), names.end());
    for (const std::wstring& name : names) {
        const testsupport::TCsvFile file = ReadCsvFile(folder + L"\\" + name);
        if (!file.Bom || !file.Wellformed || file.Rows.empty() || file.Rows[0] != kHeader)
            log.Problems += Narrow(name) + ": no byte-order mark, half a row or no header; ";
        for (size_t i = 1; i < file.Rows.size(); ++i) {
            log.Rows.push_back(file.Rows[i]);
            log.Days.push_back(name.substr(0, 10));
        }
    }
    return log;
}

bool HasRowOfKind(const std::wstring& folder, const std::wstring& kind)
{
    for (const TRow& row : ReadLogFolder(folder).Rows)
        if (row.size() > 1 && row[1] == kind)
            return true;
    return false;
}

// "YYYY-MM-DD HH:MM:SS" on the file's day.
bool IsTimeOnDay(const std::wstring& time, const std::wstring& day)
{
    if (time.size() != 19 || time.compare(0, 10, day) != 0 || time[10] != L' ' || time[13] != L':' ||
        time[16] != L':')
        return false;
    for (int i : {11, 12, 14, 15, 17, 18})
        if (!std::iswdigit(time[i]))
            return false;
    return true;
}

std::string Show(const TRow& row)
{
    std::string text = "[";
    for (const auto& f : row)
        text += "\"" + Narrow(f) + "\" ";
    return text + "]";
}

HWND Group(HWND main, const std::wstring& captionPart)
{
    return FindChild(main, L"CallerIdTest.TGroupBox",
                     [&](const std::wstring& text) { return text.find(captionPart) != std::wstring::npos; });
}

} // namespace

TEST(EndToEnd, TheLogFileHoldsEveryCallConnectionChangeAndErrorAndWaitsOutAFileHeldOpen)
{
    const std::wstring appData = testsupport::FreshTempFolder(L"e2e-log");
    const std::wstring logs = appData + L"\\Caller ID Test\\Logs";
    CreateDirectoryW((appData + L"\\Caller ID Test").c_str(), nullptr);
    CreateDirectoryW(logs.c_str(), nullptr);
    SYSTEMTIME today;
    GetLocalTime(&today);
    wchar_t name[32];
    swprintf(name, 32, L"%04u-%02u-%02u.csv", today.wYear, today.wMonth, today.wDay);
    // Another program holds the day's file open, sharing nothing, from before the start.
    HANDLE held = CreateFileW((logs + L"\\" + name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    // The caller number with a formula start, a separator and quotes; one with a letter the
    // Turkish code page lacks, logged as the grid shows it.
    TProgram program("at 2000 plug DLX-4 10004711\n"
                     "at 6000 call 1 05321234567 \"08.12 10:00:01\"\n"
                     "at 14000 levels 5 A 9 9\n"
                     "at 16000 call 2 \"=1+2;\"\"x\"\"\" \"08.12 10:00:02\"\n"
                     "at 16200 call 4 \"+90 532 \xD0\xB6\" \"08.12 10:00:03\"\n"
                     "at 20000 unplug\n"
                     "at 24000 plug DLX-8 20009999\n"
                     "at 28000 call 3 4441444 \"08.12 10:01:00\"\n",
                     appData);
    ASSERT_TRUE(program.Started()) << "cannot start the program, error " << GetLastError();
    HWND main = program.Main();
    ASSERT_NE(main, nullptr) << "no visible window titled \"Cihaz Test\" appeared";
    HWND memo = FindChild(main, L"CallerIdTest.TMemo");
    HWND grid = FindChild(main, L"CallerIdTest.TGridView");
    ASSERT_TRUE(memo && grid);

    // The first call is listed while the file is held; the notice box says, once, why the log waits.
    TGridView view;
    EXPECT_TRUE(WaitUntil([&] { return ReadGrid(grid, view) && view.Rows.size() == 1; }))
        << "the first call was not listed";
    EXPECT_NE(WindowText(memo).find(L"Kayıt dosyası yazılamıyor"), std::wstring::npos) << Narrow(WindowText(memo));
    EXPECT_EQ(ReadLogFolder(logs).Rows.size(), 0u) << "nothing reached the held file";
    CloseHandle(held);
    EXPECT_TRUE(WaitUntil([&] { return WindowText(memo).find(L"yeniden yazılabiliyor") != std::wstring::npos; }))
        << "no notice that the log works again: " << Narrow(WindowText(memo));

    // After the last call the user picks "Listeyi sil" from the status line's popup menu.
    EXPECT_TRUE(WaitUntil([&] {
        return ReadGrid(grid, view) && view.Rows.size() == 1 && view.Rows[0].size() > 1 &&
               view.Rows[0][1] == L"4441444";
    }, 40000)) << "the last call was not listed";
    HWND status = Group(main, L"Cihaz Modeli");
    ASSERT_NE(status, nullptr);
    PostMessageW(status, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 60));
    PostMessageW(status, WM_RBUTTONUP, 0, MAKELPARAM(20, 60));
    HWND menu = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (menu = FindProcessWindowOfClass(program.ProcessId(), L"#32768")) != nullptr; }))
        << "the popup menu did not open";
    PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(WaitUntil([&] { return ReadGrid(grid, view) && view.Rows.empty(); })) << "the list was not emptied";
    EXPECT_TRUE(WaitUntil([&] { return HasRowOfKind(logs, L"Liste silindi"); })) << "the emptying was not logged";
    EXPECT_TRUE(program.Close()) << "the program did not end cleanly after its window was closed";

    const TLogRows log = ReadLogFolder(logs);
    EXPECT_EQ(log.Problems, "");
    const std::vector<TRow> expected = {
        {L"Cihaz bağlandı", L"", L"", L"10004711", L"", L"DLX-4", L""},
        {L"Kayıt dosyası", L"", L"", L"", L"", L"", L"Kayıt dosyası yazılamıyor"},
        {L"Çağrı", L"1", L"05321234567", L"10004711", L"1", L"", L""},
        {L"Kayıt dosyası", L"", L"", L"", L"", L"", L"Kayıt dosyası yeniden yazılabiliyor; bekleyen kayıtlar yazıldı"},
        {L"Hata", L"", L"", L"", L"", L"", L"'A' is not a valid integer value"},
        {L"Çağrı", L"2", L"=1+2;\"x\"", L"10004711", L"2", L"", L""},
        {L"Çağrı", L"4", L"+90 532 ?", L"10004711", L"3", L"", L""},
        {L"Cihaz ayrıldı", L"", L"", L"", L"", L"", L""},
        {L"Cihaz bağlandı", L"", L"", L"20009999", L"", L"DLX-8", L""},
        {L"Çağrı", L"3", L"4441444", L"20009999", L"1", L"", L""},
        {L"Liste silindi", L"", L"", L"", L"", L"", L""},
    };
    std::vector<TRow> seen;
    std::wstring previousTime;
    for (size_t i = 0; i < log.Rows.size(); ++i) {
        const TRow& row = log.Rows[i];
        ASSERT_EQ(row.size(), 8u) << "row " << i << " " << Show(row);
        EXPECT_TRUE(IsTimeOnDay(row[0], log.Days[i])) << "row " << i << " time " << Narrow(row[0]);
        EXPECT_LE(previousTime, row[0]) << "row " << i << " is older than the row before it";
        previousTime = row[0];
        TRow fields;
        for (size_t f = 1; f < row.size(); ++f)
            fields.push_back(Unguarded(row[f]));
        // The failure notice names the file and the system's error code after this start.
        if (fields[0] == L"Kayıt dosyası" && fields[6].rfind(L"Kayıt dosyası yazılamıyor", 0) == 0)
            fields[6] = L"Kayıt dosyası yazılamıyor";
        seen.push_back(fields);
    }
    ASSERT_EQ(seen.size(), expected.size()) << "rows in the log";
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(Show(seen[i]), Show(expected[i])) << "row " << i;
}
