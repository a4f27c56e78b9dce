// Conflicting programs and forced upgrades announced by the core.
#pragma once
#include <memory>

#include "core/conflict_text.h"

// Core callback thread, as all below: a copy of the conflict list the core
// offers with a conflict message; null when there is none.
std::unique_ptr<ConflictList> ReadConflictList();

// Logs the entries and, unless connected, offers to let the core close them.
// The box waits on this thread, so the core's list is still the one shown
// when the answer comes.
void HandleClosableConflicts(const ConflictList& entries);
// Logs the entries and lists them in a box; nothing is closed.
void HandleUnclosableConflicts(const ConflictList& entries);
// Tells the user, then hands over to the updater.
void HandleUpgradeRequired();
// True while the updater's window exists.
bool UpdaterRunning();
// Opens the download page, starts the updater and has the control window
// shut the client down, unless an updater is already running (false).
bool LaunchUpdater();
