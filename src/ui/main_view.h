// What the main window shows: the controls and pictures of each view, the
// progress slider's next step and the painted areas a point on the window hits.
#pragma once
#include <cstdint>
#include <vector>

struct LayoutRecord;

constexpr int VIEW_MAIN = 1901;
constexpr int VIEW_SETTINGS = 1902;
constexpr int VIEW_ABOUT = 1903;

// Keep: the view leaves the control's enabled state as it is.
enum class Enable : int8_t { Keep, Off, On };

struct FaceControl {
  int id;
  bool shown;
  Enable enable;
};

struct FacePicture {
  int id;
  bool shown;
};

struct ViewFace {
  std::vector<FaceControl> controls;  // every control of the dialog, in template order
  std::vector<FacePicture> pictures;  // every switched picture
  bool statusRefresh = false;         // the 1-second refresh timer runs
  bool progress = false;              // the slider is placed afresh and its timer runs
};

// Whether the view needs the core's account status word (main view with a connection).
bool ViewNeedsStatus(int view, int32_t runState);

// The window's face for `view` after its reset. `status` is the core's account
// status word (read only by the main view while connected or disconnecting).
ViewFace ViewFaceFor(int view, int32_t runState, uint32_t status = 0, int serviceIndex = 0,
                     bool rememberUser = false);

// One step of the bouncing progress slider from window-relative x.
struct SliderStep {
  int x;
  bool forward;
};
SliderStep NextSliderPosition(int x, bool forward, const LayoutRecord& layout);

// What a press on the painted window surface does; the point is relative to
// the window's top-left corner.
enum class SurfaceAction { None, HideWindow, ShowMain, ShowSettings, ShowAbout, OpenTopUp, OpenRegister };
SurfaceAction SurfaceActionAt(const LayoutRecord& layout, int x, int y, int32_t runState);

// The two keys the dialog manager turns into commands (IDOK, IDCANCEL), and
// what each does in a view and connection state: Enter submits the idle login
// form as the connect button does; Escape hides the window as the close mark
// does, in every state, as Alt+F4 does. Neither ever ends the program.
enum class DialogKey { Enter, Escape };
enum class KeyAction { None, Connect, HideWindow };
KeyAction KeyActionFor(DialogKey key, int view, int32_t runState);
