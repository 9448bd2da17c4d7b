// Top-level windows (TForm), the application object with its message loop and error handling,
// and the application-wide event hook (TApplicationEvents).
#pragma once

#include "ui/controls/Controls.h"
#include "ui/core/SysUtils.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ui {

enum class TPosition { poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
                       poMainFormCenter, poOwnerFormCenter };
enum class TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum class TCloseAction { caNone, caHide, caFree, caMinimize };

using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = 1;
constexpr TModalResult mrCancel = 2;

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TExceptionEvent = std::function<void(TObject* Sender, Exception& E)>;

// A top-level window built from its stored description. Windows belong to the application's
// hidden window, so the program has one taskbar button whatever is open.
class TForm : public TWinControl {
    UI_PUBLISHED_CLASS
public:
    explicit TForm(TComponent* AOwner);
    ~TForm() override;

    // Reads the description stored in the program under the class's name (upper case).
    void LoadDescription();

    TPosition Position() const { return FPosition; }
    void SetPosition(TPosition v) { FPosition = v; }
    TFormStyle FormStyle() const { return FFormStyle; }
    void SetFormStyle(TFormStyle v);
    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle v);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool v);
    int PixelsPerInch() const { return FPixelsPerInch; }
    void SetPixelsPerInch(int v) { FPixelsPerInch = v; }
    bool Scaled() const { return FScaled; }
    void SetScaled(bool v) { FScaled = v; }
    int DesignClientWidth() const { return ClientWidth(); }
    int DesignClientHeight() const { return ClientHeight(); }

    // Shows the window and runs a nested message loop until it is closed; other windows of the
    // program are disabled meanwhile, but timers and their messages go on.
    TModalResult ShowModal();
    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult v) { FModalResult = v; }
    bool IsModal() const { return FModal; }
    void Close();

    // Sizes the client area to the children that are not docked, when AutoSize is on.
    void AdjustSize();

    // The window's icon (title bar and task switcher), with its images of several sizes.
    TIcon* Icon() { return FIcon.get(); }

    TNotifyEvent OnCreate;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnDestroy;
    TCloseEvent OnClose;

    void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) override;
    void DoCreate();

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandleDone() override;
    void WndProc(TMessage& message) override;
    void VisibleChanged() override;
    void Loaded() override;
    virtual void DoShow();
    virtual void DoHide();
    virtual void DoClose(TCloseAction& action);

private:
    void PlaceOnScreen();
    void ApplyIcon();

    TPosition FPosition = TPosition::poDesigned;
    TFormStyle FFormStyle = TFormStyle::fsNormal;
    TFormBorderStyle FBorderStyle = TFormBorderStyle::bsSizeable;
    bool FAutoSize = false;
    int FPixelsPerInch = 96;
    bool FScaled = true;
    TModalResult FModalResult = mrNone;
    bool FModal = false;
    bool FShown = false;
    std::unique_ptr<TIcon> FIcon;
    std::wstring FIconName; // the file the description named
};

// The program: its hidden taskbar window, the windows it created, the message loop, and where
// every error that reaches the loop ends up.
class TApplication : public TComponent {
    UI_PUBLISHED_CLASS
public:
    explicit TApplication(TComponent* AOwner);
    ~TApplication() override;

    void Initialize();
    HWND Handle();
    bool HandleAllocated() const { return FHandle != nullptr; }
    // Passes a message of the hidden window through the hooks and the default handling;
    // false when nobody handled it.
    bool Perform(TMessage& message);

    const std::wstring& Title() const { return FTitle; }
    void SetTitle(const std::wstring& title);

    // Creates a window, reads its stored description and raises its OnCreate; the first window
    // created becomes the main window.
    template <class T>
    void CreateForm(T*& reference)
    {
        T* form = new T(this);
        reference = form;
        if (FMainForm == nullptr)
            FMainForm = form;
        form->LoadDescription();
        form->DoCreate();
    }

    TForm* MainForm() const { return FMainForm; }
    void SetMainForm(TForm* form) { FMainForm = form; }
    bool ShowMainForm() const { return FShowMainForm; }
    void SetShowMainForm(bool v) { FShowMainForm = v; }

    // Shows the main window and processes messages until it closes.
    void Run();
    // Handles one message, waiting for one when none is queued.
    void HandleMessage();
    // Handles every queued message, then returns.
    void ProcessMessages();
    void Terminate();
    bool Terminated() const { return FTerminated; }
    // Destroys every window the application owns (end of the program).
    void Finalize();

    void BringToFront();
    void Minimize();
    void Restore();
    // Tells the window of this thread that holds the mouse capture, if any, to end what it was
    // doing with the mouse (WM_CANCELMODE). Done when the user leaves the application.
    void CancelMouseMode();

    // A window that is not topmost stays behind every topmost one, and the modal windows and
    // message boxes are not topmost (they belong to the hidden application window). So while
    // one runs, the program's own topmost windows give up the flag, and they take it back when
    // the last one has closed. Calls nest; TTopMostsNormalized pairs them.
    void NormalizeTopMosts();
    void RestoreTopMosts();
    bool TopMostsNormalized() const { return FTopMostLevel > 0; }
    // A stay-on-top window shown while the flags are lifted: it gets its flag on restoring.
    void AddNormalizedTopMost(HWND wnd);

    // Passes the exception being handled to OnException (of this object or of a
    // TApplicationEvents), or shows it in a message box when nobody listens. Call it only from
    // inside a catch block. It never throws.
    void HandleException(TObject* sender);
    void ShowException(const Exception& e);

    // Hooks that see the hidden application window's messages first; a hook returning true
    // has handled the message.
    using TWindowHook = std::function<bool(TMessage&)>;
    int HookMainWindow(TWindowHook hook);
    void UnhookMainWindow(int id);

    TExceptionEvent OnException;
    TNotifyEvent OnMinimize;
    TNotifyEvent OnRestore;

private:
    friend class TApplicationEvents;
    bool ApplicationWindowProc(TMessage& message);
    bool ProcessMessage(MSG& msg);

    HWND FHandle = nullptr;
    std::wstring FTitle;
    TForm* FMainForm = nullptr;
    bool FShowMainForm = true;
    bool FTerminated = false;
    bool FHandlingException = false;
    std::vector<class TApplicationEvents*> FEvents;
    std::vector<std::pair<int, TWindowHook>> FHooks;
    int FNextHookId = 1;
    int FTopMostLevel = 0;
    std::vector<HWND> FNormalizedTopMosts;
};

// The one application object of the program.
extern TApplication* const Application;

// Lifts the program's topmost flags for as long as it lives (a modal window or message box).
class TTopMostsNormalized {
public:
    TTopMostsNormalized() { Application->NormalizeTopMosts(); }
    ~TTopMostsNormalized() { Application->RestoreTopMosts(); }
    TTopMostsNormalized(const TTopMostsNormalized&) = delete;
    TTopMostsNormalized& operator=(const TTopMostsNormalized&) = delete;
};

// A component on a window that listens to application-wide events.
class TApplicationEvents : public TComponent {
    UI_PUBLISHED_CLASS
public:
    explicit TApplicationEvents(TComponent* AOwner);
    ~TApplicationEvents() override;

    TExceptionEvent OnException;
};

} // namespace ui
