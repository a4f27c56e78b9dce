// The Task Scheduler task that starts the client at the user's log-on.
//
// An elevated program is not started from the Run key at log-on where UAC is
// on; a task with the highest run level is. The definition is built here as
// the XML Task Scheduler 2.0 registers, so it can be checked before it is.
#pragma once
#include <string>

constexpr char kLogonTaskName[] = "ZephalAcc";

// The task definition for the client in `installDir` (ending in a backslash),
// started at the log-on of `userId` (a SID string or DOMAIN\name) with the
// highest privileges that user has, on that user's desktop. Text is code page
// 936 like the rest of the client; the caller converts the whole to UTF-16.
std::string BuildLogonTaskXml(const std::string& installDir, const std::string& userId);

// `text` for an element's content: &, < and > escaped (quotes need none
// there). GBK trail bytes never fall on them, so this is safe byte by byte.
std::string XmlEscape(const std::string& text);
