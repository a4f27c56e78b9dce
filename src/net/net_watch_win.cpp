// The network watch thread: a thread timer, the probe on each due tick, and
// the report of every change of the answer to the main window's callback.
#include "net/net_watch_win.h"

#include <atomic>
#include <memory>

#include "base/app_state.h"
#include "base/report.h"
#include "base/top_calls.h"
#include "net/net_watch.h"
#include "net/redirect_probe_win.h"

namespace {

constexpr UINT WMU_NETWATCH_QUIT = WM_USER + 202;  // 1226: ends the watch thread
// How long stopping waits for a thread that is abandoning its probe. A probe
// notices the stop within a tenth of a second unless the resolver holds it.
constexpr DWORD kStopWaitMs = 2000;

// One watch: everything its thread reads, owned jointly by the thread and by
// the starter, so a thread that outlives its stop never sees the next watch's
// callback or name.
struct Watch {
  HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);  // manual reset
  NetWatchCallback callback = nullptr;
  char server[net_watch::kServerSize] = {};
  net_watch::Schedule schedule;
  UINT_PTR timer = 0;  // the thread timer in use, set and read by the thread only

  ~Watch() {
    if (stop) CloseHandle(stop);
  }
  bool Stopped() const { return WaitForSingleObject(stop, 0) == WAIT_OBJECT_0; }
};

// Started and stopped by the main window thread only.
DWORD netWatchThreadId = 0;
HANDLE netWatchThread = nullptr;
std::shared_ptr<Watch> current;

// Set after the callback pressed connect, until the network is next reported
// offline; lives as long as the process.
std::atomic<int> autoConnectDone{0};

void ReplaceTimer(Watch& w, uint32_t intervalMs) {
  KillTimer(nullptr, w.timer);
  w.timer = SetTimer(nullptr, 0, intervalMs, nullptr);
}

// One due tick: probe, and on a changed answer restart the interval, log the
// change and hand it to the callback.
void NetWatchTick(Watch& w) {
  const DWORD began = GetTickCount();
  const int online = ProbeRedirectServerOverWinsock(w.server, w.stop);
  if (w.Stopped()) return;  // an abandoned probe answers nothing
  MsgBox(kReportDetail, "NETCHECK: probe of %s answered %s after %lu ms.", w.server, online ? "online" : "offline",
         static_cast<unsigned long>(GetTickCount() - began));
  const uint32_t restart = w.schedule.OnProbe(online);
  if (!restart) return;
  ReplaceTimer(w, restart);
  MsgBox(kReportWatch, online ? "NET: Network change to online." : "NET: Network change to offline.");
  if (w.callback) w.callback(online);
}

DWORD WINAPI NetWatchThread(LPVOID parameter) {
  const std::unique_ptr<std::shared_ptr<Watch>> owner(static_cast<std::shared_ptr<Watch>*>(parameter));
  Watch& w = **owner;
  w.timer = SetTimer(nullptr, 0, net_watch::kFirstIntervalMs, nullptr);
  // The stop event ends the loop even when the quit message was posted before
  // this thread had a message queue to receive it.
  for (bool running = true; running;) {
    if (MsgWaitForMultipleObjects(1, &w.stop, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0 + 1) break;
    MSG msg;
    while (running && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WMU_NETWATCH_QUIT || msg.message == WM_QUIT) {
        running = false;
      } else if (msg.message == WM_TIMER && msg.hwnd == nullptr) {
        // Ticks of a timer that was just replaced are ignored.
        if (msg.wParam != w.timer) continue;
        const net_watch::TickStep step = w.schedule.OnTick();
        if (step.renewMs) ReplaceTimer(w, step.renewMs);
        if (step.probe) NetWatchTick(w);
        running = !w.Stopped();
      } else {
        DispatchMessageW(&msg);
      }
    }
  }
  KillTimer(nullptr, w.timer);
  return 0;
}

}  // namespace

void StartNetWatch(NetWatchCallback callback, const char* host) {
  if (netWatchThreadId != 0) {
    MsgBox(kReportWatch, "THREAD: Netcheck already run (%u)", static_cast<unsigned>(netWatchThreadId));
    return;
  }
  auto watch = std::make_shared<Watch>();
  watch->callback = callback;
  net_watch::CopyServerName(watch->server, host);
  auto* threadShare = new std::shared_ptr<Watch>(watch);
  DWORD id = 0;
  HANDLE thread = watch->stop ? CreateThread(nullptr, 0, NetWatchThread, threadShare, 0, &id) : nullptr;
  if (!thread) {
    delete threadShare;
    MsgBox(kReportModuleFailed, "NETCHECK: Couldn't create the netcheck module.");
    return;
  }
  netWatchThread = thread;
  netWatchThreadId = id;
  current = std::move(watch);
  MsgBox(kReportWatch, "THREAD: Netcheck run (%u)", static_cast<unsigned>(id));
}

void StopNetWatch() {
  if (netWatchThreadId == 0) {
    MsgBox(kReportWatch, "THREAD: Netcheck closed before");
    return;
  }
  MsgBox(kReportNote, "THREAD: Netcheck closed (%u)", static_cast<unsigned>(netWatchThreadId));
  SetEvent(current->stop);
  PostThreadMessageA(netWatchThreadId, WMU_NETWATCH_QUIT, 0, 0);
  // Waiting keeps a late probe from logging after shutdown closed the log.
  if (WaitForSingleObject(netWatchThread, kStopWaitMs) == WAIT_TIMEOUT)
    MsgBox(kReportFailure, "THREAD: Netcheck still busy, left to end by itself (%u)",
           static_cast<unsigned>(netWatchThreadId));
  CloseHandle(netWatchThread);
  netWatchThread = nullptr;
  netWatchThreadId = 0;
  current.reset();
}

int OnNetworkChange(int state) {
  MsgBox(kReportNote, "NETCHECK: change network status to %s.", state == 1 ? "ONLINE" : "OFFLINE");
  int done = autoConnectDone;
  const bool connect = net_watch::ConnectOnChange(state, appState.runState, &done);
  autoConnectDone = done;
  if (connect && !ShutdownBegun()) RequestConnect();
  return 0;
}
