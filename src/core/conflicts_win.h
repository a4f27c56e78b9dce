// Conflicting programs and forced upgrades announced by the core.
#pragma once

void HandleClosableConflicts();
void HandleUnclosableConflicts();
void HandleUpgradeRequired();
