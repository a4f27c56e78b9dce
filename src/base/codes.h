// The codes every floor reports with or reacts to, each named once: the
// connection states, the client's report codes and the core library's codes
// the client acts on. Portable: no Windows header.
#pragma once
#include <cstdint>

// Connection states reported by the core library.
enum RunState : int32_t {
  RUN_IDLE = 1,
  RUN_CONNECTING = 2,
  RUN_CONNECTED = 3,
  RUN_DISCONNECTING = 4,
};

// Report codes (MsgBox): bits 0-3 the level (above 3 logged only with
// -debuglog), 0x20 fatal (the process ends with exit code 1 after the report),
// 0x2000 a box with the code's catalogue text; the other bits tell codes apart.
constexpr uint32_t kReportLevelMask = 0xF;
constexpr uint32_t kReportFatal = 0x20;
constexpr uint32_t kReportShowBox = 0x2000;

enum ReportCode : uint32_t {
  kReportNote = 0x1,                // level 1: closing, the versions, the watch's state, conflict entries
  kReportSocketFailed = 0x10000,    // level 0: the redirect probe has no socket
  kReportFailure = 0x10001,         // level 1: a step failed and the client goes on without it
  kReportWatch = 0x10003,           // level 3: the network watch's thread and the network's changes
  kReportDetail = 0x10004,          // level 4: what happens, for the verbose log only
  kReportStartFailed = 0x12020,     // box, fatal: no window class or control window at start-up
  kReportWarning = 0x20001,         // level 1: the log file, the tray and the icons, retried or gone without
  kReportTooManyChars = 0x32001,    // box: more than 20 characters typed into a login field
  kReportSocketRetry = 0x40001,     // level 1: WSAStartup failed, tried again
  kReportResolveRetry = 0x50001,    // level 1: the redirect server's name did not resolve, tried again
  kReportModuleFailed = 0x52020,    // box, fatal: the main window, the tray or the network watch cannot be made
  kReportBadPassword = 0x82050,     // box text only: nothing raises it yet
  kReportFreeGames = 0x112003,      // box text only
  kReportEndTime = 0x122003,        // box: less than an hour of paid time left
  kReportEndDate = 0x132003,        // box: the paid time ends within two days
  kReportFrozen = 0x142003,         // box text only
  kReportExpired = 0x152003,        // box text only
  kReportOtherUser = 0x162001,      // box: the client already runs for another user of this machine
};

// Core codes (ReportDll): 0x200 a box with the code's catalogue text.
constexpr uint32_t kCoreShowBox = 0x200;

enum CoreCode : uint32_t {
  kCoreClosableConflicts = 0x30170004,    // programs in the way that the core can close
  kCoreUnclosableConflicts = 0x50170005,  // programs in the way that it cannot close
  kCoreUpgradeRequired = 0x301B0003,      // a newer client is needed
  kCoreUpgradeDemanded = 0x301B0004,      // the same demand, another source
  kCoreImportantUpdate = 0x50000A09,      // the same demand, with a box of its own first
  // Results of Zephal_Init that end the start with a text of their own.
  kCoreUpgrading = 0x50000A0B,
  kCoreControlledElsewhere = 0x50000A0C,
  kCoreServiceMissing = 0x501A0A00,
  kCoreServiceStopped = 0x501A0A01,
};
