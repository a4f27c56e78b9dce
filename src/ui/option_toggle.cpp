#include "ui/option_toggle.h"

#include "ui/control_ids.h"

bool* OptionFlag(OptionFlags& f, int id) {
  switch (id) {
    case IDC_SAVE_LOGIN: return &f.rememberUser;
    case IDC_SAVE_PASSWORD: return &f.rememberPassword;
    case IDC_AUTORUN: return &f.autoRun;
    case IDC_AUTO_LOGIN: return &f.autoLogin;
    case IDC_IMPORTANT_ONLY: return &f.importantOnly;
    case IDC_WRITE_LOG: return &f.writeLog;
    default: return nullptr;
  }
}

// The password is only remembered with the login, and automatic login needs
// both. Switching a prerequisite off clicks its dependant, so the dependant's
// own switch runs too (saving, stopping the watch) instead of being bypassed.
ToggleEffect ToggleOption(int id, OptionFlags flags) {
  ToggleEffect e;
  bool* flag = OptionFlag(flags, id);
  if (!flag) {
    e.flags = flags;
    return e;
  }
  *flag = !*flag;
  OptionFlags& f = e.flags = flags;
  switch (id) {
    case IDC_SAVE_LOGIN:
      if (f.rememberUser)
        e.enable.push_back({IDC_SAVE_PASSWORD, true});
      else if (f.rememberPassword)
        e.clickId = IDC_SAVE_PASSWORD;
      else
        e.enable.push_back({IDC_SAVE_PASSWORD, false});
      e.save = true;
      break;
    case IDC_SAVE_PASSWORD:
      if (!f.rememberPassword) {
        if (f.autoLogin)
          e.clickId = IDC_AUTO_LOGIN;
        else
          e.enable.push_back({IDC_AUTO_LOGIN, false});
      }
      if (!f.rememberUser)
        e.enable.push_back({IDC_SAVE_PASSWORD, false});
      else if (f.rememberPassword)
        e.enable.push_back({IDC_AUTO_LOGIN, true});
      e.save = true;
      break;
    case IDC_AUTORUN:
      e.runEntry = f.autoRun ? 1 : -1;
      e.save = true;
      break;
    case IDC_AUTO_LOGIN:
      if (!f.rememberUser || !f.rememberPassword) e.enable.push_back({IDC_AUTO_LOGIN, false});
      e.save = true;
      e.netWatch = f.autoLogin ? 1 : -1;
      break;
    case IDC_IMPORTANT_ONLY:
      break;  // kept with the next save
    case IDC_WRITE_LOG:
      e.save = true;
      e.reopenLog = true;
      break;
  }
  return e;
}
