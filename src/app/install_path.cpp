#include "app/install_path.h"

bool InstallFilePath(const std::string& dir, const std::string& name, std::string* path) {
  if (dir.size() + name.size() + 1 > kPathSize) return false;
  *path = dir + name;
  return true;
}
