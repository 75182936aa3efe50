// Parsing: ScanNode reads one markup node, BuildElements builds the ElementTable entries of
// a whole text in one pass. Internal to src/markup/.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "markup/ElementTable.h"

namespace keyvale::markup {

enum class NodeKind {
    startTag,
    endTag,
    text,  // text and white space: both are skipped by the parse
    cdata,
    processingInstruction,
    comment,
    doctype,
    malformed,
    endOfText,
};

struct MarkupNode {
    NodeKind kind = NodeKind::endOfText;
    std::size_t start = 0;
    std::size_t end = 0;         // one past its last unit
    std::size_t nameStart = 0;   // start and end tags
    std::size_t nameEnd = 0;
    bool empty = false;          // a start tag that ends with "/>"
    // malformed: "Incorrect <word> at offset <offset>" or "<word> at offset <offset> unterminated"
    const char16_t* word = nullptr;
    bool unterminated = false;
    std::size_t messageOffset = 0;

    std::size_t Length() const { return end - start; }
};

// Reads the node that starts at `offset`.
MarkupNode ScanNode(std::u16string_view text, std::size_t offset);

enum class BuildStatus { ok, failed, outOfMemory };

struct BuildResult {
    BuildStatus status = BuildStatus::failed;
    std::uint32_t root = 0;    // the one element at the top level of the text
};

// Texts of this many units (8 MB) and more are too large to stay in the caches: their
// parse reads ahead of itself, with the same result.
inline constexpr std::size_t kReadAheadFrom = std::size_t(1) << 22;

// Builds the elements of `text` under `parent` (whose entry must have no children yet),
// taking entries from `table`. On failure `message` says why ("Root element not found"
// when the text holds no element) and the caller abandons the entries taken; they are all
// linked below `parent`.
BuildResult BuildElements(std::u16string_view text, std::uint32_t parent, ElementTable& table,
                          std::u16string& message);

}  // namespace keyvale::markup
