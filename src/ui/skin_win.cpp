// Placeholder picture store until the skin arrives: nothing is decoded yet.
#include "ui/skin_win.h"

namespace {
HINSTANCE skinModule = nullptr;
}

void SkinInit(HINSTANCE module) { skinModule = module ? module : GetModuleHandleA(nullptr); }

void SkinRelease() { skinModule = nullptr; }
