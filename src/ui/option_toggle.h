// The six option check boxes of the settings: what switching one does to the
// flags, to its dependants and to the rest of the client.
#pragma once
#include <utility>
#include <vector>

struct OptionFlags {
  bool rememberUser = false;
  bool rememberPassword = false;
  bool autoRun = false;
  bool autoLogin = false;
  bool importantOnly = false;
  bool writeLog = false;
};

struct ToggleEffect {
  OptionFlags flags;                         // after the switch
  int clickId = 0;                           // a dependant check box to click in turn, 0 none
  std::vector<std::pair<int, bool>> enable;  // check boxes enabled or disabled, in order
  bool save = false;                         // the settings are saved
  int runEntry = 0;                          // 1 write the Run entry, -1 delete it, 0 leave it
  int netWatch = 0;                          // 1 start the network watch, -1 stop it, 0 leave it
  bool reopenLog = false;                    // the log is closed and opened afresh
};

// The flag of check box `id` (1603-1608), or null for any other id.
bool* OptionFlag(OptionFlags& flags, int id);
// Switching check box `id` from `flags`. An unknown id changes nothing.
ToggleEffect ToggleOption(int id, OptionFlags flags);
