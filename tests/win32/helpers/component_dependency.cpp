// A DLL that a test component needs: installed beside the component, in a
// folder that is on no search path.
#include <windows.h>

extern "C" __declspec(dllexport) int DependencyAnswer() { return 42; }
