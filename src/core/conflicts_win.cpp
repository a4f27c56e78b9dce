// Placeholder until the conflict prompts and the updater hand-over arrive:
// each call is recorded in the verbose log so the dispatch can be observed.
#include "core/conflicts_win.h"

#include "app/report.h"

void HandleClosableConflicts() { MsgBox(0x10004, "CONFLICT: closable programs (placeholder)"); }

void HandleUnclosableConflicts() { MsgBox(0x10004, "CONFLICT: unclosable programs (placeholder)"); }

void HandleUpgradeRequired() { MsgBox(0x10004, "UPGRADE: required (placeholder)"); }
