// Controls, appearance: fonts and colours that follow the parent, screen cursors by number,
// popup menus on a right click, and the controls that paint on a canvas.
#include "ui/controls/Controls.h"

#include "ui/controls/Menus.h"
#include "ui/core/ClassBuilder.h"
#include "ui/core/ScopeGuard.h"
#include "ui/core/SysUtils.h"
#include "ui/graphics/GdiGuards.h"

namespace ui {

// ---------------------------------------------------------------------------------------------
// Cursors and the screen

namespace {

struct TCursorName {
    TCursor Value;
    const wchar_t* Name;
    LPCWSTR System; // the system cursor shown for it
};

const TCursorName kCursors[] = {
    {crDefault, L"crDefault", IDC_ARROW}, {crNone, L"crNone", nullptr}, {crArrow, L"crArrow", IDC_ARROW},
    {crCross, L"crCross", IDC_CROSS}, {crIBeam, L"crIBeam", IDC_IBEAM}, {crSizeNESW, L"crSizeNESW", IDC_SIZENESW},
    {crSizeNS, L"crSizeNS", IDC_SIZENS}, {crSizeNWSE, L"crSizeNWSE", IDC_SIZENWSE},
    {crSizeWE, L"crSizeWE", IDC_SIZEWE}, {crUpArrow, L"crUpArrow", IDC_UPARROW},
    {crHourGlass, L"crHourGlass", IDC_WAIT}, {crDrag, L"crDrag", IDC_ARROW}, {crNoDrop, L"crNoDrop", IDC_NO},
    {crHSplit, L"crHSplit", IDC_SIZEWE}, {crVSplit, L"crVSplit", IDC_SIZENS}, {crMultiDrag, L"crMultiDrag", IDC_ARROW},
    {crSQLWait, L"crSQLWait", IDC_WAIT}, {crNo, L"crNo", IDC_NO}, {crAppStart, L"crAppStart", IDC_APPSTARTING},
    {crHelp, L"crHelp", IDC_HELP}, {crHandPoint, L"crHandPoint", IDC_HAND}, {crSizeAll, L"crSizeAll", IDC_SIZEALL},
};

// A popup menu named by a description: a component of the same window; nullptr while the
// reader has not created it yet.
TPopupMenu* FindPopupMenuReference(TControl& control, const std::wstring& name)
{
    for (TComponent* root = control.Owner(); root != nullptr; root = root->Owner()) {
        TComponent* found = root->FindComponent(name);
        if (found == nullptr)
            continue;
        auto* menu = dynamic_cast<TPopupMenu*>(found);
        if (menu == nullptr)
            throw EConvertError(Format(L"%s is not a popup menu", name.c_str()));
        return menu;
    }
    return nullptr;
}

} // namespace

TValue CursorToValue(TCursor cursor)
{
    for (const auto& c : kCursors)
        if (c.Value == cursor)
            return TValue::Ident(c.Name);
    return TValue::Integer(cursor);
}

TCursor CursorFromValue(const TValue& value)
{
    if (value.Kind == TValue::TKind::Integer)
        return static_cast<TCursor>(value.Int);
    if (value.Kind == TValue::TKind::Ident)
        for (const auto& c : kCursors)
            if (SameText(value.Str, c.Name))
                return c.Value;
    throw EConvertError(Format(L"'%s' is not a cursor", value.Str.c_str()));
}

TScreen::~TScreen()
{
    for (auto& r : FCursors) {
        DestroyCursor(r.Cursor);
        detail::CountUser(-1);
    }
}

HCURSOR TScreen::Cursors(TCursor index)
{
    for (auto& r : FCursors)
        if (r.Index == index)
            return r.Cursor;
    for (const auto& c : kCursors)
        if (c.Value == index)
            return c.System != nullptr ? LoadCursorW(nullptr, c.System) : nullptr;
    return LoadCursorW(nullptr, IDC_ARROW);
}

void TScreen::SetCursors(TCursor index, HCURSOR cursor)
{
    for (auto it = FCursors.begin(); it != FCursors.end(); ++it)
        if (it->Index == index) {
            if (it->Cursor == cursor)
                return;
            DestroyCursor(it->Cursor);
            detail::CountUser(-1);
            FCursors.erase(it);
            break;
        }
    if (cursor != nullptr) {
        FCursors.push_back(TRegistered{index, cursor, {}});
        detail::CountUser(1);
    }
}

void TScreen::RegisterCursorResource(TCursor index, const std::wstring& resourceName)
{
    // Controls register their cursors each time one is created: the same resource under the same
    // number is loaded once, and a cursor that may be on screen is never destroyed for it.
    for (auto& r : FCursors)
        if (r.Index == index && SameText(r.ResourceName, resourceName))
            return;
    HCURSOR cursor = static_cast<HCURSOR>(
        LoadImageW(GetModuleHandleW(nullptr), resourceName.c_str(), IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE));
    if (cursor == nullptr)
        throw EInvalidGraphic(Format(L"The cursor resource %s is missing", resourceName.c_str()));
    SetCursors(index, cursor);
    for (auto& r : FCursors)
        if (r.Index == index)
            r.ResourceName = resourceName;
}

void TScreen::SetCursor(TCursor cursor)
{
    if (cursor == FCursor)
        return;
    FCursor = cursor;
    POINT p;
    GetCursorPos(&p);
    ::SetCursor(Cursors(cursor == crDefault ? crArrow : cursor));
    SetCursorPos(p.x, p.y); // makes the window under the mouse choose its cursor again
}

namespace {
TScreen gScreen;
}
TScreen* const Screen = &gScreen;

// ---------------------------------------------------------------------------------------------
// TControl: font, colour, popup menu

void TControl::SetParentFont(bool v)
{
    if (v == FParentFont)
        return;
    FParentFont = v;
    if (v)
        ParentFontChanged();
}

void TControl::SetColor(TColor v)
{
    if (v == FColor && !FParentColor)
        return;
    FColor = v;
    if (!FInheriting)
        FParentColor = false;
    ColorChanged();
    NotifyChildrenOfParentChange();
}

void TControl::SetParentColor(bool v)
{
    if (v == FParentColor)
        return;
    FParentColor = v;
    if (v)
        ParentColorChanged();
}

void TControl::ParentFontChanged()
{
    if (!FParentFont || FParent == nullptr)
        return;
    FInheriting = true;
    TAssignOnExit<bool> inherited(FInheriting, false);
    FFont->Assign(*FParent->Font());
}

void TControl::ParentColorChanged()
{
    if (!FParentColor || FParent == nullptr)
        return;
    FInheriting = true;
    TAssignOnExit<bool> inherited(FInheriting, false);
    SetColor(FParent->Color());
}

void TControl::SetPopupMenu(TPopupMenu* menu)
{
    if (menu == FPopupMenu)
        return;
    if (FPopupMenu != nullptr)
        RemoveFreeNotification(FPopupMenu);
    FPopupMenu = menu;
    if (FPopupMenu != nullptr)
        FreeNotification(FPopupMenu);
}

void TControl::ReadPopupMenu(const TValue& v)
{
    if (v.Kind != TValue::TKind::Ident)
        throw EConvertError(L"PopupMenu must name a popup menu of the window");
    FPendingPopupMenu.clear();
    if (SameText(v.Str, L"nil")) {
        SetPopupMenu(nullptr);
        return;
    }
    TPopupMenu* menu = FindPopupMenuReference(*this, v.Str);
    if (menu == nullptr)
        FPendingPopupMenu = v.Str; // stored later in the description: Loaded finds it
    SetPopupMenu(menu);
}

void TControl::Loaded()
{
    TComponent::Loaded();
    if (!FPendingPopupMenu.empty()) {
        std::wstring name = std::move(FPendingPopupMenu);
        FPendingPopupMenu.clear();
        TPopupMenu* menu = FindPopupMenuReference(*this, name);
        if (menu == nullptr)
            throw EConvertError(Format(L"%s: the popup menu %s does not exist", Name().c_str(), name.c_str()));
        SetPopupMenu(menu);
    }
}

void TControl::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == FPopupMenu)
        FPopupMenu = nullptr;
}

