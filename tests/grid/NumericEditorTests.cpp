// The numeric editor's typing, reading and showing rules, and the spin editor: typed under the
// locale's decimal separator (run under LC_ALL=tr_TR.UTF-8 it is ","), spin bounds, keys, wheel
// and the button's repeat timing.
#include "EditingTestSupport.h"

#include "grid/editors/NumericEditors.h"

#include <gtest/gtest.h>

#include <vector>

using namespace grid;
using namespace gridtest;

namespace {

const TEditOptions kDefault{TEditOption::eoAllowFloat, TEditOption::eoAllowSigns};

// Types one character at a time, as the filter sees each keystroke.
std::wstring TypeEach(const std::wstring& keys, TEditOptions options, wchar_t sep, int caretAtStart = -1)
{
    std::wstring text;
    for (wchar_t k : keys) {
        int caret = caretAtStart >= 0 ? caretAtStart : static_cast<int>(text.size());
        if (NumericKeyAccepted(k, text, caret, options, sep))
            text.insert(static_cast<size_t>(caret), 1, k);
    }
    return text;
}

struct TSpinOnGrid : TEditingGrid {
    TSpinEditor* editor = nullptr;
    HWND wnd = nullptr;
    TSpinOnGrid()
    {
        grid->OpenCellEditor(3, 0, L"");
        editor = dynamic_cast<TSpinEditor*>(grid->Editor());
        if (editor != nullptr)
            wnd = editor->Handle();
    }
};

} // namespace

TEST(NumericRules, TypingKeepsOneSeparatorAndALeadingSign)
{
    const wchar_t sep = L',';
    EXPECT_EQ(N(TypeEach(L"1,5,", kDefault, sep)), "1,5") << "the second separator is dropped";
    EXPECT_EQ(N(TypeEach(L"12a-", kDefault, sep)), "12") << "letters, and a sign after the start, are dropped";
    EXPECT_FALSE(NumericKeyAccepted(L'-', L"12", 2, kDefault, sep));
    EXPECT_TRUE(NumericKeyAccepted(L'-', L"12", 0, kDefault, sep)) << "a sign at the caret 0 without one present";
    EXPECT_FALSE(NumericKeyAccepted(L'+', L"-12", 0, kDefault, sep));
    EXPECT_FALSE(NumericKeyAccepted(L',', L"1", 1, TEditOptions{TEditOption::eoAllowSigns}, sep));
    EXPECT_FALSE(NumericKeyAccepted(L'-', L"1", 0, TEditOptions{TEditOption::eoAllowFloat}, sep));
    for (wchar_t control : {L'\x03', L'\x09', L'\x16', L'\x18', L'\x08'})
        EXPECT_TRUE(NumericKeyAccepted(control, L"1", 1, kDefault, sep)) << int(control);
    EXPECT_TRUE(NumericKeyAccepted(L'x', L"1", 1, TEditOptions{TEditOption::eoAllowAll}, sep));

    EXPECT_EQ(N(FilterNumericText(L"-1,2,3a", sep, true, true)), "-1,23");
    EXPECT_EQ(N(FilterNumericText(L"1-2", sep, true, true)), "12");
    EXPECT_EQ(N(FilterNumericText(L"1,5", sep, false, true)), "15");
    EXPECT_EQ(N(FilterNumericText(L"", sep, true, true)), "");
}

TEST(NumericRules, ReadingIgnoresTheTextAfterAndTheNullText)
{
    const wchar_t sep = L',';
    EXPECT_EQ(ReadNumericValue(L"3,00 m2", kDefault, L"", L" m2", sep), 3.0)
        << "the digits of the unit are not part of the number";
    EXPECT_EQ(ReadNumericValue(L"yok", kDefault, L"yok", L"", sep), 0.0);
    EXPECT_EQ(ReadNumericValue(L"10", kDefault, L"10", L"", sep), 0.0) << "the null text stands for 0";
    EXPECT_EQ(ReadNumericValue(L"-", kDefault, L"", L"", sep), 0.0) << "a lone sign reads as 0";
    EXPECT_EQ(ReadNumericValue(L",", kDefault, L"", L"", sep), 0.0) << "a lone separator reads as 0";
    EXPECT_EQ(ReadNumericValue(L"-,", kDefault, L"", L"", sep), 0.0);
    EXPECT_EQ(ReadNumericValue(L"", kDefault, L"", L"", sep), 0.0);
    EXPECT_EQ(ReadNumericValue(L"-2,5", kDefault, L"", L"", sep), -2.5);
    EXPECT_EQ(ReadNumericValue(L"-2,5", TEditOptions{}, L"", L"", sep), 25.0);

    EXPECT_EQ(N(ShowNumericValue(3, kDefault, 2, L"", L" m2", sep)), "3,00 m2");
    EXPECT_EQ(N(ShowNumericValue(0, kDefault, 2, L"yok", L" m2", sep)), "yok");
    EXPECT_EQ(N(ShowNumericValue(-1.26, kDefault, 1, L"", L"", sep)), "-1,3");
    // The separator asked for is the one written, in the general format as in the fixed one,
    // and no value is too long to be written whole.
    EXPECT_EQ(N(ShowNumericValue(2.5, kDefault, 0, L"", L"", L'.')), "2.5");
    EXPECT_EQ(N(ShowNumericValue(2.5, kDefault, 0, L"", L"", L',')), "2,5");
    EXPECT_EQ(N(ShowNumericValue(-1.26, kDefault, 1, L"", L"", L'.')), "-1.3");
    std::wstring huge = ShowNumericValue(-1e300, kDefault, 2, L"", L" m2", sep);
    EXPECT_EQ(huge.size(), 1 + 301 + 3 + 3u) << "sign, 301 digits, separator and two decimals, unit";
    EXPECT_EQ(N(huge.substr(huge.size() - 7)), "0,00 m2");
    EXPECT_EQ(N(ShowNumericValue(1e300, kDefault, 0, L"", L"", L'.')), "1E300");
}

