// Thin registry access: each returns 1 when the system call succeeded, else 0.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

// Opens a subkey of HKEY_LOCAL_MACHINE with KEY_READ | KEY_SET_VALUE.
int RegOpen(const char* subkey, HKEY* key);
int RegClose(HKEY key);
int RegDeleteNamedValue(HKEY key, const char* name);
// Fails unless the value is REG_SZ and fits `size` bytes with its terminator.
int RegReadString(HKEY key, const char* name, char* buffer, DWORD size);
// Writes `size` bytes of `data` as REG_SZ.
int RegWriteString(HKEY key, const char* name, const char* data, DWORD size);
// Reads a whole REG_BINARY value, also one that grows while it is read (asked
// again at its new size, a few times); fails unless the type is REG_BINARY.
int RegReadBinary(HKEY key, const char* name, std::vector<uint8_t>* value);
int RegWriteBinary(HKEY key, const char* name, const uint8_t* data, DWORD size);
