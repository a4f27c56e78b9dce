// The redirect probe over a socket layer whose every answer comes from the
// input: start-up and socket failures, resolutions, waits, receive results
// and the reply bytes themselves. The probe ends with 0 or 1, and 1 only
// after a reply of 1 to 10 bytes.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>

#include "fuzz_check.h"
#include "net/redirect_probe.h"

namespace rp = redirect_probe;

namespace {

class FuzzedNet : public rp::ProbeNet {
 public:
  explicit FuzzedNet(FuzzedDataProvider& in) : in_(in) {}

  bool Startup(int* error) override {
    *error = in_.ConsumeIntegral<int>();
    return in_.ConsumeBool() || in_.remaining_bytes() == 0;
  }
  void Cleanup() override {}
  rp::Socket OpenUdp(int* error) override {
    *error = in_.ConsumeIntegral<int>();
    return in_.ConsumeIntegralInRange<int>(0, 7) == 0 ? rp::kNoSocket : 3;
  }
  void Close(rp::Socket) override {}
  bool Resolve(const char*, std::vector<rp::Ipv4>* addresses) override {
    const size_t n = in_.ConsumeIntegralInRange<size_t>(0, 4);
    for (size_t i = 0; i < n; ++i) addresses->push_back(rp::Ipv4{{127, 0, 0, static_cast<uint8_t>(i + 1)}});
    return n > 0;
  }
  void SendTo(rp::Socket, const rp::Ipv4&, uint16_t, const uint8_t* data, size_t size) override {
    FUZZ_CHECK(size == rp::kRequest.size() && std::memcmp(data, rp::kRequest.data(), size) == 0);
  }
  rp::Wait WaitReadable(rp::Socket, int) override {
    return static_cast<rp::Wait>(in_.ConsumeIntegralInRange<int>(0, 3));
  }
  int Receive(rp::Socket, uint8_t* buffer, int size) override {
    // What the platform may report: a received length up to the buffer, or an error.
    const int length = in_.ConsumeIntegralInRange<int>(-1, size);
    if (length > 0) {
      const std::vector<uint8_t> reply = in_.ConsumeBytes<uint8_t>(static_cast<size_t>(length));
      if (!reply.empty()) std::memcpy(buffer, reply.data(), reply.size());
    }
    lastReceived_ = length;
    return length;
  }
  bool Pause(int ms) override {
    FUZZ_CHECK(ms > 0 && ms <= rp::kRetryPauseMs);
    return in_.ConsumeBool() || in_.remaining_bytes() == 0;
  }
  void Report(uint32_t, const std::string& text) override { FUZZ_CHECK(!text.empty() && text.size() < 160); }

  int lastReceived_ = -2;

 private:
  FuzzedDataProvider& in_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const std::string server = in.ConsumeRandomLengthString(64);
  FuzzedNet net(in);
  const int online = rp::ProbeRedirectServer(net, server.c_str());
  FUZZ_CHECK(online == 0 || online == 1);
  if (online) FUZZ_CHECK(rp::ReplyFits(net.lastReceived_));
  return 0;
}
