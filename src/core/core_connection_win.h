// Connection start and stop, and the core library's two callbacks.
#pragma once
#include <cstdint>

#include "coreapi/core_api.h"

struct AppState;

// Builds the start request from the login block and asks the core to connect.
void StartConnection(const AppState& account);
// Asks the core to disconnect.
void StopConnection();
// Zephal_Stop with these arguments (the exit passes its own), counted while it runs.
void StopCore(void* context, uint32_t reason);
// True when no Zephal_Stop is running on any thread: the core is never
// released under a stop that has not returned. Any thread.
bool NoStopRunning();

// Callbacks of the core. The status callback stores the state at once and
// hands the work over to the control window's thread, which shows it; the
// message callback reports and handles the message on the core's thread (its
// boxes have no owner window and keep the core waiting for the answer).
void ZEPHAL_CDECL OnCoreStatus(int32_t state);
void ZEPHAL_CDECL OnCoreMessage(uint32_t code, const char* text);

// The core's calling thread: the follow-up of a core message (conflict boxes,
// upgrade demand).
void HandleCoreMessage(uint32_t code);
