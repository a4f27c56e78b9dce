// The picture store, its painting and the image controls, against the
// program's own "BINARY" resources (the test program embeds the client's
// resource script).
#include "ui/image_controls_win.h"
#include "ui/skin_win.h"

#include <gtest/gtest.h>
#include <olectl.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "base/app_state.h"
#include "screen_win.h"
#include "ui/control_ids.h"
#include "ui/layout.h"
#include "ui/skin_registration.h"

#ifndef ZEPHAL_SOURCE_DIR
#error "ZEPHAL_SOURCE_DIR must name the source tree, for resources/art/pictures.tsv"
#endif

namespace {

// --- the picture table ------------------------------------------------------

struct ListedPicture {
  int id;
  std::string file;
  int width;
  int height;
};

// A Linux path such as /work/main is reachable under Wine as Z:\work\main.
std::string SourcePath(const std::string& relative) {
  std::string path = ZEPHAL_SOURCE_DIR;
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  path += "/" + relative;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

std::vector<ListedPicture> ReadPictureTable() {
  std::vector<ListedPicture> rows;
  std::ifstream in(SourcePath("resources/art/pictures.tsv"), std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    ListedPicture row{};
    std::string id, width, height;
    if (!std::getline(fields, id, '\t') || !std::getline(fields, row.file, '\t') ||
        !std::getline(fields, width, '\t') || !std::getline(fields, height, '\t'))
      continue;
    row.id = std::atoi(id.c_str());
    row.width = std::atoi(width.c_str());
    row.height = std::atoi(height.c_str());
    rows.push_back(row);
  }
  return rows;
}

// --- a 32-bit canvas whose pixels can be read back --------------------------


int Distance(const Rgb& a, const Rgb& b) { return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b); }

constexpr Rgb kMagenta{255, 0, 255};
bool IsGreen(const Rgb& c) { return c.g > c.r + 40 && c.g > c.b + 20; }
bool IsBlue(const Rgb& c) { return c.b > c.r + 60 && c.b > c.g + 20; }
bool IsUntouched(const Rgb& c) { return Distance(c, kMagenta) == 0; }

// A canvas filled with magenta, so what painting left untouched shows.
class Canvas {
 public:
  Canvas(int width, int height) : dib_(width, height), width_(width), height_(height) { Fill(kMagenta); }

  bool ok() const { return dib_.dc() && dib_.bits(); }
  HDC dc() const { return dib_.dc(); }
  void Fill(const Rgb& c) {
    if (!dib_.bits()) return;
    GdiFlush();
    const uint32_t value = static_cast<uint32_t>(c.r) << 16 | static_cast<uint32_t>(c.g) << 8 | c.b;
    for (int i = 0; i < width_ * height_; ++i) dib_.bits()[i] = value;
  }
  Rgb At(int x, int y) const {
    GdiFlush();
    const uint32_t v = dib_.bits()[y * width_ + x];
    return {static_cast<int>(v >> 16 & 0xFF), static_cast<int>(v >> 8 & 0xFF), static_cast<int>(v & 0xFF)};
  }
  bool AllUntouched() const {
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) {
        if (!IsUntouched(At(x, y))) return false;
      }
    }
    return true;
  }

 private:
  DibCanvas dib_;
  int width_;
  int height_;
};

// --- stand-ins for system calls, through the program's import table --------

// The program's import-table slot of dll!function, or null.
void** FindImportSlot(const char* dll, const char* function) {
  auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (!imports.VirtualAddress) return nullptr;
  for (auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); entry->Name;
       ++entry) {
    if (lstrcmpiA(reinterpret_cast<const char*>(base + entry->Name), dll) != 0) continue;
    const DWORD namesAt = entry->OriginalFirstThunk ? entry->OriginalFirstThunk : entry->FirstThunk;
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + namesAt);
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
    for (; names->u1.AddressOfData; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0)
        return reinterpret_cast<void**>(&slots->u1.Function);
    }
  }
  return nullptr;
}

// While alive, the program's calls of dll!function go to the replacement; the
// replaced function stays reachable through *original.
class ImportPatch {
 public:
  template <typename Fn>
  ImportPatch(const char* dll, const char* function, Fn replacement, Fn* original)
      : slot_(FindImportSlot(dll, function)) {
    if (!slot_) return;
    saved_ = *slot_;
    *original = reinterpret_cast<Fn>(saved_);
    Write(reinterpret_cast<void*>(replacement));
  }
  ~ImportPatch() {
    if (slot_) Write(saved_);
  }
  ImportPatch(const ImportPatch&) = delete;
  ImportPatch& operator=(const ImportPatch&) = delete;
  bool ok() const { return slot_ != nullptr; }

 private:
  void Write(void* value) {
    DWORD old = 0;
    VirtualProtect(slot_, sizeof *slot_, PAGE_READWRITE, &old);
    *slot_ = value;
    VirtualProtect(slot_, sizeof *slot_, old, &old);
  }
  void** slot_;
  void* saved_ = nullptr;
};

// A display with unequal horizontal and vertical DPI.
decltype(&GetDeviceCaps) realDeviceCaps = nullptr;
int fakeDpiX = 96;
int fakeDpiY = 96;
int WINAPI FakeDeviceCaps(HDC dc, int index) {
  if (index == LOGPIXELSX) return fakeDpiX;
  if (index == LOGPIXELSY) return fakeDpiY;
  return realDeviceCaps(dc, index);
}

// Memory blocks and streams, to see that each one is given back.
decltype(&GlobalAlloc) realGlobalAlloc = nullptr;
decltype(&GlobalFree) realGlobalFree = nullptr;
decltype(&CreateStreamOnHGlobal) realCreateStream = nullptr;
decltype(&OleLoadPicture) realOleLoadPicture = nullptr;
std::vector<HGLOBAL> blocksAllocated;
std::vector<HGLOBAL> blocksFreed;
std::vector<IStream*> streamsCreated;  // each with one reference of the test's own
std::vector<BOOL> streamDeleteFlags;
std::vector<IPicture*> picturesLoaded;  // each with one reference of the test's own

