// Helpers for tests that drive a control with real mouse and key messages.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <vector>

namespace testsupport {

// Holds modifier keys down in the thread's keyboard state (as GetKeyState sees them) for its
// lifetime; the state before is restored after.
class THeldKeys {
public:
    THeldKeys(std::initializer_list<int> keys);
    ~THeldKeys();
    THeldKeys(const THeldKeys&) = delete;
    THeldKeys& operator=(const THeldKeys&) = delete;

private:
    BYTE FSaved[256];
};

// Mouse messages in client coordinates of `wnd`, sent as the system would deliver them.
void SendMouse(HWND wnd, UINT msg, int x, int y, WPARAM keys = 0);
// A left click: press and release at one point.
void Click(HWND wnd, int x, int y, WPARAM keys = 0);
// A mouse message to whichever window holds the capture, at a screen point (the capture window
// gets it in its own client coordinates). False when no window holds the capture.
bool SendToCapture(UINT msg, POINT screen, WPARAM keys = 0);
// A key press: WM_KEYDOWN then WM_KEYUP.
void Key(HWND wnd, WORD vk);
// A typed character.
void Char(HWND wnd, wchar_t ch);

} // namespace testsupport
