// The editor base, the textual editor and the check-box editor.
#include "grid/editors/CellEditors.h"

#include "grid/common/GridClassInfo.h"
#include "grid/data/Columns.h"
#include "grid/view/ScrollView.h"
#include "grid/view/SharedClasses.h"
#include "grid/view/ThemesSupport.h"
#include "ui/controls/StdCtrls.h"
#include "ui/core/ClassBuilder.h"
#include "ui/core/ScopeGuard.h"
#include "ui/core/SysUtils.h"
#include "ui/controls/MouseLeave.h"
#include "ui/graphics/GdiGuards.h"

#include <windows.h>
#include <windowsx.h>

namespace grid {

namespace {

std::wstring ClipboardText(HWND owner)
{
    std::wstring text;
    if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboard(owner))
        return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = p;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Class information

const ui::TClassInfo& TCellEditor::StaticClass()
{
    using C = TCellEditor;
    static const ui::TClassInfo info = ui::TClassBuilder<C>(L"TCellEditor", &ui::TWinControl::StaticClass())
        .Property(L"Alignment", &C::Alignment, &C::SetAlignment)
        .Property(L"BorderStyle", &C::BorderStyle, &C::SetBorderStyle)
        .Property(L"Margin", &C::Margin, &C::SetMargin)
        .Property(L"VerticalAlignment", &C::VerticalAlignment, &C::SetVerticalAlignment)
        .Event(L"OnChange", &C::OnChange)
        .Event<TEditEvent>(L"OnEdit", &C::OnEdit)
        .Build();
    return info;
}

const ui::TClassInfo& TTextualEditor::StaticClass()
{
    using C = TTextualEditor;
    static const ui::TClassInfo info = ui::TClassBuilder<C>(L"TTextualEditor", &TCellEditor::StaticClass())
        .Property(L"AutoSelect", &C::AutoSelect, &C::SetAutoSelect)
        .Property(L"ReadOnly", &C::ReadOnly, &C::SetReadOnly)
        .Property(L"ShowPreview", &C::ShowPreview, &C::SetShowPreview)
        .Event<TCustomPreviewDrawEvent>(L"OnCustomPreviewDraw", &C::OnCustomPreviewDraw)
        .Build();
    return info;
}

GRID_PLAIN_CLASS(TCanvasCellEditor, TCellEditor)

const ui::TClassInfo& TCheckBoxEditor::StaticClass()
{
    using C = TCheckBoxEditor;
    static const ui::TClassInfo info = ui::TClassBuilder<C>(L"TCheckBoxEditor", &TCanvasCellEditor::StaticClass())
        .Property(L"Checked", &C::Checked, &C::SetChecked)
        .Property(L"Grayed", &C::Grayed, &C::SetGrayed)
        .Build();
    return info;
}

// ---------------------------------------------------------------------------------------------
// TCellEditor

TCellEditor::TCellEditor(ui::TComponent* AOwner) : ui::TWinControl(AOwner), FCanvas(std::make_unique<ui::TCanvas>())
{
    RegisterCursorOrFallback(crReversedArrow, L"REVERSEDARROW", reinterpret_cast<LPCWSTR>(IDC_ARROW));
    SetBounds(0, 0, 121, 20);
    SetColor(clWindow);
    SetParentColor(false);
    SetTabStop(true);
    // Columns create their editors hidden; the grid shows one while it edits a cell.
    SetVisible(false);
}

TCellEditor::~TCellEditor() = default;

void TCellEditor::SetAlignment(TAlignment v)
{
    if (v == FAlignment)
        return;
    FAlignment = v;
    RecreateWnd();
}

void TCellEditor::SetBorderStyle(TEditorBorderStyle v)
{
    if (v == FBorderStyle)
        return;
    FBorderStyle = v;
    if (HandleAllocated()) {
        LONG_PTR style = GetWindowLongPtrW(Handle(), GWL_STYLE);
        style = v == TEditorBorderStyle::bsSingle ? (style | WS_BORDER) : (style & ~static_cast<LONG_PTR>(WS_BORDER));
        SetWindowLongPtrW(Handle(), GWL_STYLE, style);
        SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    Invalidate();
}

void TCellEditor::SetMargin(int v)
{
    if (v == FMargin)
        return;
    FMargin = v;
    RecreateWnd();
}

void TCellEditor::SetVerticalAlignment(TVerticalAlignment v)
{
    if (v == FVerticalAlignment)
        return;
    FVerticalAlignment = v;
    RecreateWnd();
}

bool TCellEditor::AsBoolean() const { throw ui::EAbstractError(); }
double TCellEditor::AsFloat() const { throw ui::EAbstractError(); }
double TCellEditor::AsDate() const { throw ui::EAbstractError(); }
std::wstring TCellEditor::AsText() const { throw ui::EAbstractError(); }
void TCellEditor::SetAsBoolean(bool) { throw ui::EAbstractError(); }
void TCellEditor::SetAsDate(double) { throw ui::EAbstractError(); }
void TCellEditor::SetAsFloat(double) { throw ui::EAbstractError(); }
void TCellEditor::SetAsText(const std::wstring&) { throw ui::EAbstractError(); }

void TCellEditor::CreateParams(ui::TCreateParams& params)
{
    ui::TWinControl::CreateParams(params);
    if (FBorderStyle == TEditorBorderStyle::bsSingle)
        params.Style |= WS_BORDER;
    params.Background = nullptr;
}

void TCellEditor::DoChange()
{
    if (!IsLoading() && OnChange)
        OnChange(this);
}

void TCellEditor::DoEdit(const std::wstring& text)
{
    if (OnEdit)
        OnEdit(this, text);
}

void TCellEditor::PaintBorder()
{
    if (FBorderStyle != TEditorBorderStyle::bsSingle || !HandleAllocated())
        return;
    ui::TWindowDC dc(Handle(), ui::TWindowDC::waWhole);
    RECT r;
    GetWindowRect(Handle(), &r);
    OffsetRect(&r, -r.left, -r.top);
    if (ThemesActive()) {
        RECT inner = r;
        InflateRect(&inner, -1, -1);
        ExcludeClipRect(dc, inner.left, inner.top, inner.right, inner.bottom);
        DrawThemePart(Handle(), dc, r, 0, 1, L"Edit");
        return;
    }
    ui::TGdiObject<HBRUSH> brush(CreateSolidBrush(RGB(128, 128, 128)));
    FrameRect(dc, &r, brush);
}

void TCellEditor::WndProc(ui::TMessage& message)
{
    switch (message.Msg) {
    case WM_NCPAINT:
        ui::TWinControl::WndProc(message);
        PaintBorder();
        return;
    case WM_KILLFOCUS:
        FFocusTarget = reinterpret_cast<HWND>(message.WParam);
        Invalidate();
        break;
    case WM_SETFOCUS:
        Invalidate();
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        if (!Focused() && CanFocus())
            SetFocus();
        break;
    default:
        break;
    }
    ui::TWinControl::WndProc(message);
}

// ---------------------------------------------------------------------------------------------
// TTextualEditor

ui::TRect TextualEditorTextRect(int clientWidth, int clientHeight, int margin, TVerticalAlignment vertical,
                                int fontHeight, bool showPreview, int rightReserve)
{
    ui::TRect r{};
    r.left = margin + 2;
    r.right = clientWidth - margin - 1 - rightReserve;
    switch (vertical) {
    case TVerticalAlignment::vaTop:
        r.top = margin;
        break;
    case TVerticalAlignment::vaMiddle:
        r.top = (clientHeight - 1) / 2 - fontHeight / 2;
        break;
    case TVerticalAlignment::vaBottom:
        r.top = clientHeight - margin - fontHeight;
        break;
    }
    r.bottom = r.top + fontHeight;
    if (showPreview)
        r.left += 27;
    return r;
}

std::wstring OneLine(const std::wstring& text)
{
    std::wstring out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        wchar_t c = text[i];
        if (c == L'\r' || c == L'\n') {
            if (c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n')
                ++i;
            out += L' ';
        } else {
            out += c;
        }
    }
    return out;
}

TTextualEditor::TTextualEditor(ui::TComponent* AOwner) : TCellEditor(AOwner) {}

void TTextualEditor::CreateParams(ui::TCreateParams& params)
{
    TCellEditor::CreateParams(params);
    params.SystemClass = L"EDIT";
    params.Caption = ui::TControl::GetText();
    params.Style |= ES_MULTILINE | ES_AUTOHSCROLL | ES_AUTOVSCROLL;
    switch (Alignment()) {
    case TAlignment::taRightJustify: params.Style |= ES_RIGHT; break;
    case TAlignment::taCenter: params.Style |= ES_CENTER; break;
    default: params.Style |= ES_LEFT; break;
    }
    if (FReadOnly)
        params.Style |= ES_READONLY;
}

void TTextualEditor::CreateHandleDone()
{
    TCellEditor::CreateHandleDone();
    UpdateTextRect();
    if (FKeptSelection) {
        Select(FKeptSelection->first, FKeptSelection->second - FKeptSelection->first);
        FKeptSelection.reset();
    }
}

void TTextualEditor::DestroyWnd()
{
    // What was typed lives only in the control: an alignment or margin that re-creates the window
    // must hand it, and the caret, to the window that replaces this one.
    if (HandleAllocated()) {
        int start = 0, end = 0;
        ui::EditSelection(Handle(), start, end);
        FKeptSelection = std::make_pair(start, end);
        ui::TWinControl::SetText(GetText());
    }
    TCellEditor::DestroyWnd();
}

std::wstring TTextualEditor::GetText() const
{
    if (!HandleAllocated())
        return ui::TControl::GetText();
    HWND wnd = const_cast<TTextualEditor*>(this)->Handle();
    int length = GetWindowTextLengthW(wnd);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(GetWindowTextW(wnd, text.data(), length + 1));
    return text;
}

void TTextualEditor::SetText(const std::wstring& text)
{
    ui::TWinControl::SetText(text);
    if (HandleAllocated()) {
        // A multi-line edit control does not report text set through WM_SETTEXT (and a
        // system that did would report it twice): the change is raised here.
        FSettingText = true;
        SetWindowTextW(Handle(), text.c_str());
        FSettingText = false;
    }
    DoChange();
    DoEdit(text);
}

void TTextualEditor::SetReadOnly(bool v)
{
    FReadOnly = v;
    if (HandleAllocated())
        SendMessageW(Handle(), EM_SETREADONLY, v, 0);
}

void TTextualEditor::SetShowPreview(bool v)
{
    if (v == FShowPreview)
        return;
    FShowPreview = v;
    UpdateTextRect();
    Invalidate();
}

int TTextualEditor::SelStart() const
{
    int start = 0, end = 0;
    if (HandleAllocated())
        ui::EditSelection(const_cast<TTextualEditor*>(this)->Handle(), start, end);
    return start;
}

int TTextualEditor::SelLength() const
{
    int start = 0, end = 0;
    if (HandleAllocated())
        ui::EditSelection(const_cast<TTextualEditor*>(this)->Handle(), start, end);
    return end - start;
}

void TTextualEditor::SetCaret(int position) { Select(position, 0); }

void TTextualEditor::Select(int start, int length)
{
    if (HandleAllocated())
        SendMessageW(Handle(), EM_SETSEL, start, start + length);
}

void TTextualEditor::SelectAll()
{
    if (HandleAllocated())
        SendMessageW(Handle(), EM_SETSEL, 0, -1);
}

void TTextualEditor::BeginEdit() { SetCaret(static_cast<int>(GetText().size())); }

void TTextualEditor::GetTextRect(ui::TRect& rect)
{
    rect = TextualEditorTextRect(ClientWidth(), ClientHeight(), Margin(), VerticalAlignment(),
                                 ui::FontLineHeight(*Font()), FShowPreview, 0);
}

void TTextualEditor::UpdateTextRect()
{
    if (!HandleAllocated())
        return;
    ui::TRect r;
    GetTextRect(r);
    SendMessageW(Handle(), EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&r));
}

void TTextualEditor::Resize()
{
    UpdateTextRect();
    TCellEditor::Resize();
}

void TTextualEditor::KeyPress(wchar_t& key)
{
    TCellEditor::KeyPress(key);
    // A cell holds one line: neither Enter nor Ctrl+Enter's line feed reaches the control.
    if (key == L'\r' || key == L'\n')
        key = 0;
    if (FStyle == TDropDownStyle::dsDropDownList)
        key = 0;
}

void TTextualEditor::ReplaceSelection(const std::wstring& text)
{
    if (HandleAllocated())
        SendMessageW(Handle(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

void TTextualEditor::PasteText(const std::wstring& clipboard) { ReplaceSelection(OneLine(clipboard)); }

bool TTextualEditor::HandleReflected(ui::TMessage& message)
{
    switch (message.Msg) {
    case WM_COMMAND:
        if (HIWORD(message.WParam) == EN_CHANGE) {
            if (FSettingText)
                return true;
            DoChange();
            DoEdit(GetText());
            return true;
        }
        return false;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        return HandleControlColor(message);
    default:
        return false;
    }
}

void TTextualEditor::MouseMove(ui::TShiftState shift, int x, int y)
{
    // The leftmost three pixels select the whole text, shown by the reversed arrow.
    SetCursor(x <= 2 ? crReversedArrow : ui::crDefault);
    TCellEditor::MouseMove(shift, x, y);
    if (ui::TrackMouseLeave(HandleAllocated() ? Handle() : nullptr, FTrackingLeave))
        PointerInside(true);
}

void TTextualEditor::DoEnter()
{
    if (FAutoSelect)
        SelectAll();
    TCellEditor::DoEnter();
}

void TTextualEditor::PaintContent()
{
    if (!FShowPreview)
        return;
    ui::TCanvas& c = EditorCanvas();
    ui::TRect frame = ui::Rect(1, 1, 21, ClientHeight() - 1);
    c.Brush().SetStyle(ui::TBrushStyle::bsSolid);
    c.Brush().SetColor(0);
    c.FrameRect(frame);
    InflateRect(&frame, -1, -1);
    DrawPreview(frame);
}

void TTextualEditor::DrawPreview(const ui::TRect& rect)
{
    if (OnCustomPreviewDraw)
        OnCustomPreviewDraw(this, rect);
}

void TTextualEditor::WndProc(ui::TMessage& message)
{
    switch (message.Msg) {
    case WM_LBUTTONDOWN:
        if (GET_X_LPARAM(message.LParam) <= 2) {
            if (!Focused() && CanFocus())
                SetFocus();
            SelectAll();
            message.Result = 0;
            return;
        }
        break;
    case WM_MOUSELEAVE:
        FTrackingLeave = false;
        PointerInside(false);
        break;
    case WM_PASTE:
        if (!FReadOnly && FStyle != TDropDownStyle::dsDropDownList)
            PasteText(ClipboardText(Handle()));
        message.Result = 0;
        return;
    case WM_KEYDOWN:
        // Shift+Insert pastes inside the control without a WM_PASTE; it goes the same way.
        if (message.WParam == VK_INSERT && (GetKeyState(VK_SHIFT) & 0x8000) && !(GetKeyState(VK_CONTROL) & 0x8000)) {
            Perform(WM_PASTE);
            return;
        }
        break;
    case WM_PAINT:
        TCellEditor::WndProc(message);
        if (FShowPreview && HandleAllocated()) {
            ui::TWindowDC dc(Handle(), ui::TWindowDC::waClient);
            ui::TCanvasBinding binding(EditorCanvas(), dc);
            PaintContent();
        }
        return;
    default:
        break;
    }
    TCellEditor::WndProc(message);
}

// ---------------------------------------------------------------------------------------------
// TCanvasCellEditor

TCanvasCellEditor::TCanvasCellEditor(ui::TComponent* AOwner) : TCellEditor(AOwner) {}

void TCanvasCellEditor::PaintWindow(HDC dc)
{
    ui::TCanvasBinding binding(EditorCanvas(), dc);
    PaintContent();
}

// ---------------------------------------------------------------------------------------------
// TCheckBoxEditor

TCheckBoxEditor::TCheckBoxEditor(ui::TComponent* AOwner) : TCanvasCellEditor(AOwner)
{
}

bool TCheckBoxEditor::Themed() const { return ThemesActive() && HandleAllocated(); }

ui::TRect TCheckBoxEditor::BoxRect() const
{
    int size = TGraphicsProvider::CheckBoxSize(Themed());
    ui::TRect area = ClientRect();
    InflateRect(&area, 1, 1);
    ui::TPoint p = TCalcProvider::AlignBox(size, size, area, static_cast<int>(Alignment()),
                                           static_cast<int>(VerticalAlignment()), 2);
    return ui::Bounds(p.x, p.y, size, size);
}

void TCheckBoxEditor::SetChecked(bool v)
{
    FChecked = v;
    DoChange();
    DoEdit(AsText());
    Invalidate();
}

void TCheckBoxEditor::SetAsText(const std::wstring& value)
{
    std::wstring lower = value;
    for (auto& c : lower)
        c = static_cast<wchar_t>(towlower(c));
    SetChecked(lower == L"true");
}

void TCheckBoxEditor::SetHot(bool v)
{
    if (v == FHot)
        return;
    FHot = v;
    Invalidate();
}

void TCheckBoxEditor::PaintContent()
{
    ui::TCanvas& c = EditorCanvas();
    c.Brush().SetStyle(ui::TBrushStyle::bsSolid);
    c.Brush().SetColor(Color());
    c.FillRect(ClientRect());
    ui::TRect box = BoxRect();
    bool themed = Themed();
    TGraphicsProvider::DrawCheckBox(c, themed ? const_cast<TCheckBoxEditor*>(this)->Handle() : nullptr,
                                    ui::Point(box.left, box.top), themed, FChecked, FHot, FGrayed || FPressed);
}

void TCheckBoxEditor::MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    TCanvasCellEditor::MouseDown(button, shift, x, y);
    ui::TRect box = BoxRect();
    if (button == ui::TMouseButton::mbLeft && PtInRect(&box, POINT{x, y})) {
        FPressed = true;
        FSpacePressed = false;
        Invalidate();
    }
}

void TCheckBoxEditor::MouseMove(ui::TShiftState shift, int x, int y)
{
    TCanvasCellEditor::MouseMove(shift, x, y);
    ui::TrackMouseLeave(HandleAllocated() ? Handle() : nullptr, FTrackingLeave);
    ui::TRect box = BoxRect();
    SetHot(PtInRect(&box, POINT{x, y}) != FALSE);
}

void TCheckBoxEditor::MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    TCanvasCellEditor::MouseUp(button, shift, x, y);
    if (button != ui::TMouseButton::mbLeft)
        return;
    ui::TRect box = BoxRect();
    // Only a release that ends the press made in the box toggles: a press outside the box that
    // is released inside it changes nothing.
    bool toggle = FPressed && !FSpacePressed && PtInRect(&box, POINT{x, y});
    FPressed = false;
    Invalidate();
    if (toggle)
        SetChecked(!FChecked);
}

void TCheckBoxEditor::KeyDown(WORD& key, ui::TShiftState shift)
{
    TCanvasCellEditor::KeyDown(key, shift);
    if (key == VK_SPACE) {
        FPressed = true;
        FSpacePressed = true;
        Invalidate();
    }
}

void TCheckBoxEditor::KeyUp(WORD& key, ui::TShiftState shift)
{
    TCanvasCellEditor::KeyUp(key, shift);
    if (key != VK_SPACE)
        return;
    // Space toggles only when its own press was seen here (not a press that began elsewhere).
    bool toggle = FPressed && FSpacePressed;
    FPressed = false;
    FSpacePressed = false;
    Invalidate();
    if (toggle)
        SetChecked(!FChecked);
}

void TCheckBoxEditor::WndProc(ui::TMessage& message)
{
    switch (message.Msg) {
    case WM_ERASEBKGND:
        message.Result = 1;
        return;
    case WM_GETDLGCODE:
        message.Result = DLGC_WANTARROWS;
        return;
    case WM_MOUSELEAVE:
        FTrackingLeave = false;
        SetHot(false);
        break;
    default:
        break;
    }
    TCanvasCellEditor::WndProc(message);
}

} // namespace grid

template <>
const ui::TEnumInfo& ui::EnumInfoOf<grid::TEditorBorderStyle>()
{
    static const TEnumInfo info{L"TBorderStyle", {L"bsNone", L"bsSingle"}};
    return info;
}

template <>
const ui::TEnumInfo& ui::EnumInfoOf<grid::TDropDownStyle>()
{
    static const TEnumInfo info{L"TDropDownStyle", {L"dsDropDown", L"dsDropDownList"}};
    return info;
}
