// The simulator's timed scripts: parsing the text into actions.
#include "device/simulator/SimScript.h"

#include <algorithm>
#include <cerrno>
#include <cwchar>
#include <cwctype>

namespace dalvexsim {

namespace {

bool SameWord(const std::wstring& a, const wchar_t* b) { return _wcsicmp(a.c_str(), b) == 0; }

// Unsigned decimal milliseconds, at most about 24 days so that times stay in 32 bits.
bool ParseMs(const std::wstring& text, unsigned& value)
{
    if (text.empty() || text.size() > 10)
        return false;
    unsigned long long v = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9')
            return false;
        v = v * 10 + (c - L'0');
    }
    if (v > 0x7FFFFFFFull)
        return false;
    value = static_cast<unsigned>(v);
    return true;
}

// An HRESULT as 0x-prefixed hexadecimal or signed decimal, in 32 bits.
bool ParseHResult(const std::wstring& text, HRESULT& value)
{
    if (text.empty())
        return false;
    wchar_t* end = nullptr;
    errno = 0;
    if (text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) {
        unsigned long long v = wcstoull(text.c_str() + 2, &end, 16);
        if (*end != 0 || errno != 0 || v > 0xFFFFFFFFull || !iswxdigit(text[2]))
            return false;
        value = static_cast<HRESULT>(static_cast<unsigned long>(v));
        return true;
    }
    long long v = wcstoll(text.c_str(), &end, 10);
    if (*end != 0 || errno != 0 || v < -2147483648LL || v > 4294967295LL || iswspace(text[0]))
        return false;
    value = static_cast<HRESULT>(static_cast<unsigned long>(v));
    return true;
}

std::wstring Problem(int line, const std::wstring& what) { return L"line " + std::to_wstring(line) + L": " + what; }

// The methods a failure can be aimed at, as the host calls them.
const wchar_t* const kMethods[] = {L"Visible", L"Start", L"GetInfo", L"ShowSettings"};

// "fail <hresult>", or "fail <method> [<name>] [<hresult>]" where only GetInfo takes a name,
// either followed by "always" for a failure that stays armed. A failure aimed at a method
// defaults to E_FAIL.
std::wstring CheckFail(TAction& action, std::vector<std::wstring> args)
{
    const wchar_t* usage = L"'fail' needs an HRESULT, or a method (Visible, Start, GetInfo or ShowSettings) "
                           L"and at most a GetInfo name and an HRESULT, and then at most 'always'";
    if (!args.empty() && SameWord(args.back(), L"always")) {
        action.Always = true;
        args.pop_back();
    }
    if (args.empty() || args.size() > 3)
        return usage;
    size_t next = 0;
    action.Code = E_FAIL;
    for (const wchar_t* method : kMethods)
        if (SameWord(args[0], method)) {
            action.Method = method;
            next = 1;
        }
    if (next == 1 && action.Method == L"GetInfo" && next < args.size() && !ParseHResult(args[next], action.Code)) {
        action.InfoName = args[next];
        action.Code = E_FAIL;
        ++next;
    }
    if (next < args.size()) {
        if (!ParseHResult(args[next], action.Code)) {
            if (next == 0 && args.size() == 1)
                return L"'" + args[0] + L"' is not an HRESULT (write 0x80004005 or a decimal number) nor a method "
                                        L"(Visible, Start, GetInfo or ShowSettings)";
            return L"'" + args[next] + L"' is not an HRESULT (write 0x80004005 or a decimal number)";
        }
        ++next;
    }
    if (next != args.size())
        return usage;
    if (SUCCEEDED(action.Code))
        return L"'" + args[next - 1] + L"' is not a failure: a failing HRESULT has its top bit set";
    return std::wstring();
}

// Checks one action's words (after "at <ms> <command>"); empty when they fit.
std::wstring CheckArgs(TAction& action, const std::wstring& command, std::vector<std::wstring>& args)
{
    auto count = [&](size_t low, size_t high, const wchar_t* usage) -> std::wstring {
        if (args.size() < low || args.size() > high)
            return std::wstring(L"'") + command + L"' needs " + usage;
        return std::wstring();
    };
    std::wstring bad;
    switch (action.Kind) {
    case TActionKind::Plug: bad = count(2, 2, L"a model and a serial number"); break;
    case TActionKind::Unplug:
    case TActionKind::Repeat: bad = count(0, 0, L"nothing after it"); break;
    case TActionKind::Call:
        bad = count(2, 4, L"a line, a number and at most a date-time and another text");
        if (bad.empty() && (args[0].size() != 1 || args[0][0] < L'1' || args[0][0] > L'4'))
            bad = L"the line of a call must be 1, 2, 3 or 4, not '" + args[0] + L"'";
        break;
    case TActionKind::Levels: bad = count(4, 8, L"four to eight levels"); break;
    case TActionKind::Fail: bad = CheckFail(action, args); break;
    case TActionKind::Disconnect: bad = count(0, 0, L"nothing after it"); break;
    }
    action.Args = std::move(args);
    return bad;
}

} // namespace

