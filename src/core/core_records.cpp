#include "core/core_records.h"

#include <cstring>

#include "app/version.h"

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
