// The redirect-server probe: a 9-byte "netcheck" datagram to five ports of
// every address of the server, and a wait for any short answer. The socket
// calls go through ProbeNet so the loop runs the same over Winsock and over a
// scripted layer in tests.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace redirect_probe {

// "netcheck" and its terminator, sent as one datagram.
constexpr std::array<uint8_t, 9> kRequest = {'n', 'e', 't', 'c', 'h', 'e', 'c', 'k', 0};
constexpr std::array<uint16_t, 5> kPorts = {80, 3724, 53, 8000, 4000};

constexpr int kStartupAttempts = 3;
constexpr int kResolveAttempts = 3;
constexpr int kRetryPauseMs = 2000;
constexpr int kPasses = 5;
constexpr int kWaitMs = 1000;
constexpr int kUnfitPauseMs = 1000;
constexpr int kReceiveSize = 1000;
constexpr int kLongestReply = 10;

// A receive result that means "online": a datagram of 1 to 10 bytes. Empty,
// longer replies and receive errors (-1) are unfit.
inline bool ReplyFits(int received) { return received >= 1 && received <= kLongestReply; }

using Socket = intptr_t;
constexpr Socket kNoSocket = -1;

struct Ipv4 {
  uint8_t bytes[4];
};

enum class Wait { kReadable, kTimeout, kFailed, kStopped };

class ProbeNet {
 public:
  virtual ~ProbeNet() = default;
  // Socket library start-up (2.2); on failure `error` gets the platform's code.
  virtual bool Startup(int* error) = 0;
  virtual void Cleanup() = 0;
  // An unbound UDP socket, or kNoSocket with `error` set.
  virtual Socket OpenUdp(int* error) = 0;
  virtual void Close(Socket s) = 0;
  // The IPv4 addresses of `name` in resolver order; false when the name does
  // not resolve or not to IPv4.
  virtual bool Resolve(const char* name, std::vector<Ipv4>* addresses) = 0;
  // Send results are not used: an unreachable port shows as no answer.
  virtual void SendTo(Socket s, const Ipv4& address, uint16_t port, const uint8_t* data, size_t size) = 0;
  virtual Wait WaitReadable(Socket s, int timeoutMs) = 0;
  // Bytes received into `buffer`, or a negative number on a receive error
  // (a closed port may report itself this way).
  virtual int Receive(Socket s, uint8_t* buffer, int size) = 0;
  // Sleeps; false when the watch is being stopped, which abandons the probe.
  virtual bool Pause(int ms) = 0;
  virtual void Report(uint32_t code, const std::string& text) = 0;
};

// Starts the socket library (3 attempts, 2 s apart) and opens the UDP socket.
Socket OpenProbeSocket(ProbeNet& net);
void CloseProbeSocket(ProbeNet& net, Socket s);

// 1 when the server answered fit within five passes, else 0. Every failure
// is offline; a stopped watch abandons the probe with 0.
int ProbeRedirectServer(ProbeNet& net, const char* server);

}  // namespace redirect_probe
