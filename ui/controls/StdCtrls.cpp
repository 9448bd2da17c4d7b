// Standard controls: labels, edits, memos and group boxes.
#include "ui/controls/StdCtrls.h"

#include "ui/core/ClassBuilder.h"

#include <algorithm>
#include <map>

namespace ui {

template <>
const TEnumInfo& EnumInfoOf<TAlignment>()
{
    static const TEnumInfo info{L"TAlignment", {L"taLeftJustify", L"taRightJustify", L"taCenter"}};
    return info;
}

template <>
const TEnumInfo& EnumInfoOf<TTextLayout>()
{
    static const TEnumInfo info{L"TTextLayout", {L"tlTop", L"tlCenter", L"tlBottom"}};
    return info;
}

template <>
const TEnumInfo& EnumInfoOf<TScrollStyle>()
{
    static const TEnumInfo info{L"TScrollStyle", {L"ssNone", L"ssHorizontal", L"ssVertical", L"ssBoth"}};
    return info;
}

namespace {

// A memory context with a font selected, for measuring text without a window.
class TMeasureDC {
public:
    explicit TMeasureDC(TFont& font) : FDC(CreateCompatibleDC(nullptr)) { FOld = SelectObject(FDC, font.Handle()); }
    ~TMeasureDC()
    {
        SelectObject(FDC, FOld);
        DeleteDC(FDC);
    }
    TMeasureDC(const TMeasureDC&) = delete;
    TMeasureDC& operator=(const TMeasureDC&) = delete;
    operator HDC() const { return FDC; }

private:
    HDC FDC;
    HGDIOBJ FOld;
};

} // namespace

int FontLineHeight(TFont& font)
{
    // Group boxes ask on every paint; the answer depends only on the font's settings.
    static std::map<std::wstring, int> known;
    std::wstring key = font.SettingsKey();
    if (auto it = known.find(key); it != known.end())
        return it->second;
    TMeasureDC dc(font);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    if (known.size() >= 64)
        known.clear();
    known.emplace(std::move(key), tm.tmHeight);
    return tm.tmHeight;
}

// ---------------------------------------------------------------------------------------------
// TLabel

const TClassInfo& TLabel::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TLabel>(L"TLabel", &TGraphicControl::StaticClass())
        .Property(L"Alignment", &TLabel::Alignment, &TLabel::SetAlignment)
        .Property(L"AutoSize", &TLabel::AutoSize, &TLabel::SetAutoSize)
        .Property(L"Layout", &TLabel::Layout, &TLabel::SetLayout)
        .Property(L"ShowAccelChar", &TLabel::ShowAccelChar, &TLabel::SetShowAccelChar)
        .Property(L"Transparent", &TLabel::Transparent, &TLabel::SetTransparent)
        .Property(L"WordWrap", &TLabel::WordWrap, &TLabel::SetWordWrap)
        .Build();
    return info;
}

TLabel::TLabel(TComponent* AOwner) : TGraphicControl(AOwner) { SetBounds(0, 0, 65, 17); }

void TLabel::SetAutoSize(bool v)
{
    if (v == FAutoSize)
        return;
    FAutoSize = v;
    AdjustBounds();
}

void TLabel::SetAlignment(TAlignment v)
{
    if (v == FAlignment)
        return;
    FAlignment = v;
    Invalidate();
}

void TLabel::SetLayout(TTextLayout v)
{
    if (v == FLayout)
        return;
    FLayout = v;
    Invalidate();
}

void TLabel::SetTransparent(bool v)
{
    if (v == FTransparent)
        return;
    FTransparent = v;
    Invalidate();
}

void TLabel::SetWordWrap(bool v)
{
    if (v == FWordWrap)
        return;
    FWordWrap = v;
    AdjustBounds();
    Invalidate();
}

void TLabel::SetShowAccelChar(bool v)
{
    if (v == FShowAccelChar)
        return;
    FShowAccelChar = v;
    AdjustBounds();
    Invalidate();
}

UINT TLabel::TextFlags() const
{
    UINT flags = DT_EXPANDTABS;
    switch (FAlignment) {
    case TAlignment::taRightJustify: flags |= DT_RIGHT; break;
    case TAlignment::taCenter: flags |= DT_CENTER; break;
    default: flags |= DT_LEFT; break;
    }
    if (FWordWrap)
        flags |= DT_WORDBREAK;
    if (!FShowAccelChar)
        flags |= DT_NOPREFIX;
    return flags;
}

