// The button editors and their small buttons.
#include "grid/editors/ButtonEditors.h"

#include "grid/common/GridClassInfo.h"
#include "grid/data/ColumnClasses.h"
#include "grid/popups/ControlsCommon.h"
#include "grid/view/ThemesSupport.h"
#include "ui/core/ClassBuilder.h"
#include "ui/core/ScopeGuard.h"
#include "ui/controls/MouseLeave.h"
#include "ui/graphics/GdiGuards.h"

#include <windows.h>
#include <windowsx.h>

#include <algorithm>
#include <cmath>

namespace grid {

GRID_PLAIN_CLASS(TSmallButton, ui::TCustomControl)

GRID_PLAIN_CLASS(TExecuteButton, TSmallButton)

GRID_PLAIN_CLASS(TDropDownButton, TSmallButton)

const ui::TClassInfo& TCustomButtonCellEditor::StaticClass()
{
    using C = TCustomButtonCellEditor;
    static const ui::TClassInfo info = ui::TClassBuilder<C>(L"TCustomButtonCellEditor", &TTextualEditor::StaticClass())
        .Property(L"Style", &C::Style, &C::SetStyle)
        .Event(L"OnButtonClick", &C::OnButtonClick)
        .Build();
    return info;
}

GRID_PLAIN_CLASS(TPopupEditor, TCustomButtonCellEditor)

const ui::TClassInfo& TComboBoxEditor::StaticClass()
{
    using C = TComboBoxEditor;
    static const ui::TClassInfo info = ui::TClassBuilder<C>(L"TComboBoxEditor", &TPopupEditor::StaticClass())
        .Property(L"DropDownCount", &C::DropDownCount, &C::SetDropDownCount)
        .Property(L"ItemIndex", &C::ItemIndex, &C::SetItemIndex)
        .Property(L"ItemHeight", &C::ItemHeight, &C::SetItemHeight)
        .Property(L"Items", &C::Items, &C::SetItems)
        .Property(L"ShowImages", &C::ShowImages, &C::SetShowImages)
        .Build();
    return info;
}

GRID_PLAIN_CLASS(TDatePickerEditor, TPopupEditor)

// ---------------------------------------------------------------------------------------------
// Small buttons

TSmallButton::TSmallButton(ui::TComponent* AOwner) : ui::TCustomControl(AOwner) {}

void TSmallButton::SetPressed(bool v)
{
    if (v == FPressed)
        return;
    FPressed = v;
    Invalidate();
}

void TSmallButton::SetHot(bool v)
{
    if (v == FHot)
        return;
    FHot = v;
    Invalidate();
}

void TSmallButton::MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    ui::TCustomControl::MouseDown(button, shift, x, y);
    if (button != ui::TMouseButton::mbLeft)
        return;
    SetPressed(true);
    if (OnPress)
        OnPress(this);
}

void TSmallButton::MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    ui::TCustomControl::MouseUp(button, shift, x, y);
    if (button != ui::TMouseButton::mbLeft || !FPressed)
        return;
    SetPressed(false);
    if (OnRelease)
        OnRelease(this);
}

void TSmallButton::MouseMove(ui::TShiftState shift, int x, int y)
{
    ui::TCustomControl::MouseMove(shift, x, y);
    ui::TrackMouseLeave(HandleAllocated() ? Handle() : nullptr, FTrackingLeave);
    SetHot(true);
}

void TSmallButton::WndProc(ui::TMessage& message)
{
    switch (message.Msg) {
    case WM_ERASEBKGND:
        message.Result = 1;
        return;
    case WM_MOUSELEAVE:
        FTrackingLeave = false;
        SetHot(false);
        break;
    default:
        break;
    }
    ui::TCustomControl::WndProc(message);
}

TExecuteButton::TExecuteButton(ui::TComponent* AOwner) : TSmallButton(AOwner) { SetBounds(0, 0, 21, 20); }

void TExecuteButton::Paint()
{
    ui::TCanvas& c = Canvas();
    ui::TRect r = ClientRect();
    if (ThemesActive()) {
        c.Brush().SetColor(Color());
        c.FillRect(r);
        ui::TRect inflated = r;
        InflateRect(&inflated, 1, 1);
        DrawThemePart(Handle(), c.Handle(), inflated, Pressed() ? 3 : Hot() ? 2 : 1, 1, L"button");
        return;
    }
    if (Pressed()) {
        c.Brush().SetColor(clBtnFace);
        c.Pen().SetColor(clBtnShadow);
        c.Rectangle(r);
        return;
    }
    DrawFrameControl(c.Handle(), &r, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT);
}

