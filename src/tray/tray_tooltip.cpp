#include "tray/tray_tooltip.h"

#include <cstdio>
#include <cstring>

#include "base/codes.h"
#include "base/gbk_text.h"

namespace {

constexpr char kProduct[] = "Lumora Zephal";
constexpr char kName[] = "lumora_zephal";

// Appends at most what is left of the 200-byte text, as the pieces are limited too.
void Append(std::string* text, const std::string& piece) {
  const std::string bounded = CutGbk(piece, kTrayPieceSize - 1);
  const size_t room = kTrayTextSize - 1 - text->size();
  *text += CutGbk(bounded, room);
}

std::string StartText(uint32_t startTime) {
  const std::time_t t = static_cast<std::time_t>(startTime);
  std::tm local{};
#ifdef _WIN32
  if (localtime_s(&local, &t) != 0) return "";
#else
  if (!localtime_r(&t, &local)) return "";
#endif
  char text[kTrayPieceSize];
  if (std::strftime(text, sizeof text, "%y-%m-%d %H:%M", &local) == 0) return "";
  return text;
}

std::string AddressLine(const std::string& format, const char* ip) {
  char address[18] = {};
  std::memcpy(address, ip, 17);  // the field need not be terminated
  if (address[0] == '\0') return "";
  // The format comes from our own string table and holds one %s.
  const size_t at = format.find("%s");
  if (at == std::string::npos) return format;
  return format.substr(0, at) + address + format.substr(at + 2);
}

}  // namespace

TrayFace BuildTrayFace(int state, const TrayTexts& texts, uint32_t startTime, const char* ip) {
  TrayFace face{IDI_IDLE, kProduct};
  switch (state) {
    case RUN_IDLE:
      Append(&face.tip, texts.idle);
      break;
    case RUN_CONNECTING:
      face.icon = IDI_CONNECTING;
      Append(&face.tip, texts.connecting);
      Append(&face.tip, kName);
      break;
    case RUN_CONNECTED:
      face.icon = IDI_CONNECTED;
      Append(&face.tip, texts.connected);
      Append(&face.tip, kName);
      Append(&face.tip, texts.time);
      Append(&face.tip, StartText(startTime));
      Append(&face.tip, AddressLine(texts.address, ip));
      break;
    case RUN_DISCONNECTING:
      face.icon = IDI_CONNECTING;
      Append(&face.tip, texts.disconnecting);
      Append(&face.tip, kName);
      break;
    default:
      break;
  }
  face.tip = CutGbk(face.tip, kTrayTipSize - 1);
  return face;
}
