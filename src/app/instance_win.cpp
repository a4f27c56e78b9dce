#include "app/instance_win.h"

#include <windows.h>
#include <sddl.h>

#include "app/instance_rule.h"
#include "base/app_state.h"
#include "base/gbk_text_win.h"

namespace {

using instance_rule::InstanceRecord;
using instance_rule::NameHold;
using instance_rule::Step;

constexpr DWORD kInstanceWaitMs = 5000;
constexpr DWORD kLookAgainMs = 100;
// Administrators and the system only: a standard user can neither open the
// namespace nor read or replace the record.
constexpr char kAdminsOnly[] = "D:P(A;;GA;;;BA)(A;;GA;;;SY)";

// Held for the life of the process: closing either would free the name.
HANDLE ownNamespace = nullptr;
HANDLE ownRecord = nullptr;
bool unavailable = false;
const char* nameKind = "none";

// The private namespace calls (Vista and later, looked up). Wine 8 returns no
// boundary, and its AddSIDToBoundaryDescriptor and CreatePrivateNamespaceW
// end the process when called: nothing is called once the boundary is null.
struct NamespaceCalls {
  HANDLE(WINAPI* createBoundary)(LPCWSTR, ULONG);
  BOOL(WINAPI* addSid)(HANDLE*, PSID);
  BOOL(WINAPI* addLabel)(HANDLE*, PSID);  // Windows 7 and later
  VOID(WINAPI* deleteBoundary)(HANDLE);
  HANDLE(WINAPI* createNamespace)(LPSECURITY_ATTRIBUTES, LPVOID, LPCWSTR);
  HANDLE(WINAPI* openNamespace)(LPVOID, LPCWSTR);
  BOOLEAN(WINAPI* closeNamespace)(HANDLE, ULONG);
};

template <typename T>
void LookUp(HMODULE module, const char* name, T* call) {
  *call = reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

NamespaceCalls FindNamespaceCalls() {
  NamespaceCalls c{};
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  LookUp(kernel, "CreateBoundaryDescriptorW", &c.createBoundary);
  LookUp(kernel, "AddSIDToBoundaryDescriptor", &c.addSid);
  LookUp(kernel, "AddIntegrityLabelToBoundaryDescriptor", &c.addLabel);
  LookUp(kernel, "DeleteBoundaryDescriptor", &c.deleteBoundary);
  LookUp(kernel, "CreatePrivateNamespaceW", &c.createNamespace);
  LookUp(kernel, "OpenPrivateNamespaceW", &c.openNamespace);
  LookUp(kernel, "ClosePrivateNamespace", &c.closeNamespace);
  return c;
}

class AdminsOnly {
 public:
  AdminsOnly() {
    sa_.nLength = sizeof sa_;
    ok_ = ConvertStringSecurityDescriptorToSecurityDescriptorA(kAdminsOnly, SDDL_REVISION_1, &sa_.lpSecurityDescriptor,
                                                               nullptr);
  }
  ~AdminsOnly() {
    if (ok_) LocalFree(sa_.lpSecurityDescriptor);
  }
  AdminsOnly(const AdminsOnly&) = delete;
  AdminsOnly& operator=(const AdminsOnly&) = delete;
  // Null when no descriptor could be made: the object then gets the default
  // one of an elevated token, which also leaves standard users out.
  SECURITY_ATTRIBUTES* Get() { return ok_ ? &sa_ : nullptr; }

 private:
  SECURITY_ATTRIBUTES sa_{};
  BOOL ok_ = FALSE;
};

bool AddWellKnownSid(BOOL(WINAPI* add)(HANDLE*, PSID), HANDLE* boundary, WELL_KNOWN_SID_TYPE type) {
  BYTE sid[SECURITY_MAX_SID_SIZE];
  DWORD size = sizeof sid;
  return add && CreateWellKnownSid(type, nullptr, sid, &size) && add(boundary, sid);
}

// The namespace only elevated administrators are inside, created or opened.
// Null where there is none; `created` tells whether this process made it.
HANDLE OpenAdminNamespace(SECURITY_ATTRIBUTES* sa, bool* created) {
  static const NamespaceCalls calls = FindNamespaceCalls();
  *created = false;
  if (!calls.createBoundary || !calls.createNamespace || !calls.openNamespace || !calls.deleteBoundary) return nullptr;
  HANDLE boundary = calls.createBoundary(instance_rule::kNamespace, 0);
  if (!boundary) return nullptr;  // Wine: not available, and the other calls must not be made
  HANDLE ns = nullptr;
  // Inside only with the Administrators group enabled and, where Windows
  // knows labels on boundaries, at high integrity: an administrator's
  // unelevated programs stay outside too.
  const bool bounded = AddWellKnownSid(calls.addSid, &boundary, WinBuiltinAdministratorsSid) &&
                       (!calls.addLabel || AddWellKnownSid(calls.addLabel, &boundary, WinHighLabelSid));
  if (bounded) {
    ns = calls.createNamespace(sa, boundary, instance_rule::kNamespace);
    if (ns) {
      *created = true;
    } else if (GetLastError() == ERROR_ALREADY_EXISTS) {
      ns = calls.openNamespace(boundary, instance_rule::kNamespace);
    }
  }
  calls.deleteBoundary(boundary);
  return ns;
}

void CloseAdminNamespace(HANDLE ns) {
  static const NamespaceCalls calls = FindNamespaceCalls();
  if (ns && calls.closeNamespace) calls.closeNamespace(ns, 0);
}

// The holder's record; its process id, or 0 while the record is not complete.
DWORD ReadRecord(HANDLE mapping, instance_rule::Seen* seen) {
  const auto* view = static_cast<const InstanceRecord*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, sizeof(InstanceRecord)));
  if (!view) return 0;
  DWORD pid = 0;
  // The view is read-only: a plain read, then a barrier before the rest
  // (an interlocked read would write to it).
  const uint32_t mark = *reinterpret_cast<volatile const uint32_t*>(&view->mark);
  MemoryBarrier();
  if (mark == instance_rule::kRecordMark && view->processId != 0) {
    seen->recordComplete = true;
    seen->holderSession = view->sessionId;
    pid = view->processId;
  }
  UnmapViewOfFile(view);
  return pid;
}

