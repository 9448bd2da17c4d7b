// The day-by-day log of calls, connection changes and errors: one CSV file per local day.
#pragma once

#include <windows.h>

#include <cstddef>
#include <deque>
#include <functional>
#include <string>
#include <vector>

// What a row records; its word in the file is LogKindText's.
enum class TLogKind {
    lkCall,        // a call: line, caller number, device serial, call number
    lkConnected,   // a device appeared: model, serial
    lkGone,        // the device went away
    lkError,       // a line the error hook wrote into the notice box: its message
    lkListCleared, // the list emptied by "Listeyi sil"
    lkLogFile      // the log's own state: rows dropped, writing failed or works again
};
const wchar_t* LogKindText(TLogKind kind);

// The columns of every row, in order; each kind fills the ones it has and leaves the rest empty,
// so a spreadsheet can filter and sort any column across kinds.
enum TLogColumn { lcTime, lcKind, lcLine, lcCallerNumber, lcSerial, lcCallNumber, lcModel, lcMessage, lcCount };
const std::vector<std::wstring>& LogColumnNames();

// One field as the file holds it, in UTF-8: a field that a spreadsheet would take for a formula
// (it begins with = + - @, a tab or a carriage return) gets a leading apostrophe, and so does one
// that already begins with an apostrophe, so that a reader undoes the guard by dropping exactly
// one leading apostrophe. Then RFC 4180: a field holding ; " CR or LF is quoted, quotes doubled.
std::string CsvField(const std::wstring& value);
// The fields joined by ';' and ended by CR LF.
std::string CsvRow(const std::vector<std::wstring>& fields);
// The start of a new file: the UTF-8 byte-order mark and the header row.
std::string CsvFileStart();

// "YYYY-MM-DD HH:MM:SS" and "YYYY-MM-DD.csv" of a local time.
std::wstring LogTimeText(const SYSTEMTIME& time);
std::wstring LogFileName(const SYSTEMTIME& time);
// %LOCALAPPDATA%\Caller ID Test\Logs (the shell's local application-data folder when the
// variable is not set).
std::wstring DefaultLogFolder();
// Creates the folder and any missing parents; false (with the system's error code left for
// GetLastError) when it cannot.
bool EnsureFolder(const std::wstring& folder);

// Collects rows in memory and appends them to the day's file when Flush is called. Adding never
// touches the disk, so the handler of a call never waits on it and never retries a write; the
// window's poll flushes. While the file cannot be written rows wait, at most MaxWaiting of them:
// the oldest go first, and one row at their place says how many went.
class TCallLog {
public:
    // The local time of each row; tests set the clock to cross midnight.
    using TClock = std::function<SYSTEMTIME()>;
    static constexpr size_t MaxWaiting = 10000;

    explicit TCallLog(std::wstring folder, TClock clock = {});

    void Add(TLogKind kind, const std::vector<std::pair<TLogColumn, std::wstring>>& fields);
    void AddCall(const std::wstring& line, const std::wstring& callerNumber, const std::wstring& serial,
                 const std::wstring& callNumber);
    void AddConnected(const std::wstring& model, const std::wstring& serial);
    void AddGone();
    void AddError(const std::wstring& message);
    void AddListCleared();
    void AddLogFileNote(const std::wstring& message);

    // What a flush changed about writing: the caller tells the user once per streak.
    enum class TFlushChange { fcNone, fcStartedFailing, fcWorksAgain };
    struct TFlushResult {
        TFlushChange Change = TFlushChange::fcNone;
        DWORD Error = 0;              // the system's error code of a failure
        std::wstring File;            // the file that failed
    };
    // Appends every waiting row to its day's file, each row whole or not at all, and stops at
    // the first that cannot be written; the rest wait for the next flush.
    TFlushResult Flush();

    const std::wstring& Folder() const { return FFolder; }
    size_t Waiting() const { return FWaiting.size(); }
    bool Failing() const { return FFailing; }

private:
    struct TRow {
        SYSTEMTIME Time;
        std::string Text;
    };
    SYSTEMTIME Now() const;
    std::string DroppedRowText() const;
    // Appends `text` to `file` at its end, truncating back on a short write. False on failure,
    // with the error code in `error`.
    static bool AppendWhole(HANDLE file, const std::string& text, DWORD& error);
    bool WriteWaiting(DWORD& error, std::wstring& failedFile);

    std::wstring FFolder;
    TClock FClock;
    std::deque<TRow> FWaiting;
    size_t FDropped = 0;
    SYSTEMTIME FLastDropped{};
    bool FFailing = false;
};
