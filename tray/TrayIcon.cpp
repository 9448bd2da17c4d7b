// The notification-area icon: its record for the shell, its callbacks, menu, balloons and timers.
#include "tray/TrayIcon.h"

#include "ui/controls/Forms.h"
#include "ui/core/ClassBuilder.h"
#include "ui/core/ScopeGuard.h"
#include "ui/core/SysUtils.h"
#include "ui/graphics/GdiGuards.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <cstring>

namespace tray {

using namespace ui;

// ---------------------------------------------------------------------------------------------
// The record and the shell

void CopyToField(char* field, size_t size, const std::string& text)
{
    std::memset(field, 0, size);
    if (size == 0)
        return;
    size_t length = text.size() < size - 1 ? text.size() : size - 1;
    std::memcpy(field, text.data(), length);
}

namespace {

bool RealShellNotifyIcon(DWORD message, const TTrayIconData& data)
{
    // The record is laid out exactly as the shell of this flavour reads it; the shell does not
    // write it.
    auto* record = reinterpret_cast<NOTIFYICONDATAA*>(const_cast<TTrayIconData*>(&data));
    return Shell_NotifyIconA(message, record) != FALSE;
}

TShellNotifyIcon& ShellNotifyIcon()
{
    static TShellNotifyIcon function = RealShellNotifyIcon;
    return function;
}

// "TaskbarCreated" is broadcast when the shell (re)starts; shells older than the one that came
// with common controls 4.71 do not send it, so it is only listened for from there on.
UINT TaskbarCreatedMessage()
{
    static const UINT message = [] {
        HMODULE comctl = GetModuleHandleW(L"comctl32.dll");
        if (comctl == nullptr)
            comctl = LoadLibraryW(L"comctl32.dll");
        auto getVersion =
            comctl ? reinterpret_cast<DLLGETVERSIONPROC>(GetProcAddress(comctl, "DllGetVersion")) : nullptr;
        DLLVERSIONINFO info{};
        info.cbSize = sizeof(info);
        if (getVersion == nullptr || FAILED(getVersion(&info)))
            return UINT(0);
        if (info.dwMajorVersion < 4 || (info.dwMajorVersion == 4 && info.dwMinorVersion < 71))
            return UINT(0);
        return RegisterWindowMessageW(L"TaskbarCreated");
    }();
    return message;
}

// A component named by a description: one of the icon's window (or of its owners); nullptr
// while the reader has not created it yet.
template <class T>
T* FindReference(TComponent& component, const std::wstring& name, const wchar_t* kind)
{
    for (TComponent* root = component.Owner(); root != nullptr; root = root->Owner()) {
        TComponent* found = root->FindComponent(name);
        if (found == nullptr)
            continue;
        auto* typed = dynamic_cast<T*>(found);
        if (typed == nullptr)
            throw EConvertError(Format(L"%s is not %s", name.c_str(), kind));
        return typed;
    }
    return nullptr;
}

template <class T>
T* ResolvePending(TComponent& component, std::wstring& pending, const wchar_t* kind)
{
    std::wstring name = std::move(pending);
    pending.clear();
    T* found = FindReference<T>(component, name, kind);
    if (found == nullptr)
        throw EConvertError(Format(L"%s: %s %s does not exist", component.Name().c_str(), kind, name.c_str()));
    return found;
}

TValue ReferenceValue(const TComponent* component)
{
    return TValue::Ident(component != nullptr ? component->Name() : std::wstring(L"nil"));
}

} // namespace

TShellNotifyIcon SetShellNotifyIcon(TShellNotifyIcon function)
{
    TShellNotifyIcon previous = ShellNotifyIcon();
    ShellNotifyIcon() = function ? std::move(function) : TShellNotifyIcon(RealShellNotifyIcon);
    return previous;
}

void GetListIcon(TImageList& list, int index, TIcon& icon)
{
    if (index < 0 || index >= list.Count())
        throw EListError(index);
    HICON handle = ImageList_GetIcon(list.Handle(), index, ILD_TRANSPARENT);
    if (handle == nullptr)
        throw EInvalidGraphic(L"Cannot take an icon from the image list");
    ICONINFO info{};
    BOOL haveInfo = GetIconInfo(handle, &info);
    DestroyIcon(handle);
    if (!haveInfo)
        throw EInvalidGraphic(L"Cannot take an icon from the image list");
    // The icon's bitmaps are ours now; they go whatever happens below.
    ui::TGdiObject<HBITMAP> colour(info.hbmColor);
    ui::TGdiObject<HBITMAP> mask(info.hbmMask);
    BITMAP bm{};
    if (info.hbmColor == nullptr || GetObjectW(info.hbmColor, sizeof(bm), &bm) == 0)
        throw EInvalidGraphic(L"The image list holds no colour image");
    const int width = bm.bmWidth, height = bm.bmHeight;

    // An .ico file with one 32-bit image: colour rows, then the mask rows, both bottom-up.
    struct {
        BITMAPINFOHEADER Header;
        RGBQUAD Colours[2];
    } bi{};
    bi.Header.biSize = sizeof(BITMAPINFOHEADER);
    bi.Header.biWidth = width;
    bi.Header.biHeight = height;
    bi.Header.biPlanes = 1;
    bi.Header.biBitCount = 32;
    std::vector<uint8_t> pixels(size_t(width) * height * 4);
    const size_t maskStride = ((width + 31) / 32) * 4;
    std::vector<uint8_t> maskBits(maskStride * height);
    ui::TWindowDC screen(nullptr, ui::TWindowDC::waClient);
    int colourRows = GetDIBits(screen, info.hbmColor, 0, height, pixels.data(),
                               reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS);
    bi.Header.biBitCount = 1;
    int maskRows = info.hbmMask != nullptr ? GetDIBits(screen, info.hbmMask, 0, height, maskBits.data(),
                                                       reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS)
                                           : 0;
    if (colourRows != height)
        throw EInvalidGraphic(L"Cannot read the image list's image");
    // Images without alpha take their transparency from the mask.
    bool hasAlpha = false;
    for (size_t i = 3; i < pixels.size() && !hasAlpha; i += 4)
        hasAlpha = pixels[i] != 0;
    if (!hasAlpha && maskRows == height) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                bool transparent = (maskBits[y * maskStride + x / 8] >> (7 - x % 8)) & 1;
                pixels[(size_t(y) * width + x) * 4 + 3] = transparent ? 0 : 0xFF;
            }
    }

    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height * 2;
    header.biPlanes = 1;
    header.biBitCount = 32;
    const uint32_t offset = 6 + 16;
    const uint32_t imageSize = uint32_t(sizeof(header) + pixels.size() + maskBits.size());
    std::vector<uint8_t> file(offset + imageSize);
    uint8_t* out = file.data();
    const uint16_t dir[3] = {0, 1, 1};
    std::memcpy(out, dir, sizeof(dir));
    uint8_t* entry = out + 6;
    entry[0] = static_cast<uint8_t>(width >= 256 ? 0 : width);
    entry[1] = static_cast<uint8_t>(height >= 256 ? 0 : height);
    entry[4] = 1;
    entry[6] = 32;
    std::memcpy(entry + 8, &imageSize, 4);
    std::memcpy(entry + 12, &offset, 4);
    out += offset;
    std::memcpy(out, &header, sizeof(header));
    out += sizeof(header);
    std::memcpy(out, pixels.data(), pixels.size());
    out += pixels.size();
    std::memcpy(out, maskBits.data(), maskBits.size());
    icon.LoadFromBytes(file);
}

