#include "settings/logon_task.h"

#include <cstdio>

#include "settings/run_entry.h"

namespace {

// The group, then the quoted program and its directory. A log-on trigger
// without a user fires at everybody's log-on; the group principal starts the
// task only for the group's members, each on their own desktop, elevated as
// far as they may be. Where Task Scheduler's defaults do not fit a client
// that runs until the user ends it, they are set: battery use, no time limit
// (default 72 hours), normal priority (default 7, below normal).
constexpr char kTaskTemplate[] =
    "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n"
    "<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\n"
    "<Triggers><LogonTrigger><Enabled>true</Enabled></LogonTrigger></Triggers>\n"
    "<Principals><Principal id=\"Author\"><GroupId>%s</GroupId>"
    "<RunLevel>HighestAvailable</RunLevel></Principal></Principals>\n"
    "<Settings><MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>"
    "<DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>"
    "<StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>"
    "<ExecutionTimeLimit>PT0S</ExecutionTimeLimit><Priority>4</Priority></Settings>\n"
    "<Actions Context=\"Author\"><Exec><Command>%s</Command><WorkingDirectory>%s</WorkingDirectory></Exec>"
    "</Actions>\n</Task>\n";

}  // namespace

std::string XmlEscape(const std::string& text) {
  std::string out;
  for (const char c : text) {
    if (c == '&')
      out += "&amp;";
    else if (c == '<')
      out += "&lt;";
    else if (c == '>')
      out += "&gt;";
    else
      out += c;
  }
  return out;
}

std::string BuildLogonTaskXml(const std::string& installDir) {
  // Always quoted: an unquoted path with a blank could start another program by its prefix.
  const std::string command = XmlEscape("\"" + installDir + kProgramFile + "\"");
  const std::string dir = XmlEscape(installDir);
  const int size = std::snprintf(nullptr, 0, kTaskTemplate, kLogonTaskGroup, command.c_str(), dir.c_str());
  if (size <= 0) return "";
  std::string xml(static_cast<size_t>(size) + 1, '\0');
  std::snprintf(&xml[0], xml.size(), kTaskTemplate, kLogonTaskGroup, command.c_str(), dir.c_str());
  xml.resize(static_cast<size_t>(size));
  return xml;
}
