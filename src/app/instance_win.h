// The single-instance rule across the sessions of the machine.
#pragma once

enum class InstanceStart {
  Run,        // this process is the instance (or no rule can be had here)
  HandedOver, // the instance in this session was asked to show its window
  OtherUser,  // the instance runs in another user's session
  GaveUp,     // an instance held the name but never showed its window
};

// Takes the instance name, or finds who holds it and hands over. Waits at
// most five seconds for an instance that is starting or ending. Touches
// neither the log, the settings nor the core.
InstanceStart BecomeTheInstance();
// True when the name could not be had and the client runs without the rule.
bool InstanceRuleUnavailable();
// How the name was had ("private namespace", "global name"), for the log.
const char* InstanceNameKind();
