// The day-by-day log: its fields and files without a window (hostile texts, midnight, a full
// queue), and through the main window (a file held open by another program, the menu item that
// opens the folder). Files are read back with the tests' own CSV reader.
#include "app/CallLog.h"
#include "app/Unit1.h"
#include "ui/controls/Menus.h"

#include "tests/support/CsvReader.h"
#include "tests/support/ProgramWindows.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

using namespace ui;
using testsupport::Narrow;
using testsupport::ReadCsvFile;
using testsupport::TCsvFile;
using testsupport::Unguarded;

namespace {

using TRows = std::vector<std::vector<std::wstring>>;

SYSTEMTIME At(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second)
{
    SYSTEMTIME t{};
    t.wYear = year;
    t.wMonth = month;
    t.wDay = day;
    t.wHour = hour;
    t.wMinute = minute;
    t.wSecond = second;
    return t;
}

// A fresh, empty folder of this test under the private application-data folder.
std::wstring EmptyFolder(const std::wstring& name)
{
    static const std::wstring root = testsupport::UsePrivateLocalAppData(L"call-log");
    const std::wstring folder = root + L"\\" + name;
    CreateDirectoryW(folder.c_str(), nullptr);
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((folder + L"\\*.csv").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do
            DeleteFileW((folder + L"\\" + found.cFileName).c_str());
        while (FindNextFileW(find, &found));
        FindClose(find);
    }
    return folder;
}

// Holds a file open as a program that shares nothing does, until released.
class TExclusiveHold {
public:
    explicit TExclusiveHold(const std::wstring& path)
        : FHandle(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr))
    {
    }
    ~TExclusiveHold() { Release(); }
    bool Held() const { return FHandle != INVALID_HANDLE_VALUE; }
    void Release()
    {
        if (Held())
            CloseHandle(FHandle);
        FHandle = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE FHandle;
};

std::wstring Today()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    return LogFileName(now);
}

std::string Show(const std::vector<std::wstring>& row)
{
    std::string text = "[";
    for (const auto& f : row)
        text += "\"" + Narrow(f) + "\" ";
    return text + "]";
}

} // namespace

TEST(CallLogFormat, TheHeaderTimesAndFileNamesAreAsASpreadsheetAndAUserReadThem)
{
    // Exact bytes where a reader cannot tell: the mark, UTF-8, the guard before the quoting.
    EXPECT_EQ(CsvFileStart(), "\xEF\xBB\xBFZaman;Olay;Hat no.;Arayan numara;Cihaz seri no.;"
                              "\xC3\x87\x61\xC4\x9F\x72\xC4\xB1 s\xC4\xB1ra no;Cihaz modeli;A\xC3\xA7\xC4\xB1klama\r\n");
    EXPECT_EQ(CsvRow({L"=a;\"b\"", L"", L"\rx", L"x=1"}), "\"'=a;\"\"b\"\"\";;\"'\rx\";x=1\r\n");
    EXPECT_EQ(LogTimeText(At(2025, 1, 2, 3, 4, 5)), L"2025-01-02 03:04:05");
    EXPECT_EQ(LogFileName(At(2025, 1, 2, 23, 59, 59)), L"2025-01-02.csv");
}

TEST(CallLogFile, TenThousandHostileCallerNumbersAndDeviceTextsComeBackUnchanged)
{
    const std::wstring folder = EmptyFolder(L"hostile");
    TCallLog log(folder, [] { return At(2031, 5, 6, 7, 8, 9); });
    // Separators, quotes, line breaks, formula starts, the guard's own apostrophe, blanks and
    // letters from outside the Turkish code page (a character beyond the basic plane as well).
    const std::vector<std::wstring> pieces = {L";", L"\"", L"\r", L"\n", L"\r\n", L"=", L"+", L"-", L"@", L"\t",
                                              L"'", L" ", L"0", L"5", L"ğ", L"İ", L"ж", L"日", L"\U0001F4DE",
                                              L"é", L"a", L"SUM(A1)", L"\"\""};
    std::mt19937 random(24);
    auto text = [&] {
        std::wstring t;
        for (int n = std::uniform_int_distribution<int>(0, 12)(random); n > 0; --n)
            t += pieces[std::uniform_int_distribution<size_t>(0, pieces.size() - 1)(random)];
        return t;
    };
    TRows written;
    for (int i = 0; i < 10000; ++i) {
        std::vector<std::wstring> call = {text(), text(), text(), std::to_wstring(i + 1)};
        log.AddCall(call[0], call[1], call[2], call[3]);
        written.push_back(std::move(call));
        if (i % 2500 == 2499) {
            ASSERT_EQ(log.Flush().Change, TCallLog::TFlushChange::fcNone);
        }
    }
    EXPECT_EQ(log.Waiting(), 0u);

    const TCsvFile file = ReadCsvFile(folder + L"\\2031-05-06.csv");
    ASSERT_TRUE(file.Read);
    EXPECT_TRUE(file.Bom);
    EXPECT_TRUE(file.Wellformed);
    ASSERT_EQ(file.Rows.size(), written.size() + 1) << "a header and one row per call";
    EXPECT_EQ(file.Rows[0], LogColumnNames());
    for (size_t i = 0; i < written.size(); ++i) {
        const auto& row = file.Rows[i + 1];
        ASSERT_EQ(row.size(), static_cast<size_t>(lcCount)) << "row " << i;
        for (int f : {lcLine, lcCallerNumber, lcSerial})
            ASSERT_EQ(std::wstring(L"=+-@\t\r").find(row[f].empty() ? L'x' : row[f][0]), std::wstring::npos)
                << "row " << i << ": a spreadsheet would evaluate " << Narrow(row[f]);
        const std::vector<std::wstring> read = {Unguarded(row[lcLine]), Unguarded(row[lcCallerNumber]),
                                                Unguarded(row[lcSerial]), Unguarded(row[lcCallNumber])};
        ASSERT_EQ(read, written[i]) << "row " << i << " read back as " << Show(row);
        ASSERT_EQ(row[lcKind], L"Çağrı");
        ASSERT_EQ(row[lcTime], L"2031-05-06 07:08:09");
    }
}

