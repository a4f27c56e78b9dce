#include "settings/client_config.h"

#include <cstring>

namespace client_config {

uint8_t EncodeConfigByte(const ConfigFlags& f) {
  return static_cast<uint8_t>((f.rememberUser ? 0x80 : 0) | (f.rememberPassword ? 0x40 : 0) | (f.autoRun ? 0x20 : 0) |
                              (f.autoLogin ? 0x10 : 0) | (f.importantOnly ? 0x08 : 0) | (f.writeLog ? 0x04 : 0));
}

ConfigFlags DecodeConfigByte(uint8_t b) {
  return ConfigFlags{(b & 0x80) != 0, (b & 0x40) != 0, (b & 0x20) != 0,
                     (b & 0x10) != 0, (b & 0x08) != 0, (b & 0x04) != 0};
}

void DecodeTextField(const uint8_t* field, char* out) {
  size_t n = 0;
  for (; n < kTextFieldSize && field[n] != 0; ++n) out[n] = static_cast<char>(NibbleSwap(field[n]));
  out[n] = '\0';
}

std::array<uint8_t, kTextFieldSize> EncodeTextField(const char* text) {
  std::array<uint8_t, kTextFieldSize> field{};
  for (size_t i = 0; i < kTextFieldSize && text[i] != '\0'; ++i) field[i] = NibbleSwap(static_cast<uint8_t>(text[i]));
  return field;
}

LoginFields StoredLogin(const ConfigFlags& flags, const char* userName, const char* password) {
  const bool keepUser = flags.rememberUser;
  const bool keepPassword = flags.rememberUser && flags.rememberPassword;
  return LoginFields{EncodeTextField(keepUser ? userName : ""), EncodeTextField(keepPassword ? password : "")};
}

std::vector<uint8_t> NewInstallationValue() {
  std::vector<uint8_t> value(kSize, 0);
  const char empty[kTextFieldSize] = {};
  const ConfigFlags flags{true, false, false, false, false, false};
  value[kConfigByteOffset] = EncodeConfigByte(flags);
  for (size_t offset : {kUserNameOffset, kPasswordOffset, kRedirectServerOffset}) {
    const std::array<uint8_t, kTextFieldSize> field = EncodeTextField(empty);
    PatchField(value, offset, field.data(), field.size());
  }
  value[kServiceIndexOffset] = 0;
  return value;
}

bool ReadField(const std::vector<uint8_t>& value, size_t offset, uint8_t* out, size_t count) {
  if (!IsValidSize(value.size()) || offset > value.size() || count > value.size() - offset) return false;
  std::memcpy(out, value.data() + offset, count);
  return true;
}

bool PatchField(std::vector<uint8_t>& value, size_t offset, const uint8_t* bytes, size_t count) {
  if (!IsValidSize(value.size()) || offset > kSize || count > kSize - offset) return false;
  std::memcpy(value.data() + offset, bytes, count);
  return true;
}

}  // namespace client_config
