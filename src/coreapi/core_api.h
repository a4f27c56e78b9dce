// The functions and records of the core library, Zephal_Core.dll.
#pragma once
#include <cstdint>

#if defined(_WIN32) && !defined(_WIN64)
#define ZEPHAL_CDECL __cdecl
#else
#define ZEPHAL_CDECL
#endif

struct CoreInitRecord;
struct CoreStartRecord;
struct CoreQueryRecord;

typedef void(ZEPHAL_CDECL* CoreMessageCallback)(uint32_t code, const char* text);
typedef void(ZEPHAL_CDECL* CoreStatusCallback)(int32_t state);

extern "C" {
uint32_t ZEPHAL_CDECL Zephal_Init(CoreInitRecord* record, CoreMessageCallback onMessage, CoreStatusCallback onStatus);
uint32_t ZEPHAL_CDECL Zephal_Start(CoreStartRecord* record, uint32_t reserved);
uint32_t ZEPHAL_CDECL Zephal_Stop(void* context, uint32_t reason);
uint32_t ZEPHAL_CDECL Zephal_Clear(void);
uint32_t ZEPHAL_CDECL Zephal_Get_QueryData(CoreQueryRecord* record);
int32_t ZEPHAL_CDECL Zephal_Proc_GetCount(void);
void* ZEPHAL_CDECL Zephal_Proc_GetInfo(void);
uint32_t ZEPHAL_CDECL Zephal_Proc_Kill(void);
uint32_t ZEPHAL_CDECL Zephal_GetDllVersion(void);
uint32_t ZEPHAL_CDECL Zephal_GetCoreVersion(void);
}
