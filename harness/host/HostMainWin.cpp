// lumora-host: the stand-in browser, driven by a scenario file.
//   lumora-host [--band KEYVALE.DLL] [--out FOLDER] [--narrate] SCENARIO
// With --band the band is made from that DLL at once; without it the browser starts as a
// browser does, with the helpers and bands the registry names. --narrate prints only what
// the scenario says and what failed.
#include "ScenarioRunnerWin.h"

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv) {
    keyvale::harness::RunnerOptions options;
    auto narrow = [](const wchar_t* text) {
        const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
        std::string out(size > 0 ? size - 1 : 0, '\0');
        ::WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
        return out;
    };
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg == L"--band" && i + 1 < argc) {
            options.bandDll = argv[++i];
        } else if (arg == L"--narrate") {
            options.narrate = true;
        } else if (arg == L"--out" && i + 1 < argc) {
            options.outputFolder = narrow(argv[++i]);
        } else if (options.scenarioPath.empty() && arg.rfind(L"--", 0) != 0) {
            options.scenarioPath = narrow(argv[i]);
        } else {
            std::fprintf(stderr, "usage: lumora-host [--band KEYVALE.DLL] [--out FOLDER] [--narrate] SCENARIO\n");
            return 2;
        }
    }
    if (options.scenarioPath.empty()) {
        std::fprintf(stderr, "usage: lumora-host [--band KEYVALE.DLL] [--out FOLDER] [--narrate] SCENARIO\n");
        return 2;
    }
    keyvale::harness::ScenarioRunner runner(options);
    return runner.Run();
}
