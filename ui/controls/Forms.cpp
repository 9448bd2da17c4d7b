// Top-level windows, the application object and the application-wide event hook.
#include "ui/controls/Forms.h"

#include "ui/core/ClassBuilder.h"
#include "ui/core/Description.h"

#include <commctrl.h>

#include <algorithm>

namespace ui {

template <>
const TEnumInfo& EnumInfoOf<TPosition>()
{
    static const TEnumInfo info{L"TPosition",
                                {L"poDesigned", L"poDefault", L"poDefaultPosOnly", L"poDefaultSizeOnly",
                                 L"poScreenCenter", L"poDesktopCenter", L"poMainFormCenter", L"poOwnerFormCenter"}};
    return info;
}

template <>
const TEnumInfo& EnumInfoOf<TFormStyle>()
{
    static const TEnumInfo info{L"TFormStyle", {L"fsNormal", L"fsMDIChild", L"fsMDIForm", L"fsStayOnTop"}};
    return info;
}

template <>
const TEnumInfo& EnumInfoOf<TFormBorderStyle>()
{
    static const TEnumInfo info{L"TFormBorderStyle",
                                {L"bsNone", L"bsSingle", L"bsSizeable", L"bsDialog", L"bsToolWindow", L"bsSizeToolWin"}};
    return info;
}

// ---------------------------------------------------------------------------------------------
// TForm

const TClassInfo& TForm::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TForm>(L"TForm", &TWinControl::StaticClass())
        .Property(L"BorderStyle", &TForm::BorderStyle, &TForm::SetBorderStyle)
        .Property(L"ClientWidth", &TForm::DesignClientWidth, &TForm::SetClientWidth)
        .Property(L"ClientHeight", &TForm::DesignClientHeight, &TForm::SetClientHeight)
        .Property(L"FormStyle", &TForm::FormStyle, &TForm::SetFormStyle)
        .Property(L"Position", &TForm::Position, &TForm::SetPosition)
        .Property(L"AutoSize", &TForm::AutoSize, &TForm::SetAutoSize)
        .Property(L"PixelsPerInch", &TForm::PixelsPerInch, &TForm::SetPixelsPerInch)
        .Property(L"Scaled", &TForm::Scaled, &TForm::SetScaled)
        .Custom(L"Icon",
                [](const TForm& f) {
                    // No icon is written as nil: a description names no file for it.
                    if (f.FIcon->Empty() || f.FIconName.empty())
                        return TValue::Ident(L"nil");
                    return TValue::Data(f.FIconName, f.FIcon->SaveToBytes());
                },
                [](TForm& f, const TValue& v) {
                    if (v.Kind == TValue::TKind::Ident && SameText(v.Str, L"nil")) {
                        f.FIcon->Assign(TIcon());
                        f.FIconName.clear();
                        return;
                    }
                    if (v.Kind != TValue::TKind::Data)
                        throw EConvertError(L"An icon must be stored as file data");
                    if (v.Bytes.empty()) {
                        f.FIcon->Assign(TIcon());
                    } else {
                        try {
                            f.FIcon->LoadFromBytes(v.Bytes);
                        } catch (const Exception& e) {
                            throw EInvalidGraphic(Format(L"The icon %s cannot be read: %s", v.Str.c_str(),
                                                         e.Message().c_str()));
                        }
                    }
                    f.FIconName = v.Str;
                })
        .Event(L"OnCreate", &TForm::OnCreate)
        .Event(L"OnShow", &TForm::OnShow)
        .Event(L"OnHide", &TForm::OnHide)
        .Event(L"OnClose", &TForm::OnClose)
        .Event(L"OnDestroy", &TForm::OnDestroy)
        .Build();
    return info;
}

TForm::TForm(TComponent* AOwner) : TWinControl(AOwner), FIcon(std::make_unique<TIcon>())
{
    FIcon->OnChange = [this](TObject*) { ApplyIcon(); };
    SetVisible(false);
    SetBounds(0, 0, 320, 240);
}

TForm::~TForm()
{
    if (OnDestroy) {
        try {
            OnDestroy(this);
        } catch (...) {
            Application->HandleException(this);
        }
    }
    // The window's components go first, while the window they live in still exists.
    DestroyComponents();
    // The icon's handles go with this object, before the window: the window must not keep them.
    if (HandleAllocated()) {
        SendMessageW(Handle(), WM_SETICON, ICON_BIG, 0);
        SendMessageW(Handle(), WM_SETICON, ICON_SMALL, 0);
    }
    if (Application->MainForm() == this)
        Application->SetMainForm(nullptr);
}

