#include "ui/layout.h"

#include <new>

void InitLayoutRecord(LayoutRecord* record) {
  if (!record) return;
  *record = LayoutRecord{};
}

LayoutRecord* CreateLayoutRecord(LayoutRecord* existing) {
  if (existing) return existing;
  LayoutRecord* record = new (std::nothrow) LayoutRecord{};
  InitLayoutRecord(record);
  return record;
}

LayoutRecord* FreeLayoutRecord(LayoutRecord* record) {
  delete record;
  return nullptr;
}