HGLOBAL WINAPI CountingGlobalAlloc(UINT flags, SIZE_T bytes) {
  HGLOBAL block = realGlobalAlloc(flags, bytes);
  blocksAllocated.push_back(block);
  return block;
}
HGLOBAL WINAPI CountingGlobalFree(HGLOBAL block) {
  blocksFreed.push_back(block);
  return realGlobalFree(block);
}
HRESULT WINAPI KeepingCreateStream(HGLOBAL block, BOOL deleteOnRelease, IStream** stream) {
  const HRESULT result = realCreateStream(block, deleteOnRelease, stream);
  streamDeleteFlags.push_back(deleteOnRelease);
  if (SUCCEEDED(result) && stream && *stream) {
    (*stream)->AddRef();
    streamsCreated.push_back(*stream);
  }
  return result;
}
HRESULT WINAPI KeepingOleLoadPicture(IStream* stream, LONG size, BOOL runMode, REFIID iid, void** out) {
  const HRESULT result = realOleLoadPicture(stream, size, runMode, iid, out);
  if (SUCCEEDED(result) && out && *out && IsEqualIID(iid, IID_IPicture)) {
    auto* picture = static_cast<IPicture*>(*out);
    picture->AddRef();
    picturesLoaded.push_back(picture);
  }
  return result;
}

// Watches the memory blocks, streams and picture objects of picture loading.
class LoadWatch {
 public:
  LoadWatch()
      : alloc_("kernel32.dll", "GlobalAlloc", &CountingGlobalAlloc, &realGlobalAlloc),
        free_("kernel32.dll", "GlobalFree", &CountingGlobalFree, &realGlobalFree),
        stream_("ole32.dll", "CreateStreamOnHGlobal", &KeepingCreateStream, &realCreateStream),
        picture_("oleaut32.dll", "OleLoadPicture", &KeepingOleLoadPicture, &realOleLoadPicture) {
    blocksAllocated.clear();
    blocksFreed.clear();
    streamsCreated.clear();
    streamDeleteFlags.clear();
    picturesLoaded.clear();
  }
  ~LoadWatch() {
    // Whatever the code under test kept, the test's own references go.
    for (IStream* stream : streamsCreated) stream->Release();
    for (IPicture* picture : picturesLoaded) picture->Release();
  }
  LoadWatch(const LoadWatch&) = delete;
  LoadWatch& operator=(const LoadWatch&) = delete;
  bool ok() const { return alloc_.ok() && free_.ok() && stream_.ok() && picture_.ok(); }

  // Each block allocated was freed once.
  ::testing::AssertionResult BlocksFreed() const {
    std::multiset<HGLOBAL> allocated(blocksAllocated.begin(), blocksAllocated.end());
    std::multiset<HGLOBAL> freed(blocksFreed.begin(), blocksFreed.end());
    if (allocated == freed) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << blocksAllocated.size() << " blocks allocated, " << blocksFreed.size()
                                         << " freed";
  }
  // Only the test's own reference was left on every stream: the code released its own.
  ::testing::AssertionResult StreamsReleased() { return DropOwnReferences(&streamsCreated, "stream"); }
  // Likewise for the picture objects.
  ::testing::AssertionResult PicturesReleased() { return DropOwnReferences(&picturesLoaded, "picture object"); }

 private:
  template <typename Interface>
  static ::testing::AssertionResult DropOwnReferences(std::vector<Interface*>* objects, const char* what) {
    ULONG worst = 0;
    for (Interface* object : *objects) {
      const ULONG left = object->Release();
      if (left > worst) worst = left;
    }
    objects->clear();
    if (worst == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "a " << what << " still has " << worst << " references";
  }

  ImportPatch alloc_;
  ImportPatch free_;
  ImportPatch stream_;
  ImportPatch picture_;
};

// --- windows ----------------------------------------------------------------

struct Notification {
  int id;
  int code;
};
std::vector<Notification> notifications;

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND) notifications.push_back({LOWORD(wParam), HIWORD(wParam)});
  return DefWindowProcA(window, message, wParam, lParam);
}

const char* ParentClass() {
  static const char* name = [] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = ParentProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = "ZephalSkinTestParent";
    RegisterClassA(&wc);
    return wc.lpszClassName;
  }();
  return name;
}

HWND MakeOwner() {
  return CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, GetModuleHandleA(nullptr),
                         nullptr);
}

// The picture controls of the main dialog, each sized to its picture.
struct ControlPlace {
  int id;
  int x, y, width, height;
};
constexpr ControlPlace kControls[] = {
    {IDC_PROGRESS, 11, 246, 63, 9},        {IDC_CONNECT, 387, 265, 81, 24},
    {IDC_CANCEL, 300, 265, 81, 24},        {IDC_DISCONNECT, 210, 265, 81, 24},
    {IDC_SAVE_LOGIN_LABEL, 153, 223, 84, 14}, {IDC_SAVE_PASSWORD_LABEL, 273, 223, 84, 14},
    {IDC_AUTORUN_LABEL, 76, 111, 131, 14}, {IDC_AUTO_LOGIN_LABEL, 76, 143, 356, 14},
    {IDC_IMPORTANT_ONLY_LABEL, 76, 175, 126, 14}, {IDC_WRITE_LOG_LABEL, 76, 207, 352, 14},
    {IDC_ABOUT_PANEL, 40, 90, 300, 150},   {IDC_REGISTER, 272, 146, 61, 20},
    {IDC_SUPPORT, 28, 263, 163, 19},
};

class SkinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SkinRelease();
    SkinInit(GetModuleHandleA(nullptr));
    ResetAppState();
    notifications.clear();
  }
  void TearDown() override {
    SkinRelease();
    for (HWND window : windows_) DestroyWindow(window);
    appState.layout = FreeLayoutRecord(appState.layout);
  }
  HWND Owner() {
    HWND window = MakeOwner();
    if (!window) ADD_FAILURE() << "no owner window: " << GetLastError();
    windows_.push_back(window);
    return window;
  }
  // A visible 500 × 300 window with the thirteen picture controls, unless bare.
  HWND Dialog(bool withControls = true) {
    HWND dialog = CreateWindowExA(0, ParentClass(), "skin test", WS_POPUP | WS_VISIBLE, 0, 0, kMainWindowWidth,
                                  kMainWindowHeight, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!dialog) ADD_FAILURE() << "no dialog window: " << GetLastError();
    windows_.push_back(dialog);
    if (withControls) {
      for (const ControlPlace& c : kControls) {
        CreateWindowExA(0, "STATIC", "static text", WS_CHILD | WS_VISIBLE | SS_NOTIFY, c.x, c.y, c.width, c.height,
                        dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), GetModuleHandleA(nullptr),
                        nullptr);
      }
    }
    return dialog;
  }
  std::vector<HWND> windows_;
};

HCURSOR Hand() { return LoadCursor(nullptr, IDC_HAND); }
HCURSOR Arrow() { return LoadCursor(nullptr, IDC_ARROW); }

// The cursor a control chooses when the pointer is over it.
HCURSOR CursorOf(HWND control) {
  SetCursor(nullptr);
  SendMessageA(control, WM_SETCURSOR, reinterpret_cast<WPARAM>(control), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  return GetCursor();
}

}  // namespace

// --- loading ------------------------------------------------------------------

TEST_F(SkinTest, EveryListedPictureLoadsAtItsListedSize) {
  HDC screen = GetDC(nullptr);
  const int dpiX = GetDeviceCaps(screen, LOGPIXELSX);
  const int dpiY = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  ASSERT_EQ(dpiX, 96) << "the listed sizes are pixels at 96 dpi";
  ASSERT_EQ(dpiY, 96);

  const std::vector<ListedPicture> table = ReadPictureTable();
  ASSERT_EQ(table.size(), 37u) << "read from " << SourcePath("resources/art/pictures.tsv");
  for (const ListedPicture& row : table) {
    SCOPED_TRACE(row.file);
    SkinPicture* picture = SkinGetPicture(nullptr, row.id, kSkinResourceType);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->resourceId, row.id);
    EXPECT_NE(picture->picture, nullptr);
    EXPECT_EQ(picture->width, row.width);
    EXPECT_EQ(picture->height, row.height);
    EXPECT_GT(picture->himetricWidth, 0);
    EXPECT_GT(picture->himetricHeight, 0);
  }
}

// The icon files are put together by hand (bitmaps for 16 and 32 px, PNG for
// 48 and 64): each entry must decode by itself at its own size, not only be
// stood in for by a scaled neighbour.
TEST_F(SkinTest, EveryIconImageDecodesAtItsOwnSize) {
  HMODULE module = GetModuleHandleA(nullptr);
  for (int group = 1000; group <= 1003; ++group) {
    HRSRC groupInfo = FindResourceA(module, MAKEINTRESOURCEA(group), MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
    ASSERT_NE(groupInfo, nullptr) << group;
    auto* directory = static_cast<BYTE*>(LockResource(LoadResource(module, groupInfo)));
    for (int size : {16, 32, 48, 64}) {
      SCOPED_TRACE(std::to_string(group) + " at " + std::to_string(size) + " px");
      const int id = LookupIconIdFromDirectoryEx(directory, TRUE, size, size, LR_DEFAULTCOLOR);
      HRSRC imageInfo = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(3));  // RT_ICON
      ASSERT_NE(imageInfo, nullptr);
      auto* bits = static_cast<BYTE*>(LockResource(LoadResource(module, imageInfo)));
      HICON icon = CreateIconFromResourceEx(bits, SizeofResource(module, imageInfo), TRUE, 0x00030000, 0, 0,
                                            LR_DEFAULTCOLOR);
      ASSERT_NE(icon, nullptr);
      ICONINFO info{};
      ASSERT_TRUE(GetIconInfo(icon, &info));
      BITMAP colour{};
      GetObjectA(info.hbmColor, sizeof colour, &colour);
      EXPECT_EQ(colour.bmWidth, size);
      EXPECT_EQ(colour.bmHeight, size);
      EXPECT_EQ(colour.bmBitsPixel, 32);
      DeleteObject(info.hbmColor);
      DeleteObject(info.hbmMask);
      DestroyIcon(icon);
    }
  }
}

TEST_F(SkinTest, TheRegistrationListUsesExactlyTheListedPictures) {
  std::set<int> listed;
  for (const ListedPicture& row : ReadPictureTable()) listed.insert(row.id);
  std::set<int> registered;
  for (const SkinRegistration& row : kSkinRegistrations) registered.insert(row.resourceId);
  EXPECT_EQ(listed, registered);
}

TEST_F(SkinTest, EachResourceIsDecodedOnce) {
  SkinPicture* first = SkinGetPicture(nullptr, 1116, kSkinResourceType);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(SkinGetPicture(nullptr, 1116, kSkinResourceType), first);
  HWND a = Owner();
  HWND b = Owner();
  SkinImageNode* onA = SkinAddImage(a, 1116, kSkinResourceType, 0, 0, 0, 0, 1);
  SkinImageNode* onB = SkinAddImage(b, 1116, kSkinResourceType, 5, 5, 0, 0, 1);
  ASSERT_NE(onA, nullptr);
  ASSERT_NE(onB, nullptr);
  EXPECT_NE(onA, onB);
  EXPECT_EQ(onA->picture, first);
  EXPECT_EQ(onB->picture, first);
}

