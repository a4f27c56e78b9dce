#include "app/program_folder_win.h"

#include <cwchar>
#include <vector>

#include "base/report.h"

namespace {

using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);

// An owner for a handle opened only to ask which file it is.
struct FileIdentity {
  bool known = false;
  BY_HANDLE_FILE_INFORMATION info{};

  explicit FileIdentity(HANDLE file) {
    if (file == INVALID_HANDLE_VALUE) return;
    known = GetFileInformationByHandle(file, &info) != 0;
    CloseHandle(file);
  }
  bool Same(const FileIdentity& other) const {
    return known && other.known && info.dwVolumeSerialNumber == other.info.dwVolumeSerialNumber &&
           info.nFileIndexHigh == other.info.nFileIndexHigh && info.nFileIndexLow == other.info.nFileIndexLow;
  }
};

// A directory opens only with backup semantics; no access right is needed to ask its identity.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

FileIdentity ProgramFolderIdentity() {
  std::vector<wchar_t> path(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return FileIdentity(INVALID_HANDLE_VALUE);
    if (n < path.size()) break;
    path.resize(path.size() * 2);
  }
  wchar_t* name = wcsrchr(path.data(), L'\\');
  if (name) name[1] = L'\0';
  return FileIdentity(CreateFileW(path.data(), 0, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                  nullptr));
}

}  // namespace

DllSearch LimitDllSearch() {
  const auto set = reinterpret_cast<SetDefaultDllDirectoriesFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
  if (set && set(LOAD_LIBRARY_SEARCH_SYSTEM32 | LOAD_LIBRARY_SEARCH_APPLICATION_DIR)) return DllSearch{true, 0};
  const DWORD error = set ? GetLastError() : ERROR_PROC_NOT_FOUND;
  SetDllDirectoryW(L"");
  return DllSearch{false, error};
}

void ReportDllSearch(const DllSearch& search) {
  if (search.limited)
    MsgBox(kReportDetail, "DIRS: DLLs load from System32 and the program's folder only");
  else
    MsgBox(kReportFailure, "DIRS: DLL search not limited (code=%lu); only the current directory left out",
           static_cast<unsigned long>(search.error));
}

bool IsProgramFolder(const wchar_t* folder) {
  const FileIdentity program = ProgramFolderIdentity();
  const FileIdentity other(CreateFileW(folder, 0, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                       nullptr));
  return program.Same(other);
}
