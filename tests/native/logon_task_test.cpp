#include "settings/logon_task.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The texts of every element `name` in `xml`, in order.
std::vector<std::string> Elements(const std::string& xml, const std::string& name) {
  std::vector<std::string> found;
  const std::string open = "<" + name + ">", close = "</" + name + ">";
  for (size_t at = xml.find(open); at != std::string::npos; at = xml.find(open, at + 1)) {
    const size_t begin = at + open.size();
    const size_t end = xml.find(close, begin);
    if (end == std::string::npos) break;
    found.push_back(xml.substr(begin, end - begin));
  }
  return found;
}

// What the element `name` inside the first `parent` holds.
std::string Inside(const std::string& xml, const std::string& parent, const std::string& name) {
  const std::vector<std::string> parents = Elements(xml, parent);
  if (parents.empty()) return "<no " + parent + ">";
  const std::vector<std::string> inner = Elements(parents[0], name);
  return inner.size() == 1 ? inner[0] : "<" + std::to_string(inner.size()) + " " + name + ">";
}

TEST(LogonTaskTest, StartsTheQuotedClientElevatedAtTheUsersLogOn) {
  struct Case {
    const char* installDir;
    const char* user;
    const char* command;     // as it stands in the XML
    const char* workingDir;
    const char* userInXml;
  };
  const Case cases[] = {
      {"C:\\Program Files\\Lumora Zephal\\", "S-1-5-21-1-2-3-1001",
       "\"C:\\Program Files\\Lumora Zephal\\lumora_zephal.exe\"", "C:\\Program Files\\Lumora Zephal\\",
       "S-1-5-21-1-2-3-1001"},
      {"C:\\Zephal\\", "PC\\alice", "\"C:\\Zephal\\lumora_zephal.exe\"", "C:\\Zephal\\", "PC\\alice"},
      {"D:\\A&B <x>\\", "PC\\o'neil", "\"D:\\A&amp;B &lt;x&gt;\\lumora_zephal.exe\"",
       "D:\\A&amp;B &lt;x&gt;\\", "PC\\o'neil"},
      // "加速器" in code page 936: its trail bytes pass unchanged.
      {"C:\\\xBC\xD3\xCB\xD9\xC6\xF7\\", "S-1-5-18", "\"C:\\\xBC\xD3\xCB\xD9\xC6\xF7\\lumora_zephal.exe\"",
       "C:\\\xBC\xD3\xCB\xD9\xC6\xF7\\", "S-1-5-18"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.installDir);
    const std::string xml = BuildLogonTaskXml(c.installDir, c.user);
    // The quotes belong to the command; only what XML needs is escaped.
    const std::string command = Inside(xml, "Exec", "Command");
    EXPECT_EQ(command, c.command);
    EXPECT_EQ(Inside(xml, "Exec", "WorkingDirectory"), c.workingDir);
    EXPECT_EQ(Elements(xml, "Exec").size(), 1u);
    // One trigger, the log-on: nothing else in the trigger list.
    const std::string triggers = Elements(xml, "Triggers").at(0);
    EXPECT_EQ(triggers.find('<'), triggers.find("<LogonTrigger>"));
    EXPECT_EQ(triggers.find('<', triggers.find("</LogonTrigger>") + 1), std::string::npos) << triggers;
    EXPECT_EQ(Inside(xml, "LogonTrigger", "UserId"), c.userInXml);
    EXPECT_EQ(Inside(xml, "LogonTrigger", "Enabled"), "true");
    const std::string principal = xml.substr(xml.find("<Principal "), xml.find("</Principal>") - xml.find("<Principal "));
    EXPECT_EQ(Elements(principal, "UserId"), std::vector<std::string>{c.userInXml});
    EXPECT_EQ(Elements(principal, "RunLevel"), std::vector<std::string>{"HighestAvailable"});
    EXPECT_EQ(Elements(principal, "LogonType"), std::vector<std::string>{"InteractiveToken"});
    EXPECT_EQ(Inside(xml, "Settings", "ExecutionTimeLimit"), "PT0S") << "no time limit";
    EXPECT_EQ(Inside(xml, "Settings", "DisallowStartIfOnBatteries"), "false");
    EXPECT_EQ(Inside(xml, "Settings", "StopIfGoingOnBatteries"), "false");
    EXPECT_EQ(Inside(xml, "Settings", "Priority"), "4") << "normal priority, not the task default";
    EXPECT_EQ(Inside(xml, "Settings", "MultipleInstancesPolicy"), "IgnoreNew");
  }
}

}  // namespace