void TForm::LoadDescription()
{
    std::wstring name = ClassName();
    for (auto& c : name)
        c = towupper(c);
    ReadDescription(*this, LoadDescriptionResource(name), ClassName(), ResourceDataResolver);
}

void TForm::DoCreate()
{
    if (OnCreate)
        OnCreate(this);
}

void TForm::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root)
{
    // Components without a parent control (timers, menus) are written first, then the controls.
    for (int i = 0; i < ComponentCount(); ++i) {
        TComponent* c = Components(i);
        if (!c->HasParent())
            proc(c);
    }
    TWinControl::GetChildren(proc, root);
}

void TForm::SetFormStyle(TFormStyle v)
{
    if (v == FFormStyle)
        return;
    FFormStyle = v;
    if (HandleAllocated())
        SetWindowPos(Handle(), v == TFormStyle::fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TForm::SetBorderStyle(TFormBorderStyle v)
{
    if (v == FBorderStyle)
        return;
    FBorderStyle = v;
    RecreateWnd();
}

void TForm::SetAutoSize(bool v)
{
    FAutoSize = v;
    if (v && !IsLoading())
        AdjustSize();
}

void TForm::AdjustSize()
{
    if (!FAutoSize)
        return;
    int right = 0, bottom = 0;
    bool any = false;
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* c = Controls(i);
        if (!c->Visible() || c->Align() != TAlign::alNone)
            continue;
        any = true;
        right = std::max(right, c->Left() + c->Width());
        bottom = std::max(bottom, c->Top() + c->Height());
    }
    if (!any)
        return;
    SetClientWidth(right);
    SetClientHeight(bottom);
}

void TForm::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.Style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    params.ExStyle = 0;
    switch (FBorderStyle) {
    case TFormBorderStyle::bsNone: params.Style |= WS_POPUP; break;
    case TFormBorderStyle::bsSingle:
    case TFormBorderStyle::bsToolWindow:
        params.Style |= WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_BORDER;
        break;
    case TFormBorderStyle::bsDialog:
        params.Style |= WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
        params.ExStyle |= WS_EX_DLGMODALFRAME;
        break;
    default: params.Style |= WS_OVERLAPPEDWINDOW; break;
    }
    if (FBorderStyle == TFormBorderStyle::bsToolWindow || FBorderStyle == TFormBorderStyle::bsSizeToolWin)
        params.ExStyle |= WS_EX_TOOLWINDOW;
    // While a modal window runs, a stay-on-top window waits for its flag (see NormalizeTopMosts).
    if (FFormStyle == TFormStyle::fsStayOnTop && !Application->TopMostsNormalized())
        params.ExStyle |= WS_EX_TOPMOST;
    if (!Enabled())
        params.Style |= WS_DISABLED;
    params.WndParent = Application->Handle();
}

void TForm::ApplyIcon()
{
    if (!HandleAllocated())
        return;
    HICON big = FIcon->Empty() ? nullptr : FIcon->Handle(GetSystemMetrics(SM_CXICON));
    HICON small = FIcon->Empty() ? nullptr : FIcon->Handle(GetSystemMetrics(SM_CXSMICON));
    SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
}

void TForm::CreateHandleDone()
{
    ApplyIcon();
    // Windows may have adjusted the size (minimum track size); keep what the window really has.
    TRect r;
    GetWindowRect(Handle(), &r);
    StoreBounds(r.left, r.top, RectWidth(r), RectHeight(r));
}

void TForm::PlaceOnScreen()
{
    switch (FPosition) {
    case TPosition::poScreenCenter:
    case TPosition::poDesktopCenter:
    case TPosition::poMainFormCenter:
    case TPosition::poOwnerFormCenter: {
        TRect work;
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        SetBounds(work.left + (RectWidth(work) - Width()) / 2, work.top + (RectHeight(work) - Height()) / 2, Width(),
                  Height());
        break;
    }
    default: break;
    }
}

void TForm::Loaded()
{
    TWinControl::Loaded();
    if (FAutoSize)
        AdjustSize();
    if (Visible()) {
        SetVisible(false);
        SetVisible(true);
    }
}

