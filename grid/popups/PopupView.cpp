// The drop-down windows: popup base, item list and month calendar.
#include "grid/popups/PopupView.h"

#include "grid/common/GridClassInfo.h"
#include "grid/common/GridCommon.h"
#include "grid/view/SharedClasses.h"
#include "grid/view/ThemesSupport.h"
#include "ui/core/ScopeGuard.h"
#include "ui/controls/MouseLeave.h"
#include "ui/graphics/GdiGuards.h"

#include <windows.h>
#undef DrawText

#include <algorithm>
#include <cmath>

namespace grid {

GRID_PLAIN_CLASS(TPopupView, TScrollView)

GRID_PLAIN_CLASS(TPopupList, TPopupView)

GRID_PLAIN_CLASS(TPopupSmallButton, ui::TGraphicControl)

GRID_PLAIN_CLASS(TDatePopup, TPopupView)

// ---------------------------------------------------------------------------------------------
// TPopupView

TPopupView::TPopupView(ui::TComponent* AOwner) : TScrollView(AOwner)
{
    // The capture is the popup's own business: the class library must not drop it on a release.
    SetControlStyle(ControlStyle() - ui::TControlStyle{ui::TControlStyleFlag::csCaptureMouse});
    SetVisible(false);
    SetColor(clWindow);
    HorzScrollBar()->SetVisible(false);
    VertScrollBar()->SetVisible(false);
}

void TPopupView::CreateParams(ui::TCreateParams& params)
{
    TScrollView::CreateParams(params);
    // A child of the desktop: it can be clicked without ever becoming the active window, so the
    // editor that dropped it down keeps the activation and the keyboard.
    params.Style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_BORDER | WS_VSCROLL;
    params.ExStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_STATICEDGE;
    params.ClassStyle = CS_SAVEBITS | CS_DBLCLKS;
    params.WndParent = GetDesktopWindow();
}

void TPopupView::CreateHandleDone()
{
    TScrollView::CreateHandleDone();
    ::SetParent(Handle(), nullptr);
    // Drawn as if it had the focus, without taking it.
    DefWindowProcW(Handle(), WM_SETFOCUS, 0, 0);
    VertScrollBar()->LargeChange = 10;
}

void TPopupView::Popup(int x, int y)
{
    HWND wnd = Handle();
    SetWindowPos(wnd, HWND_TOPMOST, x, y, Width(), Height(), SWP_NOACTIVATE | SWP_SHOWWINDOW);
    FClosed = false;
    FArmed = false;
    SetVisible(true);
    SetCapture(wnd);
}

void TPopupView::CloseUp()
{
    if (FClosed)
        return;
    FClosed = true;
    if (HandleAllocated() && GetCapture() == Handle())
        ReleaseCapture();
    if (HandleAllocated())
        SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
    SetVisible(false);
    if (OnClose)
        OnClose(this);
}

void TPopupView::DoSelect(const std::wstring& text)
{
    if (OnSelect)
        OnSelect(this, text);
}

bool TPopupView::PointerOverWindow(POINT screen) const
{
    RECT window;
    return GetWindowRect(const_cast<TPopupView*>(this)->Handle(), &window) && PtInRect(&window, screen);
}

void TPopupView::TrackLeave(bool overClient)
{
    // One kind of tracking at a time: of the client area, or of the frame and scroll bar.
    ui::RequestMouseLeave(Handle(), overClient ? TME_LEAVE : TME_LEAVE | TME_NONCLIENT);
}

void TPopupView::FollowPointer()
{
    POINT p;
    GetCursorPos(&p);
    if (PointerOverWindow(p)) {
        // Between the list and its scroll bar: watch for the pointer leaving the part it is over.
        POINT client = p;
        ::ScreenToClient(Handle(), &client);
        ui::TRect r = ClientRect();
        TrackLeave(PtInRect(&r, client) != FALSE);
    } else if (GetCapture() != Handle()) {
        // Outside: take the mouse back, so that a click anywhere still arrives here.
        SetCapture(Handle());
    }
}

void TPopupView::MouseMove(ui::TShiftState shift, int x, int y)
{
    TScrollView::MouseMove(shift, x, y);
    if (FClosed || !HandleAllocated())
        return;
    POINT screen{x, y};
    ::ClientToScreen(Handle(), &screen);
    if (!PointerOverWindow(screen))
        return;
    // Anywhere over the popup, its scroll bar included, it gets its mouse input the ordinary way:
    // a press on the scroll bar must reach the scroll bar, not close the list as an outside click.
    if (GetCapture() == Handle()) {
        ui::TAssignOnExit<bool> releasing(FReleasing, false);
        FReleasing = true;
        ReleaseCapture();
    }
    ui::TRect client = ClientRect();
    TrackLeave(PtInRect(&client, POINT{x, y}) != FALSE);
}

void TPopupView::MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    TScrollView::MouseUp(button, shift, x, y);
    if (FClosed || !FArmed)
        return;
    ui::TRect client = ClientRect();
    if (PtInRect(&client, POINT{x, y}))
        SelectAt(x, y);
    CloseUp();
}

