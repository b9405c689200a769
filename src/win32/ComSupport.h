// Small RAII owners for COM: the per-thread initialisation, BSTRs and VARIANTs (interface
// pointers: ComPtr).
#pragma once

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <string>

#include "win32/ComPtr.h"

namespace velmora {

// Initialises COM on this thread when it is not yet, and undoes only what it did itself.
class ComThreadInit {
  public:
    ComThreadInit() {
        const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        // S_FALSE: already initialised the same way, but the count went up and must come down.
        // RPC_E_CHANGED_MODE: the thread chose another model; COM is usable, nothing to undo.
        initialised_ = (hr == S_OK || hr == S_FALSE);
        usable_ = initialised_ || hr == RPC_E_CHANGED_MODE;
    }
    ~ComThreadInit() {
        if (initialised_) CoUninitialize();
    }
    ComThreadInit(const ComThreadInit&) = delete;
    ComThreadInit& operator=(const ComThreadInit&) = delete;

    bool Usable() const { return usable_; }

  private:
    bool initialised_ = false;
    bool usable_ = false;
};

class Bstr {
  public:
    Bstr() = default;
    explicit Bstr(const std::wstring& s)
        : b_(SysAllocStringLen(s.data(), static_cast<UINT>(s.size()))) {}
    ~Bstr() { SysFreeString(b_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;

    BSTR Get() const { return b_; }
    BSTR* Put() {
        SysFreeString(b_);
        b_ = nullptr;
        return &b_;
    }
    std::wstring Str() const { return b_ ? std::wstring(b_, SysStringLen(b_)) : std::wstring(); }

  private:
    BSTR b_ = nullptr;
};

// A VARIANT cleared on every exit.
class Variant {
  public:
    Variant() { VariantInit(&v_); }
    ~Variant() { VariantClear(&v_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;

    VARIANT* Ptr() { return &v_; }
    const VARIANT& Ref() const { return v_; }

  private:
    VARIANT v_;
};

}  // namespace velmora
