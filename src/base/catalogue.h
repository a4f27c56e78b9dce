// Message catalogues and what each core code does: the Chinese texts (code
// page 936) shown for numeric codes, the texts a failed core start logs, and
// what the client does after a core message has been reported.
#pragma once
#include <cstddef>
#include <cstdint>

// What follows a core message once it is reported and its box, if any, closed.
enum class CoreFollowUp { kNothing, kClosableConflicts, kUnclosableConflicts, kUpgrade };

// One code of the core library, or an inclusive range of codes.
struct CoreCodeRow {
  uint32_t first;
  uint32_t last;         // equals first for a single code
  const char* text;      // the box of a code with kCoreShowBox; null: the fallback text
  const char* initText;  // logged when Zephal_Init ends the start with this result; null: the generic text
  CoreFollowUp then;
  unsigned page;  // string-table id of a web page opened after the box; 0: none
};

struct CoreCodeTable {
  const CoreCodeRow* rows;  // ordered by code, ranges disjoint
  size_t count;
};
CoreCodeTable CoreCodes();
// The row that holds `code`, or null.
const CoreCodeRow* FindCoreCode(uint32_t code);

// Text of a core library code. Never fails: an unknown code yields
// "未知错误 (#%x)" formatted into a buffer owned by the calling thread.
const char* CoreText(uint32_t code);
// What a failed core start logs for its result: its row's start-up text, else the generic one.
const char* InitFailureText(uint32_t result);
// Text of one of the client's own report codes, same fallback.
const char* ReportText(uint32_t code);
