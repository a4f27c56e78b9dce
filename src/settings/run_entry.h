// The data of the client's Run entry.
#pragma once
#include <cstddef>
#include <string>

constexpr size_t kRunEntrySize = 260;  // characters written, terminator and zero padding included
constexpr char kProgramFile[] = "lumora_zephal.exe";

// installDir + program file, quoted when it contains a blank so Windows cannot
// start another program by the unquoted prefix. False when it does not fit
// kRunEntrySize with its terminator: a cut path would start the wrong file.
bool BuildRunEntry(const std::string& installDir, std::string* entry);
