// The one command-line switch.
#pragma once
#include <string_view>

// True when the whole command line is "-debuglog" in any letter case.
bool IsDebugLogSwitch(std::string_view commandLine);