void WriteRecord(HANDLE mapping, uint32_t session) {
  auto* view = static_cast<InstanceRecord*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(InstanceRecord)));
  if (!view) return;  // the name alone still keeps other starts out; they give up after their wait
  view->processId = GetCurrentProcessId();
  view->sessionId = session;
  InterlockedExchange(reinterpret_cast<volatile LONG*>(&view->mark), static_cast<LONG>(instance_rule::kRecordMark));
  UnmapViewOfFile(view);
}

// The control window of process `pid` on this desktop; windows of the class
// that belong to any other program are passed over.
HWND ControlWindowOf(DWORD pid) {
  HWND window = nullptr;
  const WideText cls = GbkToWide(kControlClass);
  while ((window = FindWindowExW(nullptr, window, cls.c_str(), nullptr)) != nullptr) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == pid) return window;
  }
  return nullptr;
}

uint32_t OwnSession() {
  DWORD session = 0;
  ProcessIdToSessionId(GetCurrentProcessId(), &session);
  return session;
}

// One look at the name: ours (kept), taken (what its holder shows), or not to be had.
struct Look {
  instance_rule::Seen seen;
  DWORD holder = 0;
};

Look LookAtTheName(uint32_t session) {
  Look look;
  look.seen.ourSession = session;
  AdminsOnly security;
  bool createdNamespace = false;
  HANDLE ns = OpenAdminNamespace(security.Get(), &createdNamespace);
  const wchar_t* name = ns ? instance_rule::kNamespacedName : instance_rule::kGlobalName;
  HANDLE mapping =
      CreateFileMappingW(INVALID_HANDLE_VALUE, security.Get(), PAGE_READWRITE, 0, sizeof(InstanceRecord), name);
  const DWORD error = GetLastError();
  if (!mapping) {
    CloseAdminNamespace(ns);
    // Another type of object under the name (anyone can make one under the
    // global name) blocks it without being an instance; a name we may not
    // open is held by a process above us, as an instance is.
    look.seen.name = error == ERROR_ACCESS_DENIED ? NameHold::Taken : NameHold::Unavailable;
    return look;
  }
  // A namespace that was already there with no record in it belongs to an
  // instance that is ending: only the namespace's creator may be the instance.
  if (error != ERROR_ALREADY_EXISTS && (createdNamespace || !ns)) {
    WriteRecord(mapping, session);
    ownNamespace = ns;
    ownRecord = mapping;
    nameKind = ns ? "private namespace" : "global name";
    look.seen.name = NameHold::Ours;
    return look;
  }
  look.seen.name = NameHold::Taken;
  if (error == ERROR_ALREADY_EXISTS) look.holder = ReadRecord(mapping, &look.seen);
  CloseHandle(mapping);
  CloseAdminNamespace(ns);
  if (look.holder) look.seen.holderWindow = ControlWindowOf(look.holder) != nullptr;
  return look;
}

void HandOver(DWORD holder) {
  HWND window = ControlWindowOf(holder);
  if (!window) return;
  // This start holds the right to bring a window forward; without handing it
  // on, Windows refuses the running client's SetForegroundWindow.
  const bool passed = AllowSetForegroundWindow(holder) != FALSE;
  PostMessageA(window, WMU_SHOW_MAIN, passed ? kShowMainForegroundPassed : 0, 0);
}

}  // namespace

InstanceStart BecomeTheInstance() {
  const uint32_t session = OwnSession();
  const DWORD start = GetTickCount();
  for (;;) {
    Look look = LookAtTheName(session);
    look.seen.waitedEnough = GetTickCount() - start >= kInstanceWaitMs;
    switch (instance_rule::Decide(look.seen)) {
      case Step::Run:
        unavailable = look.seen.name == NameHold::Unavailable;
        return InstanceStart::Run;
      case Step::HandOver:
        HandOver(look.holder);
        return InstanceStart::HandedOver;
      case Step::OtherUser:
        return InstanceStart::OtherUser;
      case Step::GiveUp:
        return InstanceStart::GaveUp;
      case Step::Wait:
        break;
    }
    Sleep(kLookAgainMs);
  }
}

bool InstanceRuleUnavailable() { return unavailable; }

const char* InstanceNameKind() { return nameKind; }
