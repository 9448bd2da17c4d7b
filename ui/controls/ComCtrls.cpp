// Common controls: progress bars and tabbed page controls.
#include "ui/controls/ComCtrls.h"

#include "ui/core/ClassBuilder.h"

#include <commctrl.h>

#include <algorithm>

namespace ui {

template <>
const TEnumInfo& EnumInfoOf<TProgressBarOrientation>()
{
    static const TEnumInfo info{L"TProgressBarOrientation", {L"pbHorizontal", L"pbVertical"}};
    return info;
}

// ---------------------------------------------------------------------------------------------
// TProgressBar

const TClassInfo& TProgressBar::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TProgressBar>(L"TProgressBar", &TWinControl::StaticClass())
        .Property(L"Min", &TProgressBar::Min, &TProgressBar::SetMin)
        .Property(L"Max", &TProgressBar::Max, &TProgressBar::SetMax)
        .Property(L"Orientation", &TProgressBar::Orientation, &TProgressBar::SetOrientation)
        .Property(L"Position", &TProgressBar::Position, &TProgressBar::SetPosition)
        .Property(L"Smooth", &TProgressBar::Smooth, &TProgressBar::SetSmooth)
        .Property(L"Step", &TProgressBar::Step, &TProgressBar::SetStep)
        .Build();
    return info;
}

TProgressBar::TProgressBar(TComponent* AOwner) : TWinControl(AOwner) { SetBounds(0, 0, 150, 16); }

void TProgressBar::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.SystemClass = PROGRESS_CLASSW;
    if (FSmooth)
        params.Style |= PBS_SMOOTH;
    if (FOrientation == TProgressBarOrientation::pbVertical)
        params.Style |= PBS_VERTICAL;
}

void TProgressBar::CreateHandleDone()
{
    TWinControl::CreateHandleDone();
    UpdateBar();
}

void TProgressBar::UpdateBar()
{
    if (!HandleAllocated())
        return;
    SendMessageW(Handle(), PBM_SETRANGE32, FMin, FMax);
    SendMessageW(Handle(), PBM_SETPOS, FPosition, 0);
}

void TProgressBar::SetMin(int v)
{
    FMin = v;
    if (FMax < FMin)
        FMax = FMin;
    FPosition = std::clamp(FPosition, FMin, FMax);
    UpdateBar();
}

void TProgressBar::SetMax(int v)
{
    FMax = v;
    if (FMin > FMax)
        FMin = FMax;
    FPosition = std::clamp(FPosition, FMin, FMax);
    UpdateBar();
}

void TProgressBar::SetPosition(int v)
{
    // While a description is read the range may not be set yet: clamp once it is (Loaded order
    // follows the stored order, in which the range comes first).
    FPosition = std::clamp(v, FMin, FMax);
    UpdateBar();
}

void TProgressBar::SetSmooth(bool v)
{
    if (v == FSmooth)
        return;
    FSmooth = v;
    RecreateWnd();
}

void TProgressBar::SetOrientation(TProgressBarOrientation v)
{
    if (v == FOrientation)
        return;
    FOrientation = v;
    RecreateWnd();
}

// ---------------------------------------------------------------------------------------------
// TTabSheet

const TClassInfo& TTabSheet::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TTabSheet>(L"TTabSheet", &TWinControl::StaticClass())
        .Property(L"TabVisible", &TTabSheet::TabVisible, &TTabSheet::SetTabVisible)
        .Build();
    return info;
}

TTabSheet::TTabSheet(TComponent* AOwner) : TWinControl(AOwner)
{
    FControlStyle.Include(TControlStyleFlag::csAcceptsControls);
    SetVisible(false);
}

TTabSheet::~TTabSheet()
{
    if (FPageControl != nullptr)
        FPageControl->RemovePage(this);
    FPageControl = nullptr;
}

void TTabSheet::SetParent(TWinControl* parent)
{
    if (auto* pages = dynamic_cast<TPageControl*>(parent))
        SetPageControl(pages);
    else {
        if (FPageControl != nullptr)
            SetPageControl(nullptr);
        TWinControl::SetParent(parent);
    }
}

