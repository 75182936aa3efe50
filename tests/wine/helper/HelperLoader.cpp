// A host process that loads the helper: HelperLoader.exe DLL-PATH. The exit code is 0
// when the helper loaded, else the loader's error (ERROR_DLL_INIT_FAILED when the helper
// refused this process). Tests copy it under other names and folders.
#include "helper/HelperPrelude.h"

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: HelperLoader DLL-PATH\n");
        return 2;
    }
    HMODULE helper = ::LoadLibraryW(argv[1]);
    if (!helper) {
        const DWORD error = ::GetLastError();
        std::printf("not loaded (error %lu)\n", static_cast<unsigned long>(error));
        return error ? static_cast<int>(error) : 1;
    }
    std::printf("loaded\n");
    ::FreeLibrary(helper);
    return 0;
}
