#include "app/instance_rule.h"

namespace instance_rule {

Step Decide(const Seen& seen) {
  switch (seen.name) {
    case NameHold::Ours:
    case NameHold::Unavailable:
      return Step::Run;
    case NameHold::Taken:
      break;
  }
  // Its window here settles it whatever the record says; only our own
  // instance's window is ever asked, never one that merely has the class.
  if (seen.recordComplete && seen.holderWindow) return Step::HandOver;
  if (seen.recordComplete && seen.holderSession != seen.ourSession) return Step::OtherUser;
  return seen.waitedEnough ? Step::GiveUp : Step::Wait;
}

}  // namespace instance_rule
