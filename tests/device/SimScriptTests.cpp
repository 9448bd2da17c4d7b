// The simulator's script parser: the format, its ordering rules, and how bad lines are reported,
// also for ten thousand mutated scripts.
#include "device/simulator/SimScript.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

using namespace dalvexsim;
using testsupport::Narrow;

namespace {

std::string Joined(const std::vector<std::wstring>& lines)
{
    std::wstring all;
    for (const auto& l : lines)
        all += l + L"\n";
    return Narrow(all);
}

TEST(SimScript, ReadsEveryActionWithItsWordsAndRunsThemInTimeOrder)
{
    std::vector<std::wstring> problems;
    TScript s = ParseScript(L"\xFEFF# a comment\r\n"
                            L"\r\n"
                            L"AT 2000 call 3 05321234567 \"08.12 10:00\" \"say \"\"hi\"\"\"\r\n"
                            L"at 1000 plug DLX-4 \"SN 1\"\n"
                            L"   at 2000   levels 0 15 45 -2 a b c d\n"
                            L"at 2500 fail 0x80070005\n"
                            L"at 2600 fail -2147467259\n"
                            L"at 3000 unplug\n"
                            L"at 9000 repeat",
                            problems);
    EXPECT_TRUE(problems.empty()) << Joined(problems);
    ASSERT_EQ(7u, s.Actions.size());
    EXPECT_EQ(TActionKind::Plug, s.Actions[0].Kind);
    EXPECT_EQ(1000u, s.Actions[0].AtMs);
    EXPECT_EQ((std::vector<std::wstring>{L"DLX-4", L"SN 1"}), s.Actions[0].Args);
    // Same time: as written.
    EXPECT_EQ(TActionKind::Call, s.Actions[1].Kind);
    EXPECT_EQ((std::vector<std::wstring>{L"3", L"05321234567", L"08.12 10:00", L"say \"hi\""}), s.Actions[1].Args);
    EXPECT_EQ(3, s.Actions[1].SourceLine);
    EXPECT_EQ(TActionKind::Levels, s.Actions[2].Kind);
    EXPECT_EQ(8u, s.Actions[2].Args.size());
    EXPECT_EQ(L"-2", s.Actions[2].Args[3]) << "levels are passed on as written";
    EXPECT_EQ(static_cast<HRESULT>(0x80070005), s.Actions[3].Code);
    EXPECT_EQ(static_cast<HRESULT>(0x80004005), s.Actions[4].Code);
    EXPECT_EQ(TActionKind::Unplug, s.Actions[5].Kind);
    EXPECT_EQ(TActionKind::Repeat, s.Actions[6].Kind);
    EXPECT_EQ(9000u, s.Actions[6].AtMs);
}

TEST(SimScript, BadLinesAreReportedWithTheirNumbersAndSkipped)
{
    std::vector<std::wstring> problems;
    TScript s = ParseScript(L"at 10 plug M S\n"
                            L"plug M S\n"                 // 2: no time
                            L"at soon unplug\n"           // 3
                            L"at 10 ring 1 5\n"           // 4
                            L"at 10 call 5 123\n"         // 5: no line 5
                            L"at 10 call 1\n"             // 6: no number
                            L"at 10 levels 1 2 3\n"       // 7
                            L"at 10 fail oops\n"          // 8
                            L"at 10 plug \"M S\n"         // 9: open quote
                            L"at 0 repeat\n"              // 10: would spin
                            L"at 99999999999 unplug\n"    // 11: out of range
                            L"at 50 repeat\n"
                            L"at 60 call 1 late\n"        // 13: after the repeat
                            L"at 20 call 2 \"\"\n",
                            problems);
    ASSERT_EQ(11u, problems.size()) << Joined(problems);
    const wchar_t* expected[] = {L"line 2: expected",       L"line 3: 'soon'",   L"line 4: unknown action 'ring'",
                                 L"line 5: the line",       L"line 6: 'call'",   L"line 7: 'levels'",
                                 L"line 8: 'oops'",         L"line 9: a quoted", L"line 10: 'repeat'",
                                 L"line 11: '99999999999'", L"line 13: never reached"};
    for (size_t i = 0; i < problems.size(); ++i)
        EXPECT_EQ(0u, problems[i].rfind(expected[i], 0)) << Narrow(problems[i]);
    ASSERT_EQ(3u, s.Actions.size()) << "the good lines survive";
    EXPECT_EQ(TActionKind::Plug, s.Actions[0].Kind);
    EXPECT_EQ(L"", s.Actions[1].Args[1]) << "an empty number is a number all the same";
    EXPECT_EQ(TActionKind::Repeat, s.Actions[2].Kind);
}

TEST(SimScript, FailuresAimAtOneMethodAndCreateLinesRunBeforeStart)
{
    std::vector<std::wstring> problems;
    TScript s = ParseScript(L"at create fail Start\n"
                            L"at create fail visible 0x80070005\n"
                            L"at create plug M S\n"
                            L"at 10 fail GetInfo serial\n"
                            L"at 10 fail GetInfo devicemodel -2147024891\n"
                            L"at 10 fail ShowSettings 5\n"           // 6: not a failure
                            L"at 10 fail Start serial\n"             // 7: only GetInfo takes a name
                            L"at 10 fail GetInfo a b\n"              // 8
                            L"at create call 1 5\n"                  // 9: nothing is heard before Start
                            L"at 20 disconnect\n"
                            L"at 20 disconnect now\n"                // 11
                            L"at later fail Start\n",                // 12
                            problems);
    ASSERT_EQ(6u, problems.size()) << Joined(problems);
    const wchar_t* expected[] = {L"line 6: '5' is not a failure", L"line 7: 'serial' is not an HRESULT",
                                 L"line 8: 'b' is not an HRESULT", L"line 9: 'call' cannot run at create",
                                 L"line 11: 'disconnect' needs",   L"line 12: 'later' is not a time"};
    for (size_t i = 0; i < problems.size(); ++i)
        EXPECT_EQ(0u, problems[i].rfind(expected[i], 0)) << Narrow(problems[i]);

    ASSERT_EQ(3u, s.AtCreate.size());
    EXPECT_EQ(L"Start", s.AtCreate[0].Method);
    EXPECT_EQ(E_FAIL, s.AtCreate[0].Code) << "a failure aimed at a method defaults to E_FAIL";
    EXPECT_EQ(L"Visible", s.AtCreate[1].Method) << "method names are matched without regard to case";
    EXPECT_EQ(static_cast<HRESULT>(0x80070005), s.AtCreate[1].Code);
    EXPECT_EQ(TActionKind::Plug, s.AtCreate[2].Kind);
    ASSERT_EQ(3u, s.Actions.size());
    EXPECT_EQ(L"GetInfo", s.Actions[0].Method);
    EXPECT_EQ(L"serial", s.Actions[0].InfoName);
    EXPECT_EQ(E_FAIL, s.Actions[0].Code);
    EXPECT_EQ(L"devicemodel", s.Actions[1].InfoName);
    EXPECT_EQ(static_cast<HRESULT>(0x80070005), s.Actions[1].Code);
    EXPECT_EQ(TActionKind::Disconnect, s.Actions[2].Kind);
}

TEST(SimScript, AFailureMarkedAlwaysStaysArmed)
{
    std::vector<std::wstring> problems;
    TScript s = ParseScript(L"at create fail Start always\n"
                            L"at create fail GetInfo serial 0x80070005 ALWAYS\n"
                            L"at create fail 0x8000FFFF always\n"
                            L"at create fail Visible\n"
                            L"at create fail always\n"                // 5: fails what?
                            L"at create fail Start always always\n",  // 6
                            problems);
    ASSERT_EQ(2u, problems.size()) << Joined(problems);
    EXPECT_EQ(0u, problems[0].rfind(L"line 5: 'fail' needs", 0)) << Narrow(problems[0]);
    EXPECT_EQ(0u, problems[1].rfind(L"line 6: 'always' is not an HRESULT", 0)) << Narrow(problems[1]);
    ASSERT_EQ(4u, s.AtCreate.size());
    EXPECT_TRUE(s.AtCreate[0].Always);
    EXPECT_EQ(L"Start", s.AtCreate[0].Method);
    EXPECT_EQ(E_FAIL, s.AtCreate[0].Code);
    EXPECT_TRUE(s.AtCreate[1].Always);
    EXPECT_EQ(L"serial", s.AtCreate[1].InfoName);
    EXPECT_EQ(static_cast<HRESULT>(0x80070005), s.AtCreate[1].Code);
    EXPECT_TRUE(s.AtCreate[2].Always);
    EXPECT_EQ(static_cast<HRESULT>(0x8000FFFF), s.AtCreate[2].Code);
    EXPECT_FALSE(s.AtCreate[3].Always) << "without the word a failure fails one call";
}

// Lines that are valid, from the demonstration script and the fault commands.
std::vector<std::wstring> ValidLines()
{
    std::vector<std::wstring> lines;
    HANDLE file = CreateFileW(CALLERID_DEMO_SCRIPT, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, file) << "the demonstration script of the source tree";
    if (file == INVALID_HANDLE_VALUE)
        return lines;
    std::string bytes(65536, '\0');
    DWORD read = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    bytes.resize(read);
    std::wstring text(bytes.size(), L'\0');
    text.resize(MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(),
                                    static_cast<int>(text.size())));
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = std::min(text.find(L'\n', pos), text.size());
        std::wstring line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == L'\r')
            line.pop_back();
        if (line.rfind(L"at ", 0) == 0 && line.find(L"repeat") == std::wstring::npos)
            lines.push_back(line);
    }
    lines.insert(lines.end(), {L"at create fail Start", L"at create fail Visible 0x80004005",
                               L"at 100 fail GetInfo serial", L"at 150 fail 0x8000FFFF", L"at 26000 disconnect",
                               L"at 27000 call 2 \"0 (212) \"\"555\"\"\" \"08.12 10:00\" other"});
    return lines;
}

