// The day-by-day log of calls, connection changes and errors: one CSV file per local day.
#include "app/CallLog.h"

#include <shlobj.h>

#include <cstdio>
#include <memory>

namespace {

std::string Utf8(const std::wstring& text)
{
    if (text.empty())
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

bool SameDay(const SYSTEMTIME& a, const SYSTEMTIME& b)
{
    return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay;
}

struct THandleCloser {
    void operator()(HANDLE h) const { CloseHandle(h); }
};
using TFileHandle = std::unique_ptr<void, THandleCloser>;

} // namespace

const wchar_t* LogKindText(TLogKind kind)
{
    switch (kind) {
    case TLogKind::lkCall: return L"Çağrı";
    case TLogKind::lkConnected: return L"Cihaz bağlandı";
    case TLogKind::lkGone: return L"Cihaz ayrıldı";
    case TLogKind::lkError: return L"Hata";
    case TLogKind::lkListCleared: return L"Liste silindi";
    case TLogKind::lkLogFile: return L"Kayıt dosyası";
    }
    return L"";
}

const std::vector<std::wstring>& LogColumnNames()
{
    // The call columns carry the grid's own captions.
    static const std::vector<std::wstring> names = {L"Zaman",          L"Olay",          L"Hat no.",
                                                    L"Arayan numara",  L"Cihaz seri no.", L"Çağrı sıra no",
                                                    L"Cihaz modeli",   L"Açıklama"};
    return names;
}

std::string CsvField(const std::wstring& value)
{
    std::wstring field = value;
    if (!field.empty()) {
        const wchar_t first = field.front();
        if (first == L'=' || first == L'+' || first == L'-' || first == L'@' || first == L'\t' || first == L'\r' ||
            first == L'\'')
            field.insert(field.begin(), L'\'');
    }
    if (field.find_first_of(L";\"\r\n") != std::wstring::npos) {
        std::wstring quoted = L"\"";
        for (wchar_t c : field) {
            quoted += c;
            if (c == L'"')
                quoted += L'"';
        }
        quoted += L'"';
        field = std::move(quoted);
    }
    return Utf8(field);
}

std::string CsvRow(const std::vector<std::wstring>& fields)
{
    std::string row;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            row += ';';
        row += CsvField(fields[i]);
    }
    row += "\r\n";
    return row;
}

std::string CsvFileStart() { return "\xEF\xBB\xBF" + CsvRow(LogColumnNames()); }

std::wstring LogTimeText(const SYSTEMTIME& t)
{
    wchar_t text[32];
    swprintf(text, 32, L"%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
    return text;
}

std::wstring LogFileName(const SYSTEMTIME& t)
{
    wchar_t text[32];
    swprintf(text, 32, L"%04u-%02u-%02u.csv", t.wYear, t.wMonth, t.wDay);
    return text;
}

std::wstring DefaultLogFolder()
{
    std::wstring base;
    if (const DWORD size = GetEnvironmentVariableW(L"LOCALAPPDATA", nullptr, 0); size > 1) {
        base.resize(size);
        base.resize(GetEnvironmentVariableW(L"LOCALAPPDATA", base.data(), size));
    }
    if (base.empty()) {
        wchar_t path[MAX_PATH] = {};
        if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path)))
            base = path;
    }
    if (!base.empty() && base.back() != L'\\')
        base += L'\\';
    return base + L"Caller ID Test\\Logs";
}

bool EnsureFolder(const std::wstring& folder)
{
    if (folder.empty())
        return false;
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            return true;
        SetLastError(ERROR_DIRECTORY);
        return false;
    }
    const size_t cut = folder.find_last_of(L"\\/");
    // A drive root ("C:") or a share needs no creating; anything above it is made first.
    if (cut != std::wstring::npos && cut > 0 && folder[cut - 1] != L':' && folder[cut - 1] != L'\\' &&
        !EnsureFolder(folder.substr(0, cut)))
        return false;
    return CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

TCallLog::TCallLog(std::wstring folder, TClock clock) : FFolder(std::move(folder)), FClock(std::move(clock)) {}

SYSTEMTIME TCallLog::Now() const
{
    if (FClock)
        return FClock();
    SYSTEMTIME now;
    GetLocalTime(&now);
    return now;
}

void TCallLog::Add(TLogKind kind, const std::vector<std::pair<TLogColumn, std::wstring>>& fields)
{
    const SYSTEMTIME now = Now();
    std::vector<std::wstring> row(lcCount);
    row[lcTime] = LogTimeText(now);
    row[lcKind] = LogKindText(kind);
    for (const auto& [column, value] : fields)
        row[column] = value;
    // Bounded: a log that cannot be written for days must not take the machine's memory. The
    // oldest rows go; how many is said once writing works again, where they would have been.
    if (FWaiting.size() >= MaxWaiting) {
        FLastDropped = FWaiting.front().Time;
        FWaiting.pop_front();
        ++FDropped;
    }
    FWaiting.push_back({now, CsvRow(row)});
}

