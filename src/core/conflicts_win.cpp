#include "core/conflicts_win.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <string>

#include "base/app_state.h"
#include "base/gbk_text_win.h"
#include "base/report.h"
#include "base/top_calls.h"
#include "base/version.h"
#include "base/web_page_win.h"
#include "coreapi/core_api.h"

namespace {

constexpr UINT IDS_DOWNLOAD_PAGE = 1805;
constexpr UINT IDS_CONFLICT_CLOSABLE = 2821;
constexpr UINT IDS_CONFLICT_QUESTION = 2822;
constexpr UINT IDS_CONFLICT_UNCLOSABLE = 2823;
constexpr size_t kPageAddressSize = 101;  // at most 100 bytes and the terminator
constexpr char kUpgradeText[] = "ZEPHAL ACC需要升级才能使用";
constexpr char kUpdaterClass[] = "ZephalUpdater";
constexpr char kUpdaterTitle[] = "Zephal Acc Updater";
constexpr char kBrandTag[] = "KAVRO";

// Set from the upgrade box on, and kept once the updater has been started, so
// a second demand (on this thread after the box, or on another thread while
// it waits) does not start a second hand-over.
std::atomic<bool> upgrading{false};

void LogEntries(const char* format, const ConflictList& entries) {
  for (const ConflictEntry& entry : entries)
    MsgBox(kReportNote, format, ConflictName(entry).c_str(), static_cast<int>(entry.processId),
           ConflictProgram(entry).c_str());
}

// The client may be closed while a box waits; what the answer would start
// then has nothing left to act on.
bool ClientClosedMeanwhile() { return ShutdownBegun() || !IsWindow(appState.hwndControl); }

}  // namespace

std::unique_ptr<ConflictList> ReadConflictList() {
  const void* array = Zephal_Proc_GetInfo();
  if (!array) return nullptr;
  const int32_t count = Zephal_Proc_GetCount();
  if (count <= 0) return nullptr;
  if (count > kMaxConflictEntries)
    MsgBox(kReportWarning, "CB-PCL: %d entries announced, the first %d are read", static_cast<int>(count),
           static_cast<int>(kMaxConflictEntries));
  return std::make_unique<ConflictList>(CopyConflictList(array, count));
}

void HandleClosableConflicts(const ConflictList& entries) {
  LogEntries("CB-PCL: B %s %d %s", entries);
  if (appState.runState == RUN_CONNECTED) return;  // the tunnel is up: they are only logged
  const std::string heading = LoadGbkString(appState.hInstance, IDS_CONFLICT_CLOSABLE, kConflictTextSize) + "\n";
  const std::string text =
      BuildConflictText(heading, entries, LoadGbkString(appState.hInstance, IDS_CONFLICT_QUESTION, kConflictTextSize));
  const int answer = ShowReportBox(nullptr, text.c_str(), MB_YESNO | MB_ICONWARNING | MB_SYSTEMMODAL);
  if (answer != IDYES || ClientClosedMeanwhile()) return;
  Zephal_Proc_Kill();
}

void HandleUnclosableConflicts(const ConflictList& entries) {
  LogEntries("CB-PCL: F %s %d %s", entries);
  const std::string text =
      BuildConflictText(LoadGbkString(appState.hInstance, IDS_CONFLICT_UNCLOSABLE, kConflictTextSize), entries, "");
  ShowReportBox(nullptr, text.c_str(), MB_OK | MB_SYSTEMMODAL);
}

void HandleUpgradeRequired() {
  if (upgrading.exchange(true)) {
    MsgBox(kReportDetail, "UPGRADE: already under way");
    return;
  }
  ShowReportBox(nullptr, kUpgradeText, MB_OK | MB_SYSTEMMODAL);
  if (ClientClosedMeanwhile()) return;
  if (!LaunchUpdater()) upgrading = false;  // an updater already runs: the client goes on
}

bool UpdaterRunning() {
  return FindWindowW(GbkToWide(kUpdaterClass).c_str(), GbkToWide(kUpdaterTitle).c_str()) != nullptr;
}

bool LaunchUpdater() {
  if (UpdaterRunning()) {
    MsgBox(kReportDetail, "UPGRADE: the updater is already running");
    return false;
  }
  const std::string version = FormatVersion(ClientVersion);
  OpenPageResource(IDS_DOWNLOAD_PAGE, kPageAddressSize);
  Sleep(1000);

  char parameters[128];
  std::snprintf(parameters, sizeof parameters, "-auto -v=%s -pid=%d -p=%s", version.c_str(),
                static_cast<int>(ProductNumber), kBrandTag);
  // Empty when the installation directory leaves no room for its name (reported at start-up).
  if (appState.updaterPath[0]) {
    const INT_PTR started = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", appState.updaterPath, GbkToWide(parameters).c_str(), nullptr, SW_SHOWNORMAL));
    MsgBox(kReportDetail, "UPGRADE: %s %s (%d)", WideToLogText(WideView(appState.updaterPath)).c_str(), parameters,
           static_cast<int>(started));
  } else {
    MsgBox(kReportFailure, "UPGRADE: no usable updater path, the updater is not started");
  }
  RequestHandOverShutdown();
  return true;
}
