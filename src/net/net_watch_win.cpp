// Placeholder until the watch thread lands: each call is logged so the
// dialog's start and stop of the watch can be observed.
#include "net/net_watch_win.h"

#include "app/report.h"

void StartNetWatch(NetWatchCallback, const char* host) {
  MsgBox(0x10004, "NET: watch start requested for %s (placeholder)", host ? host : "");
}

void StopNetWatch() { MsgBox(0x10004, "NET: watch stop requested (placeholder)"); }

int OnNetworkChange(int) { return 0; }
