// The notification-area icon: its record for the shell, its callbacks, menu, balloons and timers.
#pragma once

#include "tray/SimpleTimer.h"
#include "ui/controls/Controls.h"
#include "ui/controls/Menus.h"
#include "ui/core/Classes.h"
#include "ui/graphics/Graphics.h"
#include "ui/graphics/ImgList.h"

#include <windows.h>
#include <shellapi.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace tray {

// The shell's icon record in its 8-bit-character form with balloon fields but without the item
// GUID and balloon icon handle of later shells, exactly as Shell_NotifyIconA expects it. Text
// fields are always zero-terminated inside their size.
// The shipped 32-bit program sends the packed 488-byte record. The 64-bit flavour, which exists
// only so that machines without 32-bit support can run the tests, sends the shell's own 64-bit
// layout of the same fields: natural alignment, 504 bytes.
#if defined(_WIN64)
#define TRAY_RECORD_PACK 8
#else
#define TRAY_RECORD_PACK 1
#endif
#pragma pack(push, TRAY_RECORD_PACK)
struct TTrayIconData {
    uint32_t cbSize;
    HWND Wnd;
    uint32_t ID;
    uint32_t Flags;
    uint32_t CallbackMessage;
    HICON Icon;
    char Tip[128];
    uint32_t State;
    uint32_t StateMask;
    char Info[256];
    union {
        uint32_t Timeout; // milliseconds, for a balloon
        uint32_t Version; // for NIM_SETVERSION
    };
    char InfoTitle[64];
    uint32_t InfoFlags;
};
#pragma pack(pop)
#undef TRAY_RECORD_PACK

// Where each field sits in the record of this flavour; tests that read the bytes use these.
struct TTrayRecordLayout {
    size_t Size, Wnd, ID, Flags, CallbackMessage, Icon, Tip, Info, Timeout, InfoTitle, InfoFlags;
};
#if defined(_WIN64)
constexpr TTrayRecordLayout kTrayRecord{504, 8, 16, 20, 24, 32, 40, 176, 432, 436, 500};
#else
constexpr TTrayRecordLayout kTrayRecord{488, 4, 8, 12, 16, 20, 24, 160, 416, 420, 484};
#endif
static_assert(sizeof(TTrayIconData) == kTrayRecord.Size, "the shell's record size for this flavour");
static_assert(offsetof(TTrayIconData, Wnd) == kTrayRecord.Wnd && offsetof(TTrayIconData, ID) == kTrayRecord.ID &&
                  offsetof(TTrayIconData, Flags) == kTrayRecord.Flags &&
                  offsetof(TTrayIconData, CallbackMessage) == kTrayRecord.CallbackMessage &&
                  offsetof(TTrayIconData, Icon) == kTrayRecord.Icon && offsetof(TTrayIconData, Tip) == kTrayRecord.Tip &&
                  offsetof(TTrayIconData, Info) == kTrayRecord.Info &&
                  offsetof(TTrayIconData, Timeout) == kTrayRecord.Timeout &&
                  offsetof(TTrayIconData, InfoTitle) == kTrayRecord.InfoTitle &&
                  offsetof(TTrayIconData, InfoFlags) == kTrayRecord.InfoFlags,
              "field offsets of the record");
#if defined(_WIN64)
// The 64-bit record must be the SDK's own, field by field.
static_assert(sizeof(TTrayIconData) == NOTIFYICONDATAA_V2_SIZE, "the SDK's size of the record without the GUID");
static_assert(offsetof(TTrayIconData, Wnd) == offsetof(NOTIFYICONDATAA, hWnd) &&
                  offsetof(TTrayIconData, ID) == offsetof(NOTIFYICONDATAA, uID) &&
                  offsetof(TTrayIconData, Flags) == offsetof(NOTIFYICONDATAA, uFlags) &&
                  offsetof(TTrayIconData, CallbackMessage) == offsetof(NOTIFYICONDATAA, uCallbackMessage) &&
                  offsetof(TTrayIconData, Icon) == offsetof(NOTIFYICONDATAA, hIcon) &&
                  offsetof(TTrayIconData, Tip) == offsetof(NOTIFYICONDATAA, szTip) &&
                  offsetof(TTrayIconData, Info) == offsetof(NOTIFYICONDATAA, szInfo) &&
                  offsetof(TTrayIconData, Timeout) == offsetof(NOTIFYICONDATAA, uTimeout) &&
                  offsetof(TTrayIconData, InfoTitle) == offsetof(NOTIFYICONDATAA, szInfoTitle) &&
                  offsetof(TTrayIconData, InfoFlags) == offsetof(NOTIFYICONDATAA, dwInfoFlags),
              "the SDK's field offsets");
#else
static_assert(sizeof(void*) == 4 && kTrayRecord.Size == 488, "the shipped program sends the 488-byte record");
#endif