// ---------------------------------------------------------------------------------------------
// TTrayIconHandler

HWND TTrayIconHandler::Window() { return FInstance != nullptr ? FInstance->FWindow : nullptr; }

int TTrayIconHandler::RefCount() { return FInstance != nullptr ? static_cast<int>(FInstance->FIcons.size()) : 0; }

TTrayIconHandler& TTrayIconHandler::Acquire(TTrayIcon* icon)
{
    if (FInstance == nullptr)
        FInstance = new TTrayIconHandler();
    FInstance->FIcons[icon->FIconId] = icon;
    return *FInstance;
}

void TTrayIconHandler::Release(TTrayIcon* icon)
{
    if (FInstance == nullptr)
        return;
    FInstance->FIcons.erase(icon->FIconId);
    if (FInstance->FIcons.empty()) {
        delete FInstance;
        FInstance = nullptr;
    }
}

TTrayIconHandler::TTrayIconHandler()
{
    FWindow = AllocateHWnd([this](TMessage& message) { return HandleMessage(message); });
}

TTrayIconHandler::~TTrayIconHandler() { DeallocateHWnd(FWindow); }

bool TTrayIconHandler::HandleMessage(TMessage& message)
{
    switch (message.Msg) {
    case WM_TRAYICON: {
        auto found = FIcons.find(static_cast<uint32_t>(message.WParam));
        if (found != FIcons.end()) {
            TTrayIcon* icon = found->second;
            // The notification code is the low word: shells that speak version 4 put more above it.
            UINT code = LOWORD(message.LParam);
            GuardedCall(icon, [icon, code] { icon->HandleCallback(code); });
        }
        message.Result = 0;
        return true;
    }
    // The window lives as long as an icon needs it: closing or ending the session must not
    // take it away underneath the icons.
    case WM_DESTROY:
    case WM_CLOSE:
    case WM_QUERYENDSESSION:
    case WM_QUIT:
    case WM_ENDSESSION:
    case WM_NCDESTROY:
        message.Result = 1;
        return true;
    default:
        return false;
    }
}

