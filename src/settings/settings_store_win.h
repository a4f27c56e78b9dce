// Registry settings store: the settings key, the "cert" value and the Run entry.
#pragma once
#include <cstdint>

struct AppState;

constexpr char kSettingsKey[] = "Software\\ZEPHAL\\KAVRO";
constexpr char kConfigValue[] = "cert";
constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kRunValue[] = "ZephalAcc";
// Used when no redirect server is stored; at most 20 characters.
constexpr char kDefaultRedirectServer[] = "rd.zephal.example";
static_assert(sizeof kDefaultRedirectServer <= 21, "the redirect server field holds 20 characters");

// Loads the settings into `state`; 0 after the string-1800 box was shown.
int LoadSettings(AppState* state);
// Saves the option byte, service index, server name and remembered fields;
// 0 only when the key cannot be opened. Safe to call from any thread.
int SaveSettings(AppState* state);
// Gives the key a DACL for Administrators and SYSTEM alone when it lets
// anyone else in (the password lies in it); reported either way. 0 on failure.
int ProtectSettingsKey();
// Stores the core library's version; a version of 0 is not stored and succeeds.
int StoreLibraryVersion(uint32_t version);
// Writes or deletes the Run entry for `installDir`; 1 on success. Windows
// starts no elevated program from it where UAC is on: the log-on task
// (logon_task_win.h) does; the entry stays for whoever looks for it.
int SetAutoRun(int enable, const char* installDir);
