// The control window's share of the core's events.
#pragma once
#include <cstdint>

// Control window thread: the tray, view and notice work of a reported state.
void HandleCoreStatus(int32_t state);
