#include "harness/PageText.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

namespace keyvale::harness {
namespace {

namespace fs = std::filesystem;

std::string NormalPath(const std::string& path) {
    std::error_code ec;
    fs::path absolute = fs::absolute(fs::path(path), ec);
    if (ec) absolute = fs::path(path);
    return absolute.lexically_normal().generic_string();
}

struct Line {
    int number;
    std::string_view text;
};

// Splits off the first word of `rest` (up to a space or the end), and the one space after it.
std::string_view Word(std::string_view& rest) {
    const std::size_t end = rest.find(' ');
    std::string_view word = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    return word;
}

class Loader {
public:
    Loader(PageModel& model, std::string& error) : model_(model), error_(error) {}

    ModelDocument* LoadFile(const std::string& path) {
        const std::string normal = NormalPath(path);
        if (ModelDocument* loaded = model_.FindByName(Utf8ToUtf16(normal))) return loaded;
        std::ifstream in(fs::path(normal), std::ios::binary);
        if (!in) {
            error_ = normal + ": cannot be read";
            return nullptr;
        }
        std::ostringstream text;
        text << in.rdbuf();
        return LoadText(text.str(), normal);
    }

    ModelDocument* LoadText(std::string_view text, const std::string& path) {
        // First the pages, so that frames may name pages that come later in the file.
        std::vector<Line> lines;
        int number = 0;
        for (std::size_t start = 0; start <= text.size();) {
            std::size_t end = text.find('\n', start);
            if (end == std::string_view::npos) end = text.size();
            std::string_view line = text.substr(start, end - start);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            ++number;
            start = end + 1;
            const std::size_t first = line.find_first_not_of(" \t");
            if (first == std::string_view::npos || line[first] == '#') continue;
            lines.push_back({number, line.substr(first)});
        }

        std::map<std::string, ModelDocument*, std::less<>> pages;
        ModelDocument* main = &model_.AddDocument({});
        main->name = Utf8ToUtf16(path);
        std::vector<ModelDocument*> pageOfLine;
        ModelDocument* page = main;
        // A file that failed is not found again by its name.
        auto forget = [&] {
            main->name.clear();
            for (auto& named : pages) named.second->name.clear();
            return nullptr;
        };
        for (std::size_t i = 0; i < lines.size(); ++i) {
            std::string_view rest = lines[i].text;
            if (Word(rest) == "page") {
                if (rest.empty() || pages.count(rest)) {
                    Fail(path, lines[i],
                         rest.empty() ? "a page needs a name"
                                      : "a second page called " + std::string(rest));
                    return forget();
                }
                if (i != 0) {  // a first line names the main page
                    page = &model_.AddDocument({});
                    page->name = Utf8ToUtf16(path + "#" + std::string(rest));
                }
                pages.emplace(std::string(rest), page);
            }
            pageOfLine.push_back(page);
        }

        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (!Statement(*pageOfLine[i], lines[i], path, pages)) return forget();
        }
        return main;
    }

private:
    bool Statement(ModelDocument& page, const Line& line, const std::string& path,
                   const std::map<std::string, ModelDocument*, std::less<>>& pages) {
        std::string_view rest = line.text;
        const std::string_view keyword = Word(rest);
        if (keyword == "page") return true;
        if (keyword == "url") {
            page.url = Utf8ToUtf16(rest);
        } else if (keyword == "title") {
            page.title = Utf8ToUtf16(rest);
        } else if (keyword == "input") {
            const std::string_view type = Word(rest);
            const std::string_view name = Word(rest);
            if (type.empty() || name.empty()) {
                return Fail(path, line, "an input needs a type and a name (\"-\" for none)");
            }
            std::optional<std::u16string> fieldName;
            if (name == "\"\"") {
                fieldName = std::u16string();
            } else if (name != "-") {
                fieldName = Utf8ToUtf16(name);
            }
            page.AddInput(Utf8ToUtf16(type), std::move(fieldName), Utf8ToUtf16(rest));
        } else if (keyword == "element") {
            if (rest.empty()) return Fail(path, line, "an element needs a tag");
            page.AddElement(Utf8ToUtf16(rest));
        } else if (keyword == "frame") {
            const std::string_view tag = Word(rest);
            if (tag.empty() || rest.empty()) {
                return Fail(path, line, "a frame needs a tag and a page");
            }
            ModelDocument* target = nullptr;
            if (auto named = pages.find(rest); named != pages.end()) {
                target = named->second;
            } else {
                const fs::path file = fs::path(path).parent_path() / fs::path(std::string(rest));
                target = LoadFile(file.generic_string());
                if (!target) return false;
            }
            page.AddFrame(Utf8ToUtf16(tag), target);
        } else {
            return Fail(path, line, "unknown statement '" + std::string(keyword) + "'");
        }
        return true;
    }

    bool Fail(const std::string& path, const Line& line, const std::string& what) {
        error_ = path + ":" + std::to_string(line.number) + ": " + what;
        return false;
    }

    PageModel& model_;
    std::string& error_;
};

}  // namespace

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        std::size_t length = byte < 0x80 ? 1 : (byte >> 5) == 6 ? 2 : (byte >> 4) == 14 ? 3
                           : (byte >> 3) == 30 ? 4 : 0;
        char32_t code = length == 1 ? byte : length == 2 ? (byte & 0x1F)
                      : length == 3 ? (byte & 0x0F) : (byte & 0x07);
        bool good = length != 0 && i + length <= text.size();
        for (std::size_t k = 1; good && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            good = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        static constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
        good = good && code >= kLeast[length] && code <= 0x10FFFF &&
               !(code >= 0xD800 && code <= 0xDFFF);
        if (!good) {
            out.push_back(u'\uFFFD');
            ++i;
            continue;
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(code));
        }
        i += length;
    }
    return out;
}

ModelDocument* LoadPageFile(PageModel& model, const std::string& path, std::u16string_view url,
                            std::string& error) {
    ModelDocument* page = Loader(model, error).LoadFile(path);
    if (page && !url.empty()) page->url = std::u16string(url);
    return page;
}

ModelDocument* LoadPageText(PageModel& model, std::string_view text, const std::string& path,
                            std::u16string_view url, std::string& error) {
    ModelDocument* page = Loader(model, error).LoadText(text, NormalPath(path));
    if (page && !url.empty()) page->url = std::u16string(url);
    return page;
}

}  // namespace keyvale::harness
