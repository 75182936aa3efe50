#include "ScenarioRunnerWin.h"

#include "MenuDriverWin.h"
#include "ScreenshotWin.h"
#include "cli/LumoraCommand.h"
#include "harness/PageText.h"
#include "page/PageFill.h"
#include "store/StoreFile.h"
#include "store/StoreServices.h"

#include <commctrl.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace keyvale::harness {
namespace {

constexpr DWORD kStepTimeoutMs = 10000;

std::u16string U16(const std::string& utf8) { return Utf8ToUtf16(utf8); }

std::wstring Wide(const std::string& utf8) {
    const std::u16string text = Utf8ToUtf16(utf8);
    return std::wstring(text.begin(), text.end());
}

std::string Narrow(const std::wstring& text) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string out(size, '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

std::string Narrow(const std::u16string& text) { return Narrow(std::wstring(text.begin(), text.end())); }

bool ToNumber(const std::string& text, long& value) {
    char* end = nullptr;
    value = std::strtol(text.c_str(), &end, 10);
    return !text.empty() && end && *end == '\0';
}

// A console for the store tool that keeps what it says.
class CapturedConsole final : public cli::Console {
public:
    void Out(std::string_view bytes) override { out.append(bytes); }
    void Err(std::string_view bytes) override { err.append(bytes); }
    bool ReadFile(const std::u16string& path, std::string& bytes) override {
        std::vector<std::uint8_t> content;
        if (!PlatformStoreServices().files->ReadFile(path, content)) return false;
        bytes.assign(content.begin(), content.end());
        return true;
    }
    std::string out, err;
};

// The first field named `name` in the document or, in document order, in its frames.
ModelElement* FindField(ModelDocument* document, std::u16string_view name, int depth = 0) {
    if (!document || depth > 8) return nullptr;
    if (ModelElement* field = document->FindField(name)) return field;
    for (ModelFrame& frame : document->frames) {
        if (ModelElement* field = FindField(frame.document, name, depth + 1)) return field;
    }
    return nullptr;
}

std::string Describe(std::size_t number, const ReceivedKey& key) {
    char text[128];
    std::snprintf(text, sizeof text, "key message %zu is (message %#x, key %u, data %#lx)", number, key.message,
                  static_cast<unsigned>(key.wParam), static_cast<unsigned long>(key.lParam));
    return text;
}

}  // namespace

ScenarioRunner::ScenarioRunner(RunnerOptions options) : options(std::move(options)) {
    const auto slash = this->options.scenarioPath.find_last_of("/\\");
    folder = slash == std::string::npos ? std::string() : this->options.scenarioPath.substr(0, slash + 1);
}

ScenarioRunner::~ScenarioRunner() {
    // Newest first, as a user closes the windows.
    while (!windows.empty()) windows.pop_back();
}

std::string ScenarioRunner::Path(const std::string& name) const {
    if (name.empty() || name[0] == '/' || name[0] == '\\' || (name.size() > 1 && name[1] == ':')) return name;
    return folder + name;
}

std::string ScenarioRunner::OnUi(const std::function<std::string(BrowserWindow&)>& work) {
    if (!current) return "no browser window is open";
    return OnUi(*current, work);
}

std::string ScenarioRunner::OnUi(BrowserWindow& window, const std::function<std::string(BrowserWindow&)>& work) {
    std::string result;
    if (!window.Port().Run([&] { result = work(window); }, kStepTimeoutMs)) {
        aborted = true;
        return "the browser window did not answer within its time";
    }
    return result;
}

std::string ScenarioRunner::OpenWindow() {
    WindowOptions windowOptions;
    windowOptions.bandDll = windows.empty() ? options.bandDll : std::wstring();
    windowOptions.loadHelpers = options.bandDll.empty();
    std::string error;
    std::unique_ptr<BrowserWindow> window = BrowserWindow::Open(windowOptions, error);
    if (!window) return error;
    current = window.get();
    windows.push_back(std::move(window));
    return OnUi([&](BrowserWindow& w) -> std::string {
        w.loadDelayMs = loadDelayMs;
        w.neverLoads = neverLoads;
        for (const auto& [url, file] : pages) {
            std::string failure;
            if (!LoadPageFile(w.Model(), file, url, failure)) return failure;
        }
        return {};
    });
}

// Presses and releases the mouse on the band's button: on its main part or on its arrow.
std::string ScenarioRunner::Click(bool arrow) {
    if (!current) return "no browser window is open";
    HWND toolbar = current->BandWindow();
    if (!toolbar || !::IsWindowVisible(toolbar)) return "no band is shown";
    RECT button{};
    if (!::SendMessageW(toolbar, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&button))) return "the band has no button";
    const int x = arrow ? button.right - 4 : button.left + 8;
    const LPARAM point = MAKELPARAM(x, (button.top + button.bottom) / 2);
    ::PostMessageW(toolbar, WM_MOUSEMOVE, 0, point);
    ::PostMessageW(toolbar, WM_LBUTTONDOWN, MK_LBUTTON, point);
    if (!arrow) ::PostMessageW(toolbar, WM_LBUTTONUP, 0, point);
    return {};
}