// Breaks one line the ways a person editing a script by hand does, and worse.
std::wstring MutateLine(std::wstring line, std::mt19937& rng)
{
    auto pick = [&](size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng); };
    static const wchar_t* const words[] = {
        L"at", L"create", L"-1", L"99999999999", L"4294967296", L"0x", L"0xFFFFFFFFF", L"0x80004005", L"call",
        L"levels", L"fail", L"repeat", L"disconnect", L"plug", L"unplug", L"Start", L"GetInfo", L"Visible",
        L"ShowSettings", L"serial", L"5", L"0", L"\"", L"\"\"", L"\"a b", L"#", L"\x01", L"\xD800", L"\u00E7",
        L"\t", L"", L"1e3", L"+5", L"ring"};
    std::vector<std::wstring> parts;
    std::wstring problem;
    if (!SplitWords(line, parts, problem) || parts.empty())
        parts = {line};
    switch (pick(7)) {
    case 0: line.resize(pick(line.size() + 1)); return line;
    case 1: line.insert(pick(line.size() + 1), 1, L"\"#\t\x01\xD800\x7F\\ \0"[pick(9)]); return line;
    case 2: parts[pick(parts.size())] = words[pick(std::size(words))]; break;
    case 3: parts.erase(parts.begin() + static_cast<std::ptrdiff_t>(pick(parts.size()))); break;
    case 4: parts.insert(parts.begin() + static_cast<std::ptrdiff_t>(pick(parts.size() + 1)), words[pick(std::size(words))]); break;
    case 5: std::swap(parts[pick(parts.size())], parts[pick(parts.size())]); break;
    default: return std::wstring(L"at ") + std::to_wstring(pick(3000)) + L" repeat";
    }
    std::wstring out;
    for (const std::wstring& p : parts)
        out += (out.empty() ? L"" : L" ") + p;
    return out;
}

