// Scoped GDI guards: an object handle that deletes itself, an object selected into a device
// context for one scope, and a canvas lent a device context for one scope.
#pragma once

#include "ui/graphics/Graphics.h"

#include <windows.h>

namespace ui {

// Owns one GDI object (brush, pen, font, bitmap, region) and deletes it when the scope ends, so
// no path out of a drawing step leaks it. Release() hands the handle to whoever takes it over
// (a window that takes a region, say); Get() lends it. nullptr when creation failed.
template <class T>
class TGdiObject {
public:
    TGdiObject() = default;
    explicit TGdiObject(T handle) : FHandle(handle) {}
    ~TGdiObject() { Reset(); }
    TGdiObject(TGdiObject&& other) noexcept : FHandle(other.Release()) {}
    TGdiObject& operator=(TGdiObject&& other) noexcept
    {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }
    TGdiObject(const TGdiObject&) = delete;
    TGdiObject& operator=(const TGdiObject&) = delete;

    T Get() const { return FHandle; }
    operator T() const { return FHandle; }
    explicit operator bool() const { return FHandle != nullptr; }

    T Release()
    {
        T handle = FHandle;
        FHandle = nullptr;
        return handle;
    }
    void Reset(T handle = nullptr)
    {
        if (FHandle != nullptr && FHandle != handle)
            DeleteObject(FHandle);
        FHandle = handle;
    }

private:
    T FHandle = nullptr;
};

// Selects an object into a device context and puts the one it replaced back when the scope ends:
// a context that belongs to someone else must be given back with its own objects selected, and
// an object may only be deleted once it is no longer selected anywhere.
class TSelectObject {
public:
    TSelectObject(HDC dc, HGDIOBJ object) : FDC(dc), FOld(SelectObject(dc, object)) {}
    ~TSelectObject()
    {
        if (FOld != nullptr)
            SelectObject(FDC, FOld);
    }
    TSelectObject(const TSelectObject&) = delete;
    TSelectObject& operator=(const TSelectObject&) = delete;

private:
    HDC FDC;
    HGDIOBJ FOld;
};

// Lends a canvas a device context for one drawing step and always takes it back: the canvas must
// never keep a context that Windows reuses after the step (a paint's, an owner-draw item's).
class TCanvasBinding {
public:
    TCanvasBinding(TCanvas& canvas, HDC dc) : FCanvas(canvas) { FCanvas.SetHandle(dc); }
    ~TCanvasBinding() { FCanvas.SetHandle(nullptr); }
    TCanvasBinding(const TCanvasBinding&) = delete;
    TCanvasBinding& operator=(const TCanvasBinding&) = delete;

private:
    TCanvas& FCanvas;
};

} // namespace ui