std::string ScenarioRunner::Execute(const Step& step) {
    const std::string& c = step.command;
    const auto& a = step.args;
    auto needs = [&](std::size_t n) { return a.size() == n ? std::string() : "takes " + std::to_string(n) + " argument(s)"; };

    if (c == "store") {
        if (auto e = needs(1); !e.empty()) return e;
        CapturedConsole console;
        if (cli::RunLumora({u"replace", U16(Path(a[0]))}, console) != cli::kExitOk) return "the store was not replaced: " + console.err;
        return {};
    }
    if (c == "remove-store") {
        const std::optional<std::u16string> file = StoreFilePath();
        if (!file) return "the store's folder is not known";
        const std::wstring path(file->begin(), file->end());
        if (!::DeleteFileW(path.c_str()) && ::GetLastError() != ERROR_FILE_NOT_FOUND) return "the store file stays";
        return {};
    }
    if (c == "page") {
        if (auto e = needs(2); !e.empty()) return e;
        pages.emplace_back(U16(a[0]), Path(a[1]));
        for (auto& window : windows) {
            std::string failure = OnUi(*window, [&](BrowserWindow& w) -> std::string {
                std::string error;
                return LoadPageFile(w.Model(), Path(a[1]), U16(a[0]), error) ? std::string() : error;
            });
            if (!failure.empty()) return failure;
        }
        return {};
    }
    if (c == "load-delay" || c == "never-loads") {
        long delay = 0;
        if (c == "load-delay" && (a.size() != 1 || !ToNumber(a[0], delay) || delay < 0)) return "takes a delay in milliseconds";
        loadDelayMs = static_cast<UINT>(delay);
        neverLoads = c == "never-loads";
        if (!current) return {};
        return OnUi([&](BrowserWindow& w) {
            w.loadDelayMs = loadDelayMs;
            w.neverLoads = neverLoads;
            return std::string();
        });
    }
    if (c == "new-window") return OpenWindow();
    if (c == "say") {
        std::printf(options.narrate ? "%s\n" : "  %s\n", step.rest.c_str());
        return {};
    }
    if (c == "open") {
        if (auto e = needs(1); !e.empty()) return e;
        return OnUi([&](BrowserWindow& w) -> std::string {
            win::unique_bstr url(::SysAllocString(Wide(a[0]).c_str()));
            return SUCCEEDED(w.Browser()->Navigate(url.get(), nullptr, nullptr, nullptr, nullptr)) ? "" : "Navigate failed";
        });
    }
    if (c == "click-button") {
        std::string failure = Click(false);
        if (!failure.empty()) return failure;
        return current->Port().Settle(kStepTimeoutMs) ? "" : "the click was not handled within its time";
    }
    if (c == "open-menu") {
        std::string failure = Click(true);
        if (!failure.empty()) return failure;
        return WaitForMenu(true, kStepTimeoutMs) ? "" : "no menu opened";
    }
    if (c == "expect-menu") {
        HMENU menu = OpenMenu();
        if (!menu) return "no menu is open";
        return Narrow(CompareMenu(menu, Wide(step.rest)));
    }
    if (c == "choose-menu") {
        std::string failure = Narrow(GoToMenuItem(Wide(step.rest), true, kStepTimeoutMs));
        if (!failure.empty()) return failure;
        return current->Port().Settle(kStepTimeoutMs) ? "" : "the choice was not handled within its time";
    }
    if (c == "point-menu") return Narrow(GoToMenuItem(Wide(step.rest), false, kStepTimeoutMs));
    if (c == "close-menu") {
        for (int i = 0; i < 5 && AnyMenuOpen(); ++i) {
            if (HWND menu = ::FindWindowExW(nullptr, nullptr, L"#32768", nullptr)) ::PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
            ::Sleep(50);
        }
        return WaitForMenu(false, kStepTimeoutMs) ? "" : "the menu did not close";
    }
    if (c == "type" || c == "expect-field") {
        if (a.size() != 2) return "takes a field name and a value";
        return OnUi([&](BrowserWindow& w) -> std::string {
            ModelElement* field = FindField(w.State().current, U16(a[0]));
            if (!field) return "the page has no field " + a[0];
            if (c == "type") {
                field->value = U16(a[1]);
                w.Windows().Repaint();
                return {};
            }
            if (field->value == U16(a[1])) return {};
            return "the field " + a[0] + " holds \"" + Narrow(field->value) + "\"";
        });
    }
    if (c == "wait") {
        long ms = 0;
        if (a.size() != 1 || !ToNumber(a[0], ms) || ms < 0) return "takes milliseconds";
        ::Sleep(static_cast<DWORD>(ms));
        return {};
    }
    if (c == "expect-keys" || c == "expect-no-keys") {
        return OnUi([&](BrowserWindow& w) -> std::string {
            const std::vector<ReceivedKey> keys = w.Windows().ReceivedKeys();
            w.Windows().ClearKeys();
            if (c == "expect-no-keys") return keys.empty() ? "" : "the page received " + std::to_string(keys.size()) + " key messages";
            if (keys.size() != kSubmitKeys.size()) return "the page received " + std::to_string(keys.size()) + " key messages, not 5";
            for (std::size_t i = 0; i < keys.size(); ++i) {
                const KeyStroke& want = kSubmitKeys[i];
                if (keys[i].message != static_cast<UINT>(want.message) || keys[i].wParam != want.key ||
                    static_cast<std::uint32_t>(keys[i].lParam) != want.keyData) {
                    return Describe(i + 1, keys[i]);
                }
            }
            return {};
        });
    }
    if (c == "resize") {
        long width = 0;
        if (a.size() != 1 || !ToNumber(a[0], width) || width < 100) return "takes a width of 100 or more";
        std::string failure = OnUi([&](BrowserWindow& w) {
            RECT r{};
            ::GetWindowRect(w.TopLevel(), &r);
            ::SetWindowPos(w.TopLevel(), nullptr, 0, 0, width, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
            return std::string();
        });
        if (!failure.empty()) return failure;
        return current->Port().Settle(kStepTimeoutMs) ? "" : "the resize was not handled within its time";
    }
    if (c == "expect-button-right-aligned") {
        if (!current || !current->BandWindow()) return "no band is shown";
        HWND toolbar = current->BandWindow();
        RECT client{}, button{};
        ::GetClientRect(toolbar, &client);
        ::SendMessageW(toolbar, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&button));
        RECT area{};
        ::GetClientRect(::GetParent(toolbar), &area);
        if (client.right != area.right) return "the band is " + std::to_string(client.right) + " wide in an area of " + std::to_string(area.right);
        if (button.right != client.right) {
            return "the button ends at " + std::to_string(button.right) + ", the band at " + std::to_string(client.right);
        }
        return {};
    }
    if (c == "expect-url") {
        if (auto e = needs(1); !e.empty()) return e;
        return OnUi([&](BrowserWindow& w) -> std::string {
            if (w.Requested().empty()) return "the browser was asked to open nothing";
            const std::u16string& last = w.Requested().back();
            return last == U16(a[0]) ? "" : "the browser was last asked to open \"" + Narrow(last) + "\"";
        });
    }
    if (c == "expect-ready-queries") {
        long n = 0;
        if (a.size() != 1 || !ToNumber(a[0], n)) return "takes a number";
        return OnUi([&](BrowserWindow& w) -> std::string {
            const int queries = w.State().readyStateQueries;
            return queries == n ? "" : "the ready state was asked for " + std::to_string(queries) + " times";
        });
    }
    if (c == "expect-band" || c == "expect-no-band") {
        const bool shown = current && current->BandWindow() && ::IsWindowVisible(current->BandWindow());
        if (c == "expect-band") return shown ? "" : "no band is shown";
        return shown ? "a band is shown" : "";
    }
    if (c == "screenshot") {
        if (auto e = needs(1); !e.empty()) return e;
        if (!current) return "no browser window is open";
        std::string failure = OnUi([](BrowserWindow& w) {
            ::RedrawWindow(w.TopLevel(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
            return std::string();
        });
        if (!failure.empty()) return failure;
        ::Sleep(100);  // let an open menu finish drawing
        const std::string out = options.outputFolder.empty() ? a[0] : options.outputFolder + "/" + a[0];
        return CaptureScreenshot(current->TopLevel(), out);
    }
    return "unknown command";
}

int ScenarioRunner::Run() {
    std::ifstream file(options.scenarioPath, std::ios::binary);
    if (!file) {
        std::printf("cannot read the scenario %s\n0 passed, 1 failed\n", options.scenarioPath.c_str());
        return 1;
    }
    std::ostringstream text;
    text << file.rdbuf();
    std::vector<Step> steps;
    std::string error;
    if (!ParseScenario(text.str(), steps, error)) {
        std::printf("%s: %s\n0 passed, 1 failed\n", options.scenarioPath.c_str(), error.c_str());
        return 1;
    }

    int passed = 0, failed = 0;
    if (!options.narrate) std::printf("scenario %s: %zu steps\n", options.scenarioPath.c_str(), steps.size());
    const std::string opened = OpenWindow();
    if (!opened.empty()) {
        std::printf("the browser window could not be opened: %s\n0 passed, 1 failed\n", opened.c_str());
        return 1;
    }
    for (const Step& step : steps) {
        if (!options.narrate) std::printf("line %d: %s\n", step.line, step.text.c_str());
        std::fflush(stdout);
        const std::string failure = Execute(step);
        if (failure.empty()) {
            ++passed;
            if (!options.narrate) std::printf("  ok\n");
        } else {
            ++failed;
            if (options.narrate) std::printf("line %d: %s\n", step.line, step.text.c_str());
            std::printf("  FAILED: %s\n", failure.c_str());
        }
        std::fflush(stdout);
        if (aborted) {
            std::printf("the run stops here: a browser window no longer answers\n");
            break;
        }
    }
    if (aborted) {
        // A window that does not answer cannot be closed in order.
        std::printf("%d passed, %d failed\n", passed, failed);
        std::fflush(stdout);
        ::ExitProcess(1);
    }
    windows.clear();
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}

}  // namespace keyvale::harness
