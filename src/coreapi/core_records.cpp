#include "coreapi/core_records.h"

#include <algorithm>
#include <cstring>

#include "base/version.h"

CoreInitRecord MakeCoreInitRecord(const char* redirectServer) {
  CoreInitRecord record{};
  if (redirectServer) {
    const size_t n = strnlen(redirectServer, sizeof record.redirectServer);
    std::memcpy(record.redirectServer, redirectServer, n);
  }
  std::memcpy(record.tag, "KAVRO", sizeof record.tag);
  record.clientVersion = ClientVersion;
  record.productNumber = ProductNumber;
  return record;
}

CoreStartRecord MakeCoreStartRecord(const char* userName, const char* password, uint16_t serviceIndex) {
  CoreStartRecord record{};  // the login-kind flag stays 0
  // "KA." and the name; the zero fill terminates it, a too long name is cut to fit.
  char name[sizeof record.userName + 4] = "KA.";
  const size_t nameLength = userName ? strnlen(userName, sizeof record.userName) : 0;
  std::memcpy(name + 3, userName ? userName : "", nameLength);
  std::memcpy(record.userName, name, std::min(std::strlen(name), sizeof record.userName - 1));
  if (password) std::memcpy(record.password, password, strnlen(password, sizeof record.password - 1));
  record.serviceMask = serviceIndex <= 1 ? 1u << serviceIndex : 1u;
  return record;
}