void TPopupView::PaintBorder()
{
    ui::TWindowDC dc(Handle(), ui::TWindowDC::waWhole);
    RECT r;
    GetWindowRect(Handle(), &r);
    OffsetRect(&r, -r.left, -r.top);
    ui::TGdiObject<HBRUSH> caption(CreateSolidBrush(ui::ColorToRef(ui::clActiveCaption)));
    FrameRect(dc, &r, caption);
    InflateRect(&r, -1, -1);
    FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
}

void TPopupView::WndProc(ui::TMessage& message)
{
    switch (message.Msg) {
    case WM_NCPAINT:
        TScrollView::WndProc(message);
        PaintBorder();
        return;
    case WM_MOUSEACTIVATE:
        message.Result = MA_NOACTIVATE;
        return;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        // The first release after opening is the end of the click that opened the popup, wherever
        // it lands (on a day, the title or a button of the calendar): it only arms the popup.
        if (!FClosed && !FArmed) {
            FArmed = true;
            message.Result = 0;
            return;
        }
        break;
    case WM_NCMOUSEMOVE:
        if (!FClosed && GetCapture() != Handle())
            TrackLeave(false);
        break;
    case WM_MOUSELEAVE:
    case WM_NCMOUSELEAVE:
        if (!FClosed)
            FollowPointer();
        break;
    case WM_CAPTURECHANGED:
        // The capture given up by nobody's taking it: ours released over the popup, or the scroll
        // bar's when its drag ends, perhaps with the pointer outside by then.
        if (!FClosed && !FReleasing && message.LParam == 0)
            FollowPointer();
        break;
    default:
        break;
    }
    TScrollView::WndProc(message);
}

// ---------------------------------------------------------------------------------------------
// TPopupList

TPopupList::TPopupList(ui::TComponent* AOwner) : TPopupView(AOwner)
{
    SetBounds(0, 0, 84, 54);
    VertUnitSize = FItemHeight;
}

void TPopupList::SetItemHeight(int v)
{
    FItemHeight = v <= 0 ? 1 : v;
    VertUnitSize = FItemHeight;
}

int TPopupList::ItemCount() const { return FItems ? static_cast<int>(FItems->size()) : 0; }

int TPopupList::ScrollableCount() const { return ItemCount() - ClientHeight() / FItemHeight; }

void TPopupList::Popup(int x, int y)
{
    HandleNeeded();
    VertScrollArea = ClientRect();
    int max = std::max(0, ScrollableCount());
    VertScrollBar()->SetParams(-1, 0, max, 1, max > 0, max > 0);
    VertScrollBar()->SetPosition(0);
    FHotIndex = 0;
    if (FItems != nullptr) {
        auto it = std::find(FItems->begin(), FItems->end(), Text());
        if (it != FItems->end()) {
            FHotIndex = static_cast<int>(it - FItems->begin());
            VertScrollBar()->SetPosition(FHotIndex);
        }
    }
    FPreviousHotIndex = FHotIndex;
    FChosenIndex = -1;
    Invalidate();
    TPopupView::Popup(x, y);
}

ui::TRect TPopupList::RowRect(int index) const
{
    int top = (index - VertScrollBar()->Position()) * FItemHeight;
    return ui::Rect(0, top, ClientWidth(), top + FItemHeight);
}

void TPopupList::MouseMove(ui::TShiftState shift, int x, int y)
{
    TPopupView::MouseMove(shift, x, y);
    ui::TRect client = ClientRect();
    if (!PtInRect(&client, POINT{x, y}))
        return;
    int hot = y / FItemHeight + VertScrollBar()->Position();
    if (hot == FHotIndex || hot >= ItemCount())
        return;
    FPreviousHotIndex = FHotIndex;
    FHotIndex = hot;
    ui::TRect old = RowRect(FPreviousHotIndex), now = RowRect(FHotIndex);
    InvalidateRect(Handle(), &old, FALSE);
    InvalidateRect(Handle(), &now, FALSE);
}