// ---------------------------------------------------------------------------------------------
// TTrayIcon: construction and destruction

const TClassInfo& TTrayIcon::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TTrayIcon>(L"TTrayIcon", &TComponent::StaticClass())
        .Property(L"DesignPreview", &TTrayIcon::DesignPreview, &TTrayIcon::SetDesignPreview)
        .Custom(L"IconList", [](const TTrayIcon& t) { return ReferenceValue(t.IconList()); },
                [](TTrayIcon& t, const TValue& v) { t.ReadIconList(v); })
        .Property(L"CycleIcons", &TTrayIcon::CycleIcons, &TTrayIcon::SetCycleIcons)
        .Property(L"CycleInterval", &TTrayIcon::CycleInterval, &TTrayIcon::SetCycleInterval)
        .Property(L"Enabled", &TTrayIcon::Enabled, &TTrayIcon::SetEnabled)
        .Property(L"Hint", &TTrayIcon::Hint, &TTrayIcon::SetHint)
        .Property(L"ShowHint", &TTrayIcon::ShowHint, &TTrayIcon::SetShowHint)
        .Custom(L"Icon", [](const TTrayIcon& t) { return t.IconValue(); },
                [](TTrayIcon& t, const TValue& v) { t.ReadIcon(v); })
        .Property(L"IconVisible", &TTrayIcon::IconVisible, &TTrayIcon::SetIconVisible)
        .Property(L"IconIndex", &TTrayIcon::IconIndex, &TTrayIcon::SetIconIndex)
        .Custom(L"PopupMenu", [](const TTrayIcon& t) { return ReferenceValue(t.PopupMenu()); },
                [](TTrayIcon& t, const TValue& v) { t.ReadPopupMenu(v); })
        .Property(L"LeftPopup", &TTrayIcon::LeftPopup, &TTrayIcon::SetLeftPopup)
        .Property(L"WantEnterExitEvents", &TTrayIcon::WantEnterExitEvents, &TTrayIcon::SetWantEnterExitEvents)
        .Property(L"MinimizeToTray", &TTrayIcon::MinimizeToTray, &TTrayIcon::SetMinimizeToTray)
        .Event(L"OnClick", &TTrayIcon::OnClick)
        .Event(L"OnDblClick", &TTrayIcon::OnDblClick)
        .Event(L"OnMouseDown", &TTrayIcon::OnMouseDown)
        .Event(L"OnMouseUp", &TTrayIcon::OnMouseUp)
        .Event(L"OnMouseMove", &TTrayIcon::OnMouseMove)
        .Event(L"OnMouseEnter", &TTrayIcon::OnMouseEnter)
        .Event(L"OnMouseExit", &TTrayIcon::OnMouseExit)
        .Event(L"OnCycle", &TTrayIcon::OnCycle)
        .Event(L"OnBalloonHintShow", &TTrayIcon::OnBalloonHintShow)
        .Event(L"OnBalloonHintHide", &TTrayIcon::OnBalloonHintHide)
        .Event(L"OnBalloonHintTimeout", &TTrayIcon::OnBalloonHintTimeout)
        .Event(L"OnBalloonHintClick", &TTrayIcon::OnBalloonHintClick)
        .Event(L"OnMinimizeToTray", &TTrayIcon::OnMinimizeToTray)
        .Event(L"OnStartup", &TTrayIcon::OnStartup)
        .Build();
    return info;
}

void RegisterTrayClasses() { RegisterComponentClass(TTrayIcon::StaticClass()); }

TTrayIcon::TTrayIcon(TComponent* AOwner) : TComponent(AOwner)
{
    static uint32_t nextId = 1;
    FIconId = nextId++;
    TTrayIconHandler::Acquire(this);
    // A half-made icon gives back what it took, timers first, as the destructor would.
    ui::TScopeExit release([this] {
        FExitTimer.reset();
        FClickTimer.reset();
        FCycleTimer.reset();
        TTrayIconHandler::Release(this);
    });
    FIcon = std::make_unique<TIcon>();
    FIcon->OnChange = [this](TObject*) { UpdateIcon(); };
    FIconData.cbSize = sizeof(TTrayIconData);
    FIconData.Wnd = TTrayIconHandler::Window();
    FIconData.ID = FIconId;
    FIconData.Flags = kTrayFlagsDefault;
    FIconData.CallbackMessage = WM_TRAYICON;
    FCycleTimer = std::make_unique<TSimpleTimer>(1000, [this](TObject*) { CycleTimerTick(); });
    FClickTimer = std::make_unique<TSimpleTimer>(GetDoubleClickTime(), [this](TObject*) { ClickTimerTick(); });
    FExitTimer = std::make_unique<TSimpleTimer>(20, [this](TObject*) { ExitTimerTick(); });
    FHasExited = true;
    if (!Designing()) {
        FApplicationHookId = Application->HookMainWindow([this](TMessage& m) { return ApplicationWindowHook(m); });
        HookOwnerWindow(false);
    }
    release.Dismiss();
}

