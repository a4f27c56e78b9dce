#include "ui/option_toggle.h"

#include <gtest/gtest.h>

#include "ui/control_ids.h"

namespace {

using Enables = std::vector<std::pair<int, bool>>;

OptionFlags Flags(bool user, bool password, bool autoLogin) {
  OptionFlags f;
  f.rememberUser = user;
  f.rememberPassword = password;
  f.autoLogin = autoLogin;
  return f;
}

// Each switch with its dependants: switching a prerequisite off clicks the
// dependant that is on (so its own switch runs) or disables the one that is off.
TEST(OptionToggle, KeepsTheDependencies) {
  struct Case {
    const char* name;
    int id;
    OptionFlags before;
    int click;
    Enables enable;
    int netWatch;
  };
  const Case cases[] = {
      {"user on", IDC_SAVE_LOGIN, Flags(false, false, false), 0, {{IDC_SAVE_PASSWORD, true}}, 0},
      {"user off, password on", IDC_SAVE_LOGIN, Flags(true, true, true), IDC_SAVE_PASSWORD, {}, 0},
      {"user off, password off", IDC_SAVE_LOGIN, Flags(true, false, false), 0, {{IDC_SAVE_PASSWORD, false}}, 0},
      {"password on", IDC_SAVE_PASSWORD, Flags(true, false, false), 0, {{IDC_AUTO_LOGIN, true}}, 0},
      {"password off, auto on", IDC_SAVE_PASSWORD, Flags(true, true, true), IDC_AUTO_LOGIN, {}, 0},
      {"password off after user", IDC_SAVE_PASSWORD, Flags(false, true, true), IDC_AUTO_LOGIN,
       {{IDC_SAVE_PASSWORD, false}}, 0},
      {"password off, auto off", IDC_SAVE_PASSWORD, Flags(false, true, false), 0,
       {{IDC_AUTO_LOGIN, false}, {IDC_SAVE_PASSWORD, false}}, 0},
      {"auto on", IDC_AUTO_LOGIN, Flags(true, true, false), 0, {}, 1},
      {"auto off after password", IDC_AUTO_LOGIN, Flags(false, false, true), 0, {{IDC_AUTO_LOGIN, false}}, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ToggleEffect e = ToggleOption(c.id, c.before);
    OptionFlags expected = c.before;
    *OptionFlag(expected, c.id) = !*OptionFlag(expected, c.id);
    EXPECT_EQ(e.flags.rememberUser, expected.rememberUser);
    EXPECT_EQ(e.flags.rememberPassword, expected.rememberPassword);
    EXPECT_EQ(e.flags.autoLogin, expected.autoLogin);
    EXPECT_EQ(e.clickId, c.click);
    EXPECT_EQ(e.enable, c.enable);
    EXPECT_EQ(e.netWatch, c.netWatch);
    EXPECT_TRUE(e.save);
  }
}

TEST(OptionToggle, OtherOptionsAndUnknownIds) {
  OptionFlags f;
  const ToggleEffect run = ToggleOption(IDC_AUTORUN, f);
  EXPECT_TRUE(run.flags.autoRun);
  EXPECT_EQ(run.runEntry, 1);
  EXPECT_EQ(ToggleOption(IDC_AUTORUN, run.flags).runEntry, -1);

  const ToggleEffect important = ToggleOption(IDC_IMPORTANT_ONLY, f);
  EXPECT_TRUE(important.flags.importantOnly);
  EXPECT_FALSE(important.save) << "kept with the next save";

  const ToggleEffect log = ToggleOption(IDC_WRITE_LOG, f);
  EXPECT_TRUE(log.flags.writeLog);
  EXPECT_TRUE(log.save);
  EXPECT_TRUE(log.reopenLog);

  const ToggleEffect none = ToggleOption(IDC_CONNECT, Flags(true, true, true));
  EXPECT_FALSE(none.save);
  EXPECT_TRUE(none.flags.autoLogin);
  EXPECT_EQ(OptionFlag(f, IDC_CONNECT), nullptr);
}

}  // namespace