void TPopupList::SelectAt(int, int y)
{
    int index = y / FItemHeight + VertScrollBar()->Position();
    // A click below the last item chooses nothing.
    if (index < 0 || index >= ItemCount())
        return;
    FChosenIndex = index;
    DoSelect((*FItems)[static_cast<size_t>(index)]);
}

void TPopupList::Paint()
{
    ui::TCanvas& c = Canvas();
    c.SetFont(*Font());
    int bottom = ClientHeight();
    int top = 0;
    for (int i = VertScrollBar()->Position(); i < ItemCount() && top < bottom; ++i, top += FItemHeight) {
        ui::TRect row = ui::Rect(0, top, ClientWidth(), top + FItemHeight);
        bool hot = i == FHotIndex;
        c.Brush().SetStyle(ui::TBrushStyle::bsSolid);
        c.Brush().SetColor(hot ? clHighlight : clWindow);
        c.Font().SetColor(hot ? clHighlightText : clWindowText);
        c.FillRect(row);
        DrawItem(i, row);
    }
    if (top < bottom) {
        c.Brush().SetColor(clWindow);
        c.FillRect(ui::Rect(0, top, ClientWidth(), bottom));
    }
}

void TPopupList::DrawItem(int index, const ui::TRect& rect)
{
    ui::TCanvas& c = Canvas();
    ui::TRect text = rect;
    text.left = rect.left + 2;
    if (FShowImages && FImages != nullptr) {
        if (index < FImages->Count())
            FImages->Draw(c, rect.left + 2, rect.top + FItemHeight / 2 - FImages->Height() / 2, index);
        text.left = rect.left + FImages->Width() + 5;
    }
    TGraphicsProvider::DrawText(c, text, false, (*FItems)[static_cast<size_t>(index)], 0);
}

// ---------------------------------------------------------------------------------------------
// TPopupSmallButton

TPopupSmallButton::TPopupSmallButton(ui::TComponent* AOwner) : ui::TGraphicControl(AOwner) {}

void TPopupSmallButton::MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    ui::TGraphicControl::MouseDown(button, shift, x, y);
    FPressed = true;
    Invalidate();
}

void TPopupSmallButton::MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    FPressed = false;
    Invalidate();
    ui::TGraphicControl::MouseUp(button, shift, x, y);
}

void TPopupSmallButton::Paint()
{
    ui::TCanvas& c = Canvas();
    ui::TRect r = ClientRect();
    c.SetFont(*Font());
    if (ThemesActive() && Parent() != nullptr && Parent()->HandleAllocated()) {
        DrawThemePart(Parent()->Handle(), c.Handle(), r, FPressed ? 3 : 1, 1, L"button");
    } else {
        c.Brush().SetStyle(ui::TBrushStyle::bsSolid);
        c.Brush().SetColor(clBtnFace);
        c.FillRect(r);
        ui::TRect edge = r;
        DrawEdge(c.Handle(), &edge, FPressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    }
    c.Font().SetColor(clWindowText);
    TGraphicsProvider::DrawText(c, r, false, Caption(), 2);
}

// ---------------------------------------------------------------------------------------------
// Calendar arithmetic

namespace {

// The calendar's page: 7 x 6 day cells under a row of day letters, ruled above and below.
constexpr int kCellLeft = 14, kCellTop = 36, kCellWidth = 17, kCellHeight = 15;
constexpr int kLettersTop = 20, kRuleTop = kCellTop - 2, kRuleBottom = kCellTop + 6 * kCellHeight;
constexpr int kRuleRightInset = 15; // the rules end this far left of the right edge
constexpr int kDayTextWidth = kCellWidth - 2;

} // namespace

double DateFromParts(int year, int month, int day)
{
    return static_cast<double>(DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)));
}

void DateToParts(double date, int& year, int& month, int& day)
{
    CivilFromDays(static_cast<int64_t>(std::floor(date)), year, month, day);
}

int DayOfWeek(double date)
{
    // 1899-12-30 was a Saturday (7).
    long days = static_cast<long>(std::floor(date));
    return static_cast<int>(((days + 6) % 7 + 7) % 7) + 1;
}

