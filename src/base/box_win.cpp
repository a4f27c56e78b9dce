#include "base/box_win.h"

#include "base/gbk_text_win.h"

namespace {

bool Answered(int answer) { return answer > 0; }

}  // namespace

int ShowBox(HWND owner, std::string_view text, std::string_view caption, UINT style) {
  const WideText wideText = GbkToWide(text), wideCaption = GbkToWide(caption);
  int answer = MessageBoxW(owner, wideText.c_str(), wideCaption.c_str(), style);
  if (Answered(answer)) return answer;
  Sleep(kRefusedWindowRetryMs);
  answer = MessageBoxW(owner, wideText.c_str(), wideCaption.c_str(), style);
  return Answered(answer) ? answer : 0;
}