TTrayIcon::~TTrayIcon()
{
    *FAlive = false;
    try {
        RemoveIcon();
    } catch (...) {
        Application->HandleException(this);
    }
    FDesignPreview = false;
    FCycleTimer.reset();
    FClickTimer.reset();
    FExitTimer.reset();
    try {
        FIcon.reset();
    } catch (...) {
        // Releasing the image cannot be allowed to stop the rest of the clean-up.
    }
    if (!Designing()) {
        Application->UnhookMainWindow(FApplicationHookId);
        UnhookOwnerWindow();
    }
    TTrayIconHandler::Release(this);
}

void TTrayIcon::Loaded()
{
    // References to components read after the icon; resolved while still loading, so that
    // nothing is sent to the shell yet.
    if (!FPendingPopupMenu.empty())
        SetPopupMenu(ResolvePending<TPopupMenu>(*this, FPendingPopupMenu, L"a popup menu"));
    if (!FPendingIconList.empty()) {
        // Stored before the list existed; the index read from the description still counts.
        int32_t index = FIconIndex;
        SetIconList(ResolvePending<TImageList>(*this, FPendingIconList, L"an image list"));
        FIconIndex = index;
    }
    TComponent::Loaded();
    auto* ownerControl = dynamic_cast<TWinControl*>(Owner());
    if (ownerControl != nullptr && !Designing()) {
        // The owner's window procedure can only be replaced once the window exists; its
        // description is read, so it can be created now.
        HookOwnerWindow(true);
        bool showMainForm = true;
        if (OnStartup)
            OnStartup(this, showMainForm);
        if (!showMainForm) {
            Application->SetShowMainForm(false);
            HideMainWindow();
        }
    }
    // Properties read from the description only stored their values; apply them in one go.
    ApplyIconIndex(FIconIndex);
    UpdateIcon();
    if (FIconVisible)
        AddIcon();
    else
        RemoveIcon();
    SetCycleIcons(FCycleIcons);
    SetWantEnterExitEvents(FWantEnterExitEvents);
    FIconData.Version = FBehaviourMode == 0 ? 0 : NOTIFYICON_VERSION;
    Notify(NIM_SETVERSION);
}

bool TTrayIcon::UsesDefaultIcon() { return true; }

// ---------------------------------------------------------------------------------------------
// Shell calls

HICON TTrayIcon::SmallIconHandle() const
{
    if (FIcon == nullptr || FIcon->Empty())
        return nullptr;
    try {
        return FIcon->Handle(GetSystemMetrics(SM_CXSMICON));
    } catch (const Exception&) {
        // An image that cannot be made into an icon leaves the record without one.
        return nullptr;
    }
}

void TTrayIcon::PrepareIconData()
{
    FIconData.Icon = SmallIconHandle();
    if (!FHint.empty() && FShowHint)
        CopyToField(FIconData.Tip, WideToAnsi(FHint));
    else
        std::memset(FIconData.Tip, 0, sizeof(FIconData.Tip));
}

bool TTrayIcon::Notify(DWORD message)
{
    PrepareIconData();
    TShellNotifyIcon shell = ShellNotifyIcon();
    return shell(message, FIconData);
}

bool TTrayIcon::AddIcon()
{
    bool result = Notify(NIM_ADD);
    FIconVisible = true;
    return result;
}

bool TTrayIcon::RemoveIcon()
{
    bool result = Notify(NIM_DELETE);
    FIconVisible = false;
    return result;
}

bool TTrayIcon::UpdateIcon() { return Notify(NIM_MODIFY); }

bool TTrayIcon::ShowBalloon(const std::string& Title, const std::string& Text, TBalloonIconKind IconKind,
                            uint8_t TimeoutSeconds)
{
    HideBalloon();
    FIconData.Flags |= kTrayFlagInfo;
    CopyToField(FIconData.Info, Text);
    CopyToField(FIconData.InfoTitle, Title);
    FIconData.Timeout = uint32_t(TimeoutSeconds) * 1000;
    FIconData.InfoFlags = static_cast<uint32_t>(IconKind);
    bool result = UpdateIcon();
    FIconData.Flags = kTrayFlagsDefault;
    return result;
}

