// A winhttp.dll planted beside a test program, as someone who may write to a program's
// folder could plant one: its platform check fails, so a program that binds it instead of
// the system's has no HTTP service.
#include <windows.h>

extern "C" __declspec(dllexport) BOOL WINAPI WinHttpCheckPlatform() {
    return FALSE;
}
