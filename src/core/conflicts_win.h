// Conflicting programs and forced upgrades announced by the core.
#pragma once
#include <memory>

#include "core/conflict_text.h"

// Core callback thread: a copy of the conflict list the core offers with a
// conflict message, taken while its callback runs; null when there is none.
std::unique_ptr<ConflictList> ReadConflictList();

// Control window thread, as all below: logs the entries and, unless
// connected, offers to let the core close them.
void HandleClosableConflicts(const ConflictList& entries);
// Logs the entries and lists them in a box; nothing is closed.
void HandleUnclosableConflicts(const ConflictList& entries);
// Tells the user, then hands over to the updater.
void HandleUpgradeRequired();
// True while the updater's window exists.
bool UpdaterRunning();
// Opens the download page, starts the updater and shuts the client down,
// unless an updater is already running.
void LaunchUpdater();
