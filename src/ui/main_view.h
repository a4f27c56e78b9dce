// Which controls and pictures the main view shows for a connection state.
#pragma once
#include <cstdint>
#include <vector>

struct FaceControl {
  int id;
  bool shown;
  bool enabled;
};

struct FacePicture {
  int id;
  bool shown;
};

struct MainFace {
  std::vector<FaceControl> controls;  // every control of the dialog, in template order
  std::vector<FacePicture> pictures;  // every switched picture
};

// The main view for `runState`; `status` is the core's account status word
// (used while connected or disconnecting), `serviceIndex` the chosen service.
MainFace MainFaceFor(int32_t runState, uint32_t status = 0, int serviceIndex = 0, bool rememberUser = false);
