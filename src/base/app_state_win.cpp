#include <new>

#include "base/app_state.h"

AppState appState;
UINT taskbarCreatedMsg = 0;

void ResetAppState() {
  // Value-initialisation zeroes every field, atomics included.
  appState.~AppState();
  new (&appState) AppState();
}
