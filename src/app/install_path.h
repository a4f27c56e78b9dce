// Names of files in the installation directory. Portable.
#pragma once
#include <cstddef>
#include <string>
#include <type_traits>

// The longest path the file calls take, terminator included.
constexpr size_t kPathSize = 260;

// `dir` followed by `name` (dir ends in its separator), in GBK or wide. False
// when the whole does not fit kPathSize with its terminator: a cut name would
// move or start another file than the one meant.
template <class Text>
bool InstallFilePath(const Text& dir, const std::common_type_t<Text>& name, Text* path) {
  if (dir.size() + name.size() + 1 > kPathSize) return false;
  *path = dir + name;
  return true;
}
