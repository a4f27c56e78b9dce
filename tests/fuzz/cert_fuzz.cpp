// The "cert" registry value as read from the registry: any size, any bytes.
// Every field read stays inside the value, decode/encode round-trips each text
// field, and a patch changes exactly the bytes of its field.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz_check.h"
#include "settings/client_config.h"

namespace cc = client_config;

namespace {

void RoundTripText(const std::vector<uint8_t>& value, size_t offset) {
  uint8_t field[cc::kTextFieldSize];
  if (!cc::ReadField(value, offset, field, sizeof field)) return;
  char text[cc::kTextBufferSize + 8];
  std::memset(text, 0x5A, sizeof text);
  cc::DecodeTextField(field, text);
  const size_t n = std::strlen(text);
  FUZZ_CHECK(n <= cc::kTextFieldSize);
  // What the client keeps: the text and zeros after it.
  char buffer[cc::kTextBufferSize] = {};
  std::memcpy(buffer, text, n);
  const auto encoded = cc::EncodeTextField(buffer);
  for (size_t i = 0; i < cc::kTextFieldSize; ++i) FUZZ_CHECK(encoded[i] == (i < n ? field[i] : 0));

  std::vector<uint8_t> patched = value;
  FUZZ_CHECK(cc::PatchField(patched, offset, encoded.data(), encoded.size()));
  FUZZ_CHECK(patched.size() == value.size());
  for (size_t i = 0; i < value.size(); ++i)
    if (i < offset || i >= offset + cc::kTextFieldSize) FUZZ_CHECK(patched[i] == value[i]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // An exact-size copy: a read past the value is a read past the allocation.
  const std::vector<uint8_t> value(data, data + size);
  uint8_t byte = 0;
  const bool usable = cc::IsValidSize(value.size());
  FUZZ_CHECK(cc::ReadField(value, cc::kConfigByteOffset, &byte, 1) == usable);
  if (usable) {
    FUZZ_CHECK(cc::EncodeConfigByte(cc::DecodeConfigByte(byte)) == (byte & 0xFC));
  } else {
    std::vector<uint8_t> copy = value;
    FUZZ_CHECK(!cc::PatchField(copy, cc::kConfigByteOffset, &byte, 1));
    FUZZ_CHECK(copy == value);
  }
  for (size_t offset : {cc::kUserNameOffset, cc::kPasswordOffset, cc::kRedirectServerOffset}) RoundTripText(value, offset);
  // Offsets and counts from the input itself: never a read or write outside.
  if (size >= 2) {
    uint8_t out[256];
    const size_t offset = data[0];
    const size_t count = data[1];
    if (cc::ReadField(value, offset, out, count)) FUZZ_CHECK(offset + count <= value.size());
    std::vector<uint8_t> copy = value;
    if (cc::PatchField(copy, offset, out, count)) FUZZ_CHECK(offset + count <= cc::kSize && copy.size() == value.size());
  }
  return 0;
}
