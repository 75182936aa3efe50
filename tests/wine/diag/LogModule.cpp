// A DLL that holds its own copy of the log, for checking that the log lies beside the
// module that holds the code rather than beside the program.
#include "diag/Log.h"

extern "C" __declspec(dllexport) void LogFromModule(const char* text) { keyvale::WriteLog("%s", text); }
