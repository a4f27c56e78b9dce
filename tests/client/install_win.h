// A clean client installation for one test: the settings key, the "cert"
// value and an installation directory of its own.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace install {

constexpr char kKey[] = "Software\\ZEPHAL\\KAVRO";
constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// 126 bytes: writeLog on, everything else off, a recognisable pattern in the
// bytes the client must never change (45-90, 112-125).
std::vector<uint8_t> DefaultCert();
// Scrambles `text` into a 20-byte field at `offset` of `cert` (zero padded).
void PutText(std::vector<uint8_t>* cert, size_t offset, const std::string& text);
// DefaultCert with the account "alice"/"secret" remembered and the log on.
std::vector<uint8_t> AccountCert();

// C:\zephal-tests\<name>\ emptied and created; the key holds that directory and `cert`.
std::string Prepare(const std::string& name, const std::vector<uint8_t>& cert);
void DeleteKey();
bool WriteDefaultValue(const std::string& dir);
bool WriteCert(const std::vector<uint8_t>& cert);
bool WriteCertAsString(const std::string& text);
bool DeleteValue(const char* name);
// "cert" as stored now; empty when missing.
std::vector<uint8_t> ReadCert();
// A REG_SZ value under HKLM\<key>; false when missing.
bool ReadString(const char* key, const char* name, std::string* value);

std::string ReadFile(const std::string& path);
bool WriteFile(const std::string& path, const std::string& content);
bool FileExists(const std::string& path);
std::vector<std::string> ListDir(const std::string& dir);
// The folder of the running test program (the build's bin folder).
std::string ProgramDir();

}  // namespace install
