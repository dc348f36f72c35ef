#include "toolkit/common_controls.h"

namespace {

template <typename TFunction>
TFunction Function(const char* name) {
  // The search is already kept to the system folder (HardenDllSearch); the
  // manifest's activation context picks version 6.
  static const HMODULE library = LoadLibraryA("comctl32.dll");
  return library ? reinterpret_cast<TFunction>(reinterpret_cast<void*>(GetProcAddress(library, name))) : nullptr;
}

}  // namespace

bool InitCommonControlClasses(DWORD classes) {
  static const auto init = Function<BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*)>("InitCommonControlsEx");
  const INITCOMMONCONTROLSEX request = {sizeof request, classes};
  return init && init(&request);
}

bool SubclassWindow(HWND window, SUBCLASSPROC procedure, UINT_PTR id, DWORD_PTR data) {
  static const auto subclass = Function<BOOL(WINAPI*)(HWND, SUBCLASSPROC, UINT_PTR, DWORD_PTR)>("SetWindowSubclass");
  return subclass && subclass(window, procedure, id, data);
}

LRESULT DefaultSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  static const auto next = Function<LRESULT(WINAPI*)(HWND, UINT, WPARAM, LPARAM)>("DefSubclassProc");
  return next ? next(window, message, wParam, lParam) : DefWindowProcA(window, message, wParam, lParam);
}