bool TTrayIcon::HideBalloon()
{
    // An empty balloon text with NIF_INFO takes down the balloon that is up.
    FIconData.Flags |= kTrayFlagInfo;
    std::memset(FIconData.Info, 0, sizeof(FIconData.Info));
    return UpdateIcon();
}

// ---------------------------------------------------------------------------------------------
// Properties

void TTrayIcon::SetIcon(const TIcon* value)
{
    // One update for the whole copy, not one per change the copy makes.
    TNotifyEvent onChange = std::move(FIcon->OnChange);
    FIcon->OnChange = nullptr;
    {
        ui::TAssignOnExit<TNotifyEvent> restore(FIcon->OnChange, std::move(onChange));
        if (value != nullptr)
            FIcon->Assign(*value);
        else
            FIcon->Assign(TIcon());
    }
    if (!IsLoading())
        UpdateIcon();
}

void TTrayIcon::ReadIcon(const TValue& value)
{
    if (value.Kind == TValue::TKind::Ident && SameText(value.Str, L"nil")) {
        FIconSourceName.clear();
        SetIcon(nullptr);
        return;
    }
    if (value.Kind != TValue::TKind::Data)
        throw EConvertError(L"An icon must be stored as file data");
    TIcon icon;
    if (!value.Bytes.empty())
        icon.LoadFromBytes(value.Bytes);
    SetIcon(&icon);
    FIconSourceName = value.Str;
}

TValue TTrayIcon::IconValue() const
{
    if (FIcon->Empty())
        return TValue::Ident(L"nil");
    return TValue::Data(FIconSourceName, FIcon->SaveToBytes());
}

void TTrayIcon::SetPopupMenu(TPopupMenu* value)
{
    if (value == FPopupMenu)
        return;
    if (FPopupMenu != nullptr)
        RemoveFreeNotification(FPopupMenu);
    FPopupMenu = value;
    if (FPopupMenu != nullptr)
        FreeNotification(FPopupMenu);
}

void TTrayIcon::ReadPopupMenu(const TValue& value)
{
    if (value.Kind != TValue::TKind::Ident)
        throw EConvertError(L"PopupMenu must name a popup menu of the window");
    FPendingPopupMenu.clear();
    if (SameText(value.Str, L"nil")) {
        SetPopupMenu(nullptr);
        return;
    }
    TPopupMenu* menu = FindReference<TPopupMenu>(*this, value.Str, L"a popup menu");
    if (menu == nullptr)
        FPendingPopupMenu = value.Str; // read later in the description: Loaded finds it
    SetPopupMenu(menu);
}

void TTrayIcon::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation != TOperation::opRemove)
        return;
    if (component == FPopupMenu)
        FPopupMenu = nullptr;
    if (component == FIconList) {
        FIconList = nullptr;
        if (!IsDestroying())
            SetIconIndex(0);
    }
}

void TTrayIcon::SetHint(const std::wstring& value)
{
    FHint = value;
    if (!IsLoading())
        UpdateIcon();
}

void TTrayIcon::SetShowHint(bool value)
{
    FShowHint = value;
    if (!IsLoading())
        UpdateIcon();
}

void TTrayIcon::SetIconVisible(bool value)
{
    FIconVisible = value;
    if (IsLoading())
        return;
    if (value)
        AddIcon();
    else
        RemoveIcon();
}

void TTrayIcon::SetIconIndex(int32_t value)
{
    ApplyIconIndex(value);
    if (!IsLoading())
        UpdateIcon();
}

void TTrayIcon::ApplyIconIndex(int32_t value)
{
    if (FIconList == nullptr) {
        FIconIndex = 0;
        return;
    }
    // Kept inside the list: below 0 counts as 0, past the end as the last image.
    int count = FIconList->Count();
    if (value > count - 1)
        value = count - 1;
    if (value < 0)
        value = 0;
    FIconIndex = value;
    if (count > 0)
        LoadListImage(value);
}

void TTrayIcon::LoadListImage(int index)
{
    // The caller sends the record once the image is in place.
    TNotifyEvent onChange = std::move(FIcon->OnChange);
    FIcon->OnChange = nullptr;
    ui::TAssignOnExit<TNotifyEvent> restore(FIcon->OnChange, std::move(onChange));
    GetListIcon(*FIconList, index, *FIcon);
}

void TTrayIcon::SetIconList(TImageList* value)
{
    if (value != FIconList) {
        if (FIconList != nullptr)
            RemoveFreeNotification(FIconList);
        FIconList = value;
        if (FIconList != nullptr)
            FreeNotification(FIconList);
    }
    SetIconIndex(0);
}

