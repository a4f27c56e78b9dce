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

TEST(LogonTaskTest, StartsTheQuotedClientElevatedAtAnyAdministratorsLogOn) {
  struct Case {
    const char* installDir;
    const char* command;     // as it stands in the XML
    const char* workingDir;
  };
  const Case cases[] = {
      {"C:\\Program Files\\Lumora Zephal\\", "\"C:\\Program Files\\Lumora Zephal\\lumora_zephal.exe\"",
       "C:\\Program Files\\Lumora Zephal\\"},
      {"C:\\Zephal\\", "\"C:\\Zephal\\lumora_zephal.exe\"", "C:\\Zephal\\"},
      {"D:\\A&B <x>\\", "\"D:\\A&amp;B &lt;x&gt;\\lumora_zephal.exe\"", "D:\\A&amp;B &lt;x&gt;\\"},
      // "加速器" in code page 936: its trail bytes pass unchanged.
      {"C:\\\xBC\xD3\xCB\xD9\xC6\xF7\\", "\"C:\\\xBC\xD3\xCB\xD9\xC6\xF7\\lumora_zephal.exe\"",
       "C:\\\xBC\xD3\xCB\xD9\xC6\xF7\\"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.installDir);
    const std::string xml = BuildLogonTaskXml(c.installDir);
    // The quotes belong to the command; only what XML needs is escaped.
    EXPECT_EQ(Inside(xml, "Exec", "Command"), c.command);
    EXPECT_EQ(Inside(xml, "Exec", "WorkingDirectory"), c.workingDir);
    EXPECT_EQ(Elements(xml, "Exec").size(), 1u);
    // One trigger, the log-on of any user: nothing else in the trigger list,
    // and no user named anywhere, so whoever switches the option registers
    // the same task.
    const std::string triggers = Elements(xml, "Triggers").at(0);
    EXPECT_EQ(triggers.find('<'), triggers.find("<LogonTrigger>"));
    EXPECT_EQ(triggers.find('<', triggers.find("</LogonTrigger>") + 1), std::string::npos) << triggers;
    EXPECT_EQ(Inside(xml, "LogonTrigger", "Enabled"), "true");
    EXPECT_TRUE(Elements(xml, "UserId").empty()) << xml;
    // The group principal: members of Administrators, elevated without a prompt.
    const std::string principal = xml.substr(xml.find("<Principal "), xml.find("</Principal>") - xml.find("<Principal "));
    EXPECT_EQ(Elements(principal, "GroupId"), std::vector<std::string>{"S-1-5-32-544"});
    EXPECT_EQ(Elements(principal, "RunLevel"), std::vector<std::string>{"HighestAvailable"});
    EXPECT_TRUE(Elements(principal, "LogonType").empty()) << "a group principal takes no log-on type";
    EXPECT_EQ(Inside(xml, "Settings", "ExecutionTimeLimit"), "PT0S") << "no time limit";
    EXPECT_EQ(Inside(xml, "Settings", "DisallowStartIfOnBatteries"), "false");
    EXPECT_EQ(Inside(xml, "Settings", "StopIfGoingOnBatteries"), "false");
    EXPECT_EQ(Inside(xml, "Settings", "Priority"), "4") << "normal priority, not the task default";
    // A second administrator's log-on while the first one's client runs starts none.
    EXPECT_EQ(Inside(xml, "Settings", "MultipleInstancesPolicy"), "IgnoreNew");
  }
}

}  // namespace