TEST_F(SkinTest, LoadPictureDecodesAFreshPictureEachTime) {
  SkinPicture* one = SkinLoadPicture(nullptr, 1124, kSkinResourceType);
  SkinPicture* two = SkinLoadPicture(nullptr, 1124, kSkinResourceType);
  ASSERT_NE(one, nullptr);
  ASSERT_NE(two, nullptr);
  EXPECT_NE(one, two);
  EXPECT_EQ(one->width, 63);
  EXPECT_EQ(one->height, 9);
  SkinFreePicture(one);
  SkinFreePicture(two);
  EXPECT_EQ(SkinLoadPicture(nullptr, 1101, kSkinResourceType), nullptr);  // no such resource
  EXPECT_EQ(SkinLoadPicture(nullptr, 1116, "GIF"), nullptr);              // wrong type name
  EXPECT_EQ(SkinLoadPicture(nullptr, 1116, nullptr), nullptr);
}

TEST_F(SkinTest, WidthFollowsHorizontalAndHeightVerticalDpi) {
  fakeDpiX = 96;
  fakeDpiY = 192;
  ImportPatch dpi("gdi32.dll", "GetDeviceCaps", &FakeDeviceCaps, &realDeviceCaps);
  ASSERT_TRUE(dpi.ok()) << "no import of gdi32!GetDeviceCaps to replace";
  SkinPicture* picture = SkinLoadPicture(nullptr, 1116, kSkinResourceType);
  ASSERT_NE(picture, nullptr);
  // 81 × 24 pixels at 96 dpi, as the picture object reports them.
  EXPECT_EQ(picture->himetricWidth, 2143);
  EXPECT_EQ(picture->himetricHeight, 635);
  EXPECT_EQ(picture->width, 81);
  EXPECT_EQ(picture->height, 48);
  SkinFreePicture(picture);

  fakeDpiX = 192;
  fakeDpiY = 96;
  picture = SkinLoadPicture(nullptr, 1116, kSkinResourceType);
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->width, 162);
  EXPECT_EQ(picture->height, 24);
  SkinFreePicture(picture);
}

TEST_F(SkinTest, LoadingGivesBackItsMemoryAndStream) {
  LoadWatch watch;
  ASSERT_TRUE(watch.ok()) << "imports to watch not found";
  SkinPicture* picture = SkinLoadPicture(nullptr, 1100, kSkinResourceType);
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(blocksAllocated.size(), 1u);
  EXPECT_TRUE(watch.BlocksFreed());
  // The block is freed by the loader itself, not by the stream.
  EXPECT_EQ(streamDeleteFlags, std::vector<BOOL>{FALSE});
  EXPECT_TRUE(watch.StreamsReleased());
  ASSERT_EQ(picturesLoaded.size(), 1u);
  EXPECT_EQ(picturesLoaded[0], picture->picture);
  SkinFreePicture(picture);
  EXPECT_TRUE(watch.PicturesReleased());
}

TEST_F(SkinTest, AResourceThatDoesNotDecodeGivesBackItsMemoryAndStream) {
  LoadWatch watch;
  ASSERT_TRUE(watch.ok()) << "imports to watch not found";
  // The version resource exists but is no picture.
  EXPECT_EQ(SkinLoadPicture(nullptr, VS_VERSION_INFO, RT_VERSION), nullptr);
  EXPECT_EQ(blocksAllocated.size(), 1u);
  EXPECT_TRUE(watch.BlocksFreed());
  EXPECT_EQ(streamsCreated.size(), 1u);
  EXPECT_TRUE(watch.StreamsReleased());
  EXPECT_TRUE(picturesLoaded.empty());
  // A missing resource never gets as far as memory.
  EXPECT_EQ(SkinLoadPicture(nullptr, 1101, kSkinResourceType), nullptr);
  EXPECT_EQ(blocksAllocated.size(), 1u);
}

TEST_F(SkinTest, ReleaseGivesBackEveryPictureObject) {
  LoadWatch watch;
  ASSERT_TRUE(watch.ok()) << "imports to watch not found";
  HWND a = Owner();
  HWND b = Owner();
  ASSERT_NE(SkinAddImage(a, 1100, kSkinResourceType, 0, 0, 0, 0, 1), nullptr);
  ASSERT_NE(SkinAddImage(b, 1100, kSkinResourceType, 0, 0, 0, 0, 1), nullptr);
  ASSERT_NE(SkinAddImage(a, 1124, kSkinResourceType, 0, 0, 0, 0, 1), nullptr);
  EXPECT_EQ(picturesLoaded.size(), 2u);  // decoded once per resource
  EXPECT_TRUE(watch.BlocksFreed());
  SkinRelease();
  EXPECT_TRUE(watch.PicturesReleased());
}

// --- placements ---------------------------------------------------------------

TEST_F(SkinTest, SecondRegistrationReturnsTheSameNodeAndChangesNothing) {
  HWND owner = Owner();
  SkinImageNode* first = SkinAddImage(owner, 1116, kSkinResourceType, 1, 2, 3, 4, 0);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(first->picture, nullptr);
  ASSERT_NE(first->image, nullptr);
  SkinImageNode* again = SkinAddImage(owner, 1116, kSkinResourceType, 9, 8, 7, 6, 1);
  EXPECT_EQ(again, first);
  EXPECT_EQ(SkinImageCount(), 1u);
  const SkinImage& image = *first->image;
  EXPECT_EQ(image.owner, owner);
  EXPECT_EQ(image.resourceId, 1116);
  EXPECT_EQ(image.visible, 0);
  EXPECT_STREQ(image.typeName, "BINARY");
  EXPECT_EQ(image.x, 1);
  EXPECT_EQ(image.y, 2);
  EXPECT_EQ(image.width, 3);
  EXPECT_EQ(image.height, 4);
  EXPECT_EQ(SkinFindImage(owner, 1116), first);
}

