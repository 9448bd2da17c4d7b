// Small geometry types shared by every layer: Windows' own rectangles and points, with helpers.
#pragma once

#include <windows.h>

namespace ui {

using TRect = RECT;
using TPoint = POINT;

inline TRect Rect(int left, int top, int right, int bottom) { return TRect{left, top, right, bottom}; }
inline TRect Bounds(int left, int top, int width, int height) { return TRect{left, top, left + width, top + height}; }
inline TPoint Point(int x, int y) { return TPoint{x, y}; }
inline int RectWidth(const TRect& r) { return r.right - r.left; }
inline int RectHeight(const TRect& r) { return r.bottom - r.top; }
inline bool IsRectEmptyOrInverted(const TRect& r) { return r.right <= r.left || r.bottom <= r.top; }
inline bool PtInRectangle(const TRect& r, TPoint p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

// One window message as the class library passes it around; handlers set Result.
struct TMessage {
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
};

} // namespace ui

// Comparisons live beside RECT and POINT (the global namespace) so that lookup finds them anywhere.
inline bool operator==(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline bool operator==(const POINT& a, const POINT& b) { return a.x == b.x && a.y == b.y; }
