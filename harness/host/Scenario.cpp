#include "Scenario.h"

namespace keyvale::harness {
namespace {

std::string_view Trim(std::string_view s) {
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    const auto last = s.find_last_not_of(" \t\r\n");
    return s.substr(first, last - first + 1);
}

}  // namespace

std::vector<std::string> SplitList(std::string_view text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(separator, start);
        parts.emplace_back(Trim(text.substr(start, end == std::string_view::npos ? end : end - start)));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return parts;
}

bool ParseScenario(std::string_view text, std::vector<Step>& steps, std::string& error) {
    steps.clear();
    int lineNumber = 0;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        const std::size_t end = text.find('\n', pos);
        std::string_view line = text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
        pos = end == std::string_view::npos ? text.size() + 1 : end + 1;
        ++lineNumber;

        line = Trim(line);
        if (line.empty() || line.front() == '#') continue;

        Step step;
        step.line = lineNumber;
        step.text = std::string(line);
        std::size_t i = 0;
        bool first = true;
        while (i < line.size()) {
            while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
            if (i >= line.size()) break;
            std::string word;
            if (line[i] == '"') {
                const std::size_t close = line.find('"', i + 1);
                if (close == std::string_view::npos) {
                    error = "line " + std::to_string(lineNumber) + ": a quote is not closed";
                    return false;
                }
                word = std::string(line.substr(i + 1, close - i - 1));
                i = close + 1;
            } else {
                const std::size_t stop = line.find_first_of(" \t", i);
                word = std::string(line.substr(i, stop == std::string_view::npos ? std::string_view::npos : stop - i));
                i = stop == std::string_view::npos ? line.size() : stop;
            }
            if (first) {
                step.command = std::move(word);
                step.rest = std::string(Trim(line.substr(i)));
                first = false;
            } else {
                step.args.push_back(std::move(word));
            }
        }
        steps.push_back(std::move(step));
    }
    return true;
}

}  // namespace keyvale::harness
