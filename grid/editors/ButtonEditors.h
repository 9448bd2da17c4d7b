// Editors with a button at the right edge: the button editor base, the drop-down editor, the
// combo box and the date picker, with their small buttons.
#pragma once

#include "grid/editors/CellEditors.h"
#include "grid/popups/PopupView.h"

#include <string>
#include <vector>

namespace grid {

// A button inside an editor: pressed and hot looks, a press and a release event. Its
// background is never erased; the subclasses paint it.
class TSmallButton : public ui::TCustomControl {
    UI_PUBLISHED_CLASS
public:
    explicit TSmallButton(ui::TComponent* AOwner);

    bool Pressed() const { return FPressed; }
    void SetPressed(bool v);
    bool Hot() const { return FHot; }
    void SetHot(bool v);

    ui::TNotifyEvent OnPress;
    ui::TNotifyEvent OnRelease;

    void WndProc(ui::TMessage& message) override;

protected:
    void MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
    void MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
    void MouseMove(ui::TShiftState shift, int x, int y) override;

private:
    bool FPressed = false;
    bool FHot = false;
    bool FTrackingLeave = false;
};

// A push button, 21 pixels wide.
class TExecuteButton : public TSmallButton {
    UI_PUBLISHED_CLASS
public:
    explicit TExecuteButton(ui::TComponent* AOwner);

protected:
    void Paint() override;
};

// A combo box's drop-down arrow, 16 pixels wide.
class TDropDownButton : public TSmallButton {
    UI_PUBLISHED_CLASS
public:
    explicit TDropDownButton(ui::TComponent* AOwner);

protected:
    void Paint() override;
};

// A textual editor with a button (class from ButtonClass) and a popup (class from PopupClass).
// The button's press drops the popup down; a choice in the popup becomes the text. An open
// popup closes without choosing whenever the editor hides, loses the focus or goes away.
class TCustomButtonCellEditor : public TTextualEditor {
    UI_PUBLISHED_CLASS
public:
    explicit TCustomButtonCellEditor(ui::TComponent* AOwner);
    ~TCustomButtonCellEditor() override;

    void SetStyle(TDropDownStyle v) override;
    TSmallButton* Button();
    TPopupView* Popup();
    bool PopupOpen() const { return FPopup != nullptr && !FPopup->Closed(); }

    void GetTextRect(ui::TRect& rect) override;
    void BeginEdit() override;
    void DropDownNow() { DropDown(); }

    ui::TNotifyEvent OnButtonClick;

    void WndProc(ui::TMessage& message) override;

protected:
    virtual const ui::TClassInfo* ButtonClass() const { return &TExecuteButton::StaticClass(); }
    virtual const ui::TClassInfo* PopupClass() const { return nullptr; }
    virtual void PreparePopup() {}
    virtual void PopupSelected(ui::TObject* Sender, const std::wstring& text);
    virtual void DoButtonClick();
    virtual void DropDown() {}
    void CreateHandleDone() override;
    void Resize() override;
    void MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
    void PointerInside(bool inside) override;

private:
    void PlaceButton();
    void CloseUpPopup();

    TSmallButton* FButton = nullptr;
    TPopupView* FPopup = nullptr;
    bool FPopupMade = false;
};

// A button editor whose button is the drop-down arrow and drops its popup down below itself.
class TPopupEditor : public TCustomButtonCellEditor {
    UI_PUBLISHED_CLASS
public:
    explicit TPopupEditor(ui::TComponent* AOwner) : TCustomButtonCellEditor(AOwner) {}

protected:
    const ui::TClassInfo* ButtonClass() const override { return &TDropDownButton::StaticClass(); }
    void DropDown() override;
};

// Picks its text from a list of items, optionally with an image each.
class TComboBoxEditor : public TPopupEditor {
    UI_PUBLISHED_CLASS
public:
    explicit TComboBoxEditor(ui::TComponent* AOwner);
    ~TComboBoxEditor() override;
    // A combo-box column's items, images, show-images, drop-down count and style.
    void PrepareFor(const TCustomColumn& column) override;

    int DropDownCount() const { return FDropDownCount; }
    void SetDropDownCount(int v) { FDropDownCount = v; }
    ui::TImageList* Images() const { return FImages; }
    void SetImages(ui::TImageList* v);
    int ItemIndex() const { return FItemIndex; }
    // Nothing without items; else clamped into the items and the text set to that item.
    void SetItemIndex(int v);
    int ItemHeight() const { return FItemHeight; }
    void SetItemHeight(int v) { FItemHeight = v; }
    const std::vector<std::wstring>& Items() const { return FItems; }
    void SetItems(const std::vector<std::wstring>& v) { FItems = v; }
    bool ShowImages() const { return FShowImages; }
    void SetShowImages(bool v) { FShowImages = v; }

    void GetTextRect(ui::TRect& rect) override;
    void WndProc(ui::TMessage& message) override;

protected:
    const ui::TClassInfo* PopupClass() const override { return &TPopupList::StaticClass(); }
    void PreparePopup() override;
    void PopupSelected(ui::TObject* Sender, const std::wstring& text) override;
    void KeyDown(WORD& key, ui::TShiftState shift) override;
    void Notification(ui::TComponent* component, ui::TOperation operation) override;

private:
    bool ImagesShown() const { return FShowImages && FImages != nullptr; }

    int FDropDownCount = 8;
    ui::TImageList* FImages = nullptr;
    int FItemIndex = 0;
    int FItemHeight = 16;
    std::vector<std::wstring> FItems;
    bool FShowImages = true;
};

// Picks a date from a month calendar.
class TDatePickerEditor : public TPopupEditor {
    UI_PUBLISHED_CLASS
public:
    explicit TDatePickerEditor(ui::TComponent* AOwner);
    // A date column's editor opens in drop-down style (typing allowed).
    void PrepareFor(const TCustomColumn& column) override;

    // Today for an empty text (or the "0" older texts hold); else the text read as a date.
    double Date() const { return AsDate(); }
    void SetDate(double v) { SetAsDate(v); }
    double AsDate() const override;
    void SetAsDate(double value) override;

protected:
    const ui::TClassInfo* PopupClass() const override { return &TDatePopup::StaticClass(); }
    void PreparePopup() override;
};

} // namespace grid
