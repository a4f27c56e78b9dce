#include "settings/settings_store_win.h"

#include <cstring>
#include <mutex>
#include <string>

#include "base/app_state.h"
#include "base/gbk_text_win.h"
#include "base/report.h"
#include "settings/client_config.h"
#include "settings/logon_task_win.h"
#include "settings/registry_win.h"
#include "settings/run_entry.h"

namespace cc = client_config;

namespace {

constexpr uint32_t kRegReport = 0x10001;
constexpr UINT IDS_SETTINGS_FAILED = 1800;

// Every field write reads, patches and writes back the whole value; the process
// thread and the main window thread both save, so the sequences must not interleave.
std::mutex certMutex;

int ReadConfigField(HKEY key, size_t offset, uint8_t* out, size_t count) {
  std::vector<uint8_t> value;
  return RegReadBinary(key, kConfigValue, &value) && cc::ReadField(value, offset, out, count);
}

int WriteConfigField(HKEY key, size_t offset, const uint8_t* bytes, size_t count) {
  std::vector<uint8_t> value;
  if (!RegReadBinary(key, kConfigValue, &value) || !cc::PatchField(value, offset, bytes, count)) return 0;
  return RegWriteBinary(key, kConfigValue, value.data(), static_cast<DWORD>(value.size()));
}

int ReadTextField(HKEY key, size_t offset, char* target) {
  uint8_t field[cc::kTextFieldSize];
  if (!ReadConfigField(key, offset, field, sizeof field)) return 0;
  cc::DecodeTextField(field, target);
  return 1;
}

int WriteTextField(HKEY key, size_t offset, const char* buffer) {
  const auto field = cc::EncodeTextField(buffer);
  return WriteConfigField(key, offset, field.data(), field.size());
}

int ShowLoadFailure(HINSTANCE instance) {
  const std::string text = LoadGbkString(instance, IDS_SETTINGS_FAILED, 101);
  ShowReportBox(nullptr, text.c_str(), MB_ICONERROR | MB_SETFOREGROUND);
  return 0;
}

// Reads everything; false on the first failure.
bool ReadSettings(HKEY key, AppState* s) {
  const DWORD count = sizeof s->installDirW / sizeof s->installDirW[0];
  if (!RegReadString(key, "", s->installDirW, count)) return false;
  size_t len = wcslen(s->installDirW);
  if (len == 0 || s->installDirW[len - 1] != L'\\') {
    if (len + 1 >= count) return false;
    s->installDirW[len] = L'\\';
    s->installDirW[len + 1] = L'\0';
  }
  // The GBK form stays empty when code page 936 cannot hold the directory
  // (start-up reports it once the log is open).
  std::string gbk;
  if (WideToGbk(WideView(s->installDirW), sizeof s->installDir - 1, &gbk) != GbkInput::Fits) gbk.clear();
  lstrcpynA(s->installDir, gbk.c_str(), sizeof s->installDir);
  // A short or mistyped value is refused here, before any field is read from it.
  std::vector<uint8_t> value;
  if (!RegReadBinary(key, kConfigValue, &value) || !cc::IsValidSize(value.size())) return false;

  uint8_t byte = 0;
  if (!ReadConfigField(key, cc::kConfigByteOffset, &byte, 1)) return false;
  const cc::ConfigFlags flags = cc::DecodeConfigByte(byte);
  s->rememberUser = flags.rememberUser;
  s->rememberPassword = flags.rememberPassword;
  s->autoRun = flags.autoRun;
  s->autoLogin = flags.autoLogin;
  s->importantOnly = flags.importantOnly;
  s->writeLog = flags.writeLog;

  if (!ReadConfigField(key, cc::kServiceIndexOffset, &byte, 1)) return false;
  s->serviceIndex = byte;

  std::memset(s->userName, 0, sizeof s->userName);
  if (s->rememberUser && !ReadTextField(key, cc::kUserNameOffset, s->userName)) return false;
  std::memset(s->password, 0, sizeof s->password);
  if (s->rememberPassword && !ReadTextField(key, cc::kPasswordOffset, s->password)) return false;
  s->loginKind = 0;

  if (!ReadTextField(key, cc::kRedirectServerOffset, s->redirectServer)) return false;
  if (s->redirectServer[0] == '\0') lstrcpynA(s->redirectServer, kDefaultRedirectServer, sizeof s->redirectServer);
  return true;
}

}  // namespace

