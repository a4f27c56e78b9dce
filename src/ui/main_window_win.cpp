// The skinned main dialog on its own thread: its views, commands, clicks and timers.
// Every window operation runs on this thread; other threads post requests.
#include "ui/main_window_win.h"

#include <atomic>
#include <cstring>
#include <string>

#include "base/app_state.h"
#include "base/gbk_text.h"
#include "base/bounded_wait_win.h"
#include "base/box_win.h"
#include "base/gbk_text_win.h"
#include "base/gdi_win.h"
#include "base/report.h"
#include "base/top_calls.h"
#include "base/web_page_win.h"
#include "core/core_connection_win.h"
#include "coreapi/core_records.h"
#include "net/net_watch_win.h"
#include "settings/logon_task_win.h"
#include "settings/settings_store_win.h"
#include "ui/access_win.h"
#include "ui/control_names.h"
#include "ui/display_scale.h"
#include "ui/dpi_win.h"
#include "ui/image_controls_win.h"
#include "ui/layout_win.h"
#include "ui/main_view.h"
#include "ui/option_toggle.h"
#include "ui/skin_win.h"
#include "ui/status_panel_win.h"
#include "ui/window_icons_win.h"

namespace {

constexpr int IDD_MAIN = 1600;
// Requests from other threads, carried out on the window's own thread.
constexpr UINT WMU_SHOW_VIEW = WM_USER + 130;  // wParam: the view
constexpr UINT WMU_AUTO_HIDE = WM_USER + 131;
constexpr UINT WMU_END_THREAD = WM_USER + 132;  // the shutdown ends the window's thread
constexpr UINT_PTR TIMER_STATUS_REFRESH = 1905;
constexpr UINT_PTR TIMER_PROGRESS_STEP = 1906;
constexpr UINT IDS_HOME_PAGE = 1801;
constexpr UINT IDS_SIGN_UP = 1806;
constexpr UINT IDS_TOP_UP = 1811;
constexpr UINT IDS_REGISTER = 1812;
constexpr UINT IDS_SUPPORT = 1814;
constexpr int kLoginFieldLimit = 20;  // GBK bytes, as the settings and the core hold them
// Logged only: a box would call the refused text too long.
constexpr uint32_t kInputNotGbk = 0x30001;

HANDLE mainThread = nullptr;
// Set by CloseMainWindow before it looks for the window, so a thread that
// publishes its window only afterwards still ends instead of running on.
std::atomic<bool> closing{false};
// Main window thread only.
int progressForward = 1;
// ShowView's own ShowWindow sends WM_SHOWWINDOW back; that one must not lay out again.
bool inShowView = false;
// The view last laid out, which decides what Enter does.
int currentView = VIEW_MAIN;

static_assert(kDefaultCharset == DEFAULT_CHARSET && kGb2312Charset == GB2312_CHARSET, "character sets");

// The display scale, main window thread only. The record in AppState stays in
// 96-DPI pixels; the window works with this copy scaled to its monitor.
int windowDpi = kBaseDpi;
LayoutRecord windowLayout{};
bool windowLaidOut = false;
// The slider's left edge in 96-DPI pixels: its travel and steps are counted
// there and placed by the rounding rule, so both ends stay put at every scale.
int sliderX = 0;
// The edits, the service list and the check boxes take the dialog's font at
// 96 DPI and this one, made for the window's scale, at any other.
HFONT dialogFont = nullptr;  // made by the dialog manager; fits only a window created at 96 DPI
bool dialogFontFits = false;
ScopedFont scaledInputFont;
constexpr int kInputFontHeight = -13;  // the dialog font, 10 point, at 96 DPI
constexpr int kInputControls[] = {IDC_USER,     IDC_PASSWORD,     IDC_SERVICE,        IDC_SAVE_LOGIN, IDC_SAVE_PASSWORD,
                                  IDC_AUTORUN, IDC_AUTO_LOGIN, IDC_IMPORTANT_ONLY, IDC_WRITE_LOG};

HWND Item(int id) { return GetDlgItem(appState.hwndMain, id); }

POINT RelativeTo(HWND window, POINT screen) {
  RECT r{};
  GetWindowRect(window, &r);
  return {screen.x - r.left, screen.y - r.top};
}

// Where the pointer was when the message being handled was sent, not where it is now.
POINT MessagePoint() {
  const DWORD pos = GetMessagePos();
  return {static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
}

// Moves the slider to sliderX at the window's scale, keeping its scaled size.
void PlaceSlider(HWND slider, BOOL repaint) {
  const LayoutRect& s = windowLayout.progressSlider;
  MoveWindow(slider, ScaleCoordinate(sliderX, windowDpi), s.y, s.width, s.height, repaint);
}

// `layout` is the 96-DPI record.
void StepProgress(int restart, const LayoutRecord* layout) {
  HWND slider = Item(IDC_PROGRESS);
  if (!layout || !slider) return;
  if (restart) {
    progressForward = 1;
    sliderX = layout->progressSlider.x;
  }
  const SliderStep next = NextSliderPosition(sliderX, progressForward != 0, *layout);
  progressForward = next.forward ? 1 : 0;
  sliderX = next.x;
  PlaceSlider(slider, TRUE);
}

void SetOrKill(HWND hwnd, UINT_PTR timer, bool run, UINT interval) {
  if (run)
    SetTimer(hwnd, timer, interval, nullptr);
  else
    KillTimer(hwnd, timer);
}

void ApplyFace(HWND hwnd, const ViewFace& face) {
  const LayoutRecord* layout = appState.layout;
  if (face.progress && layout) {
    sliderX = layout->progressSlider.x;
    PlaceSlider(Item(IDC_PROGRESS), TRUE);
    StepProgress(1, layout);
  }
  for (const FaceControl& c : face.controls) {
    HWND control = Item(c.id);
    if (!control) continue;
    ShowWindow(control, c.shown ? SW_SHOWNA : SW_HIDE);
    if (c.enable != Enable::Keep) EnableWindow(control, c.enable == Enable::On);
  }
  for (const FacePicture& p : face.pictures) SkinSetVisible(nullptr, p.id, p.shown ? 1 : 0);
  SetOrKill(hwnd, TIMER_STATUS_REFRESH, face.statusRefresh, 1000);
  SetOrKill(hwnd, TIMER_PROGRESS_STEP, face.progress, 100);
}

void ShowView(int view) {
  HWND hwnd = appState.hwndMain;
  if (!hwnd || !appState.mainVisible) return;
  const int32_t state = appState.runState;
  CoreQueryRecord query{};
  if (ViewNeedsStatus(view, state)) Zephal_Get_QueryData(&query);
  ApplyFace(hwnd, ViewFaceFor(view, state, query.status, appState.serviceIndex, appState.rememberUser != 0));
  currentView = view;
  // Logged once laid out, so whoever reads the log sees the view in place.
  MsgBox(kReportDetail, "VIEW: view %d for state %d", view, static_cast<int>(state));

  InvalidateRect(hwnd, nullptr, FALSE);
  inShowView = true;
  ShowWindow(hwnd, SW_SHOW);
  inShowView = false;
  if (boxOpen) {
    RaiseReportBox();
  } else {
    SetForegroundWindow(hwnd);
    KeepKeyboardFocus(hwnd);
  }
}

void HideWindow() { ShowWindow(appState.hwndMain, SW_HIDE); }

int UpdateCursor(HWND window, const LayoutRecord* layout) {
  if (!layout || window != appState.hwndMain) return 0;
  POINT cursor{};
  GetCursorPos(&cursor);
  const POINT p = RelativeTo(window, cursor);
  if (SurfaceActionAt(*layout, p.x, p.y, appState.runState) == SurfaceAction::None) return 0;
  SetCursor(LoadCursor(nullptr, IDC_HAND));
  return 1;
}

void HandleClick(int id, const LayoutRecord* layout) {
  if (boxOpen || !layout || ShutdownBegun()) return;
  HWND hwnd = appState.hwndMain;
  const POINT screen = MessagePoint();
  const POINT p = RelativeTo(id ? Item(id) : hwnd, screen);
  const int32_t state = appState.runState;
  if (state == RUN_CONNECTED && appState.mainVisible) KillTimer(hwnd, TIMER_AUTO_HIDE);

  if (id == IDC_ABOUT_PANEL && PointInLayoutRect(layout->aboutLink, p.x, p.y)) OpenPageResource(IDS_HOME_PAGE);
  if (id == 0) {
    switch (SurfaceActionAt(*layout, p.x, p.y, state)) {
      case SurfaceAction::HideWindow: HideWindow(); break;
      case SurfaceAction::ShowMain: ShowView(VIEW_MAIN); break;
      case SurfaceAction::ShowSettings: ShowView(VIEW_SETTINGS); break;
      case SurfaceAction::ShowAbout: ShowView(VIEW_ABOUT); break;
      case SurfaceAction::OpenTopUp: OpenPageResource(IDS_TOP_UP); break;
      case SurfaceAction::OpenRegister: OpenPageResource(IDS_SIGN_UP); break;
      case SurfaceAction::None: break;
    }
  }
  // Pressing anywhere else on the surface moves the window; a hidden one has nothing to move.
  if (IsWindowVisible(hwnd))
    PostMessageA(hwnd, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(screen.x, screen.y));
}

void OnPaint(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  SkinPaint(hwnd, dc);
  PaintFocusRing(hwnd, dc);
  EndPaint(hwnd, &ps);
}

void OnShowWindow(WPARAM shown) {
  if (shown == 1) {
    appState.mainVisible = 1;
    if (!inShowView) ShowView(VIEW_MAIN);
  } else if (shown == 0) {
    appState.mainVisible = 0;
    const int32_t state = appState.runState;
    if (state == RUN_CONNECTED) KillTimer(appState.hwndMain, TIMER_STATUS_REFRESH);
    if (state == RUN_CONNECTING || state == RUN_DISCONNECTING) KillTimer(appState.hwndMain, TIMER_PROGRESS_STEP);
  }
}

void OnAutoHideRequest(HWND hwnd) {
  if (appState.mainVisible) SetTimer(hwnd, TIMER_AUTO_HIDE, 5000, nullptr);
}

// The five live figures are painted afresh: the background under each, then
// the figures (the connection time's paint draws all five), all before the tick
// returns. Hiding and showing the five did the same at several times the cost.
void RefreshStatusValues() {
  static constexpr int kLive[] = {IDC_CONN_TIME, IDC_RECV_DATA, IDC_SENT_DATA, IDC_RECV_RATE, IDC_SENT_RATE};
  HWND dialog = appState.hwndMain;
  for (int id : kLive) {
    RECT r{};
    if (!GetWindowRect(Item(id), &r)) continue;
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    RedrawWindow(dialog, &r, nullptr, RDW_INVALIDATE | RDW_NOCHILDREN);
  }
  RedrawWindow(Item(IDC_CONN_TIME), nullptr, nullptr, RDW_INVALIDATE);
  UpdateWindow(dialog);
}

void OnTimer(HWND hwnd, UINT_PTR id) {
  switch (id) {
    case TIMER_STATUS_REFRESH:
      RefreshStatusValues();
      break;
    case TIMER_PROGRESS_STEP:
      StepProgress(0, appState.layout);
      break;
    case TIMER_AUTO_HIDE:
      KillTimer(hwnd, TIMER_AUTO_HIDE);
      HideWindow();
      break;
    default:
      break;
  }
}

// The edits are wide and have no limit of their own: what is typed is kept as
// GBK, counted in its bytes as ever. A longer text, or one with a character
// GBK cannot hold, is refused here and the last accepted one put back, which
// raises EN_CHANGE once more with it.
void OnLoginFieldChange(HWND hwnd, int id) {
  char* stored = id == IDC_USER ? appState.userName : appState.password;
  HWND edit = GetDlgItem(hwnd, id);
  // The whole text, so a pasted text longer than any buffer is still refused whole.
  std::u16string typed(static_cast<size_t>(GetWindowTextLengthW(edit)) + 1, u'\0');
  const int got = GetWindowTextW(edit, reinterpret_cast<wchar_t*>(&typed[0]), static_cast<int>(typed.size()));
  typed.resize(got > 0 ? static_cast<size_t>(got) : 0);
  std::string text;
  size_t bytes = 0;
  switch (WideToGbk(typed, kLoginFieldLimit, &text, &bytes)) {
    case GbkInput::Fits:
      std::memcpy(stored, text.data(), text.size());
      stored[text.size()] = '\0';
      return;
    case GbkInput::TooLong:
      MsgBox(kReportTooManyChars, "EDT: input too many char (%d)", static_cast<int>(bytes));
      break;
    case GbkInput::NotGbk:
      MsgBox(kInputNotGbk, "EDT: input refused, code page 936 cannot hold one of its characters (%d)",
             static_cast<int>(typed.size()));
      break;
  }
  SetWindowTextW(edit, GbkToWide(stored).c_str());
}

OptionFlags CurrentOptions() {
  OptionFlags f;
  f.rememberUser = appState.rememberUser != 0;
  f.rememberPassword = appState.rememberPassword != 0;
  f.autoRun = appState.autoRun != 0;
  f.autoLogin = appState.autoLogin != 0;
  f.importantOnly = appState.importantOnly != 0;
  f.writeLog = appState.writeLog != 0;
  return f;
}

void StoreOptions(const OptionFlags& f) {
  appState.rememberUser = f.rememberUser;
  appState.rememberPassword = f.rememberPassword;
  appState.autoRun = f.autoRun;
  appState.autoLogin = f.autoLogin;
  appState.importantOnly = f.importantOnly;
  appState.writeLog = f.writeLog;
}

void OnOptionClicked(HWND hwnd, int id) {
  HWND box = GetDlgItem(hwnd, id);
  OptionFlags flags = CurrentOptions();
  const bool* flag = OptionFlag(flags, id);
  // A click that reached a disabled box, or one that left its mark as the
  // flag already is, is not a switch: the flag follows the mark, never the other way.
  const bool marked = IsDlgButtonChecked(hwnd, id) == BST_CHECKED;
  if (!box || !flag || !IsWindowEnabled(box) || marked == *flag) {
    if (box && flag) CheckDlgButton(hwnd, id, *flag ? BST_CHECKED : BST_UNCHECKED);
    return;
  }
  const ToggleEffect e = ToggleOption(id, flags);
  StoreOptions(e.flags);
  if (e.clickId) PostMessageA(GetDlgItem(hwnd, e.clickId), BM_CLICK, 0, 0);
  for (const auto& [control, enabled] : e.enable) EnableWindow(GetDlgItem(hwnd, control), enabled);
  if (e.runEntry) {
    SetAutoRun(e.runEntry > 0, appState.installDir);
    // Task Scheduler may take seconds: the window goes on answering meanwhile.
    RequestLogonTask(e.runEntry > 0, appState.installDir, hwnd);
  }
  if (e.save) SaveSettings(&appState);
  if (e.reopenLog) {
    LogClose();
    LogSetup();
  }
  if (e.netWatch > 0) StartNetWatch(OnNetworkChange, appState.redirectServer);
  if (e.netWatch < 0) StopNetWatch();
}

// A label passes its click on to its check box when that box may be switched now.
bool LabelActs(int label) {
  const int32_t state = appState.runState;
  switch (label) {
    case IDC_SAVE_LOGIN_LABEL: return state == RUN_IDLE;
    case IDC_SAVE_PASSWORD_LABEL: return state == RUN_IDLE && appState.rememberUser;
    case IDC_AUTO_LOGIN_LABEL: return appState.rememberUser && appState.rememberPassword;
    default: return true;
  }
}

void OnConnect() {
  if (appState.runState != RUN_IDLE) return;
  SaveSettings(&appState);
  StartConnection(appState);
}

// Enter and Escape, which the dialog manager turns into IDOK and IDCANCEL.
void OnDialogKey(DialogKey key) {
  switch (KeyActionFor(key, currentView, appState.runState)) {
    case KeyAction::Connect: OnConnect(); break;
    case KeyAction::HideWindow: HideWindow(); break;
    case KeyAction::None: break;
  }
}

void OnCommand(HWND hwnd, WORD id, WORD code) {
  // Requests queued before the exit (an automatic login, a posted click) must
  // not act on a connection the shutdown has stopped.
  if (ShutdownBegun()) return;
  if (boxOpen) {
    RaiseReportBox();
    return;
  }
  const int32_t state = appState.runState;
  if (int box = OptionBoxOfLabel(id)) {
    // Every notification counts, so a double click clicks twice.
    if (LabelActs(id)) PostMessageA(GetDlgItem(hwnd, box), BM_CLICK, 0, 0);
    return;
  }
  switch (id) {
    case IDC_CONNECT:
      if (code == 0) OnConnect();
      break;
    case IDC_DISCONNECT:
      if (code == 0 && state == RUN_CONNECTED) {
        KillTimer(hwnd, TIMER_AUTO_HIDE);
        StopConnection();
        InvalidateRect(hwnd, nullptr, FALSE);
      }
      break;
    case IDC_CANCEL:
      if (code == 0 && state == RUN_CONNECTING) StopConnection();
      InvalidateRect(hwnd, nullptr, FALSE);
      break;
    case IDC_ABOUT_PANEL:
    case IDC_STATUS_PANEL:
      HandleClick(id, MainWindowLayout());
      break;
    case IDC_SERVICE:
      if (code == CBN_SELCHANGE) {
        const LRESULT selected = SendDlgItemMessageW(hwnd, IDC_SERVICE, CB_GETCURSEL, 0, 0);
        if (selected >= 0) appState.serviceIndex = static_cast<uint16_t>(selected);
      }
      break;
    case IDC_REGISTER:
      OpenPageResource(IDS_REGISTER);
      break;
    case IDC_SUPPORT:
      OpenPageResource(IDS_SUPPORT);
      break;
    case IDC_USER:
    case IDC_PASSWORD:
      if (code == EN_CHANGE) OnLoginFieldChange(hwnd, id);
      break;
    case IDC_SAVE_LOGIN:
    case IDC_SAVE_PASSWORD:
    case IDC_AUTORUN:
    case IDC_AUTO_LOGIN:
    case IDC_IMPORTANT_ONLY:
    case IDC_WRITE_LOG:
      if (code == BN_CLICKED) OnOptionClicked(hwnd, id);
      break;
    case IDOK:
    case IDCANCEL:
      if (code == 0) OnDialogKey(id == IDOK ? DialogKey::Enter : DialogKey::Escape);
      break;
    default:
      break;
  }
}

void FillServiceList(HWND dialog) {
  static const char* const kServices[] = {"上网加速", "游戏加速"};
  for (int i = 0; i < 2; ++i) {
    const WideText service = GbkToWide(kServices[i]);
    const LRESULT index =
        SendDlgItemMessageW(dialog, IDC_SERVICE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(service.c_str()));
    if (index >= 0) SendDlgItemMessageW(dialog, IDC_SERVICE, CB_SETITEMDATA, index, i);
  }
  // A stored index outside the list leaves no service chosen rather than a wrong one.
  SendDlgItemMessageW(dialog, IDC_SERVICE, CB_SETCURSEL, appState.serviceIndex <= 1 ? appState.serviceIndex : -1, 0);
}

// Fonts, the scaled record and the picture scale for `dpi`; nothing is moved.
void UseScale(HWND dialog, int dpi) {
  windowDpi = SaneDpi(dpi);
  if (appState.layout) {
    windowLayout = ScaleLayoutRecord(*appState.layout, windowDpi);
    windowLaidOut = true;
  }
  SkinSetDpi(windowDpi);
  SetFocusRingScale(windowDpi);
  HFONT font = dialogFont;
  HFONT made = nullptr;
  // The dialog's own font asks for the default character set, which holds no
  // Chinese outside code page 936.
  const int charset = FontCharsetFor(GetACP());
  if (windowDpi != kBaseDpi || !dialogFont || !dialogFontFits || charset != kDefaultCharset) {
    made = CreateFontA(ScaleFontHeight(kInputFontHeight, windowDpi), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                       static_cast<BYTE>(charset), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH, "Arial");
    if (made) font = made;
  }
  // At 96 DPI from the start the controls already have the dialog's font.
  if (font && (made || scaledInputFont)) {
    for (int id : kInputControls) {
      if (HWND control = GetDlgItem(dialog, id)) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
  }
  // The controls no longer use the font of the previous scale.
  if (font) scaledInputFont.reset(made);
}

void LogScale(HWND dialog) {
  RECT r{};
  GetWindowRect(dialog, &r);
  MsgBox(kReportDetail, "WINDOW: laid out at %d dpi, %dx%d at %d,%d", windowDpi, static_cast<int>(r.right - r.left),
         static_cast<int>(r.bottom - r.top), static_cast<int>(r.left), static_cast<int>(r.top));
}

// The window moved to a monitor of another scale (or the scale changed): take
// the place Windows suggests at our own size for that scale, lay out anew and
// repaint. A missing rectangle keeps the window's centre.
void OnDpiChanged(HWND dialog, int dpi, const RECT* suggested) {
  RECT now{};
  GetWindowRect(dialog, &now);
  UseScale(dialog, dpi);
  const SIZE size = MainWindowSize(windowDpi);
  POINT at{suggested ? suggested->left : (now.left + now.right) / 2 - size.cx / 2,
           suggested ? suggested->top : (now.top + now.bottom) / 2 - size.cy / 2};
  SetWindowPos(dialog, nullptr, at.x, at.y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
  PlaceControls(dialog, appState.layout, windowDpi);
  if (HWND slider = Item(IDC_PROGRESS)) PlaceSlider(slider, FALSE);
  SetWindowIcons(appState.hInstance, dialog, windowDpi);
  // Painted at once: the pictures of the new scale are resampled here, not at some later paint.
  RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  LogScale(dialog);
}

// The main dialog once its WM_INITDIALOG has run.
HWND initialisedDialog = nullptr;

INT_PTR OnInitDialog(HWND dialog) {
  KeepDialogScalingOurs(dialog);
  dialogFont = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
  const int dpi = WindowDpi(dialog);
  dialogFontFits = dpi == kBaseDpi;
  UseScale(dialog, dpi);
  if (appState.layout) sliderX = appState.layout->progressSlider.x;
  ApplyLayout(dialog, appState.layout, windowDpi);
  SetWindowIcons(appState.hInstance, dialog, windowDpi);
  LogScale(dialog);
  SkinSubclassControls(dialog, MainWindowLayout);
  NameControls(dialog);
  SubclassOptionBoxes(dialog);
  FillServiceList(dialog);
  if (appState.autoLogin) StartNetWatch(OnNetworkChange, appState.redirectServer);
  initialisedDialog = dialog;
  return TRUE;
}

// The shutdown's request to end the thread; WM_DESTROY, when the thread
// destroys its window, must not stop the watch again.
void EndThread() {
  static bool ending = false;
  if (ending) return;
  ending = true;
  if (appState.autoLogin) StopNetWatch();
  PostQuitMessage(0);
}

INT_PTR CALLBACK MainDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      return OnInitDialog(hwnd);
    case WM_DESTROY:
      // A dialog refused at its creation is destroyed before it was set up:
      // the thread goes on and tries once more.
      if (hwnd == initialisedDialog) EndThread();
      return FALSE;
    case WMU_END_THREAD:
      EndThread();
      return TRUE;
    case WM_MOVE:
      InvalidateRect(hwnd, nullptr, FALSE);
      return FALSE;
    case WM_ERASEBKGND:
      return TRUE;  // the background picture covers the whole window
    case WM_PAINT:
      OnPaint(hwnd);
      return TRUE;
    case WM_CLOSE:
      HideWindow();  // the client lives on in the notification area
      return TRUE;
    case WM_SHOWWINDOW:
      OnShowWindow(wParam);
      return TRUE;
    case WM_SETFOCUS:
      return DialogTakesFocus();  // TRUE keeps the focus on the dialog itself
    case WM_UPDATEUISTATE:
      RefreshFocusRing(hwnd);  // focus cues shown or hidden
      return FALSE;
    case WM_ACTIVATEAPP:
      if (boxOpen) RaiseReportBox();
      return FALSE;
    case WM_SETCURSOR:
      // Over a child, or off the painted areas, the default cursor handling applies.
      if (reinterpret_cast<HWND>(wParam) != hwnd || !UpdateCursor(hwnd, MainWindowLayout())) return FALSE;
      SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, TRUE);
      return TRUE;
    case WM_COMMAND:
      OnCommand(hwnd, LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_TIMER:
      OnTimer(hwnd, wParam);
      return TRUE;
    case WM_CTLCOLORSTATIC:
      PaintStatusValue(reinterpret_cast<HWND>(lParam), MainWindowLayout(), windowDpi);
      return FALSE;
    case WM_LBUTTONDOWN:
      HandleClick(0, MainWindowLayout());
      return TRUE;
    case WM_GETDPISCALEDSIZE:
      // Our size at the coming scale, so the rectangle Windows then suggests
      // has it and the window keeps its place under the pointer.
      if ((InSendMessageEx(nullptr) & ISMEX_SEND) || !lParam) return FALSE;
      *reinterpret_cast<SIZE*>(lParam) = MainWindowSize(SaneDpi(LOWORD(wParam)));
      SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, TRUE);
      return TRUE;
    case WM_DPICHANGED:
      // The rectangle is a pointer: trusted only from Windows on this thread,
      // never from another thread or process (posted ones are cleared in the loop).
      OnDpiChanged(hwnd, LOWORD(wParam),
                   (InSendMessageEx(nullptr) & ISMEX_SEND) ? nullptr : reinterpret_cast<const RECT*>(lParam));
      return TRUE;
    case WMU_SHOW_VIEW:
      ShowView(static_cast<int>(wParam));
      return TRUE;
    case WMU_AUTO_HIDE:
      OnAutoHideRequest(hwnd);
      return TRUE;
    case WMU_TASK_DONE:
      ReportLogonTaskDone(wParam, lParam);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

const LayoutRecord* MainWindowLayout() { return windowLaidOut ? &windowLayout : appState.layout; }

int MainWindowDpi() { return windowDpi; }

DWORD WINAPI MainWindowThread(LPVOID) {
  HWND hwnd = CreateDialogParamW(appState.hInstance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, MainDialogProc, 0);
  if (!hwnd) {
    MsgBox(kReportFailure, "WINDOW: the main window was refused (code=%lu); trying once more", GetLastError());
    Sleep(kRefusedWindowRetryMs);
    hwnd = CreateDialogParamW(appState.hInstance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, MainDialogProc, 0);
  }
  if (!hwnd) {
    MsgBox(kReportModuleFailed, "WINDOW: Create the main window failed(code=%d).", static_cast<int>(GetLastError()));
    return 1;
  }
  appState.hwndMain = hwnd;
  appState.mainCreated = 1;
  if (closing) {
    DestroyWindow(hwnd);
    return 0;
  }
  // The taskbar caption; the skin paints its own title.
  SetWindowTextW(hwnd, GbkToWide(kProductName).c_str());
  if (appState.mainVisible) ShowWindow(hwnd, SW_SHOW);
  // Pictures are decoded while the window already shows, then laid out for the state.
  SkinRegisterMainWindow(hwnd, appState.layout);
  ShowView(VIEW_MAIN);

  MSG msg;
  // Wide throughout: an ANSI loop would turn a typed character outside the
  // system's code page into "?" before the edit sees it.
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    // A posted pointer is nobody's rectangle or size: only Windows sends these two.
    if (msg.message == WM_DPICHANGED || msg.message == WM_GETDPISCALEDSIZE) msg.lParam = 0;
    NoteDialogKey(hwnd, msg);
    if (IsDialogMessageW(hwnd, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  // The destroy request only asked the loop to end; the window dies on its own thread.
  DestroyWindow(hwnd);
  scaledInputFont.reset();
  return 0;
}

void OpenMainWindow(HWND hwnd) {
  if (!appState.mainCreated) {
    if (mainThread) return;  // already starting
    mainThread = CreateThread(nullptr, 0, MainWindowThread, nullptr, 0, nullptr);
    if (!mainThread)
      MsgBox(kReportModuleFailed, "WINDOW: Create the main window failed(code=%d).", static_cast<int>(GetLastError()));
    return;
  }
  // Shown on its own thread, which lays out the main view and raises it (or the open box).
  PostMessageA(hwnd, WM_SHOWWINDOW, 1, 0);
}

// A window that does not exist yet lays itself out for the state when it is created.
void ShowMainView() {
  if (HWND hwnd = appState.hwndMain) PostMessageA(hwnd, WMU_SHOW_VIEW, VIEW_MAIN, 0);
}

void StartAutoHide() {
  if (HWND hwnd = appState.hwndMain) PostMessageA(hwnd, WMU_AUTO_HIDE, 0, 0);
}

void EndMainWindow() {
  closing = true;
  // Posted, not sent: a thread blocked elsewhere (a hand-over to the browser
  // that does not return, a core call that waits) must not hang the exit.
  if (HWND hwnd = appState.hwndMain) PostMessageA(hwnd, WMU_END_THREAD, 0, 0);
}

bool CloseMainWindow(DWORD timeoutMs) {
  EndMainWindow();
  if (!mainThread) return true;
  // Destroying its window sends activation messages to this thread, so the
  // wait serves them.
  if (!WaitServingSent(mainThread, timeoutMs)) {
    MsgBox(kReportFailure, "THREAD: main window thread did not end in time");
    return false;  // the handle stays: the thread still runs
  }
  CloseHandle(mainThread);
  mainThread = nullptr;
  return true;
}
