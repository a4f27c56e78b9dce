#include "settings/run_entry.h"

bool BuildRunEntry(const std::string& installDir, std::string* entry) {
  std::string path = installDir + kProgramFile;
  if (path.find(' ') != std::string::npos) path = "\"" + path + "\"";
  if (path.size() + 1 > kRunEntrySize) return false;
  *entry = path;
  return true;
}