void TForm::VisibleChanged()
{
    if (IsLoading())
        return;
    if (Visible()) {
        HandleNeeded();
        PlaceOnScreen();
        // OnShow runs while the window is still hidden: what it changes (the page on show, the
        // size) is built and laid out once, off screen, and the first paint shows the result.
        // A failing handler is reported and the window still comes up; one that hid the form
        // again has the last word.
        try {
            DoShow();
        } catch (...) {
            Application->HandleException(this);
        }
        if (!Visible())
            return;
        AdjustSize();
        ShowWindow(Handle(), SW_SHOW);
        if (FFormStyle == TFormStyle::fsStayOnTop && Application->TopMostsNormalized())
            Application->AddNormalizedTopMost(Handle());
        else if (FFormStyle == TFormStyle::fsStayOnTop)
            SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        FShown = true;
    } else {
        if (HandleAllocated())
            ShowWindow(Handle(), SW_HIDE);
        DoHide();
    }
}

void TForm::DoShow()
{
    if (OnShow)
        OnShow(this);
}

void TForm::DoHide()
{
    if (OnHide)
        OnHide(this);
}

void TForm::DoClose(TCloseAction& action)
{
    if (OnClose)
        OnClose(this, action);
}

void TForm::Close()
{
    if (FModal) {
        FModalResult = mrCancel;
        return;
    }
    TCloseAction action = TCloseAction::caHide;
    DoClose(action);
    if (action == TCloseAction::caNone)
        return;
    if (Application->MainForm() == this) {
        Hide();
        Application->Terminate();
    } else if (action == TCloseAction::caMinimize) {
        if (HandleAllocated())
            ShowWindow(Handle(), SW_MINIMIZE);
    } else {
        Hide();
    }
}

namespace {

struct TDisabledWindows {
    HWND Except;
    std::vector<HWND> Windows;
};

BOOL CALLBACK DisableTaskWindow(HWND wnd, LPARAM data)
{
    // Called by Windows: recording the window may fail (out of memory), and that must not
    // unwind through the enumeration. A window is disabled only once it is recorded, so that
    // it is enabled again afterwards; the enumeration stops at the first failure.
    try {
        auto* state = reinterpret_cast<TDisabledWindows*>(data);
        if (wnd != state->Except && IsWindowVisible(wnd) && IsWindowEnabled(wnd)) {
            state->Windows.push_back(wnd);
            EnableWindow(wnd, FALSE);
        }
        return TRUE;
    } catch (...) {
        Application->HandleException(Application);
        return FALSE;
    }
}

} // namespace

TModalResult TForm::ShowModal()
{
    if (Visible() || !Enabled() || FModal)
        throw EInvalidOperation(L"Cannot make a visible window modal");
    if (GetCapture() != nullptr)
        SendMessageW(GetCapture(), WM_CANCELMODE, 0, 0);
    ReleaseCapture();
    HWND previous = GetActiveWindow();
    // Before the window shows, so that it comes up above the windows that were topmost.
    TTopMostsNormalized normalized;
    TDisabledWindows disabled{Handle(), {}};
    EnumThreadWindows(GetCurrentThreadId(), DisableTaskWindow, reinterpret_cast<LPARAM>(&disabled));
    FModal = true;
    FModalResult = mrNone;
    auto restore = [&] {
        for (HWND wnd : disabled.Windows)
            if (IsWindow(wnd))
                EnableWindow(wnd, TRUE);
        FModal = false;
        Hide();
        if (previous != nullptr && IsWindow(previous))
            SetActiveWindow(previous);
    };
    try {
        Show();
        SetActiveWindow(Handle());
        while (FModalResult == mrNone) {
            Application->HandleMessage();
            if (Application->Terminated()) {
                FModalResult = mrCancel;
            } else if (FModalResult != mrNone) {
                TCloseAction action = TCloseAction::caHide;
                DoClose(action);
                if (action == TCloseAction::caNone)
                    FModalResult = mrNone;
            }
        }
    } catch (...) {
        restore();
        throw;
    }
    restore();
    return FModalResult;
}

void TForm::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case WM_CLOSE:
        Close();
        return;
    case WM_SYSCOMMAND:
        if ((message.WParam & 0xFFF0) == SC_MINIMIZE && Application->MainForm() == this) {
            Application->Minimize();
            return;
        }
        break;
    default: break;
    }
    TWinControl::WndProc(message);
}

// ---------------------------------------------------------------------------------------------
// TApplication

TApplication* const Application = new TApplication(nullptr);

const TClassInfo& TApplication::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TApplication>(L"TApplication", &TComponent::StaticClass()).Build();
    return info;
}

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner)
{
    // The controls below this unit hand the errors that reach their window procedures here.
    SetExceptionHook([](TObject* sender) { Application->HandleException(sender); });
}

