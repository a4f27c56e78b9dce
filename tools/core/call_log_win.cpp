#include "call_log_win.h"

#include <cstdarg>
#include <cstdio>

namespace core_stand_in {

namespace {

const char kLogName[] = "core-calls.log";

// Any address inside this module, to find the module by.
const char kModuleAnchor = 0;

}  // namespace

HMODULE ThisModule(bool addReference) {
  HMODULE module = nullptr;
  DWORD flags = GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS;
  if (!addReference) flags |= GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
  if (!GetModuleHandleExA(flags, &kModuleAnchor, &module)) return nullptr;
  return module;
}

std::string ModuleDirectory() {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(ThisModule(false), path, sizeof path);
  if (n == 0 || n >= sizeof path) return {};
  std::string dir(path, n);
  const size_t slash = dir.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : dir.substr(0, slash + 1);
}

std::string Hex(const void* data, size_t size) {
  if (!data) return "null";
  static const char kDigits[] = "0123456789abcdef";
  const auto* bytes = static_cast<const unsigned char*>(data);
  std::string text;
  text.reserve(size * 2);
  for (size_t i = 0; i < size; ++i) {
    text.push_back(kDigits[bytes[i] >> 4]);
    text.push_back(kDigits[bytes[i] & 0xF]);
  }
  return text;
}

void CallLog::Write(const char* format, ...) {
  std::lock_guard<std::mutex> hold(lock_);
  if (!enabled_ || !Open()) return;
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - origin_).count();
  char head[48];
  std::snprintf(head, sizeof head, "%7lu.%03lu [%5lu] ", static_cast<unsigned long>(ms / 1000),
                static_cast<unsigned long>(ms % 1000), GetCurrentThreadId());
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int n = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string line(head);
  if (n > 0) {
    std::string body(static_cast<size_t>(n) + 1, '\0');
    std::vsnprintf(&body[0], body.size(), format, again);
    body.pop_back();
    line += body;
  }
  va_end(again);
  line += "\r\n";
  DWORD written;
  WriteFile(file_, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

bool CallLog::Open() {
  if (file_ != INVALID_HANDLE_VALUE) return true;
  if (failed_) return false;
  const std::string path = ModuleDirectory() + kLogName;
  file_ = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      opened_ ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file_ == INVALID_HANDLE_VALUE) {
    failed_ = true;  // a read-only directory: run without a log rather than retry per line
    return false;
  }
  if (!opened_) origin_ = std::chrono::steady_clock::now();
  opened_ = true;
  return true;
}

CallLog callLog;

}  // namespace core_stand_in
