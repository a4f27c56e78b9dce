// The built-in layout record of the main window.
#pragma once
#include <cstdint>

// x, y, width, height; a point has width and height 0.
struct LayoutRect {
  int16_t x;
  int16_t y;
  int16_t width;
  int16_t height;
};
static_assert(sizeof(LayoutRect) == 8, "LayoutRect is four 16-bit values");

// Positions, zones and colours of the main window. The fields are filled in
// together with the skinned main window; until then the record is empty.
struct LayoutRecord {
  LayoutRect reserved;
};

// Stores the built-in values into a zero-filled record.
void InitLayoutRecord(LayoutRecord* record);
// Returns `existing` unchanged, or a new zero-filled and initialised record.
LayoutRecord* CreateLayoutRecord(LayoutRecord* existing);
// Frees the record; returns null for the caller to store.
LayoutRecord* FreeLayoutRecord(LayoutRecord* record);
