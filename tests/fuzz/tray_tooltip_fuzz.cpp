// The tray face from any state, any string-table texts, any start time and
// any 17 address bytes: the tip fits its field and never ends in half a
// double-byte character.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>
#include <memory>

#include "fuzz_check.h"
#include "tray/tray_tooltip.h"

namespace {

bool WholeCharacters(const std::string& text) {
  size_t i = 0;
  while (i < text.size()) i += static_cast<unsigned char>(text[i]) >= 0x81 ? 2 : 1;
  return i == text.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const int state = in.ConsumeIntegralInRange<int>(-1, 6);
  const uint32_t startTime = in.ConsumeIntegral<uint32_t>();
  // Exactly the record's field, on the heap: a read past it is caught.
  auto ip = std::make_unique<char[]>(17);
  const std::string ipBytes = in.ConsumeBytesAsString(17);
  std::memcpy(ip.get(), ipBytes.data(), ipBytes.size());
  TrayTexts texts;
  for (std::string* text : {&texts.connected, &texts.connecting, &texts.idle, &texts.disconnecting, &texts.time})
    *text = in.ConsumeRandomLengthString(300);
  texts.address = in.ConsumeRemainingBytesAsString();

  const TrayFace face = BuildTrayFace(state, texts, startTime, ip.get());
  FUZZ_CHECK(face.tip.size() < kTrayTipSize);
  FUZZ_CHECK(face.icon >= IDI_APP && face.icon <= IDI_IDLE);
  if (WholeCharacters(texts.connected) && WholeCharacters(texts.connecting) && WholeCharacters(texts.idle) &&
      WholeCharacters(texts.disconnecting) && WholeCharacters(texts.time) && WholeCharacters(texts.address) &&
      WholeCharacters(ipBytes))
    FUZZ_CHECK(WholeCharacters(face.tip));
  return 0;
}
