// Reading the program's log files back as a spreadsheet would: UTF-8 with a byte-order mark,
// ';' between fields, CR LF after each row, RFC 4180 quotes. Written apart from the program's
// writer, so that a test compares what a reader gets, not what the writer meant.
#pragma once

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace testsupport {

struct TCsvFile {
    bool Read = false;     // the file could be opened
    bool Bom = false;      // it starts with the UTF-8 byte-order mark
    bool Wellformed = true; // every row ended with CR LF, quotes closed, nothing after a closing quote
    std::vector<std::vector<std::wstring>> Rows;
};

inline std::wstring FromUtf8(const std::string& text)
{
    if (text.empty())
        return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
    return out;
}

inline TCsvFile ReadCsvFile(const std::wstring& path)
{
    TCsvFile file;
    std::ifstream in(path.c_str(), std::ios::binary);
    if (!in)
        return file;
    file.Read = true;
    std::stringstream buffer;
    buffer << in.rdbuf();
    std::string bytes = buffer.str();
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) {
        file.Bom = true;
        bytes.erase(0, 3);
    }
    const std::wstring text = FromUtf8(bytes);
    std::vector<std::wstring> row;
    std::wstring field;
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] == L'"' && field.empty()) {
            // A quoted field runs to the quote that is not doubled.
            ++i;
            bool closed = false;
            while (i < text.size()) {
                if (text[i] == L'"') {
                    if (i + 1 < text.size() && text[i + 1] == L'"') {
                        field += L'"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                field += text[i++];
            }
            if (!closed || (i < text.size() && text[i] != L';' && text[i] != L'\r'))
                file.Wellformed = false;
            continue;
        }
        if (text[i] == L';') {
            row.push_back(std::move(field));
            field.clear();
            ++i;
        } else if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') {
            row.push_back(std::move(field));
            field.clear();
            file.Rows.push_back(std::move(row));
            row.clear();
            i += 2;
        } else {
            if (text[i] == L'\r' || text[i] == L'\n')
                file.Wellformed = false; // a line break outside quotes that is not a row's end
            field += text[i++];
        }
    }
    if (!field.empty() || !row.empty())
        file.Wellformed = false; // the last row has no CR LF: half written
    return file;
}

// The field as written before the spreadsheet guard: one leading apostrophe is the guard's.
inline std::wstring Unguarded(const std::wstring& field)
{
    return !field.empty() && field.front() == L'\'' ? field.substr(1) : field;
}

} // namespace testsupport
