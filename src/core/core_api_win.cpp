// In-process placeholder for the core library until the client links against
// Zephal_Core.dll: a healthy core that is always idle.
#include "core/core_api.h"

extern "C" {
uint32_t ZEPHAL_CDECL Zephal_Init(CoreInitRecord*, CoreMessageCallback, CoreStatusCallback) { return 0; }
uint32_t ZEPHAL_CDECL Zephal_Start(CoreStartRecord*, uint32_t) { return 0; }
uint32_t ZEPHAL_CDECL Zephal_Stop(void*, uint32_t) { return 0; }
uint32_t ZEPHAL_CDECL Zephal_Clear(void) { return 0; }
uint32_t ZEPHAL_CDECL Zephal_Get_QueryData(CoreQueryRecord*) { return 0; }
int32_t ZEPHAL_CDECL Zephal_Proc_GetCount(void) { return 0; }
void* ZEPHAL_CDECL Zephal_Proc_GetInfo(void) { return nullptr; }
uint32_t ZEPHAL_CDECL Zephal_Proc_Kill(void) { return 0; }
uint32_t ZEPHAL_CDECL Zephal_GetDllVersion(void) { return 0x10100007; }
uint32_t ZEPHAL_CDECL Zephal_GetCoreVersion(void) { return 0x10200011; }
}