void TTrayIcon::ReadIconList(const TValue& value)
{
    if (value.Kind != TValue::TKind::Ident)
        throw EConvertError(L"IconList must name an image list of the window");
    FPendingIconList.clear();
    if (SameText(value.Str, L"nil")) {
        SetIconList(nullptr);
        return;
    }
    TImageList* list = FindReference<TImageList>(*this, value.Str, L"an image list");
    if (list == nullptr)
        FPendingIconList = value.Str; // read later in the description: Loaded finds it
    int32_t index = FIconIndex;
    SetIconList(list);
    FIconIndex = index; // IconIndex may have been read before IconList
}

void TTrayIcon::SetCycleIcons(bool value)
{
    FCycleIcons = value;
    if (IsLoading())
        return;
    if (value) {
        SetIconIndex(0);
        FCycleTimer->SetInterval(FCycleInterval);
        FCycleTimer->SetEnabled(true);
    } else {
        FCycleTimer->SetEnabled(false);
    }
}

void TTrayIcon::SetCycleInterval(uint32_t value)
{
    if (value == FCycleInterval)
        return;
    FCycleInterval = value;
    SetCycleIcons(FCycleIcons);
}

void TTrayIcon::SetWantEnterExitEvents(bool value)
{
    FWantEnterExitEvents = value;
    if (!IsLoading())
        FExitTimer->SetEnabled(value);
}

// ---------------------------------------------------------------------------------------------
// Callbacks of the shell

void TTrayIcon::HandleCallback(UINT mouseMessage)
{
    switch (mouseMessage) {
    case WM_MOUSEMOVE: return CallbackMouseMove();
    case WM_LBUTTONDOWN: return CallbackLeftDown();
    case WM_LBUTTONUP: return CallbackLeftUp();
    case WM_LBUTTONDBLCLK: return CallbackLeftDoubleClick();
    case WM_RBUTTONDOWN: return CallbackRightDown();
    case WM_RBUTTONUP:
        if (FBehaviourMode == 0 && FEnabled)
            RaiseMouse(false, TMouseButton::mbRight);
        return;
    case WM_CONTEXTMENU:
    case NIN_SELECT:
    case NIN_KEYSELECT:
        if (FBehaviourMode == 1 && FEnabled)
            RaiseMouse(false, TMouseButton::mbRight);
        return;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
        if (FEnabled)
            RaiseMouse(mouseMessage == WM_MBUTTONDOWN, TMouseButton::mbMiddle);
        return;
    default: return CallbackBalloon(mouseMessage);
    }
}

// Each step below may run a handler that frees the icon; `alive` says whether it still exists.

void TTrayIcon::CallbackMouseMove()
{
    if (!FEnabled)
        return;
    std::shared_ptr<bool> alive = FAlive;
    if (FWantEnterExitEvents && FHasExited) {
        MouseEnter();
        if (!*alive)
            return;
        FHasExited = false;
    }
    POINT position{};
    GetCursorPos(&position);
    MouseMove(ShiftStateFromKeyboard(), position.x, position.y);
    if (*alive)
        FLastPosition = position;
}

void TTrayIcon::CallbackLeftDown()
{
    if (!FEnabled)
        return;
    std::shared_ptr<bool> alive = FAlive;
    if (OnDblClick) {
        // The click is held back until the double-click time has shown it to be single.
        FClickTimer->SetInterval(GetDoubleClickTime());
        FClickTimer->SetEnabled(true);
    }
    RaiseMouse(true, TMouseButton::mbLeft);
    if (!*alive)
        return;
    FClickStart = true;
    if (FLeftPopup && MenuOpensByItself()) {
        SetForegroundWindow(TTrayIconHandler::Window());
        PopupMenuAtCursor();
    }
}

void TTrayIcon::CallbackLeftUp()
{
    if (!FEnabled)
        return;
    std::shared_ptr<bool> alive = FAlive;
    if (FClickStart)
        FClickReady = true;
    if (FClickStart && !FClickTimer->Enabled()) {
        FClickStart = false;
        FClickReady = false;
        Click();
        if (!*alive)
            return;
    }
    FClickStart = false;
    RaiseMouse(false, TMouseButton::mbLeft);
}

void TTrayIcon::CallbackLeftDoubleClick()
{
    if (!FEnabled)
        return;
    std::shared_ptr<bool> alive = FAlive;
    FClickReady = false;
    FDblClicked = true;
    DblClick();
    if (*alive && MenuOpensByItself() && !FLeftPopup)
        ClickDefaultMenuItem();
}

void TTrayIcon::CallbackRightDown()
{
    if (!FEnabled)
        return;
    std::shared_ptr<bool> alive = FAlive;
    RaiseMouse(true, TMouseButton::mbRight);
    // The menu opens on the press, so that it is there while the button is still held.
    if (*alive && MenuOpensByItself()) {
        SetForegroundWindow(TTrayIconHandler::Window());
        PopupMenuAtCursor();
    }
}

