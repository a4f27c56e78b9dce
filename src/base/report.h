// Log and reports: every diagnostic goes through MsgBox or ReportDll.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>

#include "base/codes.h"

// Verbose logging, from the "-debuglog" switch.
extern int debugLog;
// Where log lines go: the log file, standard output, or null before set-up.
extern FILE* logFile;
// The variable holding the owner window of report boxes.
extern HWND* boxOwner;
// Number of report boxes open right now; non-zero means "a box is open".
extern std::atomic<int> boxOpen;

void LogLine(const char* text);
// printf-style report with a report code (base/codes.h); does not return for fatal codes.
void MsgBox(uint32_t code, const char* format, ...) __attribute__((format(printf, 2, 3)));
// A core library event or result with the text that came with it.
void ReportDll(uint32_t code, const char* text);
// Where the log file is (and is opened when appState.writeLog is set): the
// installation folder's "lumora_zephal.log".
std::u16string LogFilePath();
// Opens the log according to appState.writeLog.
void LogSetup();
void LogClose();
// Brings an open report box to the foreground.
void RaiseReportBox();
// Shows a modal box captioned like every report box while boxOpen counts it.
int ShowReportBox(HWND owner, const char* text, UINT style);
