#include "markup/MarkupParse.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "markup/MarkupText.h"

namespace keyvale::markup {

namespace {

constexpr std::size_t npos = std::u16string_view::npos;

// The unit after '<' that opens a start tag: an ASCII letter or anything above U+0060.
inline bool OpensStartTag(char16_t c) { return (c >= u'A' && c <= u'Z') || c > 0x60; }

// A start or end tag's name ends before white space, '/' or '>'.
inline bool EndsTagName(char16_t c) {
    constexpr std::uint64_t kStops =
        (1ull << ' ') | (1ull << '\t') | (1ull << '\n') | (1ull << '\r') | (1ull << '/') | (1ull << '>');
    return c < 64 && ((kStops >> c) & 1);
}

// The '>' that completes an end mark ("-->", "?>" or "]]>"), searched from `from`: the
// units right before it must be the mark's others, and its offset must be greater than the
// mark's length.
std::size_t FindMark(std::u16string_view text, std::size_t from, std::u16string_view mark) {
    const std::size_t others = mark.size() - 1;
    for (std::size_t i = from;; ++i) {
        i = FindUnit(text.data(), i, text.size(), u'>');
        if (i >= text.size()) return npos;
        if (i > mark.size() && text.compare(i - others, others, mark.substr(0, others)) == 0) return i;
    }
}

MarkupNode Malformed(MarkupNode node, const char16_t* word, std::size_t offset, bool unterminated) {
    node.kind = NodeKind::malformed;
    node.word = word;
    node.messageOffset = offset;
    node.unterminated = unterminated;
    return node;
}

MarkupNode Ending(MarkupNode node, NodeKind kind, std::size_t last) {
    node.kind = kind;
    node.end = last + 1;
    return node;
}

// After "<!D": everything is skipped except '<', which opens a construct that ends at its
// own end mark; a '>' while none is open ends the DOCTYPE.
MarkupNode ScanDoctype(std::u16string_view text, MarkupNode node) {
    const std::size_t p = node.start;
    const std::size_t length = text.size();
    std::size_t lastClose = npos;
    auto incorrect = [&](const char16_t* word) {
        return Malformed(node, word, lastClose == npos ? p : lastClose, false);
    };
    const MarkupNode unterminated = Malformed(node, u"Doctype", p, true);
    for (std::size_t i = p + 3; i < length; ++i) {
        char16_t c = text[i];
        if (c == u'>') return Ending(node, NodeKind::doctype, i);
        if (c != u'<') continue;
        if (i + 1 >= length) return unterminated;
        char16_t c1 = text[i + 1];
        std::size_t close;
        if (OpensStartTag(c1) || c1 == u'/') {
            close = FindUnit(text.data(), i + 2, length, u'>');
            if (close >= length) close = npos;
        } else if (c1 == u'?') {
            close = FindMark(text, i + 2, u"?>");
        } else if (c1 == u'!') {
            if (i + 2 >= length) return unterminated;
            char16_t c2 = text[i + 2];
            if (c2 == u'-') {
                if (i + 3 >= length) return unterminated;
                if (text[i + 3] != u'-') return incorrect(u"comment tag");
                close = FindMark(text, i + 2, u"-->");
            } else if (c2 == u'E' || c2 == u'A' || c2 == u'N') {
                close = FindUnit(text.data(), i + 3, length, u'>');
                if (close >= length) close = npos;
            } else {
                return incorrect(u"! tag");
            }
        } else {
            return incorrect(u"tag name character");
        }
        if (close == npos) return unterminated;
        lastClose = close;
        i = close;
    }
    return unterminated;
}

}  // namespace

MarkupNode ScanNode(std::u16string_view text, std::size_t offset) {
    const std::size_t length = text.size();
    MarkupNode node;
    node.start = node.end = offset;
    if (offset >= length) return node;  // end of text
    const std::size_t p = offset;
    if (text[p] != u'<') {
        node.kind = NodeKind::text;
        node.end = FindUnit(text.data(), p, length, u'<');
        return node;
    }
    if (p + 1 >= length) return Malformed(node, u"tag", p, true);
    const char16_t c = text[p + 1];
    if (OpensStartTag(c) || c == u'/') {
        const bool start = c != u'/';
        std::size_t n = start ? p + 1 : p + 2;
        node.nameStart = n;
        while (n < length && !EndsTagName(text[n])) ++n;
        node.nameEnd = n;
        std::size_t close = (n < length && text[n] == u'>') ? n : FindUnit(text.data(), n, length, u'>');
        if (close >= length) return Malformed(node, start ? u"Element tag" : u"Element end tag", p, true);
        node.empty = start && text[close - 1] == u'/';
        return Ending(node, start ? NodeKind::startTag : NodeKind::endTag, close);
    }
    if (c == u'?') {
        std::size_t close = FindMark(text, p + 2, u"?>");
        if (close == npos) return Malformed(node, u"Processing instruction", p, true);
        return Ending(node, NodeKind::processingInstruction, close);
    }
    if (c != u'!') return Malformed(node, u"tag name character", p, false);
    if (p + 2 >= length) return Malformed(node, u"tag", p, true);
    switch (text[p + 2]) {
    case u'-': {
        if (p + 3 >= length) return Malformed(node, u"tag", p, true);
        if (text[p + 3] != u'-') return Malformed(node, u"comment tag", p, false);
        std::size_t close = FindMark(text, p + 2, u"-->");
        if (close == npos) return Malformed(node, u"Comment", p, true);
        return Ending(node, NodeKind::comment, close);
    }
    case u'[': {
        if (p + 3 >= length) return Malformed(node, u"tag", p, true);
        if (text[p + 3] != u'C') return Malformed(node, u"tag", p, false);
        std::size_t close = FindMark(text, p + 3, u"]]>");
        if (close == npos) return Malformed(node, u"CDATA Section", p, true);
        return Ending(node, NodeKind::cdata, close);
    }
    case u'D': return ScanDoctype(text, node);
    case u'E':
    case u'A':
    case u'N': {
        std::size_t close = FindUnit(text.data(), p + 3, length, u'>');
        if (close >= length) return Malformed(node, u"tag", p, true);
        // A declaration outside a DOCTYPE.
        node.end = close + 1;
        return Malformed(node, u"declaration", p, false);
    }
    default: return Malformed(node, u"! tag", p, false);
    }
}

// --- Building the table ----------------------------------------------------------------

namespace {

struct OpenElement {
    std::uint32_t element;
    std::uint32_t firstChild;
    std::uint32_t lastChild;
    std::int32_t start;
    std::size_t nameStart;
    std::size_t nameLength;
};

// The stack of open elements: room for 6 at first, grown to 2n + 6 when full.
class OpenStack {
public:
    ~OpenStack() {
        if (items_ != inline_) std::free(items_);
    }
    bool Push(const OpenElement& e) {
        if (depth_ == capacity_ && !Grow()) return false;
        items_[depth_++] = e;
        return true;
    }
    OpenElement& Top() { return items_[depth_ - 1]; }
    void Pop() { --depth_; }
    std::size_t Depth() const { return depth_; }

private:
    bool Grow() {
        std::size_t capacity = 2 * capacity_ + 6;
        if (capacity > SIZE_MAX / sizeof(OpenElement)) return false;
        void* block = std::malloc(capacity * sizeof(OpenElement));
        if (!block) return false;
        std::memcpy(block, items_, depth_ * sizeof(OpenElement));
        if (items_ != inline_) std::free(items_);
        items_ = static_cast<OpenElement*>(block);
        capacity_ = capacity;
        return true;
    }
    OpenElement inline_[6];
    OpenElement* items_ = inline_;
    std::size_t depth_ = 0;
    std::size_t capacity_ = 6;
};

// Reading ahead (texts of kReadAheadFrom units and more): a scan that stops at every tag
// does not keep the processor's own prefetching busy enough, so the parse asks for the
// text 1,024 units ahead of where it reads and for the table entry 8 entries ahead of the
// one it fills.
constexpr std::size_t kReadAhead = 1024;
constexpr std::uint32_t kEntriesAhead = 8;

class Message {
public:
    explicit Message(std::u16string& out) : out_(out) { out_.clear(); }
    Message& operator<<(std::u16string_view s) {
        out_.append(s);
        return *this;
    }
    Message& operator<<(std::size_t n) {
        out_.append(DecimalText(std::int32_t(n)));
        return *this;
    }

private:
    std::u16string& out_;
};

// One pass over the text; every local the loop needs stays in a register (nothing takes
// their address), and the messages are made out of line. Reading ahead is compiled in only
// for large texts: on small ones it would only cost.
template <bool readAhead>
BuildResult Build(std::u16string_view text, std::uint32_t parent, ElementTable& table, std::u16string& message) {
    const char16_t* const t = text.data();
    const std::size_t length = text.size();
    auto name = [t](std::size_t start, std::size_t len) { return std::u16string_view(t + start, len); };

    OpenStack open;
    std::uint32_t root = 0;
    std::size_t pos = 0;
    // Entries come from the free list, else from the high-water mark, kept here while the
    // parse runs and written back at the end.
    std::uint32_t next = table.HighWater();
    std::uint32_t limit = next < table.Capacity() ? table.Capacity() : next;
    BuildStatus status = BuildStatus::ok;

    try {
        for (;;) {
            if constexpr (readAhead) {
                if (pos + kReadAhead < length) Prefetch(t + pos + kReadAhead);
            }
            // Text and white space up to the next '<' are skipped whole (a line break
            // between two tags most of the time).
            if (pos < length && t[pos] != u'<') {
                if (pos + 2 < length && t[pos + 2] == u'<' && t[pos + 1] != u'<')
                    pos += 2;
                else
                    pos = FindUnit(t, pos, length, u'<');
            }
            if (pos + 1 >= length) {
                if (pos >= length) break;
                Message(message) << u"tag at offset " << pos << u" unterminated";
                status = BuildStatus::failed;
                break;
            }
            const char16_t c = t[pos + 1];
            std::size_t close, nameStart, nameEnd;
            bool knownMatch;
            if (OpensStartTag(c)) {
                // A start tag, read as ScanNode reads it.
                std::size_t n = pos + 2;
                while (n < length && !EndsTagName(t[n])) ++n;
                close = (n < length && t[n] == u'>') ? n : FindUnit(t, n, length, u'>');
                if (close >= length) {
                    Message(message) << u"Element tag at offset " << pos << u" unterminated";
                    status = BuildStatus::failed;
                    break;
                }
                const std::size_t tagLength = close + 1 - pos;
                if (root && open.Depth() == 0) {
                    Message(message) << u"Element '" << name(pos + 1, n - pos - 1) << u"' at offset " << pos
                                     << u" is sibling to root";
                    status = BuildStatus::failed;
                    break;
                }
                if (tagLength > ElementEntry::kMaxStartTag) {
                    Message(message) << u"Element tag at offset " << pos << u" too long";
                    status = BuildStatus::failed;
                    break;
                }
                std::uint32_t e;
                if (table.FreeHead()) {
                    e = table.Take();
                } else {
                    if (next >= limit) {
                        table.SetHighWater(next);
                        if (!table.EnsureOne()) {
                            status = BuildStatus::outOfMemory;
                            break;
                        }
                        limit = table.Capacity();
                    }
                    e = next++;
                    if constexpr (readAhead) {
                        if (e + kEntriesAhead < limit) PrefetchForWrite(&table.At(e + kEntriesAhead));
                    }
                }
                ElementEntry& entry = table.At(e);
                entry.start = std::int32_t(pos);
                entry.firstChild = 0;
                entry.nextSibling = 0;
                std::uint32_t flags = 0;
                if (open.Depth() == 0) {
                    root = e;
                    entry.parent = parent;
                    entry.prevSibling = e;
                    flags = ElementEntry::first;
                    table[parent].firstChild = e;
                } else {
                    OpenElement& p = open.Top();
                    entry.parent = p.element;
                    if (p.firstChild == 0) {
                        p.firstChild = e;
                        table.At(p.element).firstChild = e;
                        entry.prevSibling = e;
                        flags = ElementEntry::first;
                    } else {
                        table.At(p.lastChild).nextSibling = e;
                        entry.prevSibling = p.lastChild;
                    }
                    p.lastChild = e;
                }
                if (t[close - 1] == u'/') {
                    entry.flags = flags | ElementEntry::empty;
                    entry.length = std::int32_t(tagLength);
                    entry.SetTagLengths(std::uint32_t(tagLength), 2);
                    pos = close + 1;
                    continue;
                }
                entry.flags = flags;
                // Most elements hold only text: when the next tag is the end tag
                // "</name>", the element is complete here and never goes on the stack.
                const std::size_t nameLength = n - pos - 1;
                const std::size_t after = FindUnit(t, close + 1, length, u'<');
                const std::size_t endName = after + 2;
                if (endName + nameLength < length && t[after + 1] == u'/' && t[endName + nameLength] == u'>' &&
                    nameLength + 3 <= ElementEntry::kMaxEndTag && SameUnits(t + endName, t + pos + 1, nameLength)) {
                    const std::size_t end = endName + nameLength + 1;
                    entry.length = std::int32_t(end - pos);
                    entry.SetTagLengths(std::uint32_t(tagLength), std::uint32_t(nameLength + 3));
                    pos = end;
                    continue;
                }
                entry.length = 0;  // set by its end tag
                entry.SetTagLengths(std::uint32_t(tagLength), 0);
                if (!open.Push({e, 0, 0, std::int32_t(pos), pos + 1, nameLength})) {
                    status = BuildStatus::outOfMemory;
                    break;
                }
                pos = after;
                continue;
            }
            if (c == u'/' && open.Depth() && pos + 2 + open.Top().nameLength < length &&
                t[pos + 2 + open.Top().nameLength] == u'>' &&
                SameUnits(t + pos + 2, t + open.Top().nameStart, open.Top().nameLength)) {
                // The end tag of the innermost open element, written as "</name>".
                knownMatch = true;
                nameStart = pos + 2;
                nameEnd = close = pos + 2 + open.Top().nameLength;
            } else {
                const MarkupNode node = ScanNode(text, pos);
                if (node.kind == NodeKind::malformed) {
                    if (node.unterminated)
                        Message(message) << node.word << u" at offset " << node.messageOffset << u" unterminated";
                    else
                        Message(message) << u"Incorrect " << node.word << u" at offset " << node.messageOffset;
                    status = BuildStatus::failed;
                    break;
                }
                if (node.kind != NodeKind::endTag) {
                    pos = node.end;  // CDATA, processing instruction, comment, DOCTYPE
                    continue;
                }
                knownMatch = false;
                close = node.end - 1;
                nameStart = node.nameStart;
                nameEnd = node.nameEnd;
            }
            // An end tag.
            if (open.Depth() == 0) {
                Message(message) << u"No start tag for end tag '" << name(nameStart, nameEnd - nameStart)
                                 << u"' at offset " << pos;
                status = BuildStatus::failed;
                break;
            }
            const std::size_t tagLength = close + 1 - pos;
            if (tagLength > ElementEntry::kMaxEndTag) {
                Message(message) << u"Element end tag at offset " << pos << u" too long";
                status = BuildStatus::failed;
                break;
            }
            {
                const OpenElement& o = open.Top();
                ElementEntry& entry = table.At(o.element);
                entry.length = std::int32_t(close + 1 - std::size_t(o.start));
                entry.tagLengths |= std::uint32_t(tagLength) << ElementEntry::kStartTagBits;
                if (!knownMatch && !NameMatches(name(nameStart, nameEnd - nameStart), name(o.nameStart, o.nameLength))) {
                    Message(message) << u"End tag '" << name(nameStart, nameEnd - nameStart) << u"' at offset " << pos
                                     << u" does not match start tag '" << name(o.nameStart, o.nameLength)
                                     << u"' at offset " << std::size_t(o.start);
                    status = BuildStatus::failed;
                    break;
                }
                if (o.firstChild) table.At(o.firstChild).prevSibling = o.lastChild;
                open.Pop();
            }
            pos = close + 1;
        }
        if (status == BuildStatus::ok && open.Depth()) {
            const OpenElement& o = open.Top();
            Message(message) << u"Element '" << name(o.nameStart, o.nameLength) << u"' at offset "
                             << std::size_t(o.start) << u" not ended";
            status = BuildStatus::failed;
        }
        if (status == BuildStatus::ok && !root) {
            Message(message) << u"Root element not found";
            status = BuildStatus::failed;
        }
    } catch (const std::bad_alloc&) {
        status = BuildStatus::outOfMemory;
    }
    table.SetHighWater(next);
    BuildResult result;
    result.status = status;
    result.root = status == BuildStatus::ok ? root : 0;
    return result;
}

}  // namespace

BuildResult BuildElements(std::u16string_view text, std::uint32_t parent, ElementTable& table,
                          std::u16string& message) {
    if (text.size() >= kReadAheadFrom) return Build<true>(text, parent, table, message);
    return Build<false>(text, parent, table, message);
}

}  // namespace keyvale::markup