TDropDownButton::TDropDownButton(ui::TComponent* AOwner) : TSmallButton(AOwner) { SetBounds(0, 0, 16, 20); }

void TDropDownButton::Paint()
{
    ui::TCanvas& c = Canvas();
    ui::TRect r = ClientRect();
    if (ThemesActive()) {
        DrawThemePart(Handle(), c.Handle(), r, Pressed() ? 3 : Hot() ? 2 : 1, 1, L"combobox");
        return;
    }
    DrawFrameControl(c.Handle(), &r, DFC_SCROLL, DFCS_SCROLLCOMBOBOX | DFCS_ADJUSTRECT | (Pressed() ? DFCS_PUSHED : 0));
}

// ---------------------------------------------------------------------------------------------
// TCustomButtonCellEditor

TCustomButtonCellEditor::TCustomButtonCellEditor(ui::TComponent* AOwner) : TTextualEditor(AOwner) {}

TCustomButtonCellEditor::~TCustomButtonCellEditor()
{
    // The popup is a window of its own: it must not stay open (and hold the mouse) after us.
    CloseUpPopup();
}

TSmallButton* TCustomButtonCellEditor::Button()
{
    if (FButton == nullptr) {
        const ui::TClassInfo* info = ButtonClass();
        FButton = static_cast<TSmallButton*>(info->Create(this));
        FButton->SetVisible(false);
        FButton->SetParent(this);
        FButton->OnPress = [this](ui::TObject*) { DropDown(); };
        FButton->OnRelease = [this](ui::TObject*) { DoButtonClick(); };
    }
    return FButton;
}

TPopupView* TCustomButtonCellEditor::Popup()
{
    if (!FPopupMade) {
        FPopupMade = true;
        if (const ui::TClassInfo* info = PopupClass()) {
            FPopup = static_cast<TPopupView*>(info->Create(this));
            FPopup->OnClose = [this](ui::TObject*) {
                if (FButton != nullptr)
                    FButton->SetPressed(false);
            };
            FPopup->OnSelect = [this](ui::TObject* sender, const std::wstring& text) { PopupSelected(sender, text); };
        }
    }
    return FPopup;
}

void TCustomButtonCellEditor::CloseUpPopup()
{
    if (FPopup != nullptr)
        FPopup->CloseUp();
}

void TCustomButtonCellEditor::SetStyle(TDropDownStyle v)
{
    TTextualEditor::SetStyle(v);
    SetReadOnly(v == TDropDownStyle::dsDropDownList);
    SetCursor(v == TDropDownStyle::dsDropDownList ? ui::crArrow : ui::crDefault);
}

void TCustomButtonCellEditor::GetTextRect(ui::TRect& rect)
{
    TTextualEditor::GetTextRect(rect);
    // The button's real width: 21 for the push button, 16 for the arrow.
    rect.right -= Button()->Width();
}

void TCustomButtonCellEditor::BeginEdit()
{
    TTextualEditor::BeginEdit();
    SetCursor(Style() == TDropDownStyle::dsDropDownList ? ui::crArrow : ui::crDefault);
    Button()->Invalidate();
}

void TCustomButtonCellEditor::PopupSelected(ui::TObject*, const std::wstring& text)
{
    SetText(text);
    DoEdit(GetText());
    Button()->SetPressed(false);
    Button()->SetHot(false);
    if (Style() == TDropDownStyle::dsDropDownList)
        Invalidate();
}

void TCustomButtonCellEditor::DoButtonClick()
{
    if (OnButtonClick)
        OnButtonClick(this);
}

void TCustomButtonCellEditor::PlaceButton()
{
    TSmallButton* button = Button();
    if (!HandleAllocated())
        return;
    button->SetBounds(ClientWidth() - button->Width(), 0, button->Width(), ClientHeight());
    button->SetVisible(true);
    button->Invalidate();
}