void TTabSheet::SetPageControl(TPageControl* control)
{
    if (control == FPageControl)
        return;
    if (FPageControl != nullptr)
        FPageControl->RemovePage(this);
    FPageControl = control;
    TWinControl::SetParent(control);
    if (FPageControl != nullptr)
        FPageControl->InsertPage(this);
}

void TTabSheet::SetTabVisible(bool v)
{
    if (v == FTabVisible)
        return;
    FTabVisible = v;
    if (FPageControl != nullptr)
        FPageControl->UpdateTabs();
}

int TTabSheet::PageIndex() const
{
    if (FPageControl == nullptr)
        return -1;
    for (int i = 0; i < FPageControl->PageCount(); ++i)
        if (FPageControl->Pages(i) == this)
            return i;
    return -1;
}

int TTabSheet::TabIndex() const
{
    if (FPageControl == nullptr || !FTabVisible)
        return -1;
    int index = 0;
    for (int i = 0; i < FPageControl->PageCount(); ++i) {
        TTabSheet* page = FPageControl->Pages(i);
        if (page == this)
            return index;
        if (page->TabVisible())
            ++index;
    }
    return -1;
}

void TTabSheet::TextChanged()
{
    TWinControl::TextChanged();
    if (FPageControl != nullptr)
        FPageControl->UpdateTabs();
}

// ---------------------------------------------------------------------------------------------
// TPageControl

const TClassInfo& TPageControl::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TPageControl>(L"TPageControl", &TWinControl::StaticClass())
        .Custom(L"ActivePage",
                [](const TPageControl& c) {
                    return TValue::Ident(c.ActivePage() != nullptr ? c.ActivePage()->Name() : std::wstring(L"nil"));
                },
                [](TPageControl& c, const TValue& v) { c.ReadActivePage(v); })
        .Event(L"OnChange", &TPageControl::OnChange)
        .Event(L"OnChanging", &TPageControl::OnChanging)
        .Build();
    return info;
}

TPageControl::TPageControl(TComponent* AOwner) : TWinControl(AOwner)
{
    SetTabStop(true);
    SetBounds(0, 0, 289, 193);
}

TPageControl::~TPageControl()
{
    for (TTabSheet* page : FPages)
        page->FPageControl = nullptr;
    FPages.clear();
    FActivePage = nullptr;
}

TTabSheet* TPageControl::Pages(int index) const
{
    if (index < 0 || index >= PageCount())
        throw EListError(index);
    return FPages[index];
}

int TPageControl::TabCount() const
{
    return static_cast<int>(std::count_if(FPages.begin(), FPages.end(), [](TTabSheet* p) { return p->TabVisible(); }));
}

void TPageControl::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.SystemClass = WC_TABCONTROLW;
    params.Style |= TCS_TABS | WS_CLIPCHILDREN;
}

void TPageControl::CreateHandleDone()
{
    TWinControl::CreateHandleDone();
    UpdateTabs();
}

void TPageControl::InsertPage(TTabSheet* page)
{
    FPages.push_back(page);
    UpdateTabs();
    if (FActivePage == nullptr && !IsLoading() && !page->IsLoading())
        SetActivePage(page);
    else
        ShowActivePage();
}

void TPageControl::RemovePage(TTabSheet* page)
{
    FPages.erase(std::remove(FPages.begin(), FPages.end(), page), FPages.end());
    if (FActivePage == page)
        FActivePage = nullptr;
    UpdateTabs();
}

void TPageControl::ReadActivePage(const TValue& v)
{
    if (v.Kind != TValue::TKind::Ident)
        throw EConvertError(L"ActivePage must name a page of the page control");
    FPendingActivePage.clear();
    if (SameText(v.Str, L"nil")) {
        SetActivePage(nullptr);
        return;
    }
    for (TTabSheet* page : FPages)
        if (SameText(page->Name(), v.Str)) {
            SetActivePage(page);
            return;
        }
    FPendingActivePage = v.Str; // the pages are stored after this property
}