TEST_F(SkinTest, AMissingPictureLeavesAnInertEntry) {
  HWND owner = Owner();
  SkinImageNode* node = SkinAddImage(owner, 1101, kSkinResourceType, 0, 0, 0, 0, 0);
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(node->picture, nullptr);
  ASSERT_NE(node->image, nullptr);
  EXPECT_EQ(node->image->resourceId, 1101);
  EXPECT_EQ(SkinImageCount(), 1u);
  EXPECT_EQ(SkinFindImage(owner, 1101), nullptr);

  SkinShowImage(1101);
  EXPECT_EQ(node->image->visible, 0);
  SkinSetVisible(owner, 1101, 1);
  EXPECT_EQ(node->image->visible, 0);

  // Registering it again tries the load again, in an entry of its own.
  SkinImageNode* retry = SkinAddImage(owner, 1101, kSkinResourceType, 0, 0, 0, 0, 1);
  ASSERT_NE(retry, nullptr);
  EXPECT_NE(retry, node);
  EXPECT_EQ(retry->picture, nullptr);
  EXPECT_EQ(SkinImageCount(), 2u);

  // Even registered as visible it draws nothing.
  Canvas canvas(100, 40);
  ASSERT_TRUE(canvas.ok());
  SkinPaint(owner, canvas.dc());
  EXPECT_TRUE(canvas.AllUntouched());
}

TEST_F(SkinTest, AWrongTypeNameIsAMissingPicture) {
  HWND owner = Owner();
  SkinImageNode* node = SkinAddImage(owner, 1116, "GIF", 0, 0, 0, 0, 1);
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(node->picture, nullptr);
  EXPECT_STREQ(node->image->typeName, "GIF");
  EXPECT_EQ(SkinFindImage(owner, 1116), nullptr);
  // The right type name afterwards finds the resource.
  SkinImageNode* right = SkinAddImage(owner, 1116, kSkinResourceType, 0, 0, 0, 0, 1);
  ASSERT_NE(right, nullptr);
  EXPECT_NE(right->picture, nullptr);
  EXPECT_EQ(SkinFindImage(owner, 1116), right);
}

TEST_F(SkinTest, ALongTypeNameIsCutToTheField) {
  const std::string longName(60, 'T');
  SkinImageNode* node = SkinAddImage(Owner(), 1116, longName.c_str(), 0, 0, 0, 0, 1);
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(std::strlen(node->image->typeName), sizeof node->image->typeName - 1);
}

TEST_F(SkinTest, VisibilityFollowsOwnerAndId) {
  HWND a = Owner();
  HWND b = Owner();
  SkinImageNode* onA = SkinAddImage(a, 1135, kSkinResourceType, 0, 0, 0, 0, 0);
  SkinImageNode* onB = SkinAddImage(b, 1135, kSkinResourceType, 0, 0, 0, 0, 0);
  SkinImageNode* other = SkinAddImage(a, 1136, kSkinResourceType, 0, 0, 0, 0, 0);
  ASSERT_TRUE(onA && onB && other);
  SkinSetVisible(b, 1135, 1);
  EXPECT_EQ(onA->image->visible, 0);
  EXPECT_EQ(onB->image->visible, 1);
  SkinShowImage(1135);
  EXPECT_EQ(onA->image->visible, 1);
  EXPECT_EQ(other->image->visible, 0);
  SkinHideImage(1135);
  EXPECT_EQ(onA->image->visible, 0);
  EXPECT_EQ(onB->image->visible, 0);
  SkinShowImage(1141);  // no placement at all
  EXPECT_EQ(SkinImageCount(), 3u);
}

TEST_F(SkinTest, ReleaseEmptiesTheStore) {
  HWND owner = Owner();
  ASSERT_NE(SkinAddImage(owner, 1116, kSkinResourceType, 0, 0, 0, 0, 1), nullptr);
  SkinRelease();
  EXPECT_EQ(SkinImageCount(), 0u);
  EXPECT_EQ(SkinFindImage(owner, 1116), nullptr);
  SkinRelease();  // twice is harmless
  SkinInit(GetModuleHandleA(nullptr));
  SkinImageNode* again = SkinAddImage(owner, 1116, kSkinResourceType, 0, 0, 0, 0, 1);
  ASSERT_NE(again, nullptr);
  EXPECT_NE(again->picture, nullptr);
  EXPECT_EQ(SkinImageCount(), 1u);
}

// --- painting -----------------------------------------------------------------

TEST_F(SkinTest, PaintDrawsVisiblePlacementsOnly) {
  HWND owner = Owner();
  ASSERT_NE(SkinAddImage(owner, 1116, kSkinResourceType, 10, 10, 0, 0, 1), nullptr);
  ASSERT_NE(SkinAddImage(owner, 1124, kSkinResourceType, 10, 50, 0, 0, 0), nullptr);
  Canvas canvas(200, 100);
  ASSERT_TRUE(canvas.ok());
  SkinPaint(owner, canvas.dc());
  EXPECT_TRUE(IsGreen(canvas.At(18, 22))) << canvas.At(18, 22);  // the pill, left of its text
  EXPECT_TRUE(IsGreen(canvas.At(82, 22))) << canvas.At(82, 22);
  EXPECT_TRUE(IsUntouched(canvas.At(9, 22)));    // left of the pill
  EXPECT_TRUE(IsUntouched(canvas.At(40, 54)));   // the hidden slider
  EXPECT_TRUE(IsUntouched(canvas.At(92, 22)));   // right of the pill

  SkinShowImage(1124);
  canvas.Fill(kMagenta);
  SkinPaint(owner, canvas.dc());
  EXPECT_TRUE(IsBlue(canvas.At(40, 54))) << canvas.At(40, 54);

  // Only a flag of exactly 1 draws.
  SkinSetVisible(owner, 1116, 2);
  SkinHideImage(1124);
  canvas.Fill(kMagenta);
  SkinPaint(owner, canvas.dc());
  EXPECT_TRUE(canvas.AllUntouched());
}