TEST(SimScript, TenThousandMutatedScriptsReportEveryBadLineByNumberAndKeepTheRest)
{
    const std::vector<std::wstring> valid = ValidLines();
    ASSERT_GE(valid.size(), 20u);
    std::mt19937 rng(1208);
    auto pick = [&](size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng); };
    int failures = 0, badLines = 0, goodLines = 0;
    for (int c = 0; c < 10000 && failures < 10; ++c) {
        // A script of valid lines, some of them broken, with blank and comment lines between.
        std::vector<std::wstring> lines;
        std::vector<bool> mutated;
        const size_t n = 1 + pick(30);
        for (size_t i = 0; i < n; ++i) {
            switch (pick(12)) {
            case 0: lines.push_back(pick(2) ? L"" : L"  # a comment"); mutated.push_back(false); break;
            case 1:
            case 2:
            case 3: lines.push_back(MutateLine(valid[pick(valid.size())], rng)); mutated.push_back(true); break;
            default: lines.push_back(valid[pick(valid.size())]); mutated.push_back(false); break;
            }
        }
        std::wstring text;
        for (size_t i = 0; i < lines.size(); ++i)
            text += lines[i] + (i + 1 < lines.size() ? (pick(2) ? L"\r\n" : L"\n") : L"");

        std::vector<std::wstring> problems;
        TScript script = ParseScript(text, problems);

        std::map<int, int> reported, parsed;
        std::map<int, bool> unreached;
        std::string why;
        for (const std::wstring& p : problems) {
            int number = 0;
            if (swscanf(p.c_str(), L"line %d: ", &number) != 1 || number < 1 || number > static_cast<int>(lines.size()) ||
                p.find(L": ") == std::wstring::npos || p.size() <= p.find(L": ") + 2)
                why += "a problem that names no line of the script: " + Narrow(p) + "\n";
            ++reported[number];
            if (p.find(L"never reached") != std::wstring::npos)
                unreached[number] = true;
        }
        for (const TAction& a : script.Actions)
            ++parsed[a.SourceLine];
        for (const TAction& a : script.AtCreate)
            ++parsed[a.SourceLine];
        for (size_t i = 0; i < lines.size(); ++i) {
            const int number = static_cast<int>(i) + 1;
            std::vector<std::wstring> words;
            std::wstring problem;
            const bool blank = SplitWords(lines[i], words, problem) && (words.empty() || words[0][0] == L'#');
            const int outcomes = reported[number] + parsed[number];
            if (outcomes != (blank ? 0 : 1))
                why += "line " + std::to_string(number) + " (" + Narrow(lines[i]) + ") was reported " +
                       std::to_string(reported[number]) + " times and kept " + std::to_string(parsed[number]) + " times\n";
            if (!mutated[i] && !blank && parsed[number] == 0 && !unreached[number])
                why += "the good line " + std::to_string(number) + " (" + Narrow(lines[i]) + ") was lost\n";
            if (!blank)
                ++(reported[number] ? badLines : goodLines);
        }
        for (size_t i = 1; i < script.Actions.size(); ++i)
            if (script.Actions[i].AtMs < script.Actions[i - 1].AtMs || script.Actions[i - 1].Kind == TActionKind::Repeat)
                why += "the actions are not in time order with a repeat only at the end\n";
        if (!why.empty()) {
            ++failures;
            ADD_FAILURE() << "script " << c << ":\n" << Narrow(text) << "\n--\n" << why;
        }
    }
    EXPECT_GT(badLines, 10000) << "the mutations break lines";
    EXPECT_GT(goodLines, 10000);
}

} // namespace
