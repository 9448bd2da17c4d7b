// Menus: popup (context) menus and their items.
#pragma once

#include "ui/controls/Controls.h"

#include <string>
#include <vector>

namespace ui {

class TPopupMenu;

// One command of a menu; items stored inside another item form its submenu.
class TMenuItem : public TComponent {
    UI_PUBLISHED_CLASS
public:
    explicit TMenuItem(TComponent* AOwner);
    ~TMenuItem() override;

    const std::wstring& Caption() const { return FCaption; }
    void SetCaption(const std::wstring& v) { FCaption = v; }
    // The default item is drawn in bold (and is what a double click on a tray icon would choose).
    bool Default() const { return FDefault; }
    void SetDefault(bool v) { FDefault = v; }
    bool Checked() const { return FChecked; }
    void SetChecked(bool v) { FChecked = v; }
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool v) { FEnabled = v; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool v) { FVisible = v; }

    int Count() const { return static_cast<int>(FItems.size()); }
    TMenuItem* Items(int index) const;
    void Add(TMenuItem* item);
    void Remove(TMenuItem* item);
    TMenuItem* Parent() const { return FParent; }

    TNotifyEvent OnClick;
    virtual void Click();

    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* parent) override;
    void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) override;

    // Appends the visible items to a Windows menu; command numbers are item positions in `flat`.
    void AppendTo(HMENU menu, std::vector<TMenuItem*>& flat) const;

private:
    friend class TPopupMenu;
    std::wstring FCaption;
    bool FDefault = false;
    bool FChecked = false;
    bool FEnabled = true;
    bool FVisible = true;
    std::vector<TMenuItem*> FItems;
    TMenuItem* FParent = nullptr;
    TPopupMenu* FMenu = nullptr; // the popup menu this item is a top-level item of
};

// A context menu: shown at a screen point, it runs its own loop until an item is chosen or the
// menu is dismissed, then raises the chosen item's Click.
class TPopupMenu : public TComponent {
    UI_PUBLISHED_CLASS
public:
    explicit TPopupMenu(TComponent* AOwner);
    ~TPopupMenu() override;

    // The top-level items.
    TMenuItem* Items() { return &FItems; }
    bool AutoPopup() const { return FAutoPopup; }
    void SetAutoPopup(bool v) { FAutoPopup = v; }
    // The control (or other component) the menu was last shown for.
    TComponent* PopupComponent() const { return FPopupComponent; }
    void SetPopupComponent(TComponent* component);

    // Shows the menu at a screen point and returns once it has closed (after the chosen item's Click).
    virtual void Popup(int x, int y);

    TNotifyEvent OnPopup;

    void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) override;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    TMenuItem FItems;
    bool FAutoPopup = true;
    TComponent* FPopupComponent = nullptr;
};

} // namespace ui