void TTrayIcon::CallbackBalloon(UINT message)
{
    const TNotifyEvent* event = nullptr;
    switch (message) {
    case NIN_BALLOONSHOW: event = &OnBalloonHintShow; break;
    case NIN_BALLOONHIDE: event = &OnBalloonHintHide; break;
    case NIN_BALLOONTIMEOUT: event = &OnBalloonHintTimeout; break;
    case NIN_BALLOONUSERCLICK: event = &OnBalloonHintClick; break;
    default: return;
    }
    if (*event)
        (*event)(this);
}

void TTrayIcon::RaiseMouse(bool down, TMouseButton button)
{
    POINT position{};
    GetCursorPos(&position);
    TShiftState shift = ShiftStateFromKeyboard();
    switch (button) {
    case TMouseButton::mbLeft: shift.Include(TShiftStateFlag::ssLeft); break;
    case TMouseButton::mbRight: shift.Include(TShiftStateFlag::ssRight); break;
    case TMouseButton::mbMiddle: shift.Include(TShiftStateFlag::ssMiddle); break;
    }
    if (down)
        MouseDown(button, shift, position.x, position.y);
    else
        MouseUp(button, shift, position.x, position.y);
}

void TTrayIcon::ClickTimerTick()
{
    std::shared_ptr<bool> alive = FAlive;
    FClickTimer->SetEnabled(false);
    if (!FDblClicked && FClickReady) {
        FClickReady = false;
        Click();
        if (!*alive)
            return;
    }
    FDblClicked = false;
}

void TTrayIcon::ExitTimerTick()
{
    if (FHasExited)
        return;
    POINT position{};
    if (!GetCursorPos(&position))
        return;
    if (position.x != FLastPosition.x || position.y != FLastPosition.y) {
        FHasExited = true;
        MouseExit();
    }
}

void TTrayIcon::CycleTimerTick()
{
    // Cycling needs images; an empty list leaves the icon as it is.
    if (FIconList == nullptr || FIconList->Count() == 0)
        return;
    std::shared_ptr<bool> alive = FAlive;
    LoadListImage(FIconIndex);
    UpdateIcon();
    int next = FIconIndex >= FIconList->Count() - 1 ? 0 : FIconIndex + 1;
    Cycle(next);
    if (*alive && FIconList != nullptr)
        SetIconIndex(next);
}

// ---------------------------------------------------------------------------------------------
// Event steps

void TTrayIcon::Click()
{
    if (OnClick)
        OnClick(this);
}

void TTrayIcon::DblClick()
{
    if (OnDblClick)
        OnDblClick(this);
}

void TTrayIcon::Cycle(int NextIndex)
{
    if (OnCycle)
        OnCycle(this, NextIndex);
}

void TTrayIcon::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (OnMouseDown)
        OnMouseDown(this, Button, Shift, X, Y);
}

void TTrayIcon::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (OnMouseUp)
        OnMouseUp(this, Button, Shift, X, Y);
}

void TTrayIcon::MouseMove(TShiftState Shift, int X, int Y)
{
    if (OnMouseMove)
        OnMouseMove(this, Shift, X, Y);
}

void TTrayIcon::MouseEnter()
{
    if (OnMouseEnter)
        OnMouseEnter(this);
}

void TTrayIcon::MouseExit()
{
    if (OnMouseExit)
        OnMouseExit(this);
}

void TTrayIcon::MinimizeMainToTray()
{
    HideMainWindow();
    SetIconVisible(true);
}

// ---------------------------------------------------------------------------------------------
// Menu

bool TTrayIcon::MenuOpensByItself() const { return FPopupMenu != nullptr && FPopupMenu->AutoPopup(); }

void TTrayIcon::ClickDefaultMenuItem()
{
    TMenuItem* items = FPopupMenu->Items();
    for (int i = 0; i < items->Count(); ++i) {
        if (items->Items(i)->Default()) {
            items->Items(i)->Click();
            return;
        }
    }
}

void TTrayIcon::PopupMenuAt(int X, int Y)
{
    if (FPopupMenu == nullptr)
        return;
    // The shell gives the foreground to the taskbar; a menu whose window is not in the
    // foreground would not close when the user clicks elsewhere.
    SetForegroundWindow(TTrayIconHandler::Window());
    Application->ProcessMessages();
    if (FPopupMenu == nullptr)
        return;
    FPopupMenu->SetPopupComponent(this);
    FPopupMenu->Popup(X, Y);
    // Lets the owner's window process a message, which makes the menu's close complete.
    if (auto* owner = dynamic_cast<TWinControl*>(Owner()); owner != nullptr && owner->HandleAllocated())
        PostMessageW(owner->Handle(), WM_NULL, 0, 0);
}

