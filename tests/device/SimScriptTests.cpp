// The simulator's script parser: the format, its ordering rules, and how bad lines are reported.
#include "device/simulator/SimScript.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

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

} // namespace