TEST(CallLogFile, RowsEitherSideOfMidnightGoToTwoFilesEachWithItsHeader)
{
    const std::wstring folder = EmptyFolder(L"midnight");
    SYSTEMTIME now = At(2024, 12, 31, 23, 59, 59);
    TCallLog log(folder, [&] { return now; });
    log.AddCall(L"1", L"05321234567", L"10004711", L"1");
    log.Flush();
    now = At(2025, 1, 1, 0, 0, 0);
    log.AddCall(L"2", L"02124445566", L"10004711", L"2");
    // Rows waiting across midnight still go to the day they happened on.
    now = At(2025, 1, 1, 0, 0, 1);
    log.AddGone();
    log.Flush();

    const TCsvFile before = ReadCsvFile(folder + L"\\2024-12-31.csv");
    const TCsvFile after = ReadCsvFile(folder + L"\\2025-01-01.csv");
    ASSERT_TRUE(before.Read && after.Read) << "one file per day";
    EXPECT_TRUE(before.Bom && after.Bom);
    EXPECT_EQ(before.Rows, (TRows{LogColumnNames(), {L"2024-12-31 23:59:59", L"Çağrı", L"1", L"05321234567",
                                                     L"10004711", L"1", L"", L""}}));
    EXPECT_EQ(after.Rows, (TRows{LogColumnNames(),
                                 {L"2025-01-01 00:00:00", L"Çağrı", L"2", L"02124445566", L"10004711", L"2", L"", L""},
                                 {L"2025-01-01 00:00:01", L"Cihaz ayrıldı", L"", L"", L"", L"", L"", L""}}));
}

