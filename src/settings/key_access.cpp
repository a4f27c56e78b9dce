#include "settings/key_access.h"

namespace key_access {

namespace {

constexpr char kAdministrators[] = "S-1-5-32-544";
constexpr char kSystem[] = "S-1-5-18";

}  // namespace

bool NeedsProtection(const KeyDacl& dacl) {
  if (!dacl.present || !dacl.protectedDacl) return true;
  for (const AceEntry& ace : dacl.aces)
    if (ace.allow && ace.mask != 0 && ace.sid != kAdministrators && ace.sid != kSystem) return true;
  return false;
}

}  // namespace key_access
