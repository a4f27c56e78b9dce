// The Task Scheduler task that starts the client at an administrator's log-on.
//
// An elevated program is not started from the Run key at log-on where UAC is
// on; a task with the highest run level is. The option is the machine's, so
// the task is too: one task for every member of Administrators, the same
// whichever of them switches it. The definition is built here as the XML
// Task Scheduler 2.0 registers, so it can be checked before it is.
#pragma once
#include <string>

constexpr char kLogonTaskName[] = "ZephalAcc";

// The group the task runs for, by SID so that no language's name for it matters.
constexpr char kLogonTaskGroup[] = "S-1-5-32-544";  // BUILTIN\Administrators

// The task definition for the client in `installDir` (ending in a backslash),
// started at the log-on of any user, as that user, elevated without a prompt
// for members of kLogonTaskGroup (the highest privileges they have). Text is
// code page 936 like the rest of the client; the caller converts the whole to UTF-16.
std::string BuildLogonTaskXml(const std::string& installDir);

// `text` for an element's content: &, < and > escaped (quotes need none
// there). GBK trail bytes never fall on them, so this is safe byte by byte.
std::string XmlEscape(const std::string& text);
