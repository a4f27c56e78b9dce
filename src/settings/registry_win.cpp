#include "settings/registry_win.h"

#include "base/gbk_text_win.h"

int RegOpen(const char* subkey, HKEY* key) {
  return RegOpenKeyExA(HKEY_LOCAL_MACHINE, subkey, 0, KEY_READ | KEY_SET_VALUE, key) == ERROR_SUCCESS;
}

int RegClose(HKEY key) { return RegCloseKey(key) == ERROR_SUCCESS; }

int RegDeleteNamedValue(HKEY key, const char* name) { return RegDeleteValueA(key, name) == ERROR_SUCCESS; }

int RegReadString(HKEY key, const char* name, wchar_t* buffer, DWORD count) {
  if (count == 0) return 0;
  DWORD type = 0;
  DWORD got = count * sizeof(wchar_t);
  if (RegQueryValueExW(key, GbkToWide(name).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer), &got) !=
      ERROR_SUCCESS)
    return 0;
  if (type != REG_SZ) return 0;
  // A stored string need not carry its terminator; one without room for it
  // does not fit. An odd byte left over is no character.
  got /= sizeof(wchar_t);
  if (got > 0 && buffer[got - 1] == L'\0') return 1;
  if (got >= count) return 0;
  buffer[got] = L'\0';
  return 1;
}

int RegWriteString(HKEY key, const char* name, const wchar_t* data, DWORD count) {
  return RegSetValueExW(key, GbkToWide(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                        count * sizeof(wchar_t)) == ERROR_SUCCESS;
}

int RegReadBinary(HKEY key, const char* name, std::vector<uint8_t>* value) {
  const WideText wide = GbkToWide(name);
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(key, wide.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_BINARY) return 0;
  // Another program may make the value longer between the size and the read;
  // the refused read gives the new size. A value that keeps growing fails.
  constexpr int kReads = 4;
  for (int read = 0; read < kReads; ++read) {
    value->assign(size, 0);
    if (size == 0) return 1;
    const LSTATUS result = RegQueryValueExW(key, wide.c_str(), nullptr, &type, value->data(), &size);
    if (result == ERROR_MORE_DATA) continue;
    if (result != ERROR_SUCCESS || type != REG_BINARY) return 0;
    value->resize(size);
    return 1;
  }
  return 0;
}

int RegWriteBinary(HKEY key, const char* name, const uint8_t* data, DWORD size) {
  return RegSetValueExW(key, GbkToWide(name).c_str(), 0, REG_BINARY, data, size) == ERROR_SUCCESS;
}
