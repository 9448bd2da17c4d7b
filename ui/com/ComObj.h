// COM helpers of the class library: the apartment, owning wrappers for interface pointers,
// BSTRs and VARIANTs, and the check that turns a failing HRESULT into an error.
#pragma once

#include "ui/core/Classes.h"
#include "ui/core/SysUtils.h"

#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <string>
#include <utility>

namespace ui {

// A COM failure that has no single HRESULT of its own (a control that could not be created,
// an event delivered with the wrong arguments).
class EOleError : public Exception {
public:
    using Exception::Exception;
};

// Raises EOleSysError, whose message is the system's text for the code, when `hr` fails.
HRESULT OleCheck(HRESULT hr);

// Makes the calling thread a single-threaded OLE apartment. The first call does the work; the
// apartment then lives as long as the thread (the user-interface thread), so later calls and
// other controls share it. Raises when the thread already runs in the multithreaded apartment.
void OleInitializeOnce();

// Runs the body of a COM method that we implement: any exception goes to the application's
// error handling (it must never unwind into the caller's frames) and the method answers
// `failure` instead.
template <class F>
HRESULT ComGuard(TObject* sender, HRESULT failure, F&& body) noexcept;

// Owns one reference to an interface.
template <class I>
class TComPtr {
public:
    TComPtr() = default;
    TComPtr(std::nullptr_t) {}
    // Takes a new reference (AddRef) to `p`.
    explicit TComPtr(I* p) : FPtr(p)
    {
        if (FPtr)
            FPtr->AddRef();
    }
    TComPtr(const TComPtr& o) : TComPtr(o.FPtr) {}
    TComPtr(TComPtr&& o) noexcept : FPtr(std::exchange(o.FPtr, nullptr)) {}
    ~TComPtr() { Reset(); }
    TComPtr& operator=(TComPtr o) noexcept
    {
        std::swap(FPtr, o.FPtr);
        return *this;
    }

    I* Get() const { return FPtr; }
    I* operator->() const { return FPtr; }
    explicit operator bool() const { return FPtr != nullptr; }
    // For out-parameters: releases what is held and hands out the slot.
    I** Put()
    {
        Reset();
        return &FPtr;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }
    void Reset()
    {
        if (I* p = std::exchange(FPtr, nullptr))
            p->Release();
    }
    // Asks the object for another interface; an empty pointer when it has none.
    template <class J>
    TComPtr<J> As(REFIID iid) const
    {
        TComPtr<J> result;
        if (FPtr)
            FPtr->QueryInterface(iid, result.PutVoid());
        return result;
    }

private:
    I* FPtr = nullptr;
};

// Owns a BSTR. Text passes through unchanged, embedded nulls included.
class TBStr {
public:
    TBStr() = default;
    explicit TBStr(const std::wstring& text);
    TBStr(const TBStr&) = delete;
    TBStr& operator=(const TBStr&) = delete;
    ~TBStr() { SysFreeString(FStr); }

    BSTR Get() const { return FStr; }
    BSTR* Put()
    {
        SysFreeString(FStr);
        FStr = nullptr;
        return &FStr;
    }
    std::wstring Str() const { return ToWide(FStr); }
    static std::wstring ToWide(BSTR s) { return s ? std::wstring(s, SysStringLen(s)) : std::wstring(); }

private:
    BSTR FStr = nullptr;
};

// Owns a VARIANT (cleared when it goes).
class TOleVariant {
public:
    TOleVariant() { VariantInit(&FVar); }
    TOleVariant(const TOleVariant&) = delete;
    TOleVariant& operator=(const TOleVariant&) = delete;
    ~TOleVariant() { VariantClear(&FVar); }

    VARIANT* Get() { return &FVar; }
    const VARIANT* Get() const { return &FVar; }
    VARTYPE Type() const { return FVar.vt; }

    static void SetBool(VARIANT& v, bool value);
    // Converts to a Boolean or to text the way OLE Automation does; raises on failure.
    bool AsBool() const;
    std::wstring AsString() const;

private:
    VARIANT FVar;
};

// --- template definitions -------------------------------------------------------------------

void HandleComException(TObject* sender) noexcept;

template <class F>
HRESULT ComGuard(TObject* sender, HRESULT failure, F&& body) noexcept
{
    try {
        return body();
    } catch (...) {
        HandleComException(sender);
        return failure;
    }
}

} // namespace ui