double FirstCellDate(int year, int month)
{
    double first = DateFromParts(year, month, 1);
    return first - (DayOfWeek(first) - 1);
}

bool DayCellAt(int x, int y, int& column, int& row)
{
    if (x < kCellLeft || y < kCellTop)
        return false;
    column = (x - kCellLeft) / kCellWidth;
    row = (y - kCellTop) / kCellHeight;
    return column < 7 && row < 6;
}

namespace {

// A text of the user's locale; the English one when the locale has none.
std::wstring UserLocaleText(LCTYPE type, const wchar_t* fallback)
{
    wchar_t buffer[80];
    int n = GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buffer, 80);
    return n > 1 ? std::wstring(buffer, static_cast<size_t>(n - 1)) : std::wstring(fallback);
}

} // namespace

std::wstring MonthName(int month)
{
    static const wchar_t* english[] = {L"January", L"February", L"March",     L"April",   L"May",      L"June",
                                       L"July",    L"August",   L"September", L"October", L"November", L"December"};
    if (month < 1 || month > 12)
        return L"";
    return UserLocaleText(static_cast<LCTYPE>(LOCALE_SMONTHNAME1 + month - 1), english[month - 1]);
}

std::wstring DayLetter(int dayOfWeek)
{
    static const wchar_t* english[] = {L"Sun", L"Mon", L"Tue", L"Wed", L"Thu", L"Fri", L"Sat"};
    if (dayOfWeek < 1 || dayOfWeek > 7)
        return L"";
    // The locale numbers its abbreviated names from Monday (1) to Sunday (7).
    LCTYPE type =
        static_cast<LCTYPE>(dayOfWeek == 1 ? LOCALE_SABBREVDAYNAME7 : LOCALE_SABBREVDAYNAME1 + dayOfWeek - 2);
    return UserLocaleText(type, english[dayOfWeek - 1]).substr(0, 1);
}

// ---------------------------------------------------------------------------------------------
// TDatePopup

TDatePopup::TDatePopup(ui::TComponent* AOwner)
    : TPopupView(AOwner), FToday(new TPopupSmallButton(this)), FNone(new TPopupSmallButton(this))
{
    SetBounds(0, 0, 151, 163);
    FToday->SetCaption(L"Today");
    FToday->SetBounds(18, 131, 48, 20);
    FToday->SetParent(this);
    FToday->OnClick = [this](ui::TObject*) { ButtonClick(true); };
    FNone->SetCaption(L"None");
    FNone->SetBounds(79, 131, 48, 20);
    FNone->SetParent(this);
    FNone->OnClick = [this](ui::TObject*) { ButtonClick(false); };
}

void TDatePopup::CreateHandleDone()
{
    TPopupView::CreateHandleDone();
    VertScrollBar()->SetVisible(false);
}

void TDatePopup::SetDate(double v)
{
    FDate = std::floor(v);
    FSelectedDate = FDate;
    DateToParts(FDate, FYear, FMonth, FDay);
}

void TDatePopup::PreviousMonth()
{
    if (--FMonth < 1) {
        FMonth = 12;
        --FYear;
    }
    Invalidate();
}

void TDatePopup::NextMonth()
{
    if (++FMonth > 12) {
        FMonth = 1;
        ++FYear;
    }
    Invalidate();
}

double TDatePopup::CellDate(int column, int row) const { return FirstCellDate(FYear, FMonth) + row * 7 + column; }

void TDatePopup::HighlightAt(int x, int y)
{
    int column = 0, row = 0;
    if (!DayCellAt(x, y, column, row))
        return;
    double date = CellDate(column, row);
    if (date == FSelectedDate)
        return;
    double first = FirstCellDate(FYear, FMonth);
    auto cellRect = [&](double d) {
        int index = static_cast<int>(d - first);
        int c = index % 7, r = index / 7;
        return ui::Bounds(kCellLeft + kCellWidth * c, kCellTop + kCellHeight * r, kCellWidth, kCellHeight);
    };
    if (FSelectedDate >= first && FSelectedDate < first + 42) {
        ui::TRect old = cellRect(FSelectedDate);
        InvalidateRect(Handle(), &old, FALSE);
    }
    FSelectedDate = date;
    ui::TRect now = cellRect(date);
    InvalidateRect(Handle(), &now, FALSE);
}

