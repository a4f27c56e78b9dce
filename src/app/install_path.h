// Names of files in the installation directory. Portable.
#pragma once
#include <cstddef>
#include <string>

// The longest path the ANSI file calls take, terminator included.
constexpr size_t kPathSize = 260;

// `dir` followed by `name` (dir ends in its separator). False when the whole
// does not fit kPathSize with its terminator: a cut name would move or start
// another file than the one meant.
bool InstallFilePath(const std::string& dir, const std::string& name, std::string* path);
