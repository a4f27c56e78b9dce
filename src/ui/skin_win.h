// The picture store of the skinned main window.
#pragma once
#include <windows.h>

// Remembers the module whose resources hold the pictures.
void SkinInit(HINSTANCE module);
// Frees every placement and picture; the main window thread must have ended.
void SkinRelease();