void TDatePopup::MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    TPopupView::MouseDown(button, shift, x, y);
    int w = ClientWidth();
    if (x >= 0 && x < 18 && y >= 0 && y < 18) {
        PreviousMonth();
        return;
    }
    if (x >= w - 18 && x < w && y >= 0 && y < 18) {
        NextMonth();
        return;
    }
    int column = 0, row = 0;
    if (DayCellAt(x, y, column, row)) {
        FTracking = true;
        HighlightAt(x, y);
    }
}

void TDatePopup::MouseMove(ui::TShiftState shift, int x, int y)
{
    TPopupView::MouseMove(shift, x, y);
    if (FTracking)
        HighlightAt(x, y);
}

void TDatePopup::MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    FTracking = false;
    // The title band (month arrows) keeps the calendar open.
    if (x >= 0 && x < ClientWidth() && y >= 0 && y < 19) {
        TScrollView::MouseUp(button, shift, x, y);
        return;
    }
    TPopupView::MouseUp(button, shift, x, y);
}

void TDatePopup::SelectAt(int x, int y)
{
    int column = 0, row = 0;
    if (DayCellAt(x, y, column, row))
        DoSelect(DateTimeToStr(CellDate(column, row)));
}

void TDatePopup::ButtonClick(bool today)
{
    // "None" gives an empty text: an empty date cell, which reads back as no date.
    DoSelect(today ? DateTimeToStr(Today()) : std::wstring());
    CloseUp();
}

void TDatePopup::Paint()
{
    ui::TCanvas& c = Canvas();
    c.SetFont(*Font());
    int w = ClientWidth(), h = ClientHeight();
    c.Brush().SetStyle(ui::TBrushStyle::bsSolid);
    c.Brush().SetColor(clWindow);
    c.FillRect(ui::Rect(0, 0, w, h));
    bool themed = ThemesActive();
    c.Brush().SetColor(themed ? TGraphicsProvider::BlendColors(ui::clGradientInactiveCaption, clWindow, 249) : clBtnFace);
    c.FillRect(ui::Rect(2, 2, w - 2, 18));
    c.Font().SetColor(clWindowText);
    std::wstring title = MonthName(FMonth) + L" " + std::to_wstring(FYear);
    TGraphicsProvider::DrawText(c, ui::Rect(0, 0, w, 19), false, title, 2);
    c.Pen().SetColor(clWindowText);
    c.Brush().SetColor(clWindowText);
    c.Polygon({ui::Point(12, 5), ui::Point(12, 13), ui::Point(8, 9)});
    c.Polygon({ui::Point(w - 13, 5), ui::Point(w - 13, 13), ui::Point(w - 9, 9)});
    for (int i = 0; i < 7; ++i)
        TGraphicsProvider::DrawText(c, ui::Rect(kCellLeft + kCellWidth * i, kLettersTop,
                                                kCellLeft + kCellWidth * i + kDayTextWidth, kRuleTop),
                                    false, DayLetter(i + 1), 1);
    c.Pen().SetColor(clGrayText);
    for (int y : {kRuleTop, kRuleBottom}) {
        c.MoveTo(kCellLeft, y);
        c.LineTo(w - kRuleRightInset, y);
    }
    double first = FirstCellDate(FYear, FMonth);
    double today = Today();
    for (int r = 0; r < 6; ++r)
        for (int col = 0; col < 7; ++col) {
            double date = first + r * 7 + col;
            int x = kCellLeft + kCellWidth * col, y = kCellTop + kCellHeight * r;
            ui::TRect cell = ui::Bounds(x, y, kCellWidth, kCellHeight);
            c.Brush().SetStyle(ui::TBrushStyle::bsSolid);
            if (date == FSelectedDate) {
                c.Brush().SetColor(themed ? RGBColor(251, 230, 148) : RGBColor(192, 192, 192));
                c.FillRect(cell);
            }
            if (date == today) {
                c.Brush().SetColor(themed ? RGBColor(128, 0, 0) : clHighlight);
                c.FrameRect(cell);
            }
            int year = 0, month = 0, day = 0;
            DateToParts(date, year, month, day);
            c.Font().SetColor(month == FMonth ? clWindowText : clGrayText);
            TGraphicsProvider::DrawText(c, ui::Bounds(x, y, kDayTextWidth, kCellHeight), false, std::to_wstring(day), 1);
        }
    (void)h;
}

} // namespace grid