TEST_F(SkinTest, PaintDrawsOnlyTheOwnersPlacements) {
  HWND a = Owner();
  HWND b = Owner();
  ASSERT_NE(SkinAddImage(b, 1116, kSkinResourceType, 0, 0, 0, 0, 1), nullptr);
  Canvas canvas(100, 40);
  ASSERT_TRUE(canvas.ok());
  SkinPaint(a, canvas.dc());
  EXPECT_TRUE(canvas.AllUntouched());
  SkinPaint(b, canvas.dc());
  EXPECT_TRUE(IsGreen(canvas.At(8, 12)));
}

TEST_F(SkinTest, LaterPlacementIsDrawnOverEarlierOne) {
  HWND pillFirst = Owner();
  HWND sliderFirst = Owner();
  // The slider at 5,5 overlaps the pill's green body around 20,8.
  ASSERT_NE(SkinAddImage(pillFirst, 1116, kSkinResourceType, 0, 0, 0, 0, 1), nullptr);
  ASSERT_NE(SkinAddImage(pillFirst, 1124, kSkinResourceType, 5, 5, 0, 0, 1), nullptr);
  ASSERT_NE(SkinAddImage(sliderFirst, 1124, kSkinResourceType, 5, 5, 0, 0, 1), nullptr);
  ASSERT_NE(SkinAddImage(sliderFirst, 1116, kSkinResourceType, 0, 0, 0, 0, 1), nullptr);
  Canvas canvas(100, 40);
  ASSERT_TRUE(canvas.ok());
  SkinPaint(pillFirst, canvas.dc());
  EXPECT_TRUE(IsBlue(canvas.At(20, 8))) << canvas.At(20, 8);
  EXPECT_TRUE(IsGreen(canvas.At(8, 18))) << canvas.At(8, 18);  // the pill outside the slider
  canvas.Fill(kMagenta);
  SkinPaint(sliderFirst, canvas.dc());
  EXPECT_TRUE(IsGreen(canvas.At(20, 8))) << canvas.At(20, 8);
}

TEST_F(SkinTest, ZeroSizeDrawsTheOwnSizeAndOtherSizesStretch) {
  HWND own = Owner();
  HWND stretched = Owner();
  ASSERT_NE(SkinAddImage(own, 1124, kSkinResourceType, 0, 0, 0, 0, 1), nullptr);  // 63 × 9
  ASSERT_NE(SkinAddImage(stretched, 1124, kSkinResourceType, 0, 0, 126, 18, 1), nullptr);
  Canvas canvas(160, 40);
  ASSERT_TRUE(canvas.ok());
  SkinPaint(own, canvas.dc());
  EXPECT_TRUE(IsBlue(canvas.At(58, 4))) << canvas.At(58, 4);
  EXPECT_TRUE(IsUntouched(canvas.At(64, 4)));
  EXPECT_TRUE(IsUntouched(canvas.At(30, 10)));
  EXPECT_TRUE(IsUntouched(canvas.At(120, 9)));
  canvas.Fill(kMagenta);
  SkinPaint(stretched, canvas.dc());
  EXPECT_TRUE(IsBlue(canvas.At(30, 14))) << canvas.At(30, 14);
  EXPECT_TRUE(IsBlue(canvas.At(118, 9))) << canvas.At(118, 9);
  EXPECT_TRUE(IsUntouched(canvas.At(127, 9)));
  EXPECT_TRUE(IsUntouched(canvas.At(30, 19)));
}

// The background drawn through the store: upright, and its title-bar marks and
// toolbar icons inside the layout's zones.
class BackgroundTest : public SkinTest {
 protected:
  void SetUp() override {
    SkinTest::SetUp();
    layout_ = CreateLayoutRecord(nullptr);
    ASSERT_NE(layout_, nullptr);
    HWND owner = Owner();
    ASSERT_NE(SkinAddImage(owner, 1100, kSkinResourceType, 0, 0, 0, 0, 1), nullptr);
    ASSERT_TRUE(canvas_.ok());
    SkinPaint(owner, canvas_.dc());
  }
  void TearDown() override {
    FreeLayoutRecord(layout_);
    SkinTest::TearDown();
  }
  bool InZone(const LayoutRect& zone, int x, int y) const { return PointInLayoutRect(zone, x, y); }
  LayoutRecord* layout_ = nullptr;
  Canvas canvas_{kMainWindowWidth, kMainWindowHeight};
};

TEST_F(BackgroundTest, FillsTheWindowUpright) {
  for (int x : {0, 499}) {
    for (int y : {0, 299}) EXPECT_FALSE(IsUntouched(canvas_.At(x, y))) << x << "," << y;
  }
  const Rgb header = canvas_.At(250, 30);
  const Rgb content = canvas_.At(250, 150);
  EXPECT_TRUE(IsBlue(header)) << header;
  EXPECT_GT(content.r, 240) << content;
  EXPECT_GT(content.g, 240) << content;
  EXPECT_GT(content.b, 240) << content;
}

TEST_F(BackgroundTest, TitleBarMarksLieInTheirBoxes) {
  // The strip's own colour, sampled per row in the gap between the two marks.
  constexpr int kGapX = 476;
  constexpr int kThreshold = 60;
  int inClose = 0;
  int inMinimize = 0;
  int red = 0;
  for (int y = 1; y <= 24; ++y) {
    const Rgb strip = canvas_.At(kGapX, y);
    for (int x = 440; x <= 498; ++x) {  // row 0 and column 499 are the window's edge line
      const Rgb c = canvas_.At(x, y);
      if (c.r > c.b + 80 && c.r > c.g + 60) {
        ++red;
        EXPECT_TRUE(InZone(layout_->closeBox, x, y)) << "red of the close mark at " << x << "," << y;
      }
      if (Distance(c, strip) <= kThreshold) continue;
      if (InZone(layout_->closeBox, x, y)) {
        ++inClose;
      } else if (InZone(layout_->minimizeBox, x, y)) {
        ++inMinimize;
      } else {
        ADD_FAILURE() << "mark pixel " << c << " outside both boxes at " << x << "," << y;
      }
    }
  }
  // Each mark is a 15-pixel disc with its sign: well over 100 pixels apart from the strip.
  EXPECT_GT(red, 60);
  EXPECT_GT(inClose, 120);
  EXPECT_GT(inMinimize, 120);
}