void TCustomButtonCellEditor::CreateHandleDone()
{
    TTextualEditor::CreateHandleDone();
    PlaceButton();
    UpdateTextRect();
}

void TCustomButtonCellEditor::Resize()
{
    PlaceButton();
    TTextualEditor::Resize();
}

void TCustomButtonCellEditor::MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    TTextualEditor::MouseDown(button, shift, x, y);
    if (button == ui::TMouseButton::mbLeft && Style() == TDropDownStyle::dsDropDownList && !PopupOpen()) {
        Button()->SetPressed(true);
        DropDown();
    }
}

void TCustomButtonCellEditor::PointerInside(bool inside)
{
    if (!ComponentState().Contains(ui::TComponentStateFlag::csDesigning))
        Button()->SetHot(inside);
}

void TCustomButtonCellEditor::WndProc(ui::TMessage& message)
{
    switch (message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        // A list-only text is not the edit control's to select: a press on it drops the popup
        // down exactly as the button does. The control's own press handling would take the
        // mouse capture back from the popup, leaving it deaf to the clicks meant for it.
        if (Style() == TDropDownStyle::dsDropDownList) {
            if (!Focused() && CanFocus())
                SetFocus();
            HandleMouseMessage(message);
            message.Result = 0;
            return;
        }
        break;
    case WM_SHOWWINDOW:
        if (!message.WParam)
            CloseUpPopup();
        break;
    case WM_WINDOWPOSCHANGED:
        if (reinterpret_cast<const WINDOWPOS*>(message.LParam)->flags & SWP_HIDEWINDOW)
            CloseUpPopup();
        break;
    case WM_KILLFOCUS:
    case WM_DESTROY:
        CloseUpPopup();
        break;
    default:
        break;
    }
    TTextualEditor::WndProc(message);
}

// ---------------------------------------------------------------------------------------------
// TPopupEditor

void TPopupEditor::DropDown()
{
    TPopupView* popup = Popup();
    if (popup == nullptr)
        return;
    ui::TPoint corner = ClientToScreen(ui::Point(-1, ClientHeight()));
    ui::TPoint top = ClientToScreen(ui::Point(0, 0));
    popup->SetFont(*Font());
    popup->SetWidth(Width());
    popup->SetText(GetText());
    PreparePopup();
    // On the editor's monitor, below the editor, or above it when there is no room below.
    ui::TRect editor = ui::Bounds(top.x, top.y, ClientWidth(), ClientHeight());
    ui::TRect at = PlacePopup(corner, popup->Width(), popup->Height(), WorkAreaOf(editor), top.y);
    popup->Popup(at.left, at.top);
}

// ---------------------------------------------------------------------------------------------
// TComboBoxEditor

TComboBoxEditor::TComboBoxEditor(ui::TComponent* AOwner) : TPopupEditor(AOwner) {}

TComboBoxEditor::~TComboBoxEditor() { SetImages(nullptr); }

void TComboBoxEditor::SetImages(ui::TImageList* v)
{
    if (!ReplaceReference(this, FImages, v))
        return;
    UpdateTextRect();
    Invalidate();
}

void TComboBoxEditor::Notification(ui::TComponent* component, ui::TOperation operation)
{
    TPopupEditor::Notification(component, operation);
    if (operation == ui::TOperation::opRemove && component == FImages)
        FImages = nullptr;
}

void TComboBoxEditor::SetItemIndex(int v)
{
    if (FItems.empty())
        return;
    FItemIndex = std::clamp(v, 0, static_cast<int>(FItems.size()) - 1);
    SetText(FItems[static_cast<size_t>(FItemIndex)]);
    if (ImagesShown())
        Invalidate();
}

void TComboBoxEditor::GetTextRect(ui::TRect& rect)
{
    TPopupEditor::GetTextRect(rect);
    if (ImagesShown())
        rect.left += FImages->Width() + 2;
}

void TComboBoxEditor::PreparePopup()
{
    auto* list = dynamic_cast<TPopupList*>(Popup());
    if (list == nullptr)
        return;
    list->SetItems(&FItems);
    list->SetImages(FImages);
    list->SetItemHeight(FItemHeight);
    list->SetShowImages(FShowImages);
    list->SetWidth(Width());
    list->HandleNeeded();
    int rows = std::min(FDropDownCount, static_cast<int>(FItems.size()));
    RECT window, client;
    GetWindowRect(list->Handle(), &window);
    GetClientRect(list->Handle(), &client);
    int frame = (window.bottom - window.top) - (client.bottom - client.top);
    list->SetHeight(rows * list->ItemHeight() + frame);
}

