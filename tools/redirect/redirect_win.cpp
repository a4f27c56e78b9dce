// redirect.exe: stand-in for the service's redirect server on loopback. It
// answers every datagram on the chosen UDP ports of one 127.x.x.x address
// with a reply of the chosen length, or stays silent, and logs each datagram
// it receives to redirect.log beside itself. A hidden window titled
// "Zephal Redirect <address>" ends the program on WM_CLOSE.
//
// Command line: [--address 127.0.0.1] [--log PATH] PORT[=LENGTH|=silent]...
//   e.g. redirect.exe 80 3724 53=1 8000 4000   (only port 53 answers, 1 byte)
#include <winsock2.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char kClassName[] = "ZephalRedirect";
constexpr int kLongestReply = 1000;

struct Port {
  unsigned short number;
  int replyLength;  // 0: silent
  SOCKET socket;
};

std::string logPath;

std::string BesideExe(const char* name) {
  char exe[MAX_PATH] = "";
  const DWORD n = GetModuleFileNameA(nullptr, exe, sizeof exe);
  std::string dir(exe, n < sizeof exe ? n : 0);
  const size_t slash = dir.find_last_of("\\/");
  return (slash == std::string::npos ? std::string() : dir.substr(0, slash + 1)) + name;
}

// Opens, appends and closes each time, so readers see every line at once.
void Log(const std::string& text) {
  HANDLE f = CreateFileA(logPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return;
  const std::string line = text + "\r\n";
  DWORD written = 0;
  WriteFile(f, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(f);
}

std::string Hex(const char* data, int size) {
  std::string hex;
  char two[3];
  for (int i = 0; i < size; ++i) {
    std::snprintf(two, sizeof two, "%02X", static_cast<unsigned char>(data[i]));
    hex += two;
  }
  return hex;
}

bool ParsePort(const char* arg, Port* port) {
  char* end = nullptr;
  const long number = std::strtol(arg, &end, 10);
  if (end == arg || number <= 0 || number > 65535) return false;
  port->number = static_cast<unsigned short>(number);
  port->replyLength = 0;
  port->socket = INVALID_SOCKET;
  if (*end == '\0') return true;
  if (*end != '=') return false;
  if (std::strcmp(end + 1, "silent") == 0) return true;
  char* lengthEnd = nullptr;
  const long length = std::strtol(end + 1, &lengthEnd, 10);
  if (lengthEnd == end + 1 || *lengthEnd != '\0' || length < 0 || length > kLongestReply) return false;
  port->replyLength = static_cast<int>(length);
  return true;
}

// Reads every waiting datagram of one port, logs it and answers it.
void Serve(const Port& port) {
  for (;;) {
    char buffer[2048];
    sockaddr_in from{};
    int fromLength = sizeof from;
    const int n = recvfrom(port.socket, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
    if (n == SOCKET_ERROR) return;  // WSAEWOULDBLOCK: nothing more
    char line[2300];
    std::snprintf(line, sizeof line, "recv %lu port %u bytes %d data %s from %s:%u",
                  static_cast<unsigned long>(GetTickCount()), port.number, n, Hex(buffer, n).c_str(),
                  inet_ntoa(from.sin_addr), ntohs(from.sin_port));
    Log(line);
    if (port.replyLength == 0) continue;
    const std::string reply(static_cast<size_t>(port.replyLength), 'R');
    sendto(port.socket, reply.data(), port.replyLength, 0, reinterpret_cast<sockaddr*>(&from), fromLength);
  }
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_CLOSE) {
    DestroyWindow(hwnd);
    return 0;
  }
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

int main(int argc, char** argv) {
  std::string address = "127.0.0.1";
  logPath = BesideExe("redirect.log");
  std::vector<Port> ports;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--address") == 0 && i + 1 < argc) {
      address = argv[++i];
    } else if (std::strcmp(argv[i], "--log") == 0 && i + 1 < argc) {
      logPath = argv[++i];
    } else {
      Port port;
      if (!ParsePort(argv[i], &port)) {
        std::fprintf(stderr, "usage: redirect.exe [--address A] [--log PATH] PORT[=LENGTH|=silent]...\n");
        return 2;
      }
      ports.push_back(port);
    }
  }

  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return 3;
  sockaddr_in bound{};
  bound.sin_family = AF_INET;
  bound.sin_addr.s_addr = inet_addr(address.c_str());
  for (Port& port : ports) {
    port.socket = socket(AF_INET, SOCK_DGRAM, 0);
    bound.sin_port = htons(port.number);
    u_long nonBlocking = 1;
    if (port.socket == INVALID_SOCKET || bind(port.socket, reinterpret_cast<sockaddr*>(&bound), sizeof bound) != 0 ||
        ioctlsocket(port.socket, FIONBIO, &nonBlocking) != 0) {
      Log("bind " + address + ":" + std::to_string(port.number) + " failed " + std::to_string(WSAGetLastError()));
      return 4;
    }
    Log("listen " + address + ":" + std::to_string(port.number) + " reply " +
        (port.replyLength ? std::to_string(port.replyLength) : std::string("silent")));
  }

  WNDCLASSA wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = kClassName;
  RegisterClassA(&wc);
  const std::string title = "Zephal Redirect " + address;
  CreateWindowA(kClassName, title.c_str(), WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);

  // select in short slices between looks at the window's queue.
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        for (Port& port : ports) closesocket(port.socket);
        WSACleanup();
        Log("closed");
        return 0;
      }
      DispatchMessageA(&msg);
    }
    fd_set readable;
    FD_ZERO(&readable);
    for (const Port& port : ports) FD_SET(port.socket, &readable);
    timeval wait{0, 20000};
    if (ports.empty()) {
      Sleep(20);
      continue;
    }
    if (select(0, &readable, nullptr, nullptr, &wait) <= 0) continue;
    for (const Port& port : ports)
      if (FD_ISSET(port.socket, &readable)) Serve(port);
  }
}
