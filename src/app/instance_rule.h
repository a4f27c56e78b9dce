// One client per machine: the name the instance holds, the record it keeps
// under it, and what a start does about a name already held. Portable.
#pragma once
#include <cstdint>

namespace instance_rule {

// The name lives in a private namespace whose boundary only an elevated
// administrator is inside; where private namespaces are not available the
// global name stands in (only a process with the right to create global
// sections can create it, but any program may block it with an object of
// another type: the client then starts without the rule and logs that).
constexpr wchar_t kNamespace[] = L"LumoraZephal";
constexpr wchar_t kNamespacedName[] = L"LumoraZephal\\Zephal_Acc";
constexpr wchar_t kGlobalName[] = L"Global\\Zephal_Acc";

// The instance writes `processId` and `sessionId` first and `mark` last, so a
// reader that sees the mark sees the rest.
struct InstanceRecord {
  uint32_t mark;
  uint32_t processId;
  uint32_t sessionId;
  uint32_t reserved;
};
static_assert(sizeof(InstanceRecord) == 16, "the record is shared by every build of the client");
constexpr uint32_t kRecordMark = 0x5A504831;  // "ZPH1"

enum class NameHold {
  Ours,         // this start created the name: it is the instance
  Taken,        // another process holds it
  Unavailable,  // no name can be had here (no private namespace and the global name blocked)
};

// What a start has seen of the name and of the instance holding it.
struct Seen {
  NameHold name = NameHold::Unavailable;
  bool recordComplete = false;  // Taken: the holder's record carries its mark
  uint32_t holderSession = 0;
  uint32_t ourSession = 0;
  bool holderWindow = false;  // Taken: the holder's control window is on this desktop
  bool waitedEnough = false;  // the start has waited its five seconds
};

enum class Step {
  Run,        // go on starting
  HandOver,   // ask the holder's window to show itself, then end
  OtherUser,  // the instance runs in another session: say so, then end
  Wait,       // starting or ending instance: look again shortly
  GiveUp,     // an instance that never showed its window: end
};

Step Decide(const Seen& seen);

}  // namespace instance_rule
