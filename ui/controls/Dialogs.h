// Message boxes with a kind and buttons. The box is shown through one replaceable function so
// that tests can record what would have been shown and answer it.
#pragma once

#include "ui/controls/Forms.h"

#include <functional>
#include <string>

namespace ui {

enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum class TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll,
                        mbHelp };
using TMsgDlgButtons = TSet<TMsgDlgBtn>;

// Dialog results beyond mrOk / mrCancel, numbered as the platform's.
constexpr TModalResult mrAbort = 3;
constexpr TModalResult mrRetry = 4;
constexpr TModalResult mrIgnore = 5;
constexpr TModalResult mrYes = 6;
constexpr TModalResult mrNo = 7;

// The standard caption of a kind: "Warning", "Error", "Information", "Confirm", or the
// application's title for mtCustom.
std::wstring MessageDlgCaption(TMsgDlgType type);

// Shows a modal message box and returns the button that closed it (mrOk ...). Timers and other
// messages go on meanwhile; the program's other windows take no input.
TModalResult MessageDlg(const std::wstring& text, TMsgDlgType type, TMsgDlgButtons buttons);

// What MessageDlg calls to show the box: caption, text, kind, buttons -> result.
using TMessageBoxHandler =
    std::function<TModalResult(const std::wstring& caption, const std::wstring& text, TMsgDlgType type,
                               TMsgDlgButtons buttons)>;
// Replaces the real message box (tests); an empty handler restores it. Returns the previous one.
TMessageBoxHandler SetMessageBoxHandler(TMessageBoxHandler handler);

} // namespace ui

template <> const ui::TEnumInfo& ui::EnumInfoOf<ui::TMsgDlgType>();
template <> const ui::TEnumInfo& ui::EnumInfoOf<ui::TMsgDlgBtn>();
