#include "install_win.h"

#include "settings/client_config.h"

namespace install {

std::vector<uint8_t> DefaultCert() {
  std::vector<uint8_t> cert(client_config::kSize, 0);
  for (size_t i = 45; i <= 90; ++i) cert[i] = static_cast<uint8_t>(0xA0 + i);
  for (size_t i = 112; i <= 125; ++i) cert[i] = static_cast<uint8_t>(0x30 + i);
  cert[client_config::kConfigByteOffset] = 0x04;  // writeLog
  return cert;
}

void PutText(std::vector<uint8_t>* cert, size_t offset, const std::string& text) {
  for (size_t i = 0; i < client_config::kTextFieldSize; ++i)
    (*cert)[offset + i] = i < text.size() ? client_config::NibbleSwap(static_cast<uint8_t>(text[i])) : 0;
}

std::vector<uint8_t> AccountCert() {
  auto cert = DefaultCert();
  cert[44] = 0xC4;  // remember user and password, write the log
  PutText(&cert, client_config::kUserNameOffset, "alice");
  PutText(&cert, client_config::kPasswordOffset, "secret");
  return cert;
}

namespace {

bool WithKey(bool create, HKEY* key) {
  if (create)
    return RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key, nullptr) ==
           ERROR_SUCCESS;
  return RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_ALL_ACCESS, key) == ERROR_SUCCESS;
}

bool SetValue(const char* name, DWORD type, const void* data, DWORD size) {
  HKEY key;
  if (!WithKey(true, &key)) return false;
  const bool ok = RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
  RegCloseKey(key);
  return ok;
}

void EmptyDir(const std::string& dir) {
  // Under Wine an ended client's handles can outlive its exit code by a few
  // seconds (its log then refuses both the delete and the next start's open):
  // delete again until the files are gone, for at most 6 s.
  for (int i = 0; i < 120; ++i) {
    const std::vector<std::string> names = ListDir(dir);
    if (names.empty()) return;
    if (i) Sleep(50);
    for (const std::string& name : names) DeleteFileA((dir + name).c_str());
  }
}

}  // namespace

std::string Prepare(const std::string& name, const std::vector<uint8_t>& cert) {
  const std::string root = "C:\\zephal-tests\\";
  const std::string dir = root + name + "\\";
  CreateDirectoryA(root.c_str(), nullptr);
  CreateDirectoryA(dir.c_str(), nullptr);
  EmptyDir(dir);
  DeleteKey();
  WriteDefaultValue(dir);
  WriteCert(cert);
  return dir;
}

void DeleteKey() { RegDeleteTreeA(HKEY_LOCAL_MACHINE, kKey); }

bool WriteDefaultValue(const std::string& dir) {
  return SetValue("", REG_SZ, dir.c_str(), static_cast<DWORD>(dir.size() + 1));
}

bool WriteCert(const std::vector<uint8_t>& cert) {
  return SetValue("cert", REG_BINARY, cert.data(), static_cast<DWORD>(cert.size()));
}

bool WriteCertAsString(const std::string& text) {
  return SetValue("cert", REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

bool DeleteValue(const char* name) {
  HKEY key;
  if (!WithKey(false, &key)) return false;
  const bool ok = RegDeleteValueA(key, name) == ERROR_SUCCESS;
  RegCloseKey(key);
  return ok;
}

std::vector<uint8_t> ReadCert() {
  HKEY key;
  if (!WithKey(false, &key)) return {};
  DWORD size = 0;
  std::vector<uint8_t> value;
  if (RegQueryValueExA(key, "cert", nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS) {
    value.resize(size);
    if (RegQueryValueExA(key, "cert", nullptr, nullptr, value.data(), &size) != ERROR_SUCCESS) value.clear();
  }
  RegCloseKey(key);
  return value;
}

bool ReadString(const char* keyName, const char* name, std::string* value) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyName, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  char buffer[1024] = {};
  DWORD size = sizeof buffer - 1;
  DWORD type = 0;
  const bool ok = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) ==
                      ERROR_SUCCESS &&
                  type == REG_SZ;
  RegCloseKey(key);
  if (ok) *value = buffer;
  return ok;
}

std::string ReadFile(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return {};
  std::string content;
  char chunk[4096];
  DWORD got = 0;
  while (::ReadFile(h, chunk, sizeof chunk, &got, nullptr) && got > 0) content.append(chunk, got);
  CloseHandle(h);
  return content;
}

bool WriteFile(const std::string& path, const std::string& content) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = ::WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
                  written == content.size();
  CloseHandle(h);
  return ok;
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<std::string> ListDir(const std::string& dir) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((dir + "*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(data.cFileName);
  } while (FindNextFileA(find, &data));
  FindClose(find);
  return names;
}

std::string ProgramDir() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir = path;
  return dir.substr(0, dir.find_last_of('\\') + 1);
}

}  // namespace install