void TLabel::TextChanged()
{
    AdjustBounds();
    Invalidate();
}

void TLabel::FontChanged()
{
    AdjustBounds();
    Invalidate();
}

void TLabel::Loaded()
{
    TGraphicControl::Loaded();
    AdjustBounds();
}

void TLabel::AdjustBounds()
{
    if (!FAutoSize || IsLoading())
        return;
    TMeasureDC dc(*Font());
    // An empty caption still has the height of a line.
    std::wstring text = Caption().empty() ? std::wstring(L" ") : Caption();
    TRect r = Rect(0, 0, FWordWrap ? Width() : 0, 0);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, TextFlags() | DT_CALCRECT);
    int left = Left();
    if (FAlignment == TAlignment::taRightJustify)
        left += Width() - RectWidth(r);
    SetBounds(left, Top(), RectWidth(r), RectHeight(r));
}

void TLabel::Paint()
{
    TCanvas& c = Canvas();
    TRect r = ClientRect();
    if (!FTransparent) {
        c.Brush().SetColor(Color());
        c.FillRect(r);
    }
    c.Brush().SetStyle(TBrushStyle::bsClear);
    std::wstring text = Caption();
    UINT flags = TextFlags();
    if (FLayout != TTextLayout::tlTop) {
        TRect measured = r;
        c.DrawText(text.empty() ? std::wstring(L" ") : text, measured, flags | DT_CALCRECT);
        int dy = RectHeight(r) - RectHeight(measured);
        r.top += FLayout == TTextLayout::tlCenter ? dy / 2 : dy;
    }
    if (Enabled()) {
        c.DrawText(text, r, flags);
    } else {
        TColor original = c.Font().Color();
        TRect shadow = r;
        OffsetRect(&shadow, 1, 1);
        c.Font().SetColor(clBtnHighlight);
        c.DrawText(text, shadow, flags);
        c.Font().SetColor(clBtnShadow);
        c.DrawText(text, r, flags);
        c.Font().SetColor(original);
    }
}

// ---------------------------------------------------------------------------------------------
// TCustomEdit, TEdit

const TClassInfo& TCustomEdit::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TCustomEdit>(L"TCustomEdit", &TWinControl::StaticClass())
        .Property(L"MaxLength", &TCustomEdit::MaxLength, &TCustomEdit::SetMaxLength)
        .Property(L"ReadOnly", &TCustomEdit::ReadOnly, &TCustomEdit::SetReadOnly)
        .Event(L"OnChange", &TCustomEdit::OnChange)
        .Build();
    return info;
}

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner)
{
    SetColor(clWindow);
    SetTabStop(true);
    SetBounds(0, 0, 121, 21);
}

void TCustomEdit::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.SystemClass = L"EDIT";
    params.Caption = TControl::GetText();
    params.Style |= ES_AUTOHSCROLL | ES_LEFT;
    if (FReadOnly)
        params.Style |= ES_READONLY;
    params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomEdit::CreateHandleDone()
{
    TWinControl::CreateHandleDone();
    SendMessageW(Handle(), EM_LIMITTEXT, FMaxLength, 0);
}

std::wstring TCustomEdit::GetText() const
{
    if (!HandleAllocated())
        return TControl::GetText();
    HWND wnd = const_cast<TCustomEdit*>(this)->Handle();
    int length = GetWindowTextLengthW(wnd);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(GetWindowTextW(wnd, text.data(), length + 1));
    return text;
}

void TCustomEdit::SetText(const std::wstring& text)
{
    if (text == GetText())
        return;
    if (HandleAllocated()) {
        FSettingText = true;
        SetWindowTextW(Handle(), text.c_str());
        FSettingText = false;
    }
    TWinControl::SetText(text);
    if (!IsLoading())
        Change();
}

void TCustomEdit::TextChanged()
{
    // SetText has already given the window its text.
}

void TCustomEdit::SetReadOnly(bool v)
{
    FReadOnly = v;
    if (HandleAllocated())
        SendMessageW(Handle(), EM_SETREADONLY, v, 0);
}

void TCustomEdit::SetMaxLength(int v)
{
    FMaxLength = std::max(0, v);
    if (HandleAllocated())
        SendMessageW(Handle(), EM_LIMITTEXT, FMaxLength, 0);
}

