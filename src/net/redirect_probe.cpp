#include "net/redirect_probe.h"

#include <cstdio>

#include "base/codes.h"

namespace redirect_probe {

namespace {

constexpr int kRetryPauseSeconds = kRetryPauseMs / 1000;

std::string Format(const char* format, int value) {
  char text[128];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// False when the resolution gave up or the watch stopped meanwhile.
bool ResolveWithRetries(ProbeNet& net, const char* server, std::vector<Ipv4>* addresses) {
  for (int attempt = 0; attempt < kResolveAttempts; ++attempt) {
    addresses->clear();
    if (net.Resolve(server, addresses)) return true;
    net.Report(kReportResolveRetry,
               Format("DIRS: Couldn't resolve the redirect server name, sleep %d seconds to retry.", kRetryPauseSeconds));
    if (!net.Pause(kRetryPauseMs)) return false;
  }
  return false;
}

// One pass: every datagram, then one wait. -1 when the watch stopped.
int Pass(ProbeNet& net, Socket s, const std::vector<Ipv4>& addresses) {
  for (const Ipv4& address : addresses)
    for (uint16_t port : kPorts) net.SendTo(s, address, port, kRequest.data(), kRequest.size());
  const Wait waited = net.WaitReadable(s, kWaitMs);
  if (waited == Wait::kStopped) return -1;
  if (waited != Wait::kReadable) return 0;
  uint8_t buffer[kReceiveSize];
  if (ReplyFits(net.Receive(s, buffer, kReceiveSize))) return 1;
  return net.Pause(kUnfitPauseMs) ? 0 : -1;
}

}  // namespace

Socket OpenProbeSocket(ProbeNet& net) {
  int error = 0;
  bool started = false;
  for (int attempt = 0; attempt < kStartupAttempts; ++attempt) {
    started = net.Startup(&error);
    if (started) break;
    char text[160];
    std::snprintf(text, sizeof text, "SOCKET: redirect WSAStartup failed (code=%d), sleep %d seconds to retry.", error,
                  kRetryPauseSeconds);
    net.Report(kReportSocketRetry, text);
    if (!net.Pause(kRetryPauseMs)) return kNoSocket;
  }
  if (!started) {
    net.Report(kReportSocketFailed, "SOCKET: redirect WSAStartup failed!");
    return kNoSocket;
  }
  const Socket s = net.OpenUdp(&error);
  if (s == kNoSocket) {
    net.Report(kReportSocketFailed, Format("SOCKET: redirect socket() failed (errorno=%d)", error));
    net.Cleanup();
  }
  return s;
}

void CloseProbeSocket(ProbeNet& net, Socket s) {
  net.Close(s);
  net.Cleanup();
}

int ProbeRedirectServer(ProbeNet& net, const char* server) {
  const Socket s = OpenProbeSocket(net);
  if (s == kNoSocket) return 0;
  int result = 0;
  std::vector<Ipv4> addresses;
  if (ResolveWithRetries(net, server ? server : "", &addresses)) {
    for (int pass = 0; pass < kPasses && result == 0; ++pass) {
      const int answer = Pass(net, s, addresses);
      if (answer < 0) break;
      result = answer;
    }
  }
  CloseProbeSocket(net, s);
  return result;
}

}  // namespace redirect_probe
