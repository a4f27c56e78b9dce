// Small owners for COM: the apartment of a thread, an interface reference, a BSTR.
#pragma once
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <string>

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

template <class T>
class ComRef {
 public:
  ComRef() = default;
  ~ComRef() { Reset(); }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  T* operator->() const { return p_; }
  T* Get() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // For calls that hand out a reference.
  T** Out() {
    Reset();
    return &p_;
  }
  void** OutVoid() { return reinterpret_cast<void**>(Out()); }
  void Reset() {
    if (p_) p_->Release();
    p_ = nullptr;
  }

 private:
  T* p_ = nullptr;
};

class Bstr {
 public:
  // From code page 936 text.
  explicit Bstr(const std::string& text) {
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    b_ = SysAllocStringLen(nullptr, static_cast<UINT>(n));
    if (b_ && n > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), b_, n);
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
