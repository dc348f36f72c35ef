// The sample product's self-registering component: registering records
// itself under the current user's Velmora key, unregistering removes that.
#include <windows.h>

namespace {
const char kKey[] = "Software\\Velmora\\Sample";
}

extern "C" __declspec(dllexport) HRESULT __stdcall DllRegisterServer() {
  HKEY key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return E_FAIL;
  const char value[] = "registered";
  RegSetValueExA(key, "Component", 0, REG_SZ, reinterpret_cast<const BYTE*>(value), sizeof value);
  RegCloseKey(key);
  return S_OK;
}

extern "C" __declspec(dllexport) HRESULT __stdcall DllUnregisterServer() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return S_OK;
  RegDeleteValueA(key, "Component");
  RegCloseKey(key);
  return S_OK;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
