// Runs a scenario file against the stand-in browser: every step is printed with its
// outcome, and the run ends with "N passed, N failed".
#pragma once

#include "BrowserWindowWin.h"
#include "Scenario.h"

#include <memory>
#include <string>
#include <vector>

namespace keyvale::harness {

struct RunnerOptions {
    std::wstring bandDll;      // make the band from this DLL instead of the registry
    std::string scenarioPath;
    std::string outputFolder;  // where screenshots go; the current folder when empty
    bool narrate = false;      // print only what `say` says and what failed, not every step
};

class ScenarioRunner {
public:
    explicit ScenarioRunner(RunnerOptions options);
    ~ScenarioRunner();

    // The process exit code: 0 when every step passed.
    int Run();

private:
    std::string Execute(const Step& step);
    std::string OpenWindow();
    // Runs `work` on a window's thread: the current one, or the one given.
    std::string OnUi(const std::function<std::string(BrowserWindow&)>& work);
    std::string OnUi(BrowserWindow& window, const std::function<std::string(BrowserWindow&)>& work);
    std::string Path(const std::string& name) const;
    std::string Click(bool arrow);

    RunnerOptions options;
    std::string folder;  // the scenario's folder, for relative paths
    std::vector<std::unique_ptr<BrowserWindow>> windows;
    BrowserWindow* current = nullptr;
    std::vector<std::pair<std::u16string, std::string>> pages;  // every `page` so far
    UINT loadDelayMs = 0;
    bool neverLoads = false;
    bool aborted = false;
};

}  // namespace keyvale::harness
