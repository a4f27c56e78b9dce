#include "app/command_line.h"

bool IsDebugLogSwitch(std::string_view commandLine) {
  constexpr std::string_view kSwitch = "-debuglog";
  if (commandLine.size() != kSwitch.size()) return false;
  for (size_t i = 0; i < kSwitch.size(); ++i) {
    char c = commandLine[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != kSwitch[i]) return false;
  }
  return true;
}
