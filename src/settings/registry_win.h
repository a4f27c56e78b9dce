// Thin registry access: each returns 1 when the system call succeeded, else 0.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

// Opens a subkey of HKEY_LOCAL_MACHINE with KEY_READ | KEY_SET_VALUE.
int RegOpen(const char* subkey, HKEY* key);
int RegClose(HKEY key);
int RegDeleteNamedValue(HKEY key, const char* name);
// Strings are read and written wide: they hold paths, which need not fit the
// system's code page. Value names are ASCII.
// Fails unless the value is REG_SZ and fits `count` characters with its terminator.
int RegReadString(HKEY key, const char* name, wchar_t* buffer, DWORD count);
// Writes `count` characters of `data` as REG_SZ.
int RegWriteString(HKEY key, const char* name, const wchar_t* data, DWORD count);
// Reads a whole REG_BINARY value, also one that grows while it is read (asked
// again at its new size, a few times); fails unless the type is REG_BINARY.
int RegReadBinary(HKEY key, const char* name, std::vector<uint8_t>* value);
int RegWriteBinary(HKEY key, const char* name, const uint8_t* data, DWORD size);