void TCustomEdit::SelectAll()
{
    if (HandleAllocated())
        SendMessageW(Handle(), EM_SETSEL, 0, -1);
}

void EditSelection(HWND wnd, int& start, int& end)
{
    DWORD first = 0, last = 0;
    SendMessageW(wnd, EM_GETSEL, reinterpret_cast<WPARAM>(&first), reinterpret_cast<LPARAM>(&last));
    start = static_cast<int>(first);
    end = static_cast<int>(last);
}

int TCustomEdit::SelStart() const
{
    if (!HandleAllocated())
        return 0;
    int start = 0, end = 0;
    EditSelection(const_cast<TCustomEdit*>(this)->Handle(), start, end);
    return start;
}

int TCustomEdit::SelLength() const
{
    if (!HandleAllocated())
        return 0;
    int start = 0, end = 0;
    EditSelection(const_cast<TCustomEdit*>(this)->Handle(), start, end);
    return end - start;
}

void TCustomEdit::SetSelStart(int v) { SendMessageW(Handle(), EM_SETSEL, v, v); }

void TCustomEdit::SetSelLength(int v)
{
    int start = SelStart();
    SendMessageW(Handle(), EM_SETSEL, start, start + v);
}

std::wstring TCustomEdit::SelText() const { return GetText().substr(SelStart(), SelLength()); }

void TCustomEdit::Change()
{
    if (OnChange)
        OnChange(this);
}

bool TCustomEdit::HandleReflected(TMessage& message)
{
    switch (message.Msg) {
    case WM_COMMAND:
        if (HIWORD(message.WParam) == EN_CHANGE) {
            if (!FSettingText && !IsLoading())
                Change();
            return true;
        }
        return false;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC: return HandleControlColor(message);
    default: return false;
    }
}

const TClassInfo& TEdit::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TEdit>(L"TEdit", &TCustomEdit::StaticClass())
        .Property(L"Text", &TEdit::GetText, &TEdit::SetText)
        .Build();
    return info;
}

TEdit::TEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}

// ---------------------------------------------------------------------------------------------
// TMemo and its lines

std::vector<std::wstring> TMemo::SplitLines(const std::wstring& text)
{
    std::vector<std::wstring> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of(L"\r\n", start);
        if (end == std::wstring::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        // CR LF, a lone CR or a lone LF each end one line.
        start = end + ((text[end] == L'\r' && end + 1 < text.size() && text[end + 1] == L'\n') ? 2 : 1);
    }
    return lines;
}

std::wstring TMemo::JoinLines(const std::vector<std::wstring>& lines)
{
    std::wstring text;
    for (const auto& line : lines)
        text += line + L"\r\n";
    return text;
}

int TMemoLines::Count() const { return static_cast<int>(ToVector().size()); }

std::vector<std::wstring> TMemoLines::ToVector() const { return TMemo::SplitLines(FMemo.GetText()); }

std::wstring TMemoLines::Strings(int index) const
{
    std::vector<std::wstring> lines = ToVector();
    if (index < 0 || index >= static_cast<int>(lines.size()))
        throw EListError(index);
    return lines[index];
}

int TMemoLines::Add(const std::wstring& line)
{
    std::vector<std::wstring> lines = ToVector();
    lines.push_back(line);
    FMemo.SetText(TMemo::JoinLines(lines));
    return static_cast<int>(lines.size()) - 1;
}

void TMemoLines::Insert(int index, const std::wstring& line)
{
    std::vector<std::wstring> lines = ToVector();
    if (index < 0 || index > static_cast<int>(lines.size()))
        throw EListError(index);
    lines.insert(lines.begin() + index, line);
    FMemo.SetText(TMemo::JoinLines(lines));
}

void TMemoLines::Delete(int index)
{
    std::vector<std::wstring> lines = ToVector();
    if (index < 0 || index >= static_cast<int>(lines.size()))
        throw EListError(index);
    lines.erase(lines.begin() + index);
    FMemo.SetText(TMemo::JoinLines(lines));
}

void TMemoLines::SetStrings(int index, const std::wstring& line)
{
    std::vector<std::wstring> lines = ToVector();
    if (index < 0 || index >= static_cast<int>(lines.size()))
        throw EListError(index);
    lines[index] = line;
    FMemo.SetText(TMemo::JoinLines(lines));
}

