// The picture store of the skinned main window: pictures decoded once from the
// program's "BINARY" resources, resampled and cached per display scale, and a
// list of placements saying which picture is drawn on which window, where, and
// whether it is shown now. The controls that show them: image_controls_win.h.
//
// Threads: SkinInit runs on the process thread before the main window thread
// starts. Registration, painting and every visibility change (SkinSetVisible,
// SkinShowImage, SkinHideImage) run on the main window thread only; other
// threads hand their requests to that thread by posting a message to the main
// window. Nothing here takes a lock. SkinRelease runs after the main window
// thread has ended (CloseMainWindow waits for it), so no paint can race it.
#pragma once
#include <windows.h>
#include <ocidl.h>

#include <cstddef>
#include <cstdint>

#include "ui/layout.h"

// One decoded picture, shared by every placement of its resource id.
struct SkinPicture {
  int32_t resourceId;
  IPicture* picture;
  int32_t width;  // pixels, computed once at load
  int32_t height;
  int32_t himetricWidth;  // as the picture object reports them
  int32_t himetricHeight;
};

// One placement of a picture on a window.
struct SkinImage {
  HWND owner;  // the dialog or one of its controls
  int32_t resourceId;
  int32_t visible;  // drawn only while exactly 1
  char typeName[40];
  int32_t x;  // in the owner's client coordinates
  int32_t y;
  int32_t width;  // drawn size; 0 is the picture's own pixel size
  int32_t height;
};

// An entry of the placement list. picture stays null when the resource was
// missing or did not decode; such an entry is never drawn, found or shown.
struct SkinImageNode {
  SkinPicture* picture;
  SkinImage* image;
};

// Remembers the module whose resources hold the pictures (null: the program's own).
void SkinInit(HINSTANCE module);

// Decodes one resource into a new picture the caller owns (free it with
// SkinFreePicture), or returns null when it is missing or does not decode.
// The window only provides the device context for the pixel size.
SkinPicture* SkinLoadPicture(HWND window, int resourceId, const char* typeName);
void SkinFreePicture(SkinPicture* picture);
// The cached picture of that id, decoding and caching it on first use; null
// when it cannot be decoded (the next call tries again).
SkinPicture* SkinGetPicture(HWND window, int resourceId, const char* typeName);

// Appends a placement in drawing order and returns it. An existing placement
// of the same owner and id is returned untouched instead. A picture that does
// not load still gets an entry, which stays inert. Null only when out of memory.
SkinImageNode* SkinAddImage(HWND owner, int resourceId, const char* typeName, int x, int y, int width,
                            int height, int visible);
// The first placement with a picture for that owner and id, or null.
SkinImageNode* SkinFindImage(HWND owner, int resourceId);
// Sets the flag of every placement with a picture and that id on that owner
// (a null owner: on every owner). Nothing is repainted; the caller invalidates.
void SkinSetVisible(HWND owner, int resourceId, int visible);
void SkinShowImage(int resourceId);
void SkinHideImage(int resourceId);
// Draws the owner's visible placements in list order, later ones on top.
// Placements keep their 96-DPI positions and sizes; at another scale (see
// SkinSetDpi) each lands where the layout's rounding rule puts it, drawn from
// the 200 % pictures: pixel for pixel at 192 DPI, area-averaged in between.
// A control-owned picture fills its control.
void SkinPaint(HWND owner, HDC dc);
// The scale SkinPaint draws at (96: the 100 % pictures exactly as decoded).
// A change frees every picture resampled for the previous scale.
void SkinSetDpi(int dpi);
int SkinDpi();
// Pictures resampled for the current scale and still held (GDI bitmaps).
size_t SkinScaledCount();
// Number of entries in the placement list, inert ones included.
size_t SkinImageCount();
// Frees every placement and picture; the main window thread must have ended.
void SkinRelease();

// Registers the main window's placements in their fixed order with positions
// from the layout record. Rows whose control does not exist, and rows needing
// the record when there is none, are skipped. Returns how many were registered.
int SkinRegisterMainWindow(HWND dialog, const LayoutRecord* layout);
