// The placements the main window registers with the picture store, as plain
// data so they can be checked without <windows.h>.
#pragma once
#include <cstddef>

#include "ui/layout.h"

// Every skin picture is a resource of this custom type.
constexpr char kSkinResourceType[] = "BINARY";

// The 200 % drawing of picture N is the "BINARY" resource N + this offset
// (2100-2143), twice the size of N in each direction.
constexpr int kDoublePictureOffset = 1000;

// Owner value of a placement drawn on the dialog itself rather than on a control.
constexpr int kSkinOwnerDialog = 0;

struct SkinRegistration {
  int owner;       // control id, or kSkinOwnerDialog
  int resourceId;  // "BINARY" resource 1100-1143
  // The LayoutRecord field whose x and y place the picture on the dialog; null
  // for control-owned pictures, which sit at 0, 0 of a control sized to them.
  LayoutRect LayoutRecord::*position;
  int visible;     // 1 shown from the start, 0 until a view shows it
};

constexpr size_t kSkinRegistrationCount = 37;
// In registration order, which is also drawing order.
extern const SkinRegistration kSkinRegistrations[kSkinRegistrationCount];

// Where the row's picture goes in its owner's client coordinates. Returns false
// when the row needs a layout field and there is no record: such a picture
// would otherwise land on the title strip at 0, 0.
bool SkinRegistrationPoint(const SkinRegistration& row, const LayoutRecord* layout, int* x, int* y);