int LoadSettings(AppState* s) {
  HKEY key = nullptr;
  if (!RegOpen(kSettingsKey, &key)) return ShowLoadFailure(s->hInstance);
  bool ok;
  {
    std::lock_guard<std::mutex> lock(certMutex);
    ok = ReadSettings(key, s);
  }
  RegClose(key);
  return ok ? 1 : ShowLoadFailure(s->hInstance);
}

int SaveSettings(AppState* s) {
  HKEY key = nullptr;
  if (!RegOpen(kSettingsKey, &key)) {
    MsgBox(kRegReport, "REG: Couldn't open the %s key.", kSettingsKey);
    return 0;
  }
  {
    std::lock_guard<std::mutex> lock(certMutex);
    const uint8_t config = cc::EncodeConfigByte(cc::ConfigFlags{s->rememberUser != 0, s->rememberPassword != 0,
                                                                s->autoRun != 0, s->autoLogin != 0,
                                                                s->importantOnly != 0, s->writeLog != 0});
    if (!WriteConfigField(key, cc::kConfigByteOffset, &config, 1)) MsgBox(kRegReport, "REG: Set config binary failed.");
    const uint8_t index = static_cast<uint8_t>(s->serviceIndex & 0xFF);
    if (!WriteConfigField(key, cc::kServiceIndexOffset, &index, 1)) MsgBox(kRegReport, "REG: Set service index failed.");
    if (!WriteTextField(key, cc::kRedirectServerOffset, s->redirectServer))
      MsgBox(kRegReport, "REG: set redirect server name failed.");
    if (s->rememberUser && !WriteTextField(key, cc::kUserNameOffset, s->userName))
      MsgBox(kRegReport, "REG: Set username failed.");
    if (s->rememberPassword && !WriteTextField(key, cc::kPasswordOffset, s->password))
      MsgBox(kRegReport, "REG: Set password failed.");
    MsgBox(0x10004, "REG: settings saved (options 0x%02X)", config);
  }
  RegClose(key);
  return 1;
}

int StoreLibraryVersion(uint32_t version) {
  HKEY key = nullptr;
  if (!RegOpen(kSettingsKey, &key)) {
    MsgBox(kRegReport, "REG: Couldn't open the %s key.", kSettingsKey);
    return 0;
  }
  int result = 1;
  if (version != 0) {
    const uint8_t bytes[4] = {static_cast<uint8_t>(version), static_cast<uint8_t>(version >> 8),
                              static_cast<uint8_t>(version >> 16), static_cast<uint8_t>(version >> 24)};
    std::lock_guard<std::mutex> lock(certMutex);
    if (!WriteConfigField(key, cc::kVersionOffset, bytes, sizeof bytes)) {
      MsgBox(kRegReport, "REG: Set version binary failed.");
      result = 0;
    }
  }
  RegClose(key);
  return result;
}

int SetAutoRun(int enable, const char* installDir) {
  if (enable && (!installDir || !*installDir)) {
    MsgBox(kRegReport, "REG: no code page 936 form of the installation directory, autorun not written");
    return 0;
  }
  // Checked before the key is touched: a path that does not fit is never written cut.
  std::string entry;
  if (enable && !BuildRunEntry(installDir, &entry)) {
    MsgBox(kRegReport, "REG: autorun path too long, not written: %s%s", installDir ? installDir : "", kProgramFile);
    return 0;
  }
  HKEY key = nullptr;
  if (!RegOpen(kRunKey, &key)) {
    MsgBox(kRegReport, "REG: Couldn't open the %s key.", kRunKey);
    return 0;
  }
  int result;
  if (enable) {
    // Built in GBK, written wide, padded as before.
    wchar_t data[kRunEntrySize] = {};
    lstrcpynW(data, GbkToWide(entry).c_str(), kRunEntrySize);
    result = RegWriteString(key, kRunValue, data, kRunEntrySize);
    if (result)
      MsgBox(0x10004, "REG: set autosave with %s", entry.c_str());
    else
      MsgBox(kRegReport, "REG: set autorun failed.");
  } else {
    result = RegDeleteNamedValue(key, kRunValue);
    if (!result) MsgBox(kRegReport, "REG: delete autorun failed.");
  }
  RegClose(key);
  // Windows starts no elevated program from the Run key where UAC is on: the
  // log-on task does that. The Run entry stays for whoever looks for it.
  const int task = enable ? RegisterLogonTask(installDir) : RemoveLogonTask();
  return result && task;
}
