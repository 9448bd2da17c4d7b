// Asking Windows for WM_MOUSELEAVE: hot looks and hints go when the pointer leaves a window.
#pragma once

#include <windows.h>

namespace ui {

// Asks for one WM_MOUSELEAVE (TME_LEAVE; with TME_NONCLIENT for the frame and scroll bars) when
// the pointer leaves `wnd`; true when Windows took the request.
inline bool RequestMouseLeave(HWND wnd, DWORD flags = TME_LEAVE)
{
    TRACKMOUSEEVENT track{sizeof(track), flags, wnd, 0};
    return TrackMouseEvent(&track) != FALSE;
}

// The same once per stay of the pointer: `tracking` says whether it was asked for already (the
// WM_MOUSELEAVE handler clears it). True when it was asked for by this call, the pointer's
// first move inside since it came in.
inline bool TrackMouseLeave(HWND wnd, bool& tracking)
{
    if (tracking || wnd == nullptr)
        return false;
    tracking = RequestMouseLeave(wnd);
    return true;
}

} // namespace ui