// Shell constants of the record and its messages.
constexpr uint32_t kTrayFlagsDefault = NIF_MESSAGE | NIF_ICON | NIF_TIP; // 7
constexpr uint32_t kTrayFlagInfo = NIF_INFO;                              // 0x10
constexpr UINT WM_TRAYICON = WM_USER + 0x400;                            // 0x800

// Makes image `index` of `list` the picture of `icon` (with its transparency).
void GetListIcon(ui::TImageList& list, int index, ui::TIcon& icon);

// Cuts `text` to what fits in `size` bytes with the terminating zero, and zero-fills the rest.
void CopyToField(char* field, size_t size, const std::string& text);
template <size_t N>
void CopyToField(char (&field)[N], const std::string& text)
{
    CopyToField(field, N, text);
}

// The one place where the record reaches the shell. Tests replace it to see every record sent;
// an empty function restores the real Shell_NotifyIconA. Returns the previous function.
using TShellNotifyIcon = std::function<bool(DWORD message, const TTrayIconData& data)>;
TShellNotifyIcon SetShellNotifyIcon(TShellNotifyIcon function);

// Balloon icons, sent unchanged as the record's balloon icon flags.
enum class TBalloonIconKind : uint8_t { bkNone, bkInfo, bkWarning, bkError, bkUser };

using TCycleEvent = std::function<void(ui::TObject* Sender, int NextIndex)>;
using TStartupEvent = std::function<void(ui::TObject* Sender, bool& ShowMainForm)>;

class TTrayIconHandler;

// Lets stored descriptions create the tray's components by class name.
void RegisterTrayClasses();

// A non-visual component that keeps one icon in the notification area and turns the shell's
// callbacks for it into events. It owns its three simple timers (cycling, click, enter/exit) and
// its record; it shares the callback window TTrayIconHandler with every other icon.
// While it exists it watches the application's window (minimize, restore, a restarted taskbar)
// and, when its owner is a windowed control, that control's window (show, minimize).
class TTrayIcon : public ui::TComponent {
    UI_PUBLISHED_CLASS
public:
    explicit TTrayIcon(ui::TComponent* AOwner);
    ~TTrayIcon() override;

    bool DesignPreview() const { return FDesignPreview; }
    void SetDesignPreview(bool value) { FDesignPreview = value; }
    // The images that cycling steps through; IconIndex picks the one shown.
    ui::TImageList* IconList() const { return FIconList; }
    void SetIconList(ui::TImageList* value);
    bool CycleIcons() const { return FCycleIcons; }
    void SetCycleIcons(bool value);
    uint32_t CycleInterval() const { return FCycleInterval; }
    void SetCycleInterval(uint32_t value);
    // When false every mouse callback is ignored; balloon callbacks still arrive.
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value) { FEnabled = value; }
    const std::wstring& Hint() const { return FHint; }
    void SetHint(const std::wstring& value);
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool value);
    bool IconVisible() const { return FIconVisible; }
    void SetIconVisible(bool value);
    int32_t IconIndex() const { return FIconIndex; }
    void SetIconIndex(int32_t value);
    bool LeftPopup() const { return FLeftPopup; }
    void SetLeftPopup(bool value) { FLeftPopup = value; }
    bool WantEnterExitEvents() const { return FWantEnterExitEvents; }
    void SetWantEnterExitEvents(bool value);
    bool MinimizeToTray() const { return FMinimizeToTray; }
    void SetMinimizeToTray(bool value) { FMinimizeToTray = value; }

    // The image shown; the icon keeps its own copy and the record takes its small-icon handle.
    // Changing the image (LoadFromBytes, Assign) updates the notification area.
    ui::TIcon* Icon() const { return FIcon.get(); }
    void SetIcon(const ui::TIcon* value);
    // The menu opened by the right button's press (and the left one's with LeftPopup); its
    // Default item is chosen by a double click.
    ui::TPopupMenu* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(ui::TPopupMenu* value);

    // Answers true: a new icon shows the program's icon in a designer.
    virtual bool UsesDefaultIcon();
    // Shell calls on the prepared record; each answers the shell's success and nothing else.
    virtual bool AddIcon();
    virtual bool RemoveIcon();
    virtual bool UpdateIcon();

    // Replaces any balloon that is up by one with this 8-bit title (63 characters at most) and
    // text (255 at most). The answer is the shell's; without an icon in the notification area
    // it is false and nothing shows.
    bool ShowBalloon(const std::string& Title, const std::string& Text, TBalloonIconKind IconKind,
                     uint8_t TimeoutSeconds);
    bool HideBalloon();

    void HideMainWindow();
    void HideTaskbarButton();
    void PopupMenuAt(int X, int Y);
    void PopupMenuAtCursor();

    // The icon's identifier with the shell and the record as it was last prepared.
    uint32_t IconId() const { return FIconId; }
    const TTrayIconData& IconData() const { return FIconData; }
    // 0: the right button's release comes as WM_RBUTTONUP (shell version 0); 1: as
    // WM_CONTEXTMENU, NIN_SELECT or NIN_KEYSELECT (version 3).
    uint8_t BehaviourMode() const { return FBehaviourMode; }

    ui::TNotifyEvent OnClick;
    ui::TNotifyEvent OnDblClick;
    ui::TMouseEvent OnMouseDown;
    ui::TMouseEvent OnMouseUp;
    ui::TMouseMoveEvent OnMouseMove;
    ui::TNotifyEvent OnMouseEnter;
    ui::TNotifyEvent OnMouseExit;
    TCycleEvent OnCycle;
    ui::TNotifyEvent OnBalloonHintShow;
    ui::TNotifyEvent OnBalloonHintHide;
    ui::TNotifyEvent OnBalloonHintTimeout;
    ui::TNotifyEvent OnBalloonHintClick;
    ui::TNotifyEvent OnMinimizeToTray;
    TStartupEvent OnStartup;

