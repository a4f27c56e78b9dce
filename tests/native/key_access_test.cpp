#include "settings/key_access.h"

#include <gtest/gtest.h>

namespace {

using key_access::AceEntry;
using key_access::KeyDacl;

constexpr uint32_t kAll = 0xF003F;   // KEY_ALL_ACCESS
constexpr uint32_t kRead = 0x20019;  // KEY_READ
constexpr char kBA[] = "S-1-5-32-544";
constexpr char kSY[] = "S-1-5-18";
constexpr char kBU[] = "S-1-5-32-545";

TEST(KeyAccess, OnlyAProtectedDaclForAdministratorsAndSystemIsLeftAsItIs) {
  struct Case {
    const char* what;
    KeyDacl dacl;
    bool protect;
  };
  const Case cases[] = {
      {"no DACL", {false, false, {}}, true},
      // A key made below HKLM\Software under Wine: Users read what appears below it.
      {"Wine's new key", {true, false, {{true, kBU, 0x80000000}, {true, kBA, kAll}}}, true},
      {"inherited on Windows", {true, false, {{true, kBU, kRead}, {true, kBA, kAll}, {true, kSY, kAll}}}, true},
      {"ours", {true, true, {{true, kBA, kAll}, {true, kSY, kAll}}}, false},
      {"ours, not protected", {true, false, {{true, kBA, kAll}, {true, kSY, kAll}}}, true},
      {"ours and a denial for Everyone", {true, true, {{false, "S-1-1-0", kAll}, {true, kBA, kAll}}}, false},
      {"Everyone may read", {true, true, {{true, kBA, kAll}, {true, "S-1-1-0", kRead}}}, true},
      {"Authenticated Users may write", {true, true, {{true, "S-1-5-11", 0x2}, {true, kSY, kAll}}}, true},
      {"one user may read", {true, true, {{true, kBA, kAll}, {true, "S-1-5-21-1-2-3-1001", kRead}}}, true},
      {"an entry that grants nothing", {true, true, {{true, kBA, kAll}, {true, kBU, 0}}}, false},
  };
  for (const Case& c : cases) EXPECT_EQ(key_access::NeedsProtection(c.dacl), c.protect) << c.what;
}

}  // namespace
