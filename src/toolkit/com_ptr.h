// Owns a COM interface pointer: released when the owner goes.
#pragma once
#include <ole2.h>
#include <unknwn.h>

template <typename TInterface>
class TComPtr {
public:
  TComPtr() = default;
  ~TComPtr() { Reset(); }
  TComPtr(const TComPtr&) = delete;
  TComPtr& operator=(const TComPtr&) = delete;

  TInterface* Get() const { return pointer_; }
  TInterface* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }
  // For calls that hand out an interface.
  TInterface** Receive() {
    Reset();
    return &pointer_;
  }
  void Reset() {
    if (pointer_) pointer_->Release();
    pointer_ = nullptr;
  }

private:
  TInterface* pointer_ = nullptr;
};

// OLE for this thread (the shell's new-style dialogs need it); uninitialised
// only when the initialisation succeeded.
class TOleSession {
public:
  TOleSession() : initialised_(SUCCEEDED(OleInitialize(nullptr))) {}
  ~TOleSession() {
    if (initialised_) OleUninitialize();
  }
  TOleSession(const TOleSession&) = delete;
  TOleSession& operator=(const TOleSession&) = delete;

private:
  bool initialised_;
};

// COM for this thread; uninitialised only when the initialisation succeeded.
class TComApartment {
public:
  TComApartment() : initialised_(SUCCEEDED(CoInitialize(nullptr))) {}
  ~TComApartment() {
    if (initialised_) CoUninitialize();
  }
  TComApartment(const TComApartment&) = delete;
  TComApartment& operator=(const TComApartment&) = delete;

private:
  bool initialised_;
};
