// What the tray icon shows for a connection state: the icon and the tooltip.
#pragma once
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

constexpr int IDI_APP = 1000;
constexpr int IDI_CONNECTED = 1001;
constexpr int IDI_CONNECTING = 1002;
constexpr int IDI_IDLE = 1003;

constexpr size_t kTrayPieceSize = 50;   // each loaded or formatted piece, terminator included
constexpr size_t kTrayTextSize = 200;   // the composed text, terminator included
constexpr size_t kTrayTipSize = 128;    // the record's tip field, terminator included

// String-table texts 1870-1875, as loaded.
struct TrayTexts {
  std::string connected;      // "\n已连接到: "
  std::string connecting;     // "\n正在连接: "
  std::string idle;           // "\n无连接"
  std::string disconnecting;  // "\n正在断开: "
  std::string time;           // "\n连接时间: "
  std::string address;        // "\n分配地址: %s"
};

struct TrayFace {
  int icon;
  std::string tip;  // fits the tip field with its terminator
};

// `ip` is the core record's 17-byte field, not necessarily terminated;
// `startTime` is shown in local time. A state outside 1-4 shows the idle
// icon and the product name alone: it claims no connection state.
TrayFace BuildTrayFace(int state, const TrayTexts& texts, uint32_t startTime, const char* ip);
