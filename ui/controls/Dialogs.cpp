// Message boxes.
#include "ui/controls/Dialogs.h"

#include "ui/core/ClassBuilder.h"

namespace ui {

template <>
const TEnumInfo& EnumInfoOf<TMsgDlgType>()
{
    static const TEnumInfo info{L"TMsgDlgType",
                                {L"mtWarning", L"mtError", L"mtInformation", L"mtConfirmation", L"mtCustom"}};
    return info;
}

template <>
const TEnumInfo& EnumInfoOf<TMsgDlgBtn>()
{
    static const TEnumInfo info{L"TMsgDlgBtn", {L"mbYes", L"mbNo", L"mbOK", L"mbCancel", L"mbAbort", L"mbRetry",
                                               L"mbIgnore", L"mbAll", L"mbNoToAll", L"mbYesToAll", L"mbHelp"}};
    return info;
}

namespace {

TMessageBoxHandler& Handler()
{
    static TMessageBoxHandler handler;
    return handler;
}

// The platform's message box, owned by the active window of the program so that the box is
// modal to it.
TModalResult SystemMessageBox(const std::wstring& caption, const std::wstring& text, TMsgDlgType type,
                              TMsgDlgButtons buttons)
{
    UINT style = MB_TASKMODAL | MB_SETFOREGROUND;
    switch (type) {
    case TMsgDlgType::mtWarning: style |= MB_ICONWARNING; break;
    case TMsgDlgType::mtError: style |= MB_ICONERROR; break;
    case TMsgDlgType::mtInformation: style |= MB_ICONINFORMATION; break;
    case TMsgDlgType::mtConfirmation: style |= MB_ICONQUESTION; break;
    default: break;
    }
    using B = TMsgDlgBtn;
    auto has = [&](B b) { return buttons.Contains(b); };
    if (has(B::mbYes) && has(B::mbNo))
        style |= has(B::mbCancel) ? MB_YESNOCANCEL : MB_YESNO;
    else if (has(B::mbAbort) && has(B::mbRetry))
        style |= MB_ABORTRETRYIGNORE;
    else if (has(B::mbRetry) && has(B::mbCancel))
        style |= MB_RETRYCANCEL;
    else if (has(B::mbOK) && has(B::mbCancel))
        style |= MB_OKCANCEL;
    else
        style |= MB_OK;
    HWND owner = GetActiveWindow();
    int result = MessageBoxW(owner, text.c_str(), caption.c_str(), style);
    switch (result) {
    case IDOK: return mrOk;
    case IDCANCEL: return mrCancel;
    case IDABORT: return mrAbort;
    case IDRETRY: return mrRetry;
    case IDIGNORE: return mrIgnore;
    case IDYES: return mrYes;
    case IDNO: return mrNo;
    default: return mrNone;
    }
}

} // namespace

std::wstring MessageDlgCaption(TMsgDlgType type)
{
    switch (type) {
    case TMsgDlgType::mtWarning: return L"Warning";
    case TMsgDlgType::mtError: return L"Error";
    case TMsgDlgType::mtInformation: return L"Information";
    case TMsgDlgType::mtConfirmation: return L"Confirm";
    default: return Application->Title();
    }
}

TModalResult MessageDlg(const std::wstring& text, TMsgDlgType type, TMsgDlgButtons buttons)
{
    std::wstring caption = MessageDlgCaption(type);
    // The box is not topmost: the program's topmost windows would hide it.
    TTopMostsNormalized normalized;
    if (Handler())
        return Handler()(caption, text, type, buttons);
    return SystemMessageBox(caption, text, type, buttons);
}

TMessageBoxHandler SetMessageBoxHandler(TMessageBoxHandler handler)
{
    TMessageBoxHandler previous = std::move(Handler());
    Handler() = std::move(handler);
    return previous;
}

} // namespace ui
