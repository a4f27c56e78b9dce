// Who may open the settings key, as its DACL says. Portable.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace key_access {

// One entry of a DACL: allowing or not, for whom (a SID in its string form), what.
struct AceEntry {
  bool allow;
  std::string sid;
  uint32_t mask;
};

struct KeyDacl {
  bool present;      // false: no DACL at all, every account may do anything
  bool protectedDacl;  // inherits nothing from the parent key
  std::vector<AceEntry> aces;
};

// The DACL the key gets: Administrators and SYSTEM full control, nobody else,
// nothing inherited from HKLM\Software (where every user may read).
constexpr char kProtectedDacl[] = "D:P(A;OICI;KA;;;BA)(A;OICI;KA;;;SY)";

// True when the key must be protected: an account other than Administrators
// and SYSTEM is let in (also by an entry that only passes on to subkeys), or
// the DACL takes in what its parent passes on.
bool NeedsProtection(const KeyDacl& dacl);

}  // namespace key_access