bool TControl::ShowPopupMenu(TPoint screen)
{
    for (TControl* c = this; c != nullptr; c = c->FParent) {
        TPopupMenu* menu = c->FPopupMenu;
        if (menu != nullptr && menu->AutoPopup()) {
            menu->SetPopupComponent(this);
            menu->Popup(screen.x, screen.y);
            return true;
        }
    }
    return false;
}

// ---------------------------------------------------------------------------------------------
// TWinControl: font and colour of the window

void TWinControl::FontChanged()
{
    if (FHandle != nullptr)
        SendMessageW(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), TRUE);
    Invalidate();
}

void TWinControl::ColorChanged()
{
    FColorBrush.SetColor(Color());
    Invalidate();
}

void TWinControl::NotifyChildrenOfParentChange()
{
    for (TControl* c : FControls) {
        c->ParentFontChanged();
        c->ParentColorChanged();
    }
}

bool TWinControl::HandleControlColor(TMessage& message)
{
    HDC dc = reinterpret_cast<HDC>(message.WParam);
    SetTextColor(dc, ColorToRef(Font()->Color()));
    SetBkColor(dc, ColorToRef(Color()));
    FColorBrush.SetColor(Color());
    message.Result = reinterpret_cast<LRESULT>(FColorBrush.Handle());
    return true;
}

// ---------------------------------------------------------------------------------------------
// TCustomControl, TGraphicControl

namespace {

// Lends the device context of one paint to a control's canvas, set up with the control's font
// and colour, and takes it back whatever the paint step does: the canvas must never keep a
// context that Windows reuses after the paint.
template <class F>
void PaintOnCanvas(TCanvas& canvas, HDC dc, TFont& font, TColor color, F&& paint)
{
    TCanvasBinding binding(canvas, dc);
    canvas.SetFont(font);
    canvas.Brush().SetColor(color);
    paint();
}

} // namespace

const TClassInfo& TCustomControl::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TCustomControl>(L"TCustomControl", &TWinControl::StaticClass()).Build();
    return info;
}

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner), FCanvas(std::make_unique<TCanvas>()) {}

TCustomControl::~TCustomControl() = default;

void TCustomControl::PaintWindow(HDC dc)
{
    PaintOnCanvas(*FCanvas, dc, *Font(), Color(), [this] { Paint(); });
}

const TClassInfo& TGraphicControl::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TGraphicControl>(L"TGraphicControl", &TControl::StaticClass()).Build();
    return info;
}

TGraphicControl::TGraphicControl(TComponent* AOwner) : TControl(AOwner), FCanvas(std::make_unique<TCanvas>())
{
    // Windowless controls take their parent's colour unless they set one of their own.
    SetParentColor(true);
}

TGraphicControl::~TGraphicControl() = default;

void TGraphicControl::PaintTo(HDC dc)
{
    PaintOnCanvas(*FCanvas, dc, *Font(), Color(), [this] { Paint(); });
}

} // namespace ui
