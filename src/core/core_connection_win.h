// Connection start and stop, and the core library's two callbacks.
#pragma once
#include <cstdint>

#include "core/core_api.h"

void ZEPHAL_CDECL OnCoreStatus(int32_t state);
void ZEPHAL_CDECL OnCoreMessage(uint32_t code, const char* text);