TEST_F(BackgroundTest, ToolbarIconsLieInTheirZones) {
  const LayoutRect zones[] = {layout_->linkRegister, layout_->tabMain, layout_->tabSettings, layout_->tabAbout,
                              layout_->linkTopUp};
  const char* names[] = {"linkRegister", "tabMain", "tabSettings", "tabAbout", "linkTopUp"};
  constexpr int kGapX = 50;  // between the register and login zones: plain header gradient
  constexpr int kThreshold = 60;
  int counts[5] = {};
  // The band under the title strip, left of the banner; the header is a vertical
  // gradient, so one sample per row is its colour.
  for (int y = 26; y <= 76; ++y) {
    const Rgb band = canvas_.At(kGapX, y);
    for (int x = 1; x <= 235; ++x) {
      const Rgb c = canvas_.At(x, y);
      if (Distance(c, band) <= kThreshold) continue;
      bool placed = false;
      for (int i = 0; i < 5 && !placed; ++i) {
        if (InZone(zones[i], x, y)) {
          ++counts[i];
          placed = true;
        }
      }
      EXPECT_TRUE(placed) << "icon pixel " << c << " outside every zone at " << x << "," << y;
    }
  }
  for (int i = 0; i < 5; ++i) EXPECT_GT(counts[i], 200) << names[i];
}

// --- image controls -----------------------------------------------------------

TEST_F(SkinTest, SubclassingCoversTheThirteenControlsOnce) {
  HWND dialog = Dialog();
  EXPECT_EQ(SkinSubclassControls(dialog), 13);
  // A second pass must not chain the procedures to themselves.
  EXPECT_EQ(SkinSubclassControls(dialog), 0);
  EXPECT_EQ(CursorOf(GetDlgItem(dialog, IDC_CONNECT)), Hand());
  EXPECT_EQ(SkinSubclassControls(Dialog(false)), 0);
}

TEST_F(SkinTest, ImageControlsChooseTheirCursor) {
  HWND dialog = Dialog();
  ASSERT_EQ(SkinSubclassControls(dialog), 13);
  for (int id : {IDC_CONNECT, IDC_CANCEL, IDC_DISCONNECT, IDC_SAVE_LOGIN_LABEL, IDC_AUTORUN_LABEL,
                 IDC_IMPORTANT_ONLY_LABEL, IDC_WRITE_LOG_LABEL, IDC_REGISTER, IDC_SUPPORT}) {
    EXPECT_EQ(CursorOf(GetDlgItem(dialog, id)), Hand()) << id;
  }
  EXPECT_EQ(CursorOf(GetDlgItem(dialog, IDC_PROGRESS)), Arrow());

  HWND savePassword = GetDlgItem(dialog, IDC_SAVE_PASSWORD_LABEL);
  HWND autoLogin = GetDlgItem(dialog, IDC_AUTO_LOGIN_LABEL);
  EXPECT_EQ(CursorOf(savePassword), Arrow());
  EXPECT_EQ(CursorOf(autoLogin), Arrow());
  appState.rememberUser = 1;
  EXPECT_EQ(CursorOf(savePassword), Hand());
  EXPECT_EQ(CursorOf(autoLogin), Arrow());
  appState.rememberPassword = 1;
  EXPECT_EQ(CursorOf(autoLogin), Hand());
  appState.rememberUser = 0;
  EXPECT_EQ(CursorOf(savePassword), Arrow());
  EXPECT_EQ(CursorOf(autoLogin), Arrow());
}

TEST_F(SkinTest, ImageControlsKeepTheirStaticNotifications) {
  HWND dialog = Dialog();
  ASSERT_EQ(SkinSubclassControls(dialog), 13);
  for (int id : {IDC_CONNECT, IDC_AUTO_LOGIN_LABEL, IDC_PROGRESS}) {
    HWND control = GetDlgItem(dialog, id);
    SendMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  }
  std::vector<int> clicked;
  for (const Notification& n : notifications) {
    if (n.code == STN_CLICKED) clicked.push_back(n.id);
  }
  // The slider runs on DefWindowProc alone, so it reports nothing.
  EXPECT_EQ(clicked, (std::vector<int>{IDC_CONNECT, IDC_AUTO_LOGIN_LABEL}));
}

TEST_F(SkinTest, ImageControlsPaintTheirPicturesOverTheirOwnDrawing) {
  HWND dialog = Dialog();
  ASSERT_EQ(SkinSubclassControls(dialog), 13);
  HWND connect = GetDlgItem(dialog, IDC_CONNECT);
  HWND slider = GetDlgItem(dialog, IDC_PROGRESS);
  ASSERT_NE(SkinAddImage(connect, 1116, kSkinResourceType, 0, 0, 0, 0, 1), nullptr);
  ASSERT_NE(SkinAddImage(slider, 1124, kSkinResourceType, 0, 0, 0, 0, 1), nullptr);
  RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);

  auto pixel = [](HWND window, int x, int y) {
    HDC dc = GetDC(window);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return Rgb{GetRValue(c), GetGValue(c), GetBValue(c)};
  };
  // Left of the pill's caption, where the control's own text would be.
  EXPECT_TRUE(IsGreen(pixel(connect, 8, 12))) << pixel(connect, 8, 12);
  EXPECT_TRUE(IsGreen(pixel(connect, 4, 8))) << pixel(connect, 4, 8);
  EXPECT_TRUE(IsBlue(pixel(slider, 30, 4))) << pixel(slider, 30, 4);
}