TEST(NumericRules, PasteObeysTheTypingRules)
{
    const wchar_t sep = L',';
    EXPECT_EQ(N(NumericPasteText(L"-3", L"5", 0, kDefault, sep)), "-3");
    EXPECT_EQ(N(NumericPasteText(L"-3", L"-5", 0, kDefault, sep)), "3") << "no second sign";
    EXPECT_EQ(N(NumericPasteText(L"-3", L"5", 1, kDefault, sep)), "3") << "a sign only at the start";
    EXPECT_EQ(N(NumericPasteText(L"1,5", L"2,0", 1, kDefault, sep)), "15") << "no second separator";
    EXPECT_EQ(N(NumericPasteText(L"1\r\n2", L"", 0, kDefault, sep)), "12");
    EXPECT_EQ(N(NumericPasteText(L"a\r\nb", L"", 0, TEditOptions{TEditOption::eoAllowAll}, sep)), "a b")
        << "eoAllowAll pastes the text as it is, on one line";
}

TEST(NumericEditor, TypingUnderTheLocaleSeparatorAndCommitting)
{
    TSpinOnGrid g;
    ASSERT_NE(g.editor, nullptr) << "a numeric column opens a spin editor";
    const wchar_t sep = LocaleDecimalSeparator();
    if (PRIMARYLANGID(GetUserDefaultLangID()) == LANG_TURKISH) {
        EXPECT_EQ(sep, L',') << "the Turkish locale's decimal separator";
    }
    std::wstring s(1, sep);
    g.editor->SetText(L"");
    TypeText(g.wnd, L"1" + s + L"5" + s + L"x");
    EXPECT_EQ(N(g.editor->Text()), N(L"1" + s + L"5"));
    TypeText(g.wnd, L"-");
    EXPECT_EQ(N(g.editor->Text()), N(L"1" + s + L"5")) << "a sign after the start is dropped";
    g.editor->SetCaret(0);
    TypeText(g.wnd, L"-");
    EXPECT_EQ(N(g.editor->Text()), N(L"-1" + s + L"5"));
    EXPECT_EQ(g.editor->Value(), -1.5);
    PressKey(g.wnd, VK_RETURN);
    EXPECT_EQ(g.grid->Cell(3, 0)->AsFloat(), -1.5);

    // A paste goes through the same rules.
    g.grid->OpenCellEditor(3, 1, L"");
    ASSERT_EQ(g.grid->Editor(), g.editor);
    g.editor->SetText(L"7");
    g.editor->SetCaret(1);
    SetClipboard(L"-2" + s + L"5 kg");
    SendMessageW(g.wnd, WM_PASTE, 0, 0);
    EXPECT_EQ(N(g.editor->Text()), N(L"72" + s + L"5"));
}

TEST(NumericEditor, SettersKeepTheValueAndFocusLossTidiesALoneSign)
{
    TSpinOnGrid g;
    ASSERT_NE(g.editor, nullptr);
    std::wstring s(1, LocaleDecimalSeparator());
    g.editor->SetPrecision(2);
    g.editor->SetValue(3);
    g.editor->SetTextAfter(L" m2");
    EXPECT_EQ(N(g.editor->Text()), N(L"3" + s + L"00 m2"));
    EXPECT_EQ(g.editor->Value(), 3.0);
    g.editor->SetPrecision(1);
    EXPECT_EQ(N(g.editor->Text()), N(L"3" + s + L"0 m2")) << "precision re-shows the value, not the unit's digits";
    g.editor->SetNullText(L"yok");
    EXPECT_EQ(N(g.editor->Text()), N(L"3" + s + L"0 m2")) << "a null text does not wipe a value that is not 0";
    g.editor->SetValue(0);
    EXPECT_EQ(N(g.editor->Text()), "yok");
    EXPECT_EQ(g.editor->Value(), 0.0);
    g.editor->SetNullText(L"");
    g.editor->SetTextAfter(L"");
    g.editor->SetPrecision(0);

    g.editor->SetText(L"-");
    g.other->SetFocus();
    Drain();
    EXPECT_FALSE(g.grid->EditorOpen()) << "focus loss closed the editor without an error";
    EXPECT_EQ(N(g.editor->Text()), "0");
}

