#include "settings/registry_win.h"

int RegOpen(const char* subkey, HKEY* key) {
  return RegOpenKeyExA(HKEY_LOCAL_MACHINE, subkey, 0, KEY_READ | KEY_SET_VALUE, key) == ERROR_SUCCESS;
}

int RegClose(HKEY key) { return RegCloseKey(key) == ERROR_SUCCESS; }

int RegDeleteNamedValue(HKEY key, const char* name) { return RegDeleteValueA(key, name) == ERROR_SUCCESS; }

int RegReadString(HKEY key, const char* name, char* buffer, DWORD size) {
  if (size == 0) return 0;
  DWORD type = 0;
  DWORD got = size;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &got) != ERROR_SUCCESS) return 0;
  if (type != REG_SZ) return 0;
  // A stored string need not carry its terminator; one without room for it does not fit.
  if (got > 0 && buffer[got - 1] == '\0') return 1;
  if (got >= size) return 0;
  buffer[got] = '\0';
  return 1;
}

int RegWriteString(HKEY key, const char* name, const char* data, DWORD size) {
  return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

int RegReadBinary(HKEY key, const char* name, std::vector<uint8_t>* value) {
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_BINARY) return 0;
  // Another program may make the value longer between the size and the read;
  // the refused read gives the new size. A value that keeps growing fails.
  constexpr int kReads = 4;
  for (int read = 0; read < kReads; ++read) {
    value->assign(size, 0);
    if (size == 0) return 1;
    const LSTATUS result = RegQueryValueExA(key, name, nullptr, &type, value->data(), &size);
    if (result == ERROR_MORE_DATA) continue;
    if (result != ERROR_SUCCESS || type != REG_BINARY) return 0;
    value->resize(size);
    return 1;
  }
  return 0;
}

int RegWriteBinary(HKEY key, const char* name, const uint8_t* data, DWORD size) {
  return RegSetValueExA(key, name, 0, REG_BINARY, data, size) == ERROR_SUCCESS;
}