TEST_F(SkinTest, AboutPanelShowsTheHandOverTheLinkOnly) {
  appState.layout = CreateLayoutRecord(nullptr);
  ASSERT_NE(appState.layout, nullptr);
  HWND dialog = Dialog();
  ASSERT_EQ(SkinSubclassControls(dialog), 13);
  HWND panel = GetDlgItem(dialog, IDC_ABOUT_PANEL);
  RECT rect;
  ASSERT_TRUE(GetWindowRect(panel, &rect));
  const LayoutRect& link = appState.layout->aboutLink;

  auto cursorAt = [&](int x, int y) {
    SetCursorPos(rect.left + x, rect.top + y);
    return CursorOf(panel);
  };
  EXPECT_EQ(cursorAt(link.x + 5, link.y + 5), Hand());
  EXPECT_EQ(cursorAt(link.x + link.width, link.y + link.height), Hand());  // far edges belong to it
  EXPECT_EQ(cursorAt(link.x - 1, link.y + 5), Arrow());
  EXPECT_EQ(cursorAt(link.x + 5, link.y + link.height + 1), Arrow());
  EXPECT_EQ(cursorAt(2, 2), Arrow());

  // Over another window the panel leaves the cursor alone.
  SetCursorPos(rect.left + link.x + 5, rect.top + link.y + 5);
  EXPECT_EQ(SendMessageA(panel, WM_SETCURSOR, reinterpret_cast<WPARAM>(dialog), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
            FALSE);
  // Other messages reach the panel's own procedure.
  SendMessageA(panel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  ASSERT_FALSE(notifications.empty());
  EXPECT_EQ(notifications.back().id, IDC_ABOUT_PANEL);
}

// --- the main window's registration ------------------------------------------

TEST_F(SkinTest, RegistrationPlacesEveryPictureOnItsOwner) {
  LayoutRecord* layout = CreateLayoutRecord(nullptr);
  ASSERT_NE(layout, nullptr);
  appState.layout = layout;
  HWND dialog = Dialog();
  EXPECT_EQ(SkinRegisterMainWindow(dialog, layout), 37);
  EXPECT_EQ(SkinImageCount(), 37u);
  for (const SkinRegistration& row : kSkinRegistrations) {
    HWND owner = row.owner == kSkinOwnerDialog ? dialog : GetDlgItem(dialog, row.owner);
    SkinImageNode* node = SkinFindImage(owner, row.resourceId);
    ASSERT_NE(node, nullptr) << row.resourceId;
    EXPECT_EQ(node->image->visible, row.visible) << row.resourceId;
    EXPECT_EQ(node->image->width, 0);
    EXPECT_EQ(node->image->height, 0);
    EXPECT_STREQ(node->image->typeName, "BINARY");
  }
  SkinImageNode* service = SkinFindImage(dialog, 1134);
  EXPECT_EQ(service->image->x, layout->serviceLabel.x);
  EXPECT_EQ(service->image->y, layout->serviceLabel.y);
  SkinImageNode* track = SkinFindImage(dialog, 1119);
  EXPECT_EQ(track->image->x, 10);
  EXPECT_EQ(track->image->y, 244);
  SkinImageNode* connect = SkinFindImage(GetDlgItem(dialog, IDC_CONNECT), 1116);
  EXPECT_EQ(connect->image->x, 0);
  EXPECT_EQ(connect->image->y, 0);

  // Registering again finds every placement and adds none.
  EXPECT_EQ(SkinRegisterMainWindow(dialog, layout), 37);
  EXPECT_EQ(SkinImageCount(), 37u);
}

TEST_F(SkinTest, RegistrationSkipsMissingControls) {
  LayoutRecord* layout = CreateLayoutRecord(nullptr);
  ASSERT_NE(layout, nullptr);
  appState.layout = layout;
  HWND bare = Dialog(false);
  EXPECT_EQ(SkinRegisterMainWindow(bare, layout), 25);  // the dialog's own pictures only
  EXPECT_EQ(SkinImageCount(), 25u);
  EXPECT_EQ(SkinRegisterMainWindow(nullptr, layout), 0);
}

TEST_F(SkinTest, RegistrationWithoutARecordKeepsOnlyUnplacedPictures) {
  HWND dialog = Dialog();
  EXPECT_EQ(SkinRegisterMainWindow(dialog, nullptr), 13);  // the background and the twelve control pictures
  EXPECT_NE(SkinFindImage(dialog, 1100), nullptr);
  EXPECT_EQ(SkinFindImage(dialog, 1134), nullptr);
}

TEST_F(SkinTest, TheRegisteredLoginFaceDrawsTheBackgroundUnderTheLabels) {
  LayoutRecord* layout = CreateLayoutRecord(nullptr);
  ASSERT_NE(layout, nullptr);
  appState.layout = layout;
  HWND dialog = Dialog();
  ASSERT_EQ(SkinRegisterMainWindow(dialog, layout), 37);
  Canvas canvas(kMainWindowWidth, kMainWindowHeight);
  ASSERT_TRUE(canvas.ok());
  SkinPaint(dialog, canvas.dc());
  // The track is hidden at first, so the content area stays white there.
  const Rgb track = canvas.At(200, 250);
  EXPECT_GT(track.r, 240) << track;
  SkinShowImage(1119);
  canvas.Fill(kMagenta);
  SkinPaint(dialog, canvas.dc());
  const Rgb shown = canvas.At(200, 250);
  EXPECT_LT(shown.r, 240) << shown;  // the light grey groove
  EXPECT_FALSE(IsUntouched(shown));
}
