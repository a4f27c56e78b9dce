// Forced into every Win32 source of the counted build: the GDI and USER calls
// that create or free an object, and the message loops' GetMessage and
// PeekMessage, go through counting wrappers. Wine's GetGuiResources reports 0,
// so this is how the benchmark sees whether the client's objects grow.
#pragma once
#include <winsock2.h>
#include <windows.h>

HFONT ZephalCountedCreateFontA(int, int, int, int, int, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD,
                               LPCSTR);
HFONT ZephalCountedCreateFontIndirectA(const LOGFONTA*);
HBRUSH ZephalCountedCreateSolidBrush(COLORREF);
HPEN ZephalCountedCreatePen(int, int, COLORREF);
HDC ZephalCountedCreateCompatibleDC(HDC);
HBITMAP ZephalCountedCreateCompatibleBitmap(HDC, int, int);
HBITMAP ZephalCountedCreateDIBSection(HDC, const BITMAPINFO*, UINT, void**, HANDLE, DWORD);
HRGN ZephalCountedCreateRectRgn(int, int, int, int);
BOOL ZephalCountedDeleteObject(HGDIOBJ);
BOOL ZephalCountedDeleteDC(HDC);
HDC ZephalCountedGetDC(HWND);
HDC ZephalCountedGetWindowDC(HWND);
HDC ZephalCountedGetDCEx(HWND, HRGN, DWORD);
int ZephalCountedReleaseDC(HWND, HDC);
HMENU ZephalCountedCreatePopupMenu();
HMENU ZephalCountedCreateMenu();
BOOL ZephalCountedDestroyMenu(HMENU);
HANDLE ZephalCountedLoadImageA(HINSTANCE, LPCSTR, UINT, int, int, UINT);
HANDLE ZephalCountedCopyImage(HANDLE, UINT, int, int, UINT);
HICON ZephalCountedCreateIconIndirect(PICONINFO);
BOOL ZephalCountedDestroyIcon(HICON);
BOOL ZephalCountedDestroyCursor(HCURSOR);
HWND ZephalCountedCreateWindowExA(DWORD, LPCSTR, LPCSTR, DWORD, int, int, int, int, HWND, HMENU, HINSTANCE, LPVOID);
BOOL ZephalCountedDestroyWindow(HWND);
BOOL ZephalCountedGetMessageA(LPMSG, HWND, UINT, UINT);
BOOL ZephalCountedPeekMessageA(LPMSG, HWND, UINT, UINT, UINT);

#define CreateFontA ZephalCountedCreateFontA
#define CreateFontIndirectA ZephalCountedCreateFontIndirectA
#define CreateSolidBrush ZephalCountedCreateSolidBrush
#define CreatePen ZephalCountedCreatePen
#define CreateCompatibleDC ZephalCountedCreateCompatibleDC
#define CreateCompatibleBitmap ZephalCountedCreateCompatibleBitmap
#define CreateDIBSection ZephalCountedCreateDIBSection
#define CreateRectRgn ZephalCountedCreateRectRgn
#define DeleteObject ZephalCountedDeleteObject
#define DeleteDC ZephalCountedDeleteDC
#define GetDC ZephalCountedGetDC
#define GetWindowDC ZephalCountedGetWindowDC
#define GetDCEx ZephalCountedGetDCEx
#define ReleaseDC ZephalCountedReleaseDC
#define CreatePopupMenu ZephalCountedCreatePopupMenu
#define CreateMenu ZephalCountedCreateMenu
#define DestroyMenu ZephalCountedDestroyMenu
#define LoadImageA ZephalCountedLoadImageA
#define CopyImage ZephalCountedCopyImage
#define CreateIconIndirect ZephalCountedCreateIconIndirect
#define DestroyIcon ZephalCountedDestroyIcon
#define DestroyCursor ZephalCountedDestroyCursor
#define CreateWindowExA ZephalCountedCreateWindowExA
#define DestroyWindow ZephalCountedDestroyWindow
#define GetMessageA ZephalCountedGetMessageA
#define PeekMessageA ZephalCountedPeekMessageA