void TCallLog::AddCall(const std::wstring& line, const std::wstring& callerNumber, const std::wstring& serial,
                       const std::wstring& callNumber)
{
    Add(TLogKind::lkCall,
        {{lcLine, line}, {lcCallerNumber, callerNumber}, {lcSerial, serial}, {lcCallNumber, callNumber}});
}

void TCallLog::AddConnected(const std::wstring& model, const std::wstring& serial)
{
    Add(TLogKind::lkConnected, {{lcModel, model}, {lcSerial, serial}});
}

void TCallLog::AddGone() { Add(TLogKind::lkGone, {}); }
void TCallLog::AddError(const std::wstring& message) { Add(TLogKind::lkError, {{lcMessage, message}}); }
void TCallLog::AddListCleared() { Add(TLogKind::lkListCleared, {}); }
void TCallLog::AddLogFileNote(const std::wstring& message) { Add(TLogKind::lkLogFile, {{lcMessage, message}}); }

std::string TCallLog::DroppedRowText() const
{
    std::vector<std::wstring> row(lcCount);
    row[lcTime] = LogTimeText(FLastDropped);
    row[lcKind] = LogKindText(TLogKind::lkLogFile);
    row[lcMessage] = std::to_wstring(FDropped) + L" satır yazılamadan atıldı: bekleyen satırlar " +
                     std::to_wstring(MaxWaiting) + L" sınırını aştı";
    return CsvRow(row);
}

bool TCallLog::AppendWhole(HANDLE file, const std::string& text, DWORD& error)
{
    LARGE_INTEGER end{};
    if (!SetFilePointerEx(file, LARGE_INTEGER{}, &end, FILE_END)) {
        error = GetLastError();
        return false;
    }
    DWORD written = 0;
    if (WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) && written == text.size())
        return true;
    error = written == text.size() ? ERROR_WRITE_FAULT : GetLastError();
    if (error == ERROR_SUCCESS)
        error = ERROR_HANDLE_DISK_FULL;
    // A short write (a full disk) would leave half a row that every later row is glued to:
    // cut the file back to where the row began.
    SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
    SetEndOfFile(file);
    return false;
}

bool TCallLog::WriteWaiting(DWORD& error, std::wstring& failedFile)
{
    if (!EnsureFolder(FFolder)) {
        error = GetLastError();
        failedFile = FFolder;
        return false;
    }
    TFileHandle file;
    SYSTEMTIME fileDay{};
    while (FDropped > 0 || !FWaiting.empty()) {
        const bool dropNote = FDropped > 0;
        const SYSTEMTIME time = dropNote ? FLastDropped : FWaiting.front().Time;
        if (!file || !SameDay(time, fileDay)) {
            if (file)
                FlushFileBuffers(file.get());
            file.reset();
            const std::wstring path = FFolder + L"\\" + LogFileName(time);
            // Others may read the file while it is open here, never write it; it is closed
            // after each flush so that a spreadsheet can open it between polls.
            HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
            if (h == INVALID_HANDLE_VALUE) {
                error = GetLastError();
                failedFile = path;
                return false;
            }
            file.reset(h);
            fileDay = time;
            LARGE_INTEGER size{};
            // An empty file (new, or one whose start was cut back) begins with the header.
            if (!GetFileSizeEx(h, &size) || (size.QuadPart == 0 && !AppendWhole(h, CsvFileStart(), error))) {
                if (error == 0)
                    error = GetLastError();
                failedFile = path;
                return false;
            }
        }
        const std::string text = dropNote ? DroppedRowText() : FWaiting.front().Text;
        if (!AppendWhole(file.get(), text, error)) {
            failedFile = FFolder + L"\\" + LogFileName(time);
            return false;
        }
        if (dropNote)
            FDropped = 0;
        else
            FWaiting.pop_front();
    }
    if (file)
        FlushFileBuffers(file.get());
    return true;
}

TCallLog::TFlushResult TCallLog::Flush()
{
    TFlushResult result;
    if (FDropped == 0 && FWaiting.empty())
        return result;
    DWORD error = 0;
    if (WriteWaiting(error, result.File)) {
        if (FFailing)
            result.Change = TFlushChange::fcWorksAgain;
        FFailing = false;
        result.File.clear();
        return result;
    }
    result.Error = error;
    if (!FFailing)
        result.Change = TFlushChange::fcStartedFailing;
    FFailing = true;
    return result;
}
