// Menus: popup menus built as Windows menus when shown, and their items.
#include "ui/controls/Menus.h"

#include "ui/controls/Forms.h"
#include "ui/core/ClassBuilder.h"
#include "ui/core/ScopeGuard.h"

#include <algorithm>

namespace ui {

// ---------------------------------------------------------------------------------------------
// TMenuItem

const TClassInfo& TMenuItem::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TMenuItem>(L"TMenuItem", &TComponent::StaticClass())
        .Property(L"Caption", &TMenuItem::Caption, &TMenuItem::SetCaption)
        .Property(L"Checked", &TMenuItem::Checked, &TMenuItem::SetChecked)
        .Property(L"Default", &TMenuItem::Default, &TMenuItem::SetDefault)
        .Property(L"Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled)
        .Property(L"Visible", &TMenuItem::Visible, &TMenuItem::SetVisible)
        .Event(L"OnClick", &TMenuItem::OnClick)
        .Build();
    return info;
}

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) {}

TMenuItem::~TMenuItem()
{
    // Items owned elsewhere stay alive but leave this submenu.
    for (TMenuItem* item : FItems)
        item->FParent = nullptr;
    if (FParent != nullptr)
        FParent->Remove(this);
}

TMenuItem* TMenuItem::Items(int index) const
{
    if (index < 0 || index >= Count())
        throw EListError(index);
    return FItems[index];
}

void TMenuItem::Add(TMenuItem* item)
{
    if (item->FParent != nullptr)
        item->FParent->Remove(item);
    item->FParent = this;
    FItems.push_back(item);
}

void TMenuItem::Remove(TMenuItem* item)
{
    FItems.erase(std::remove(FItems.begin(), FItems.end(), item), FItems.end());
    if (item->FParent == this)
        item->FParent = nullptr;
}

TComponent* TMenuItem::GetParentComponent() const
{
    if (FParent != nullptr && FParent->FMenu != nullptr)
        return FParent->FMenu;
    return FParent;
}

void TMenuItem::SetParentComponent(TComponent* parent)
{
    if (auto* menu = dynamic_cast<TPopupMenu*>(parent))
        menu->Items()->Add(this);
    else if (auto* item = dynamic_cast<TMenuItem*>(parent))
        item->Add(this);
}

void TMenuItem::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root)
{
    for (TMenuItem* item : FItems)
        if (item->Owner() == root)
            proc(item);
}

void TMenuItem::Click()
{
    if (OnClick)
        OnClick(this);
}

void TMenuItem::AppendTo(HMENU menu, std::vector<TMenuItem*>& flat) const
{
    for (TMenuItem* item : FItems) {
        if (!item->FVisible)
            continue;
        UINT flags = MF_STRING;
        if (item->FCaption == L"-")
            flags = MF_SEPARATOR;
        if (!item->FEnabled)
            flags |= MF_GRAYED;
        if (item->FChecked)
            flags |= MF_CHECKED;
        if (!item->FItems.empty()) {
            HMENU sub = CreatePopupMenu();
            item->AppendTo(sub, flat);
            AppendMenuW(menu, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), item->FCaption.c_str());
            continue;
        }
        flat.push_back(item);
        UINT id = static_cast<UINT>(flat.size()); // 0 means "nothing chosen"
        AppendMenuW(menu, flags, id, item->FCaption.c_str());
        if (item->FDefault)
            SetMenuDefaultItem(menu, id, FALSE);
    }
}

// ---------------------------------------------------------------------------------------------
// TPopupMenu

const TClassInfo& TPopupMenu::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TPopupMenu>(L"TPopupMenu", &TComponent::StaticClass())
        .Property(L"AutoPopup", &TPopupMenu::AutoPopup, &TPopupMenu::SetAutoPopup)
        .Event(L"OnPopup", &TPopupMenu::OnPopup)
        .Build();
    return info;
}

TPopupMenu::TPopupMenu(TComponent* AOwner) : TComponent(AOwner), FItems(nullptr) { FItems.FMenu = this; }

TPopupMenu::~TPopupMenu() = default;

void TPopupMenu::SetPopupComponent(TComponent* component)
{
    if (component == FPopupComponent)
        return;
    if (FPopupComponent != nullptr)
        RemoveFreeNotification(FPopupComponent);
    FPopupComponent = component;
    if (FPopupComponent != nullptr)
        FreeNotification(FPopupComponent);
}

void TPopupMenu::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == FPopupComponent)
        FPopupComponent = nullptr;
}

void TPopupMenu::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root)
{
    FItems.GetChildren(proc, root);
}

void TPopupMenu::Popup(int x, int y)
{
    if (OnPopup)
        OnPopup(this);
    std::vector<TMenuItem*> flat;
    HMENU menu = CreatePopupMenu();
    if (menu == nullptr)
        throw EInvalidOperation(L"Cannot create a popup menu");
    UINT chosen = 0;
    {
        TScopeExit destroy([menu] { DestroyMenu(menu); }); // submenus go with it
        FItems.AppendTo(menu, flat);
        // The menu needs a window of ours in the foreground to close when the user clicks elsewhere.
        HWND owner = Application->Handle();
        SetForegroundWindow(owner);
        chosen = static_cast<UINT>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, x, y, 0,
                                                  owner, nullptr));
        PostMessageW(owner, WM_NULL, 0, 0);
    }
    if (chosen > 0 && chosen <= flat.size())
        flat[chosen - 1]->Click();
}

} // namespace ui