TEST(CallLogFile, WhileTheFileIsHeldRowsWaitBoundedAndTheDroppedAreCountedInTheirPlace)
{
    const std::wstring folder = EmptyFolder(L"bounded");
    TCallLog log(folder, [] { return At(2030, 2, 3, 4, 5, 6); });
    TExclusiveHold hold(folder + L"\\2030-02-03.csv");
    ASSERT_TRUE(hold.Held());
    const size_t total = TCallLog::MaxWaiting + 5;
    for (size_t i = 1; i <= total; ++i)
        log.AddCall(L"1", L"0532", L"serial", std::to_wstring(i));
    const TCallLog::TFlushResult failed = log.Flush();
    EXPECT_EQ(failed.Change, TCallLog::TFlushChange::fcStartedFailing);
    EXPECT_EQ(failed.Error, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(log.Flush().Change, TCallLog::TFlushChange::fcNone) << "told once per failure streak";
    EXPECT_EQ(log.Waiting(), TCallLog::MaxWaiting);

    hold.Release();
    EXPECT_EQ(log.Flush().Change, TCallLog::TFlushChange::fcWorksAgain);
    const TCsvFile file = ReadCsvFile(folder + L"\\2030-02-03.csv");
    ASSERT_TRUE(file.Wellformed);
    ASSERT_EQ(file.Rows.size(), 1 + 1 + TCallLog::MaxWaiting) << "header, the dropped note, the kept rows";
    EXPECT_EQ(file.Rows[0], LogColumnNames()) << "the empty file the holder made gets the header";
    EXPECT_EQ(file.Rows[1][lcKind], L"Kayıt dosyası");
    EXPECT_EQ(file.Rows[1][lcMessage].rfind(L"5 satır yazılamadan atıldı", 0), 0u) << Narrow(file.Rows[1][lcMessage]);
    EXPECT_EQ(file.Rows[2][lcCallNumber], L"6") << "the oldest went first";
    EXPECT_EQ(file.Rows.back()[lcCallNumber], std::to_wstring(total));
}

namespace {

std::vector<std::wstring> Opened;

class CallLogWindow : public testsupport::TProgramWindows {
protected:
    static void SetUpTestSuite()
    {
        StartProgram([](DWORD, const tray::TTrayIconData&) { return true; }, [](unsigned, unsigned) {});
        SetOpenFolderFunction([](const std::wstring& folder) {
            Opened.push_back(folder);
            return true;
        });
    }
    static void TearDownTestSuite()
    {
        SetOpenFolderFunction({});
        StopProgram();
    }
    void SetUp() override
    {
        TProgramWindows::SetUp();
        FailOnMessageBoxes();
        Form1->Log().Flush();
    }

    static std::vector<std::wstring> Notices()
    {
        return Form1->Memo2->LinesList();
    }
    static bool EndsWith(const std::wstring& line, const std::wstring& end)
    {
        return line.size() >= end.size() && line.compare(line.size() - end.size(), end.size(), end) == 0;
    }
};

} // namespace

TEST_F(CallLogWindow, AFileHeldOpenWithoutSharingGetsItsRowsInOrderOnceReleasedWithOneNoticeEachWay)
{
    const std::wstring path = Form1->Log().Folder() + L"\\" + Today();
    ASSERT_TRUE(EnsureFolder(Form1->Log().Folder()));
    const size_t before = ReadCsvFile(path).Rows.size();
    TExclusiveHold hold(path);
    ASSERT_TRUE(hold.Held());

    for (int i = 1; i <= 3; ++i) {
        ASSERT_EQ(S_OK, simtest::RaiseStrings(Sim.Get(), DISPID_Dalvex_OnCallerID,
                                              {L"10004711", std::to_wstring(i), L"0532000000" + std::to_wstring(i),
                                               L"t", L""}));
        Form1->Timer1Timer(Form1->Timer1);
    }
    const std::vector<std::wstring> failing = Notices();
    ASSERT_FALSE(failing.empty());
    EXPECT_NE(failing.back().find(L"Kayıt dosyası yazılamıyor"), std::wstring::npos) << Narrow(failing.back());
    EXPECT_TRUE(failing.size() < 2 || failing[failing.size() - 2].find(L"Kayıt") == std::wstring::npos)
        << "one notice for the whole streak, not one per poll";

    hold.Release();
    Form1->Timer1Timer(Form1->Timer1);
    Form1->Timer1Timer(Form1->Timer1); // writes the notice of the recovery itself
    const std::vector<std::wstring> recovered = Notices();
    ASSERT_EQ(recovered.size(), 2u);
    EXPECT_EQ(recovered[0], failing.back());
    EXPECT_TRUE(EndsWith(recovered[1], L"Kayıt dosyası yeniden yazılabiliyor; bekleyen kayıtlar yazıldı"))
        << Narrow(recovered[1]);

    const TCsvFile file = ReadCsvFile(path);
    ASSERT_TRUE(file.Wellformed);
    ASSERT_EQ(file.Rows.size(), std::max<size_t>(before, 1) + 5) << "three calls and the two notices";
    const auto row = [&](size_t i) { return file.Rows[file.Rows.size() - 5 + i]; };
    // In the order things happened: the first call, the poll that found the file held, the
    // other two calls, the poll that wrote them all.
    const size_t calls[] = {0, 2, 3};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(row(calls[i])[lcKind], L"Çağrı") << "row " << calls[i];
        EXPECT_EQ(row(calls[i])[lcLine], std::to_wstring(i + 1)) << "row " << calls[i];
        EXPECT_EQ(row(calls[i])[lcCallNumber], std::to_wstring(i + 1)) << "row " << calls[i];
    }
    EXPECT_EQ(row(1)[lcKind], L"Kayıt dosyası");
    EXPECT_EQ(row(1)[lcMessage].rfind(L"Kayıt dosyası yazılamıyor", 0), 0u) << Narrow(row(1)[lcMessage]);
    EXPECT_EQ(row(4)[lcKind], L"Kayıt dosyası");
    EXPECT_EQ(row(4)[lcMessage], L"Kayıt dosyası yeniden yazılabiliyor; bekleyen kayıtlar yazıldı");
}

TEST_F(CallLogWindow, KayitlariAcBetweenTheTwoCommandsOpensTheLogFolderThroughTheShell)
{
    TMenuItem* items = Form1->PopupMenu1->Items();
    ASSERT_EQ(items->Count(), 3);
    EXPECT_EQ(items->Items(0)->Caption(), L"Listeyi sil");
    EXPECT_EQ(items->Items(1)->Caption(), L"Kayıtları aç");
    EXPECT_EQ(items->Items(2)->Caption(), L"Çıkış");

    wchar_t appData[MAX_PATH];
    GetEnvironmentVariableW(L"LOCALAPPDATA", appData, MAX_PATH);
    const std::wstring folder = std::wstring(appData) + L"\\Caller ID Test\\Logs";
    RemoveDirectoryW(folder.c_str()); // empty unless an earlier test wrote rows
    Opened.clear();
    items->Items(1)->Click();
    EXPECT_EQ(Opened, std::vector<std::wstring>{folder});
    EXPECT_NE(GetFileAttributesW(folder.c_str()), INVALID_FILE_ATTRIBUTES) << "the folder exists when it is opened";
}