TApplication::~TApplication() { Finalize(); }

void TApplication::Initialize()
{
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_TAB_CLASSES |
                                              ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
    RegisterStandardClasses();
    Handle();
}

namespace {

LRESULT CALLBACK ApplicationWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    TMessage message{msg, wParam, lParam, 0};
    bool handled = false;
    try {
        handled = Application->HandleAllocated() && Application->Handle() == wnd &&
                  Application->Perform(message);
    } catch (...) {
        Application->HandleException(Application);
        handled = true;
    }
    return handled ? message.Result : DefWindowProcW(wnd, msg, wParam, lParam);
}

} // namespace

HWND TApplication::Handle()
{
    if (FHandle == nullptr) {
        static bool registered = false;
        if (!registered) {
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof(wc);
            wc.lpfnWndProc = ApplicationWndProc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.hIcon = LoadIconW(GetModuleHandleW(nullptr), L"MAINICON");
            wc.lpszClassName = L"CallerIdTest.Application";
            RegisterClassExW(&wc);
            registered = true;
        }
        int x = GetSystemMetrics(SM_CXSCREEN) / 2, y = GetSystemMetrics(SM_CYSCREEN) / 2;
        FHandle = CreateWindowExW(0, L"CallerIdTest.Application", FTitle.c_str(),
                                  WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, x, y, 0, 0,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        if (FHandle == nullptr)
            throw EInvalidOperation(L"Cannot create the application window");
    }
    return FHandle;
}

bool TApplication::Perform(TMessage& message) { return ApplicationWindowProc(message); }

void TApplication::SetTitle(const std::wstring& title)
{
    FTitle = title;
    if (FHandle != nullptr)
        SetWindowTextW(FHandle, title.c_str());
}

bool TApplication::ApplicationWindowProc(TMessage& message)
{
    std::vector<std::pair<int, TWindowHook>> hooks = FHooks;
    for (auto& [id, hook] : hooks)
        if (hook && hook(message))
            return true;
    switch (message.Msg) {
    case WM_SYSCOMMAND:
        switch (message.WParam & 0xFFF0) {
        case SC_MINIMIZE: Minimize(); return true;
        case SC_RESTORE: Restore(); return true;
        default: return false;
        }
    case WM_CLOSE:
        if (FMainForm != nullptr)
            FMainForm->Close();
        return true;
    case WM_ACTIVATEAPP:
        // Leaving the application ends whatever the mouse was doing in it (a press, a sizing, a
        // drag): its release would never come back here.
        if (message.WParam == FALSE)
            CancelMouseMode();
        return false;
    default: return false;
    }
}

void TApplication::CancelMouseMode()
{
    HWND capture = GetCapture();
    if (capture != nullptr && GetWindowThreadProcessId(capture, nullptr) == GetCurrentThreadId())
        SendMessageW(capture, WM_CANCELMODE, 0, 0);
}

int TApplication::HookMainWindow(TWindowHook hook)
{
    int id = FNextHookId++;
    FHooks.emplace_back(id, std::move(hook));
    return id;
}

void TApplication::UnhookMainWindow(int id)
{
    FHooks.erase(std::remove_if(FHooks.begin(), FHooks.end(), [id](const auto& h) { return h.first == id; }),
                 FHooks.end());
}

void TApplication::Run()
{
    FTerminated = false;
    if (FMainForm != nullptr && FShowMainForm) {
        ShowWindow(Handle(), SW_SHOWNOACTIVATE);
        try {
            FMainForm->Show();
        } catch (...) {
            HandleException(FMainForm);
        }
    }
    while (!FTerminated) {
        try {
            HandleMessage();
        } catch (...) {
            HandleException(this);
        }
    }
}

bool TApplication::ProcessMessage(MSG& msg)
{
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        return false;
    if (msg.message == WM_QUIT) {
        FTerminated = true;
        return true;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    return true;
}

void TApplication::HandleMessage()
{
    MSG msg;
    if (!ProcessMessage(msg) && !FTerminated)
        WaitMessage();
}

void TApplication::ProcessMessages()
{
    MSG msg;
    while (ProcessMessage(msg)) {
    }
}

void TApplication::Terminate() { PostQuitMessage(0); }

void TApplication::Finalize()
{
    DestroyComponents();
    FMainForm = nullptr;
    if (FHandle != nullptr) {
        DestroyWindow(FHandle);
        FHandle = nullptr;
    }
}

namespace {

BOOL CALLBACK CollectTopMost(HWND wnd, LPARAM data)
{
    // Called by Windows: nothing may unwind through the enumeration.
    try {
        if (IsWindowVisible(wnd) && (GetWindowLongPtrW(wnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0)
            reinterpret_cast<std::vector<HWND>*>(data)->push_back(wnd);
        return TRUE;
    } catch (...) {
        Application->HandleException(Application);
        return FALSE;
    }
}

} // namespace

void TApplication::NormalizeTopMosts()
{
    if (FTopMostLevel++ > 0)
        return;
    FNormalizedTopMosts.clear();
    EnumThreadWindows(GetCurrentThreadId(), CollectTopMost, reinterpret_cast<LPARAM>(&FNormalizedTopMosts));
    for (HWND wnd : FNormalizedTopMosts)
        SetWindowPos(wnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TApplication::RestoreTopMosts()
{
    if (FTopMostLevel == 0 || --FTopMostLevel > 0)
        return;
    for (HWND wnd : FNormalizedTopMosts)
        if (IsWindow(wnd))
            SetWindowPos(wnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    FNormalizedTopMosts.clear();
}

void TApplication::AddNormalizedTopMost(HWND wnd)
{
    if (std::find(FNormalizedTopMosts.begin(), FNormalizedTopMosts.end(), wnd) == FNormalizedTopMosts.end())
        FNormalizedTopMosts.push_back(wnd);
}

void TApplication::BringToFront()
{
    HWND target = nullptr;
    if (FMainForm != nullptr && FMainForm->HandleAllocated())
        target = GetLastActivePopup(FMainForm->Handle());
    else if (FHandle != nullptr)
        target = GetLastActivePopup(FHandle);
    if (target != nullptr && IsWindowVisible(target) && IsWindowEnabled(target)) {
        SetForegroundWindow(target);
        BringWindowToTop(target);
    }
}

void TApplication::Minimize()
{
    if (FHandle == nullptr)
        return;
    ShowOwnedPopups(FHandle, FALSE);
    ShowWindow(FHandle, SW_MINIMIZE);
    if (OnMinimize)
        OnMinimize(this);
}

void TApplication::Restore()
{
    if (FHandle == nullptr)
        return;
    ShowWindow(FHandle, SW_RESTORE);
    ShowOwnedPopups(FHandle, TRUE);
    if (OnRestore)
        OnRestore(this);
}

void TApplication::HandleException(TObject* sender)
{
    auto dispatch = [&](Exception& e) {
        std::vector<TApplicationEvents*> listeners;
        for (TApplicationEvents* ev : FEvents)
            if (ev->OnException)
                listeners.push_back(ev);
        if (!listeners.empty()) {
            for (TApplicationEvents* ev : listeners)
                ev->OnException(sender, e);
        } else if (OnException) {
            OnException(sender, e);
        } else {
            ShowException(e);
        }
    };
    try {
        try {
            throw;
        } catch (Exception& e) {
            dispatch(e);
        } catch (const std::exception& e) {
            Exception wrapped(Utf8ToWide(e.what()));
            dispatch(wrapped);
        } catch (...) {
            Exception wrapped(L"Unknown error");
            dispatch(wrapped);
        }
    } catch (...) {
        // An error inside the error handler itself must not unwind into Windows' frames.
        OutputDebugStringW(L"An error occurred while an error was being handled");
    }
}

void TApplication::ShowException(const Exception& e)
{
    std::wstring text = e.Message();
    if (!text.empty() && text.back() != L'.')
        text += L'.';
    HWND owner = FMainForm != nullptr && FMainForm->HandleAllocated() ? FMainForm->Handle() : FHandle;
    MessageBoxW(owner, text.c_str(), FTitle.c_str(), MB_OK | MB_ICONSTOP);
}

// ---------------------------------------------------------------------------------------------
// TApplicationEvents

const TClassInfo& TApplicationEvents::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TApplicationEvents>(L"TApplicationEvents", &TComponent::StaticClass())
        .Event(L"OnException", &TApplicationEvents::OnException)
        .Build();
    return info;
}

TApplicationEvents::TApplicationEvents(TComponent* AOwner) : TComponent(AOwner)
{
    Application->FEvents.push_back(this);
}

TApplicationEvents::~TApplicationEvents()
{
    auto& list = Application->FEvents;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

} // namespace ui
