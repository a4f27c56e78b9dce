// Winsock must be declared before <windows.h> comes in through the header.
#include <winsock2.h>
#include <mswsock.h>

#include "net/redirect_probe_win.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "base/report.h"
#include "net/redirect_probe.h"

namespace {

namespace rp = redirect_probe;

// The longest the watch thread stays in select without looking at `stop`.
constexpr DWORD kWaitSliceMs = 100;

// On Windows an ICMP port-unreachable for one of the probed ports makes the
// next receive on the socket fail with WSAECONNRESET, whichever port answered:
// with one port of five answering, passes would be lost to the others' errors.
// Where the call is missing the reset stays, and is handled as before.
void IgnorePortUnreachable(SOCKET s) {
  static std::atomic<bool> logged{false};
  BOOL report = FALSE;
  DWORD returned = 0;
  const bool off = WSAIoctl(s, SIO_UDP_CONNRESET, &report, sizeof report, nullptr, 0, &returned, nullptr, nullptr) == 0;
  const int error = off ? 0 : WSAGetLastError();
  if (logged.exchange(true)) return;
  if (off)
    MsgBox(kReportDetail, "SOCKET: port-unreachable resets off on the probe socket");
  else
    MsgBox(kReportDetail, "SOCKET: port-unreachable resets stay on the probe socket(code=%d).", error);
}

class WinsockProbeNet : public rp::ProbeNet {
 public:
  explicit WinsockProbeNet(HANDLE stop) : stop_(stop) {}

  bool Startup(int* error) override {
    WSADATA data;
    // WSAStartup returns its error; there is no last error before it succeeds.
    *error = WSAStartup(MAKEWORD(2, 2), &data);
    return *error == 0;
  }
  void Cleanup() override { WSACleanup(); }

  rp::Socket OpenUdp(int* error) override {
    const SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
    if (s == INVALID_SOCKET) {
      *error = WSAGetLastError();
      return rp::kNoSocket;
    }
    IgnorePortUnreachable(s);
    return static_cast<rp::Socket>(s);
  }
  void Close(rp::Socket s) override { closesocket(static_cast<SOCKET>(s)); }

  bool Resolve(const char* name, std::vector<rp::Ipv4>* addresses) override {
    const hostent* host = gethostbyname(name);
    if (!host || host->h_addrtype != AF_INET || host->h_length != 4) return false;
    for (char** entry = host->h_addr_list; *entry; ++entry) {
      rp::Ipv4 address;
      std::memcpy(address.bytes, *entry, sizeof address.bytes);
      addresses->push_back(address);
    }
    return true;
  }

  void SendTo(rp::Socket s, const rp::Ipv4& address, uint16_t port, const uint8_t* data, size_t size) override {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    std::memcpy(&to.sin_addr, address.bytes, sizeof address.bytes);
    sendto(static_cast<SOCKET>(s), reinterpret_cast<const char*>(data), static_cast<int>(size), 0,
           reinterpret_cast<const sockaddr*>(&to), sizeof to);
  }

  // select in short slices, so a stop does not wait out the whole second.
  rp::Wait WaitReadable(rp::Socket s, int timeoutMs) override {
    const DWORD start = GetTickCount();
    for (;;) {
      if (Stopping()) return rp::Wait::kStopped;
      const DWORD elapsed = GetTickCount() - start;
      if (elapsed >= static_cast<DWORD>(timeoutMs)) return rp::Wait::kTimeout;
      const DWORD slice = std::min<DWORD>(kWaitSliceMs, timeoutMs - elapsed);
      fd_set readable;
      FD_ZERO(&readable);
      FD_SET(static_cast<SOCKET>(s), &readable);
      timeval wait{0, static_cast<long>(slice * 1000)};
      const int r = select(0, &readable, nullptr, nullptr, &wait);
      if (r == SOCKET_ERROR) return rp::Wait::kFailed;
      if (r > 0 && FD_ISSET(static_cast<SOCKET>(s), &readable)) return rp::Wait::kReadable;
    }
  }

  int Receive(rp::Socket s, uint8_t* buffer, int size) override {
    sockaddr_in from{};
    int length = sizeof from;
    const int r = recvfrom(static_cast<SOCKET>(s), reinterpret_cast<char*>(buffer), size, 0,
                           reinterpret_cast<sockaddr*>(&from), &length);
    return r == SOCKET_ERROR ? -1 : r;
  }

  bool Pause(int ms) override { return WaitForSingleObject(stop_, static_cast<DWORD>(ms)) == WAIT_TIMEOUT; }

  void Report(uint32_t code, const std::string& text) override { MsgBox(code, "%s", text.c_str()); }

 private:
  bool Stopping() const { return WaitForSingleObject(stop_, 0) == WAIT_OBJECT_0; }
  HANDLE stop_;
};

}  // namespace

int ProbeRedirectServerOverWinsock(const char* server, HANDLE stop) {
  WinsockProbeNet net(stop);
  return rp::ProbeRedirectServer(net, server);
}
