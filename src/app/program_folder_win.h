// Where the elevated client takes code from: DLLs from System32 and its own
// folder, a pending updater only from its own folder.
#pragma once
#include <windows.h>

#include <string>

struct DllSearch {
  bool limited;  // SetDefaultDllDirectories took System32 and the program's folder
  DWORD error;   // why not, when it did not
};

// First thing at start: everything loaded later, by the client or by the
// system on its behalf, comes from System32 or the program's folder, never
// the current directory or PATH. Looked up at run time (Windows 7 has it only
// with KB2533623); without it the current directory at least leaves the search.
DllSearch LimitDllSearch();
// Logs what LimitDllSearch did, once the log is open.
void ReportDllSearch(const DllSearch& search);

// True when `folder` (with or without its trailing backslash) is the folder
// this program was started from: the same directory on disk, whatever the
// spelling.
bool IsProgramFolder(const wchar_t* folder);