void TComboBoxEditor::PopupSelected(ui::TObject* Sender, const std::wstring& text)
{
    TPopupEditor::PopupSelected(Sender, text);
    if (auto* list = dynamic_cast<TPopupList*>(Popup())) {
        int chosen = list->ChosenIndex();
        if (chosen >= 0 && chosen < static_cast<int>(FItems.size()))
            FItemIndex = chosen;
    }
    if (ImagesShown())
        Invalidate();
}

void TComboBoxEditor::KeyDown(WORD& key, ui::TShiftState shift)
{
    TPopupEditor::KeyDown(key, shift);
    if (key == VK_UP || key == VK_DOWN) {
        SetItemIndex(FItemIndex + (key == VK_UP ? -1 : 1));
        key = 0;
    }
}

void TComboBoxEditor::WndProc(ui::TMessage& message)
{
    switch (message.Msg) {
    case WM_MOUSEWHEEL:
        SetItemIndex(FItemIndex + (GET_WHEEL_DELTA_WPARAM(message.WParam) < 0 ? 1 : -1));
        message.Result = 0;
        return;
    case WM_PAINT:
        TPopupEditor::WndProc(message);
        // The chosen item's image left of the text, when it has one.
        if (ImagesShown() && FItemIndex >= 0 && FItemIndex < FImages->Count() && HandleAllocated()) {
            ui::TWindowDC dc(Handle(), ui::TWindowDC::waClient);
            ui::TCanvas canvas;
            ui::TCanvasBinding binding(canvas, dc);
            int h = FImages->Height(), ch = ClientHeight();
            int y = VerticalAlignment() == TVerticalAlignment::vaTop      ? 0
                    : VerticalAlignment() == TVerticalAlignment::vaBottom ? ch - h
                                                                          : ch / 2 - h / 2;
            FImages->Draw(canvas, 2, y, FItemIndex);
        }
        return;
    default:
        break;
    }
    TPopupEditor::WndProc(message);
}

// ---------------------------------------------------------------------------------------------
// TDatePickerEditor

TDatePickerEditor::TDatePickerEditor(ui::TComponent* AOwner) : TPopupEditor(AOwner) { SetAsDate(Today()); }

double TDatePickerEditor::AsDate() const
{
    std::wstring text = GetText();
    if (text.empty() || text == L"0")
        return Today();
    return StrToDateTime(text);
}

void TDatePickerEditor::SetAsDate(double value) { SetText(DateTimeToStr(std::floor(value))); }

void TDatePickerEditor::PreparePopup()
{
    auto* popup = dynamic_cast<TDatePopup*>(Popup());
    if (popup == nullptr)
        return;
    // A half-typed date is the user's to finish: the calendar opens at today, the text stays.
    double date = Today();
    try {
        date = Date();
    } catch (const ui::EConvertError&) {
    }
    int year = 0, month = 0, day = 0;
    DateToParts(date, year, month, day);
    popup->SetYear(year);
    popup->SetMonth(month);
    popup->SetDay(day);
    popup->SetSelectedDate(std::floor(date));
    popup->SetBounds(popup->Left(), popup->Top(), 151, 163);
}

// ---------------------------------------------------------------------------------------------
// What the columns hand their editors

void TComboBoxEditor::PrepareFor(const TCustomColumn& column)
{
    auto* combo = dynamic_cast<const TComboBoxColumn*>(&column);
    if (combo == nullptr)
        return;
    SetItems(combo->Items());
    SetImages(combo->Images());
    SetShowImages(combo->ShowImages());
    SetDropDownCount(combo->DropDownCount());
    SetStyle(combo->Style() == TCompoBoxStyle::cbsDropDownList ? TDropDownStyle::dsDropDownList
                                                               : TDropDownStyle::dsDropDown);
}

void TDatePickerEditor::PrepareFor(const TCustomColumn& column)
{
    if (dynamic_cast<const TDateColumn*>(&column) != nullptr)
        SetStyle(TDropDownStyle::dsDropDown);
}

} // namespace grid
