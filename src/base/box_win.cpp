#include "base/box_win.h"

#include "base/gbk_text_win.h"

namespace {

bool Answered(int answer) { return answer > 0; }

}  // namespace

int ShowBox(HWND owner, std::string_view text, std::string_view caption, UINT style) {
  const WideText wideText = GbkToWide(text), wideCaption = GbkToWide(caption);
  int answer = MessageBoxW(owner, wideText.c_str(), wideCaption.c_str(), style);
  if (Answered(answer)) return answer;
  // A box ended by the end of the thread's loop (WM_QUIT, posted again for
  // the loop) or by its owner's end was not refused: it is not shown again.
  MSG quit;
  if (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) || (owner && !IsWindow(owner))) return 0;
  Sleep(kRefusedWindowRetryMs);
  answer = MessageBoxW(owner, wideText.c_str(), wideCaption.c_str(), style);
  return Answered(answer) ? answer : 0;
}
