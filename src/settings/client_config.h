// ClientConfig: the 126-byte "cert" registry value and its encoding.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace client_config {

constexpr size_t kSize = 126;
constexpr size_t kVersionOffset = 0;
constexpr size_t kUserNameOffset = 4;
constexpr size_t kPasswordOffset = 24;
constexpr size_t kConfigByteOffset = 44;
constexpr size_t kRedirectServerOffset = 91;
constexpr size_t kServiceIndexOffset = 111;
constexpr size_t kTextFieldSize = 20;
// Decoded text buffers hold the 20 characters and a terminator.
constexpr size_t kTextBufferSize = kTextFieldSize + 1;

static_assert(kUserNameOffset + kTextFieldSize == kPasswordOffset, "user name precedes the password");
static_assert(kPasswordOffset + kTextFieldSize == kConfigByteOffset, "password precedes the option byte");
static_assert(kRedirectServerOffset + kTextFieldSize == kServiceIndexOffset, "server name precedes the index");
static_assert(kServiceIndexOffset < kSize, "service index lies inside the value");

// The six option flags of the configuration byte (bits 7 down to 2).
struct ConfigFlags {
  bool rememberUser;
  bool rememberPassword;
  bool autoRun;
  bool autoLogin;
  bool importantOnly;
  bool writeLog;
};

// Exchanges the two 4-bit halves of a byte; its own inverse.
constexpr uint8_t NibbleSwap(uint8_t b) { return static_cast<uint8_t>((b << 4) | (b >> 4)); }

uint8_t EncodeConfigByte(const ConfigFlags& flags);
ConfigFlags DecodeConfigByte(uint8_t byte);

// Unscrambles a 20-byte field into `out` (kTextBufferSize bytes): up to the
// first zero byte or all 20, always terminated.
void DecodeTextField(const uint8_t* field, char* out);
// Scrambles a text of at most 20 characters into a field, zero-filled after
// its terminator: whatever a buffer still holds past it (the tail of a longer
// earlier text) never reaches the registry. A 20-character text fills the field.
std::array<uint8_t, kTextFieldSize> EncodeTextField(const char* text);

// The user name and password fields a save writes. A field whose option is
// off is written all zero, so unticking it forgets what it kept; the password
// is kept only together with the user name.
struct LoginFields {
  std::array<uint8_t, kTextFieldSize> userName;
  std::array<uint8_t, kTextFieldSize> password;
};
LoginFields StoredLogin(const ConfigFlags& flags, const char* userName, const char* password);

// The value a new installation starts with (the setup program writes these
// bytes): the user name remembered, every other option off, service 0, no
// redirect server so the built-in one applies, no library version yet.
std::vector<uint8_t> NewInstallationValue();

// A value usable as "cert": anything shorter would make field reads run past its end.
inline bool IsValidSize(size_t size) { return size >= kSize; }

// Reads `count` bytes at `offset` from a freshly read value; false when they
// do not lie inside it.
bool ReadField(const std::vector<uint8_t>& value, size_t offset, uint8_t* out, size_t count);
// Replaces `count` bytes at `offset`; false (value unchanged) when the value is
// not a full "cert" or the bytes do not fit.
bool PatchField(std::vector<uint8_t>& value, size_t offset, const uint8_t* bytes, size_t count);

}  // namespace client_config
