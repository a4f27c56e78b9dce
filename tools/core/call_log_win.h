// The stand-in core's record of every call it received and every callback it
// made ("core-calls.log" beside the DLL), and where the DLL finds itself.
#pragma once
#include <windows.h>

#include <chrono>
#include <cstddef>
#include <mutex>
#include <string>

namespace core_stand_in {

// This DLL's module handle; with `addReference` a reference the caller frees.
HMODULE ThisModule(bool addReference);
// The DLL's own directory with a trailing separator; empty if unknown.
std::string ModuleDirectory();
// `size` bytes as lower-case hex, or "null".
std::string Hex(const void* data, size_t size);

// "core-calls.log": one line per call and per callback, written straight to the
// file so a test reading it (shared) sees every line at once. Opened on the
// first line of the process, emptying what an earlier process left.
class CallLog {
 public:
  ~CallLog() {
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
  }

  void Enable(bool on) {
    std::lock_guard<std::mutex> hold(lock_);
    enabled_ = on;
    if (!on && file_ != INVALID_HANDLE_VALUE) {
      CloseHandle(file_);
      file_ = INVALID_HANDLE_VALUE;
    }
  }

  void __attribute__((format(gnu_printf, 2, 3))) Write(const char* format, ...);

 private:
  bool Open();

  std::mutex lock_;
  HANDLE file_ = INVALID_HANDLE_VALUE;
  bool enabled_ = true;  // until a scenario says "calllog off"
  bool opened_ = false;
  bool failed_ = false;
  std::chrono::steady_clock::time_point origin_;
};

extern CallLog callLog;

}  // namespace core_stand_in
