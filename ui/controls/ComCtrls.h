// Common controls: progress bars and tabbed page controls.
#pragma once

#include "ui/controls/Controls.h"

#include <vector>

namespace ui {

enum class TProgressBarOrientation { pbHorizontal, pbVertical };

// The system progress bar. The position always lies within Min ... Max: a value outside is
// shown (and kept) as the nearest end, as the platform's bar does.
class TProgressBar : public TWinControl {
    UI_PUBLISHED_CLASS
public:
    explicit TProgressBar(TComponent* AOwner);

    int Min() const { return FMin; }
    void SetMin(int v);
    int Max() const { return FMax; }
    void SetMax(int v);
    int Position() const { return FPosition; }
    void SetPosition(int v);
    int Step() const { return FStep; }
    void SetStep(int v) { FStep = v; }
    void StepIt() { SetPosition(FPosition + FStep); }
    void StepBy(int delta) { SetPosition(FPosition + delta); }
    bool Smooth() const { return FSmooth; }
    void SetSmooth(bool v);
    TProgressBarOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TProgressBarOrientation v);

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandleDone() override;

private:
    void UpdateBar();
    int FMin = 0;
    int FMax = 100;
    int FPosition = 0;
    int FStep = 10;
    bool FSmooth = false;
    TProgressBarOrientation FOrientation = TProgressBarOrientation::pbHorizontal;
};

class TPageControl;

// One page of a page control. A page whose tab is hidden can still be the active page; its
// tab stays hidden.
class TTabSheet : public TWinControl {
    UI_PUBLISHED_CLASS
public:
    explicit TTabSheet(TComponent* AOwner);
    ~TTabSheet() override;

    TPageControl* PageControl() const { return FPageControl; }
    void SetPageControl(TPageControl* control);
    void SetParent(TWinControl* parent) override;
    bool TabVisible() const { return FTabVisible; }
    void SetTabVisible(bool v);
    // Position among all pages of the page control (hidden tabs included); -1 without one.
    int PageIndex() const;
    // Position among the visible tabs; -1 when the tab is hidden.
    int TabIndex() const;

protected:
    void TextChanged() override;
    // A page that is not showing gets its windows when it is first shown.
    bool CreatedWithParent() const override { return false; }

private:
    friend class TPageControl;
    TPageControl* FPageControl = nullptr;
    bool FTabVisible = true;
};

// Tabbed pages over the system tab control: one tab per page whose tab is visible, the active
// page filling the area below the tabs.
class TPageControl : public TWinControl {
    UI_PUBLISHED_CLASS
public:
    explicit TPageControl(TComponent* AOwner);
    ~TPageControl() override;

    int PageCount() const { return static_cast<int>(FPages.size()); }
    TTabSheet* Pages(int index) const;
    TTabSheet* ActivePage() const { return FActivePage; }
    void SetActivePage(TTabSheet* page);
    int ActivePageIndex() const { return FActivePage != nullptr ? FActivePage->PageIndex() : -1; }
    void SetActivePageIndex(int index);
    // The number of tabs shown (pages whose tab is visible).
    int TabCount() const;
    // The area that pages fill, in client coordinates.
    TRect DisplayRect();

    void AlignControls() override;
    void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) override;
    void Loaded() override;
    // The description reader's setter for ActivePage (the page usually comes later).
    void ReadActivePage(const TValue& value);

    TNotifyEvent OnChange;
    std::function<void(TObject* Sender, bool& AllowChange)> OnChanging;

protected:
    friend class TTabSheet;
    void CreateParams(TCreateParams& params) override;
    void CreateHandleDone() override;
    bool HandleReflected(TMessage& message) override;
    virtual void Change();
    void InsertPage(TTabSheet* page);
    void RemovePage(TTabSheet* page);
    // Rebuilds the tab items from the pages.
    void UpdateTabs();
    void ShowActivePage();

private:
    std::vector<TTabSheet*> FPages;
    TTabSheet* FActivePage = nullptr;
    std::wstring FPendingActivePage;
    bool FUpdatingTabs = false;
};

} // namespace ui

template <> const ui::TEnumInfo& ui::EnumInfoOf<ui::TProgressBarOrientation>();