protected:
    virtual void Click();
    virtual void DblClick();
    virtual void Cycle(int NextIndex);
    virtual void MouseDown(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y);
    virtual void MouseUp(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y);
    virtual void MouseMove(ui::TShiftState Shift, int X, int Y);
    virtual void MouseEnter();
    virtual void MouseExit();
    virtual void MinimizeMainToTray();

    void Loaded() override;
    void Notification(ui::TComponent* component, ui::TOperation operation) override;

private:
    friend class TTrayIconHandler;

// Lets stored descriptions create the tray's components by class name.
void RegisterTrayClasses();
    void ApplyIconIndex(int32_t value);
    void PrepareIconData();
    bool Notify(DWORD message);
    void HandleCallback(UINT mouseMessage);
    void CallbackMouseMove();
    void CallbackLeftDown();
    void CallbackLeftUp();
    void CallbackLeftDoubleClick();
    void CallbackRightDown();
    void CallbackBalloon(UINT message);
    void RaiseMouse(bool down, ui::TMouseButton button);
    void ClickTimerTick();
    void ExitTimerTick();
    void CycleTimerTick();
    bool MenuOpensByItself() const;
    void ClickDefaultMenuItem();
    bool ApplicationWindowHook(ui::TMessage& message);
    void HookOwnerWindow(bool createWindow);
    void UnhookOwnerWindow();
    bool OwnerWindowHook(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    static LRESULT CALLBACK OwnerSubclassProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                              DWORD_PTR refData);
    void ReadPopupMenu(const ui::TValue& value);
    void ReadIconList(const ui::TValue& value);
    void LoadListImage(int index);
    void ReadIcon(const ui::TValue& value);
    ui::TValue IconValue() const;
    HICON SmallIconHandle() const;
    bool Designing() const { return ComponentState().Contains(ui::TComponentStateFlag::csDesigning); }

    uint32_t FIconId = 0;
    TTrayIconData FIconData{};
    std::unique_ptr<TSimpleTimer> FCycleTimer;
    std::unique_ptr<TSimpleTimer> FClickTimer;
    std::unique_ptr<TSimpleTimer> FExitTimer;

    bool FDesignPreview = false;
    bool FCycleIcons = false;
    uint32_t FCycleInterval = 0;
    bool FEnabled = true;
    std::wstring FHint;
    bool FShowHint = true;
    bool FIconVisible = false;
    int32_t FIconIndex = 0;
    bool FLeftPopup = false;
    bool FWantEnterExitEvents = false;
    bool FMinimizeToTray = false;
    std::unique_ptr<ui::TIcon> FIcon;
    std::wstring FIconSourceName; // the file the stored icon came from, for writing it back
    ui::TPopupMenu* FPopupMenu = nullptr;
    ui::TImageList* FIconList = nullptr;
    // Named by the description before the component was read; Loaded finds them.
    std::wstring FPendingPopupMenu;
    std::wstring FPendingIconList;

    bool FClickStart = false;
    bool FClickReady = false;
    bool FDblClicked = false;
    POINT FLastPosition{};
    bool FHasExited = true;
    uint8_t FBehaviourMode = 0;
    bool FStartupCheckPending = true;
    int FApplicationHookId = 0;
    HWND FOwnerWindow = nullptr; // the owner's window while our procedure sits in front of it
    // Cleared when the icon is destroyed, so that a callback whose event handler destroyed the
    // icon stops touching it.
    std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};

// The hidden window that receives the shell's callbacks for every icon, created with the first
// icon and destroyed with the last. Icons are found by their identifier.
class TTrayIconHandler {
public:
    static HWND Window();
    static int RefCount();

private:
    friend class TTrayIcon;
    static TTrayIconHandler& Acquire(TTrayIcon* icon);
    static void Release(TTrayIcon* icon);
    TTrayIconHandler();
    ~TTrayIconHandler();
    bool HandleMessage(ui::TMessage& message);

    static inline TTrayIconHandler* FInstance = nullptr;
    HWND FWindow = nullptr;
    std::map<uint32_t, TTrayIcon*> FIcons;
};

} // namespace tray
