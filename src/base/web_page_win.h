// Opening web pages as the desktop's user, not as this elevated process.
#pragma once

// Opens `address` in the default browser through the shell of the logged-on
// user, falling back to ShellExecute where that shell cannot be reached. Waits
// at most a few seconds; a shell that does not answer by then finishes alone.
void OpenWebPage(const char* address);
