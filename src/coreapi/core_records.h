// Fixed-layout records that cross into the core library.
#pragma once
#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)
struct CoreInitRecord {
  char redirectServer[21];  // unterminated when 21 characters long
  char tag[5];              // "KAVRO", no terminator
  uint8_t reserved[18];
  uint32_t clientVersion;
  uint32_t productNumber;
};
#pragma pack(pop)

static_assert(sizeof(CoreInitRecord) == 52, "the core expects 52 bytes");
static_assert(offsetof(CoreInitRecord, redirectServer) == 0, "layout");
static_assert(offsetof(CoreInitRecord, tag) == 21, "layout");
static_assert(offsetof(CoreInitRecord, clientVersion) == 44, "layout");
static_assert(offsetof(CoreInitRecord, productNumber) == 48, "layout");

#pragma pack(push, 1)
struct CoreStartRecord {
  char userName[41];   // "KA." + account name, terminated by the zero fill
  char password[131];  // terminated, zeros up to offset 172
  uint32_t loginKind;  // always 0
  uint32_t serviceMask;  // 1 << serviceIndex: 1 web browsing, 2 games
};

struct CoreQueryRecord {
  uint32_t id;
  uint32_t status;  // 0x8 no end, 0x10 end is Date, 0x20 end is Time, 0x80 end shown, bits 10-12 level
  uint32_t minutesLeft;
  char date[11];  // "%u-%u-%u", not always terminated
  char ip[17];    // dotted address, not always terminated, empty when none
  uint32_t startTime;  // seconds since 1970
  uint32_t connectedSeconds;
  uint32_t bytesSent;
  uint32_t bytesReceived;
  float sendRate;     // units of 1024 per second
  float receiveRate;
};

struct ConflictEntry {
  uint32_t reserved;
  int32_t processId;
  char program[261];
  char displayName[43];
};
#pragma pack(pop)

static_assert(sizeof(CoreStartRecord) == 180, "the core expects 180 bytes");
static_assert(offsetof(CoreStartRecord, password) == 41, "layout");
static_assert(offsetof(CoreStartRecord, loginKind) == 172, "layout");
static_assert(offsetof(CoreStartRecord, serviceMask) == 176, "layout");

static_assert(sizeof(CoreQueryRecord) == 64, "the core fills 64 bytes");
static_assert(offsetof(CoreQueryRecord, status) == 4, "layout");
static_assert(offsetof(CoreQueryRecord, minutesLeft) == 8, "layout");
static_assert(offsetof(CoreQueryRecord, date) == 12, "layout");
static_assert(offsetof(CoreQueryRecord, ip) == 23, "layout");
static_assert(offsetof(CoreQueryRecord, startTime) == 40, "layout");
static_assert(offsetof(CoreQueryRecord, connectedSeconds) == 44, "layout");
static_assert(offsetof(CoreQueryRecord, bytesSent) == 48, "layout");
static_assert(offsetof(CoreQueryRecord, bytesReceived) == 52, "layout");
static_assert(offsetof(CoreQueryRecord, sendRate) == 56, "layout");
static_assert(offsetof(CoreQueryRecord, receiveRate) == 60, "layout");

static_assert(sizeof(ConflictEntry) == 312, "the core lists 312-byte entries");
static_assert(offsetof(ConflictEntry, processId) == 4, "layout");
static_assert(offsetof(ConflictEntry, program) == 8, "layout");
static_assert(offsetof(ConflictEntry, displayName) == 269, "layout");

constexpr uint32_t ProductNumber = 12;

// Zero-filled start request: "KA." + the account name, the password, and the
// service mask for `serviceIndex` (web browsing for an index out of range).
CoreStartRecord MakeCoreStartRecord(const char* userName, const char* password, uint16_t serviceIndex);

// Zero-filled record with the first 21 characters of the server name, the tag,
// the client's version and the product number.
CoreInitRecord MakeCoreInitRecord(const char* redirectServer);
