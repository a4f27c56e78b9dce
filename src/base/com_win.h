// Small owners for COM: the apartment of a thread, an interface reference, a BSTR.
#pragma once
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include "base/gbk_text_win.h"

// Joins the calling thread to a single-threaded apartment for its lifetime. A
// thread already in another apartment keeps it (and can still make the calls).
class ComApartment {
 public:
  ComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComApartment() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  bool Usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }
  HRESULT Result() const { return result_; }

 private:
  HRESULT result_;
};

// Releases what `p` holds, if anything; one function for every interface.
inline void ComRelease(IUnknown* p) {
  if (p) p->Release();
}

template <class T>
class ComRef {
 public:
  ComRef() = default;
  ~ComRef() { ComRelease(p_); }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // For calls that hand out a reference.
  T** Out() {
    ComRelease(p_);
    p_ = nullptr;
    return &p_;
  }
  void** OutVoid() { return reinterpret_cast<void**>(Out()); }

 private:
  T* p_ = nullptr;
};

class Bstr {
 public:
  // From code page 936 text, whatever the system's ANSI code page (a task
  // definition is longer than any shown text: no limit).
  explicit Bstr(const char* text) {
    const WideText wide = GbkToWide(text ? text : "", SIZE_MAX);
    b_ = SysAllocStringLen(wide.c_str(), static_cast<UINT>(wide.text.size()));
  }
  ~Bstr() { SysFreeString(b_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR Get() const { return b_; }
  explicit operator bool() const { return b_ != nullptr; }

 private:
  BSTR b_ = nullptr;
};

// A VARIANT holding nothing, cleared on exit.
struct EmptyVariant {
  VARIANT v;
  EmptyVariant() { VariantInit(&v); }
  ~EmptyVariant() { VariantClear(&v); }
  EmptyVariant(const EmptyVariant&) = delete;
  EmptyVariant& operator=(const EmptyVariant&) = delete;
};