void TTrayIcon::PopupMenuAtCursor()
{
    POINT position{};
    if (GetCursorPos(&position))
        PopupMenuAt(position.x, position.y);
}

// ---------------------------------------------------------------------------------------------
// The main window, the application's window and the owner's window

void TTrayIcon::HideMainWindow()
{
    if (dynamic_cast<TWinControl*>(Owner()) != nullptr && Application->MainForm() != nullptr) {
        Application->MainForm()->SetVisible(false);
        HideTaskbarButton();
    }
}

void TTrayIcon::HideTaskbarButton()
{
    if (Application->HandleAllocated() && IsWindowVisible(Application->Handle()))
        ShowWindow(Application->Handle(), SW_HIDE);
}

bool TTrayIcon::ApplicationWindowHook(TMessage& message)
{
    switch (message.Msg) {
    case WM_SIZE:
        if (message.WParam == SIZE_MINIMIZED && FMinimizeToTray)
            MinimizeMainToTray();
        break;
    case WM_WINDOWPOSCHANGED:
        if (FStartupCheckPending && Application->MainForm() != nullptr) {
            // A multiple-document main window shows itself in its own way; ask the handler only then.
            if (Application->MainForm()->FormStyle() == TFormStyle::fsMDIForm) {
                bool showMainForm = true;
                if (OnStartup)
                    OnStartup(this, showMainForm);
                if (!showMainForm)
                    HideTaskbarButton();
            }
            FStartupCheckPending = false;
        }
        break;
    case WM_SYSCOMMAND:
        if ((message.WParam & 0xFFF0) == SC_RESTORE && Application->MainForm() != nullptr) {
            TForm* mainForm = Application->MainForm();
            if (mainForm->HandleAllocated() && IsIconic(mainForm->Handle()))
                ShowWindow(mainForm->Handle(), SW_RESTORE);
            mainForm->SetVisible(true);
        }
        break;
    default:
        if (message.Msg != 0 && message.Msg == TaskbarCreatedMessage() && FIconVisible)
            AddIcon();
        break;
    }
    // The application's own handling always follows.
    return false;
}

void TTrayIcon::HookOwnerWindow(bool createWindow)
{
    auto* owner = dynamic_cast<TWinControl*>(Owner());
    if (owner == nullptr || Designing())
        return;
    if (!owner->HandleAllocated() && !createWindow)
        return;
    HWND wnd = owner->Handle();
    if (wnd == FOwnerWindow)
        return;
    UnhookOwnerWindow();
    if (SetWindowSubclass(wnd, OwnerSubclassProc, FIconId, reinterpret_cast<DWORD_PTR>(this)))
        FOwnerWindow = wnd;
}

void TTrayIcon::UnhookOwnerWindow()
{
    // The owner may already be half destroyed; only the window handle kept at hooking is used.
    if (FOwnerWindow != nullptr && IsWindow(FOwnerWindow))
        RemoveWindowSubclass(FOwnerWindow, OwnerSubclassProc, FIconId);
    FOwnerWindow = nullptr;
}

LRESULT CALLBACK TTrayIcon::OwnerSubclassProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                              DWORD_PTR refData)
{
    auto* icon = reinterpret_cast<TTrayIcon*>(refData);
    LRESULT result = 0;
    bool handled = false;
    try {
        handled = icon->OwnerWindowHook(wnd, msg, wParam, lParam, result);
    } catch (...) {
        Application->HandleException(icon);
    }
    if (msg == WM_NCDESTROY)
        icon->FOwnerWindow = nullptr; // the subclass goes with the window
    return handled ? result : DefSubclassProc(wnd, msg, wParam, lParam);
}

bool TTrayIcon::OwnerWindowHook(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    bool minimizeRequest = false;
    if (msg == WM_SHOWWINDOW) {
        if (wParam != 0 && lParam == 0) {
            // Shown by a ShowWindow call: the program comes to the front with it.
            if (Application->HandleAllocated())
                SetForegroundWindow(Application->Handle());
            SetForegroundWindow(wnd);
            return false;
        }
        minimizeRequest = wParam == 0 && lParam == SW_PARENTCLOSING && !Application->Terminated();
    } else if (msg == WM_SYSCOMMAND) {
        minimizeRequest = wParam == SC_MINIMIZE;
    }
    if (minimizeRequest && FMinimizeToTray && OnMinimizeToTray) {
        std::shared_ptr<bool> alive = FAlive;
        OnMinimizeToTray(this);
        if (*alive)
            MinimizeMainToTray();
        result = 1;
        return true;
    }
    return false;
}

} // namespace tray
