#include "app/instance_rule.h"

#include <gtest/gtest.h>

namespace {

using instance_rule::NameHold;
using instance_rule::Seen;
using instance_rule::Step;

struct Case {
  const char* what;
  Seen seen;
  Step step;
};

Seen Taken(bool complete, uint32_t holderSession, bool window, bool waited) {
  Seen s;
  s.name = NameHold::Taken;
  s.recordComplete = complete;
  s.holderSession = holderSession;
  s.ourSession = 1;
  s.holderWindow = window;
  s.waitedEnough = waited;
  return s;
}

const Case kCases[] = {
    {"the name is ours", [] { Seen s; s.name = NameHold::Ours; return s; }(), Step::Run},
    // Blocked by another kind of object: starting without the rule beats never starting.
    {"no name to be had", [] { Seen s; s.name = NameHold::Unavailable; return s; }(), Step::Run},
    {"the instance here, window shown", Taken(true, 1, true, false), Step::HandOver},
    {"the instance here, found late", Taken(true, 1, true, true), Step::HandOver},
    {"another session's instance", Taken(true, 2, false, false), Step::OtherUser},
    {"another session's record, but its window here", Taken(true, 2, true, false), Step::HandOver},
    // A window of the class without the record behind it is nobody we hand over to.
    {"a window but no record yet", Taken(false, 0, true, false), Step::Wait},
    {"starting: no record yet", Taken(false, 0, false, false), Step::Wait},
    {"this session, window not yet made", Taken(true, 1, false, false), Step::Wait},
    {"this session, window never made", Taken(true, 1, false, true), Step::GiveUp},
    {"no record after the wait", Taken(false, 0, false, true), Step::GiveUp},
};

TEST(InstanceRule, AHeldNameIsHandedOverReportedWaitedForOrGivenUp) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(instance_rule::Decide(c.seen), c.step);
  }
}

}  // namespace
