#include "net/net_watch.h"

#include <cstring>

namespace net_watch {

TickStep Schedule::OnTick() {
  // Counting on keeps it from ever equalling 2 again.
  if (++ticks_ == 2) return TickStep{false, IntervalFor(online_)};
  return TickStep{true, 0};
}

uint32_t Schedule::OnProbe(int online) {
  const int answer = online ? 1 : 0;
  if (answer == online_) return 0;
  online_ = answer;
  return IntervalFor(online_);
}

bool ConnectOnChange(int state, int32_t runState, int* autoConnectDone) {
  if (*autoConnectDone) {
    if (state == 0) *autoConnectDone = 0;
    return false;
  }
  if (state != 1 || runState != 1) return false;
  *autoConnectDone = 1;
  return true;
}

void CopyServerName(char (&out)[kServerSize], const char* name) {
  std::memset(out, 0, sizeof out);
  if (!name) return;
  for (size_t i = 0; i < kServerChars && name[i]; ++i) out[i] = name[i];
}

}  // namespace net_watch
