#include "settings/logon_task.h"

#include "settings/run_entry.h"

std::string XmlEscape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string BuildLogonTaskXml(const std::string& installDir, const std::string& userId) {
  // Always quoted: an unquoted path with a blank could start another program by its prefix.
  const std::string command = XmlEscape("\"" + installDir + kProgramFile + "\"");
  const std::string user = XmlEscape(userId);
  std::string xml;
  xml += "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n";
  xml += "<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\n";
  xml += "  <RegistrationInfo>\n    <Description>Lumora Zephal</Description>\n  </RegistrationInfo>\n";
  xml += "  <Triggers>\n    <LogonTrigger>\n      <Enabled>true</Enabled>\n";
  xml += "      <UserId>" + user + "</UserId>\n    </LogonTrigger>\n  </Triggers>\n";
  // The user's own desktop (interactive token), elevated as far as that user may be.
  xml += "  <Principals>\n    <Principal id=\"Author\">\n";
  xml += "      <UserId>" + user + "</UserId>\n";
  xml += "      <LogonType>InteractiveToken</LogonType>\n      <RunLevel>HighestAvailable</RunLevel>\n";
  xml += "    </Principal>\n  </Principals>\n";
  // The client runs until the user ends it, on battery as well, at normal
  // priority (a task's default, 7, would start it below normal).
  xml += "  <Settings>\n";
  xml += "    <MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>\n";
  xml += "    <DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>\n";
  xml += "    <StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>\n";
  xml += "    <StartWhenAvailable>false</StartWhenAvailable>\n";
  xml += "    <RunOnlyIfNetworkAvailable>false</RunOnlyIfNetworkAvailable>\n";
  xml += "    <IdleSettings>\n      <StopOnIdleEnd>false</StopOnIdleEnd>\n      <RestartOnIdle>false</RestartOnIdle>\n";
  xml += "    </IdleSettings>\n";
  xml += "    <AllowStartOnDemand>true</AllowStartOnDemand>\n";
  xml += "    <Enabled>true</Enabled>\n    <Hidden>false</Hidden>\n    <RunOnlyIfIdle>false</RunOnlyIfIdle>\n";
  xml += "    <ExecutionTimeLimit>PT0S</ExecutionTimeLimit>\n    <Priority>4</Priority>\n";
  xml += "  </Settings>\n";
  xml += "  <Actions Context=\"Author\">\n    <Exec>\n";
  xml += "      <Command>" + command + "</Command>\n";
  xml += "      <WorkingDirectory>" + XmlEscape(installDir) + "</WorkingDirectory>\n";
  xml += "    </Exec>\n  </Actions>\n</Task>\n";
  return xml;
}
