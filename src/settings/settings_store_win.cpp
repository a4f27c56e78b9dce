#include "settings/settings_store_win.h"

#include <windows.h>
#include <sddl.h>

#include <array>
#include <cstring>
#include <mutex>
#include <string>

#include "base/app_state.h"
#include "base/gbk_text_win.h"
#include "base/report.h"
#include "settings/client_config.h"
#include "settings/key_access.h"
#include "settings/registry_win.h"
#include "settings/run_entry.h"

namespace cc = client_config;

namespace {

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

int WriteTextField(HKEY key, size_t offset, const std::array<uint8_t, cc::kTextFieldSize>& field) {
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

// The key's DACL as plain entries. Entries of kinds this does not read count
// as letting someone in, so they get the key protected too.
key_access::KeyDacl ReadKeyDacl(PSECURITY_DESCRIPTOR descriptor) {
  key_access::KeyDacl result{false, false, {}};
  BOOL present = FALSE, defaulted = FALSE;
  PACL dacl = nullptr;
  if (!GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) || !present || !dacl) return result;
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  GetSecurityDescriptorControl(descriptor, &control, &revision);
  result.present = true;
  result.protectedDacl = (control & SE_DACL_PROTECTED) != 0;
  for (DWORD i = 0; i < dacl->AceCount; ++i) {
    void* ace = nullptr;
    if (!GetAce(dacl, i, &ace)) {
      result.aces.push_back({true, "", ~0u});
      continue;
    }
    const BYTE type = static_cast<ACE_HEADER*>(ace)->AceType;
    if (type != ACCESS_ALLOWED_ACE_TYPE && type != ACCESS_DENIED_ACE_TYPE) {
      result.aces.push_back({true, "", ~0u});
      continue;
    }
    // Both kinds share this layout.
    auto* entry = static_cast<ACCESS_ALLOWED_ACE*>(ace);
    char* sid = nullptr;
    std::string sidText;
    if (ConvertSidToStringSidA(&entry->SidStart, &sid)) {
      sidText = sid;
      LocalFree(sid);
    }
    result.aces.push_back({type == ACCESS_ALLOWED_ACE_TYPE, sidText, entry->Mask});
  }
  return result;
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
    MsgBox(kReportFailure, "REG: Couldn't open the %s key.", kSettingsKey);
    return 0;
  }
  {
    std::lock_guard<std::mutex> lock(certMutex);
    const cc::ConfigFlags flags{s->rememberUser != 0, s->rememberPassword != 0, s->autoRun != 0,
                                s->autoLogin != 0,    s->importantOnly != 0,    s->writeLog != 0};
    const uint8_t config = cc::EncodeConfigByte(flags);
    if (!WriteConfigField(key, cc::kConfigByteOffset, &config, 1))
      MsgBox(kReportFailure, "REG: Set config binary failed.");
    const uint8_t index = static_cast<uint8_t>(s->serviceIndex & 0xFF);
    if (!WriteConfigField(key, cc::kServiceIndexOffset, &index, 1))
      MsgBox(kReportFailure, "REG: Set service index failed.");
    if (!WriteTextField(key, cc::kRedirectServerOffset, cc::EncodeTextField(s->redirectServer)))
      MsgBox(kReportFailure, "REG: set redirect server name failed.");
    // Written whatever the options: a field whose option is off becomes zeros,
    // so what the user asked to forget does not stay behind in "cert".
    const cc::LoginFields login = cc::StoredLogin(flags, s->userName, s->password);
    if (!WriteTextField(key, cc::kUserNameOffset, login.userName)) MsgBox(kReportFailure, "REG: Set username failed.");
    if (!WriteTextField(key, cc::kPasswordOffset, login.password)) MsgBox(kReportFailure, "REG: Set password failed.");
    MsgBox(kReportDetail, "REG: settings saved (options 0x%02X)", config);
  }
  RegClose(key);
  return 1;
}

int ProtectSettingsKey() {
  HKEY key = nullptr;
  LONG r = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, READ_CONTROL | WRITE_DAC, &key);
  if (r != ERROR_SUCCESS) {
    MsgBox(kReportFailure, "REG: couldn't check who may open the %s key (code=%ld).", kSettingsKey, r);
    return 0;
  }
  bool needed = true;  // a DACL that cannot be read is replaced
  DWORD size = 0;
  RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, nullptr, &size);
  std::vector<BYTE> current(size);
  if (size && RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, current.data(), &size) == ERROR_SUCCESS)
    needed = key_access::NeedsProtection(ReadKeyDacl(current.data()));
  int result = 1;
  if (needed) {
    PSECURITY_DESCRIPTOR wanted = nullptr;
    r = ConvertStringSecurityDescriptorToSecurityDescriptorA(key_access::kProtectedDacl, SDDL_REVISION_1, &wanted,
                                                             nullptr)
            ? RegSetKeySecurity(key, DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, wanted)
            : static_cast<LONG>(GetLastError());
    if (wanted) LocalFree(wanted);
    if (r == ERROR_SUCCESS) {
      MsgBox(kReportFailure, "REG: the %s key was open to other accounts; now only administrators may open it.",
             kSettingsKey);
    } else {
      MsgBox(kReportFailure, "REG: couldn't protect the %s key (code=%ld).", kSettingsKey, r);
      result = 0;
    }
  }
  RegClose(key);
  return result;
}

int StoreLibraryVersion(uint32_t version) {
  HKEY key = nullptr;
  if (!RegOpen(kSettingsKey, &key)) {
    MsgBox(kReportFailure, "REG: Couldn't open the %s key.", kSettingsKey);
    return 0;
  }
  int result = 1;
  if (version != 0) {
    const uint8_t bytes[4] = {static_cast<uint8_t>(version), static_cast<uint8_t>(version >> 8),
                              static_cast<uint8_t>(version >> 16), static_cast<uint8_t>(version >> 24)};
    std::lock_guard<std::mutex> lock(certMutex);
    if (!WriteConfigField(key, cc::kVersionOffset, bytes, sizeof bytes)) {
      MsgBox(kReportFailure, "REG: Set version binary failed.");
      result = 0;
    }
  }
  RegClose(key);
  return result;
}

int SetAutoRun(int enable, const char* installDir) {
  if (enable && (!installDir || !*installDir)) {
    MsgBox(kReportFailure, "REG: no code page 936 form of the installation directory, autorun not written");
    return 0;
  }
  // Checked before the key is touched: a path that does not fit is never written cut.
  std::string entry;
  if (enable && !BuildRunEntry(installDir, &entry)) {
    MsgBox(kReportFailure, "REG: autorun path too long, not written: %s%s", installDir ? installDir : "", kProgramFile);
    return 0;
  }
  HKEY key = nullptr;
  if (!RegOpen(kRunKey, &key)) {
    MsgBox(kReportFailure, "REG: Couldn't open the %s key.", kRunKey);
    return 0;
  }
  int result;
  if (enable) {
    // Built in GBK, written wide, padded as before.
    wchar_t data[kRunEntrySize] = {};
    lstrcpynW(data, GbkToWide(entry).c_str(), kRunEntrySize);
    result = RegWriteString(key, kRunValue, data, kRunEntrySize);
    if (result)
      MsgBox(kReportDetail, "REG: set autosave with %s", entry.c_str());
    else
      MsgBox(kReportFailure, "REG: set autorun failed.");
  } else {
    result = RegDeleteNamedValue(key, kRunValue);
    if (!result) MsgBox(kReportFailure, "REG: delete autorun failed.");
  }
  RegClose(key);
  return result;
}
