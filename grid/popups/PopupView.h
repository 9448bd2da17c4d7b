// Drop-down windows of the button editors: the popup base (a top-most scroll view that takes the
// mouse while open and never the keyboard), the item list and the month calendar.
#pragma once

#include "grid/view/ScrollView.h"
#include "ui/graphics/ImgList.h"

#include <functional>
#include <string>
#include <vector>

namespace grid {

using TPopupSelectEvent = std::function<void(ui::TObject* Sender, const std::wstring& Text)>;

// A drop-down: shown at a screen point by Popup, it holds the mouse capture while the pointer
// is outside it, so a click anywhere still arrives here. The first release after opening only
// arms it (that is the release of the click that opened it); a later release inside selects,
// and any later release closes. The editor's keyboard focus is never taken.
class TPopupView : public TScrollView {
    UI_PUBLISHED_CLASS
public:
    explicit TPopupView(ui::TComponent* AOwner);

    bool Closed() const { return FClosed; }
    bool Armed() const { return FArmed; }
    // The text of the editor that dropped it down.
    const std::wstring& Text() const { return FText; }
    void SetText(const std::wstring& v) { FText = v; }

    virtual void Popup(int x, int y);
    // Closes without selecting: capture released, hidden, OnClose. Nothing when closed.
    void CloseUp();

    ui::TNotifyEvent OnClose;
    TPopupSelectEvent OnSelect;

    void WndProc(ui::TMessage& message) override;

protected:
    void CreateParams(ui::TCreateParams& params) override;
    void CreateHandleDone() override;
    void MouseMove(ui::TShiftState shift, int x, int y) override;
    void MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
    virtual void PaintBorder();
    virtual void SelectAt(int x, int y) = 0;
    void DoSelect(const std::wstring& text);

private:
    bool PointerOverWindow(POINT screen) const;
    void TrackLeave(bool overClient);
    // Over the popup: the pointer's leaving is watched; outside: the mouse is captured again.
    void FollowPointer();

    bool FClosed = true;
    bool FArmed = false;
    bool FReleasing = false; // our own release of the capture, over the popup
    std::wstring FText;
};

// The list of a combo box: one row per item, the hot row following the pointer.
class TPopupList : public TPopupView {
    UI_PUBLISHED_CLASS
public:
    explicit TPopupList(ui::TComponent* AOwner);

    // The items are the editor's (held by reference); the images are a reference too.
    void SetItems(const std::vector<std::wstring>* items) { FItems = items; }
    void SetImages(ui::TImageList* images) { FImages = images; }
    void SetShowImages(bool v) { FShowImages = v; }
    int ItemHeight() const { return FItemHeight; }
    void SetItemHeight(int v);
    int HotIndex() const { return FHotIndex; }
    int ChosenIndex() const { return FChosenIndex; }
    virtual int ItemCount() const;
    virtual int ScrollableCount() const;

    void Popup(int x, int y) override;

protected:
    void Paint() override;
    void MouseMove(ui::TShiftState shift, int x, int y) override;
    void SelectAt(int x, int y) override;
    virtual void DrawItem(int index, const ui::TRect& rect);

private:
    ui::TRect RowRect(int index) const;

    const std::vector<std::wstring>* FItems = nullptr;
    ui::TImageList* FImages = nullptr;
    bool FShowImages = true;
    int FItemHeight = 16;
    int FHotIndex = 0;
    int FPreviousHotIndex = 0;
    int FChosenIndex = -1;
};

// A small caption button drawn on a popup (the calendar's "Today" and "None").
class TPopupSmallButton : public ui::TGraphicControl {
    UI_PUBLISHED_CLASS
public:
    explicit TPopupSmallButton(ui::TComponent* AOwner);
    bool Pressed() const { return FPressed; }

protected:
    void Paint() override;
    void MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
    void MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;

private:
    bool FPressed = false;
};

// Days since 30 December 1899 of a calendar date, and back.
double DateFromParts(int year, int month, int day);
void DateToParts(double date, int& year, int& month, int& day);
// 1 = Sunday ... 7 = Saturday.
int DayOfWeek(double date);
// The date shown in the first day cell of a month's page: the 1st when it is a Sunday, else the
// last days of the month before.
double FirstCellDate(int year, int month);
// The day cell (column 0..6, row 0..5) under a client point; false outside the 7 x 6 cells.
bool DayCellAt(int x, int y, int& column, int& row);
// The name of a month (1 .. 12) in the user's locale (Turkish names under a Turkish locale); the English
// name when the locale gives none.
std::wstring MonthName(int month);
// The first letter of the locale's abbreviated name of a day of the week (1 = Sunday ... 7),
// as the calendar heads its columns.
std::wstring DayLetter(int dayOfWeek);

// A month calendar: title with the month and year between two arrows, a page of 6 x 7 days, and
// the buttons "Today" and "None".
class TDatePopup : public TPopupView {
    UI_PUBLISHED_CLASS
public:
    explicit TDatePopup(ui::TComponent* AOwner);

    double Date() const { return FDate; }
    void SetDate(double v);
    int Day() const { return FDay; }
    void SetDay(int v) { FDay = v; }
    int Month() const { return FMonth; }
    void SetMonth(int v) { FMonth = v; }
    int Year() const { return FYear; }
    void SetYear(int v) { FYear = v; }
    double SelectedDate() const { return FSelectedDate; }
    void SetSelectedDate(double v) { FSelectedDate = v; }
    TPopupSmallButton* TodayButton() const { return FToday; }
    TPopupSmallButton* NoneButton() const { return FNone; }

    // One month back (January goes to December of the year before) or forward.
    void PreviousMonth();
    void NextMonth();
    // The date in the day cell under a client point.
    double CellDate(int column, int row) const;

protected:
    void CreateHandleDone() override;
    void Paint() override;
    void MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
    void MouseMove(ui::TShiftState shift, int x, int y) override;
    void MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
    void SelectAt(int x, int y) override;

private:
    void HighlightAt(int x, int y);
    void ButtonClick(bool today);

    double FDate = 0;
    int FDay = 1, FMonth = 1, FYear = 1;
    double FSelectedDate = 0;
    bool FTracking = false;
    TPopupSmallButton* FToday;
    TPopupSmallButton* FNone;
};

} // namespace grid
