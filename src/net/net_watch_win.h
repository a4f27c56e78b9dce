// The network watch: a thread that probes the redirect server and reports
// online/offline changes to a callback.
#pragma once

// Receives each change of the online state: 1 online, 0 offline. Result unused.
using NetWatchCallback = int (*)(int state);

// Starts the watch thread with `callback` and the redirect server `host`.
void StartNetWatch(NetWatchCallback callback, const char* host);
// Asks the watch thread to end; does not wait for it.
void StopNetWatch();
// The main window's callback: connects once per online period while idle.
int OnNetworkChange(int state);
