// Helpers for tests that drive a control with real mouse and key messages.
#include "InputSupport.h"

#include <cstring>

namespace testsupport {

THeldKeys::THeldKeys(std::initializer_list<int> keys)
{
    GetKeyboardState(FSaved);
    BYTE state[256];
    std::memcpy(state, FSaved, sizeof state);
    for (int k : keys)
        state[k] |= 0x80;
    SetKeyboardState(state);
}

THeldKeys::~THeldKeys() { SetKeyboardState(FSaved); }

void SendMouse(HWND wnd, UINT msg, int x, int y, WPARAM keys)
{
    SendMessageW(wnd, msg, keys, MAKELPARAM(x, y));
}

void Click(HWND wnd, int x, int y, WPARAM keys)
{
    SendMouse(wnd, WM_LBUTTONDOWN, x, y, keys | MK_LBUTTON);
    SendMouse(wnd, WM_LBUTTONUP, x, y, keys);
}

bool SendToCapture(UINT msg, POINT screen, WPARAM keys)
{
    HWND wnd = GetCapture();
    if (wnd == nullptr)
        return false;
    POINT p = screen;
    ScreenToClient(wnd, &p);
    SendMessageW(wnd, msg, keys, MAKELPARAM(p.x, p.y));
    return true;
}

void Key(HWND wnd, WORD vk)
{
    SendMessageW(wnd, WM_KEYDOWN, vk, 1);
    SendMessageW(wnd, WM_KEYUP, vk, 1 | (1u << 30) | (1u << 31));
}

void Char(HWND wnd, wchar_t ch) { SendMessageW(wnd, WM_CHAR, ch, 1); }

} // namespace testsupport
