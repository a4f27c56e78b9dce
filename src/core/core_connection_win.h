// Connection start and stop, and the core library's two callbacks.
#pragma once
#include <cstdint>
#include <memory>

#include "core/conflict_text.h"
#include "core/core_api.h"

struct AppState;

// Builds the start request from the login block and asks the core to connect.
void StartConnection(const AppState& account);
// Asks the core to disconnect.
void StopConnection();

// Callbacks of the core: they store the state at once and hand the work over
// to the control window's thread.
void ZEPHAL_CDECL OnCoreStatus(int32_t state);
void ZEPHAL_CDECL OnCoreMessage(uint32_t code, const char* text);

// Control window thread: the tray, view and notice work of a reported state.
void HandleCoreStatus(int32_t state);
// Control window thread: the follow-up of a core message; `conflicts` is the
// list copied with a conflict message.
void HandleCoreMessage(uint32_t code, std::unique_ptr<ConflictList> conflicts);