void TPageControl::Loaded()
{
    TWinControl::Loaded();
    if (!FPendingActivePage.empty()) {
        std::wstring name = std::move(FPendingActivePage);
        FPendingActivePage.clear();
        auto it = std::find_if(FPages.begin(), FPages.end(), [&](TTabSheet* p) { return SameText(p->Name(), name); });
        if (it == FPages.end())
            throw EConvertError(Format(L"%s: the page %s does not exist", Name().c_str(), name.c_str()));
        SetActivePage(*it);
    } else if (FActivePage == nullptr && !FPages.empty()) {
        SetActivePage(FPages.front());
    }
    ShowActivePage();
}

void TPageControl::SetActivePage(TTabSheet* page)
{
    if (page != nullptr && page->PageControl() != this)
        throw EInvalidOperation(Format(L"%s is not a page of %s", page->Name().c_str(), Name().c_str()));
    FActivePage = page;
    ShowActivePage();
}

void TPageControl::SetActivePageIndex(int index)
{
    SetActivePage(index < 0 ? nullptr : Pages(index));
}

void TPageControl::ShowActivePage()
{
    if (FActivePage != nullptr) {
        TRect r = DisplayRect();
        FActivePage->SetBounds(r.left, r.top, RectWidth(r), RectHeight(r));
        FActivePage->SetVisible(true);
        FActivePage->BringToFront();
    }
    for (TTabSheet* page : FPages)
        if (page != FActivePage)
            page->SetVisible(false);
    if (HandleAllocated()) {
        int tab = FActivePage != nullptr ? FActivePage->TabIndex() : -1;
        SendMessageW(Handle(), TCM_SETCURSEL, tab, 0);
    }
}

void TPageControl::UpdateTabs()
{
    if (!HandleAllocated() || FUpdatingTabs)
        return;
    FUpdatingTabs = true;
    SendMessageW(Handle(), TCM_DELETEALLITEMS, 0, 0);
    int index = 0;
    for (TTabSheet* page : FPages) {
        if (!page->TabVisible())
            continue;
        std::wstring caption = page->Caption();
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = caption.data();
        SendMessageW(Handle(), TCM_INSERTITEMW, index++, reinterpret_cast<LPARAM>(&item));
    }
    FUpdatingTabs = false;
    ShowActivePage();
}

TRect TPageControl::DisplayRect()
{
    TRect r = ClientRect();
    if (HandleAllocated()) {
        SendMessageW(Handle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
    } else {
        r.left += 4;
        r.top += 24;
        r.right -= 4;
        r.bottom -= 4;
    }
    if (r.right < r.left)
        r.right = r.left;
    if (r.bottom < r.top)
        r.bottom = r.top;
    return r;
}

void TPageControl::AlignControls()
{
    TWinControl::AlignControls();
    if (FActivePage != nullptr && !IsLoading()) {
        TRect r = DisplayRect();
        FActivePage->SetBounds(r.left, r.top, RectWidth(r), RectHeight(r));
    }
}

void TPageControl::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root)
{
    for (TTabSheet* page : FPages)
        if (page->Owner() == root)
            proc(page);
}

void TPageControl::Change()
{
    if (OnChange)
        OnChange(this);
}

bool TPageControl::HandleReflected(TMessage& message)
{
    if (message.Msg != WM_NOTIFY)
        return false;
    const auto* header = reinterpret_cast<const NMHDR*>(message.LParam);
    if (header->code == TCN_SELCHANGING) {
        bool allow = true;
        if (OnChanging)
            OnChanging(this, allow);
        message.Result = allow ? FALSE : TRUE;
        return true;
    }
    if (header->code == TCN_SELCHANGE) {
        int tab = static_cast<int>(SendMessageW(Handle(), TCM_GETCURSEL, 0, 0));
        for (TTabSheet* page : FPages)
            if (page->TabIndex() == tab && tab >= 0) {
                SetActivePage(page);
                break;
            }
        Change();
        return true;
    }
    return false;
}

} // namespace ui