void TMemoLines::Clear() { FMemo.SetText(L""); }
void TMemoLines::Assign(const std::vector<std::wstring>& lines) { FMemo.SetText(TMemo::JoinLines(lines)); }
std::wstring TMemoLines::Text() const { return FMemo.GetText(); }
void TMemoLines::SetText(const std::wstring& text) { FMemo.SetText(text); }

const TClassInfo& TMemo::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TMemo>(L"TMemo", &TCustomEdit::StaticClass())
        .Property(L"Lines", &TMemo::LinesList, &TMemo::SetLinesList)
        .Property(L"ScrollBars", &TMemo::ScrollBars, &TMemo::SetScrollBars)
        .Property(L"WantReturns", &TMemo::WantReturns, &TMemo::SetWantReturns)
        .Property(L"WordWrap", &TMemo::WordWrap, &TMemo::SetWordWrap)
        .Build();
    return info;
}

TMemo::TMemo(TComponent* AOwner) : TCustomEdit(AOwner) { SetBounds(0, 0, 185, 89); }

void TMemo::CreateParams(TCreateParams& params)
{
    TCustomEdit::CreateParams(params);
    params.Style |= ES_MULTILINE | ES_AUTOVSCROLL;
    if (FWantReturns)
        params.Style |= ES_WANTRETURN;
    if (FWordWrap)
        params.Style &= ~ES_AUTOHSCROLL;
    if (FScrollBars == TScrollStyle::ssVertical || FScrollBars == TScrollStyle::ssBoth)
        params.Style |= WS_VSCROLL;
    if (FScrollBars == TScrollStyle::ssHorizontal || FScrollBars == TScrollStyle::ssBoth)
        params.Style |= WS_HSCROLL;
}

void TMemo::SetScrollBars(TScrollStyle v)
{
    if (v == FScrollBars)
        return;
    FScrollBars = v;
    if (HandleAllocated()) {
        std::wstring text = GetText();
        TControl::SetText(text);
        RecreateWnd();
    }
}

void TMemo::SetWordWrap(bool v)
{
    if (v == FWordWrap)
        return;
    FWordWrap = v;
    if (HandleAllocated()) {
        std::wstring text = GetText();
        TControl::SetText(text);
        RecreateWnd();
    }
}

// ---------------------------------------------------------------------------------------------
// TGroupBox

const TClassInfo& TGroupBox::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TGroupBox>(L"TGroupBox", &TCustomControl::StaticClass()).Build();
    return info;
}

TGroupBox::TGroupBox(TComponent* AOwner) : TCustomControl(AOwner)
{
    FControlStyle.Include(TControlStyleFlag::csAcceptsControls);
    // Paint fills the whole client area before the frame and caption.
    FControlStyle.Include(TControlStyleFlag::csOpaque);
    SetBounds(0, 0, 185, 105);
}

int TGroupBox::CaptionHeight() const { return FontLineHeight(*const_cast<TGroupBox*>(this)->Font()); }

void TGroupBox::AdjustClientRect(TRect& rect)
{
    TCustomControl::AdjustClientRect(rect);
    // The caption band, then the two-pixel etched frame.
    rect.top += CaptionHeight();
    InflateRect(&rect, -2, -2);
}

void TGroupBox::FontChanged()
{
    TCustomControl::FontChanged();
    AlignControls();
}

void TGroupBox::TextChanged() { Invalidate(); }

void TGroupBox::Paint()
{
    TCanvas& c = Canvas();
    TRect client = ClientRect();
    c.Brush().SetColor(Color());
    c.FillRect(client);
    int band = CaptionHeight();
    TRect frame = Rect(0, band / 2 - 1, client.right, client.bottom);
    DrawEdge(c.Handle(), &frame, EDGE_ETCHED, BF_RECT);
    std::wstring text = Caption();
    if (!text.empty()) {
        TRect r = Rect(8, 0, 0, band);
        c.DrawText(text, r, DT_SINGLELINE | DT_CALCRECT);
        r.bottom = band;
        c.Brush().SetColor(Color());
        c.Font().SetColor(Enabled() ? Font()->Color() : clGrayText);
        c.DrawText(text, r, DT_SINGLELINE | DT_LEFT | DT_VCENTER);
    }
}

} // namespace ui
