// The redirect-server probe over Winsock, on the network watch thread.
#pragma once
#include <windows.h>

// 1 online, 0 offline. Setting the manual-reset event `stop` abandons a probe
// in progress within about a tenth of a second (0).
int ProbeRedirectServerOverWinsock(const char* server, HANDLE stop);