bool SplitWords(const std::wstring& line, std::vector<std::wstring>& words, std::wstring& problem)
{
    words.clear();
    size_t i = 0;
    const size_t n = line.size();
    for (;;) {
        while (i < n && iswspace(line[i]))
            ++i;
        if (i >= n)
            return true;
        std::wstring word;
        if (line[i] == L'"') {
            ++i;
            for (;;) {
                if (i >= n) {
                    problem = L"a quoted text is not closed";
                    return false;
                }
                if (line[i] == L'"') {
                    if (i + 1 < n && line[i + 1] == L'"') {
                        word += L'"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                word += line[i++];
            }
        } else {
            while (i < n && !iswspace(line[i]))
                word += line[i++];
        }
        words.push_back(std::move(word));
    }
}

TScript ParseScript(const std::wstring& text, std::vector<std::wstring>& problems)
{
    TScript script;
    int lineNo = 0;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find(L'\n', pos);
        if (end == std::wstring::npos)
            end = text.size();
        std::wstring line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNo;
        if (!line.empty() && line.back() == L'\r')
            line.pop_back();
        if (lineNo == 1 && !line.empty() && line[0] == 0xFEFF)
            line.erase(0, 1);

        std::vector<std::wstring> words;
        std::wstring problem;
        if (!SplitWords(line, words, problem)) {
            problems.push_back(Problem(lineNo, problem));
            continue;
        }
        if (words.empty() || words[0][0] == L'#')
            continue;
        if (!SameWord(words[0], L"at") || words.size() < 3) {
            problems.push_back(Problem(lineNo, L"expected 'at <milliseconds> <action>'"));
            continue;
        }
        TAction action;
        action.SourceLine = lineNo;
        const bool atCreate = SameWord(words[1], L"create");
        if (!atCreate && !ParseMs(words[1], action.AtMs)) {
            problems.push_back(Problem(lineNo, L"'" + words[1] + L"' is not a time in milliseconds nor 'create'"));
            continue;
        }
        const std::wstring& command = words[2];
        if (SameWord(command, L"plug"))
            action.Kind = TActionKind::Plug;
        else if (SameWord(command, L"unplug"))
            action.Kind = TActionKind::Unplug;
        else if (SameWord(command, L"call"))
            action.Kind = TActionKind::Call;
        else if (SameWord(command, L"levels"))
            action.Kind = TActionKind::Levels;
        else if (SameWord(command, L"fail"))
            action.Kind = TActionKind::Fail;
        else if (SameWord(command, L"repeat"))
            action.Kind = TActionKind::Repeat;
        else if (SameWord(command, L"disconnect"))
            action.Kind = TActionKind::Disconnect;
        else {
            problems.push_back(Problem(lineNo, L"unknown action '" + command +
                                                   L"' (plug, unplug, call, levels, fail, disconnect or repeat)"));
            continue;
        }
        std::vector<std::wstring> args(words.begin() + 3, words.end());
        std::wstring bad = CheckArgs(action, command, args);
        if (!bad.empty()) {
            problems.push_back(Problem(lineNo, bad));
            continue;
        }
        if (atCreate) {
            // Before Start the device is not opened: nothing it would report can be heard.
            if (action.Kind == TActionKind::Call || action.Kind == TActionKind::Levels ||
                action.Kind == TActionKind::Repeat) {
                problems.push_back(Problem(lineNo, L"'" + command + L"' cannot run at create, before Start"));
                continue;
            }
            script.AtCreate.push_back(std::move(action));
            continue;
        }
        if (action.Kind == TActionKind::Repeat && action.AtMs == 0) {
            // It would start over without ever waiting.
            problems.push_back(Problem(lineNo, L"'repeat' needs a time after 0"));
            continue;
        }
        script.Actions.push_back(std::move(action));
    }

    std::stable_sort(script.Actions.begin(), script.Actions.end(),
                     [](const TAction& a, const TAction& b) { return a.AtMs < b.AtMs; });
    auto repeat = std::find_if(script.Actions.begin(), script.Actions.end(),
                               [](const TAction& a) { return a.Kind == TActionKind::Repeat; });
    if (repeat != script.Actions.end()) {
        for (auto it = repeat + 1; it != script.Actions.end(); ++it)
            problems.push_back(Problem(it->SourceLine, L"never reached: the script repeats at " +
                                                           std::to_wstring(repeat->AtMs) + L" ms"));
        script.Actions.erase(repeat + 1, script.Actions.end());
    }
    return script;
}

} // namespace dalvexsim
