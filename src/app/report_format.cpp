#include "app/report_format.h"

#include <cstdio>

namespace report {

std::string TimeStamp(const std::tm& local) {
  char stamp[20];
  if (std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local) == 0) return "0000-00-00 00:00:00";
  return stamp;
}

std::string ComposeLogLine(const std::tm& local, const char* text) {
  return TimeStamp(local) + " " + (text ? text : "");
}

std::string CutMessage(std::string text) {
  if (text.size() > kMessageSize - 1) text.resize(kMessageSize - 1);
  return text;
}

std::string TaggedMessage(const char* tag, uint32_t code, const char* message, bool debugLog) {
  if (!debugLog) return CutMessage(message ? message : "");
  char head[48];
  std::snprintf(head, sizeof head, "%s(#%x) ", tag ? tag : "", static_cast<unsigned>(code));
  return CutMessage(std::string(head) + (message ? message : ""));
}

}  // namespace report