TEST(SpinEditor, BoundsKeysAndWheel)
{
    TSpinOnGrid g;
    ASSERT_NE(g.editor, nullptr);
    g.editor->SetMin(0);
    g.editor->SetMax(0);
    g.editor->SetValue(0);
    g.editor->Spin(spDown);
    EXPECT_EQ(g.editor->Value(), 0.0) << "-1 is below Min 0";
    for (int i = 0; i < 12; ++i)
        g.editor->Spin(spUp);
    EXPECT_EQ(g.editor->Value(), 12.0) << "Max 0 bounds nothing";
    g.editor->SetMax(10);
    g.editor->SetValue(10);
    g.editor->Spin(spUp);
    EXPECT_EQ(g.editor->Value(), 10.0) << "Max 10 holds";
    EXPECT_EQ(g.grid->Columns()->Items(3)->Editor(), g.editor);

    g.editor->SetValue(5);
    PostMessageW(g.wnd, WM_KEYDOWN, VK_UP, 1);
    Drain();
    EXPECT_EQ(g.editor->Value(), 6.0) << "Up spins once at once";
    TSpinButtons* buttons = g.editor->Buttons();
    EXPECT_EQ(buttons->PressedPart(), spUp);
    EXPECT_TRUE(buttons->DelayTimer()->Running());
    EXPECT_FALSE(buttons->RepeatTimer()->Running());
    for (int i = 0; i < 5; ++i)
        PostMessageW(g.wnd, WM_KEYDOWN, VK_UP, 1 | (1 << 30)); // the keyboard's autorepeat
    Drain();
    EXPECT_EQ(g.editor->Value(), 6.0) << "autorepeat adds nothing to the timer's repeat";
    buttons->DelayTimer()->OnTimer(buttons->DelayTimer());
    EXPECT_FALSE(buttons->DelayTimer()->Running());
    EXPECT_TRUE(buttons->RepeatTimer()->Running());
    EXPECT_EQ(buttons->RepeatTimer()->Interval(), 20u);
    buttons->RepeatTimer()->OnTimer(buttons->RepeatTimer());
    EXPECT_EQ(g.editor->Value(), 7.0);
    PostMessageW(g.wnd, WM_KEYUP, VK_UP, 0xC0000001);
    Drain();
    EXPECT_EQ(buttons->PressedPart(), spNone);
    EXPECT_FALSE(buttons->RepeatTimer()->Running());

    PostMessageW(g.wnd, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    Drain();
    EXPECT_EQ(g.editor->Value(), 6.0) << "a wheel step down spins down once";
    EXPECT_EQ(buttons->PressedPart(), spNone);
}

TEST(SpinEditor, HeldButtonRepeatsAfter400msThenEvery20ms)
{
    TSpinOnGrid g;
    ASSERT_NE(g.editor, nullptr);
    g.editor->SetMax(0);
    g.editor->SetValue(0);
    std::vector<DWORD> spins;
    g.editor->OnChange = [&](ui::TObject*) { spins.push_back(GetTickCount()); };
    TSpinButtons* buttons = g.editor->Buttons();
    HWND bw = buttons->Handle();
    EXPECT_EQ(buttons->Width(), GetSystemMetrics(SM_CXVSCROLL));
    PostMessageW(bw, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 1)); // upper half
    ASSERT_TRUE(testsupport::PumpUntil([&] { return spins.size() >= 8; }, 5000))
        << spins.size() << " spins; pressed part " << buttons->PressedPart() << ", delay timer "
        << buttons->DelayTimer()->Running() << ", repeat timer " << buttons->RepeatTimer()->Running();
    PostMessageW(bw, WM_LBUTTONUP, 0, MAKELPARAM(2, 1));
    Drain();
    size_t count = spins.size();
    ASSERT_GE(count, 8u);
    // Lower bounds only: a loaded machine may deliver timers late, never early.
    EXPECT_GE(spins[1] - spins[0], 380u) << "the first repeat waits 400 ms";
    EXPECT_GE((spins[count - 1] - spins[1]) / (count - 2), 15u) << "then one spin per 20 ms";
    EXPECT_EQ(g.editor->Value(), static_cast<double>(count));
    testsupport::PumpFor(100);
    EXPECT_EQ(spins.size(), count) << "the release stops the repeat";
    EXPECT_EQ(buttons->PressedPart(), spNone);
}
