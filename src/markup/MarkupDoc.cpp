// MarkupDoc: the text, parsing, the cursor, bookmarks and reading.
#include "markup/MarkupDoc.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <utility>

#include "markup/MarkupParse.h"
#include "markup/MarkupText.h"

namespace keyvale {

using markup::BuildElements;
using markup::BuildStatus;

MarkupDoc::MarkupDoc() = default;
MarkupDoc::~MarkupDoc() = default;

MarkupDoc::MarkupDoc(MarkupDoc&& other) noexcept
    : text_(std::move(other.text_)),
      errorText_(std::move(other.errorText_)),
      parentPos_(std::exchange(other.parentPos_, 0)),
      mainPos_(std::exchange(other.mainPos_, 0)),
      childPos_(std::exchange(other.childPos_, 0)),
      table_(std::move(other.table_)) {
    bookmarks_.Swap(other.bookmarks_);
    other.errorText_.clear();
}

MarkupDoc& MarkupDoc::operator=(MarkupDoc&& other) noexcept {
    if (this != &other) {
        MarkupDoc moved(std::move(other));
        text_.Swap(moved.text_);
        errorText_.swap(moved.errorText_);
        std::swap(parentPos_, moved.parentPos_);
        std::swap(mainPos_, moved.mainPos_);
        std::swap(childPos_, moved.childPos_);
        bookmarks_.Swap(moved.bookmarks_);
        table_.Swap(moved.table_);
    }
    return *this;
}

// --- The text and parsing --------------------------------------------------------------

bool MarkupDoc::AssignText(std::u16string_view text) {
    const std::size_t length = text.size();
    if (length > std::size_t(INT32_MAX)) return false;  // offsets are 32-bit

    if (length == 0) {
        text_.Assign({});
        errorText_.clear();
        parentPos_ = mainPos_ = childPos_ = 0;
        bookmarks_.Clear();
        table_.Clear();
        return false;
    }

    // Everything new is built beside the old state, so that running out of memory leaves
    // the document as it was: the parse reads the caller's text, and only then is it copied
    // over the old one (in the same buffer when that is big enough). Copying during the
    // parse would need a second buffer, as the old text must stay whole until the parse has
    // all its memory; that buffer would then hold the old text, and wiping it costs more
    // than the second read of the new one saves.
    ElementTable table;
    if (!table.Reserve(std::max<std::uint64_t>(table_.Capacity(), length / 64 + 8))) return false;
    std::u16string message;
    const markup::BuildResult built = BuildElements(text, 0, table, message);
    if (built.status == BuildStatus::outOfMemory) return false;
    if (!text_.AssignCopy(text)) return false;
    errorText_.swap(message);
    if (built.status == BuildStatus::ok) {
        table[0].firstChild = built.root;
        table[0].length = std::int32_t(length);
    } else {
        table.Clear();
    }
    table_.Swap(table);
    parentPos_ = mainPos_ = childPos_ = 0;
    bookmarks_.Clear();
    return built.status == BuildStatus::ok;
}

std::u16string MarkupDoc::DocumentText() const {
    try {
        return std::u16string(Text());
    } catch (const std::bad_alloc&) {
        return {};
    }
}

std::u16string MarkupDoc::ErrorText() const {
    try {
        return errorText_;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

bool MarkupDoc::HasRoot() const { return table_[0].firstChild != 0; }

void MarkupDoc::CopyFrom(const MarkupDoc& other) {
    if (this == &other) return;
    ElementTable table;
    BookmarkTable bookmarks;
    TextBuffer text;
    std::u16string errorText;
    try {
        errorText = other.errorText_;
    } catch (const std::bad_alloc&) {
        return;
    }
    if (!table.CopyFrom(other.table_) || !other.bookmarks_.CopyTo(bookmarks)) return;
    if (!text.AssignCopy(other.Text())) return;

    text_.Swap(text);
    errorText_.swap(errorText);
    table_.Swap(table);
    bookmarks_.Swap(bookmarks);
    parentPos_ = other.parentPos_;
    mainPos_ = other.mainPos_;
    childPos_ = other.childPos_;
}

// --- The cursor ------------------------------------------------------------------------

std::u16string_view MarkupDoc::TagName(std::uint32_t element) const {
    return markup::TagNameAt(Text(), std::size_t(table_.At(element).start));
}

// The search of NextElement and NextChild over (parent, after-element, name). A name may be
// a path: "a/b" enters the first "a" and goes on among its children, "*" matches any
// element, "*/" enters the first candidate, and a leading '/' starts at the root.
std::uint32_t MarkupDoc::Search(std::uint32_t parent, std::uint32_t after, std::u16string_view name) const {
    std::uint32_t candidate;
    std::size_t path = 0;
    if (!name.empty() && name[0] == u'/') {
        candidate = table_[0].firstChild;
        path = 1;
    } else if (after) {
        candidate = table_.At(after).nextSibling;
    } else {
        candidate = table_[parent].firstChild;
    }
    if (name.empty() || name == u"/") return candidate;

    while (candidate) {
        const std::u16string_view component = name.substr(path);
        if (!component.empty() && component[0] == u'*') {
            if (component.size() == 1 || component[1] != u'/') return candidate;
            path += 2;
            candidate = table_.At(candidate).firstChild;
            continue;
        }
        const std::u16string_view tag = TagName(candidate);
        if (markup::NameMatches(tag, component)) {
            if (tag.size() < component.size() && component[tag.size()] == u'/') {
                path += tag.size() + 1;
                candidate = table_.At(candidate).firstChild;
                continue;
            }
            return candidate;
        }
        candidate = table_.At(candidate).nextSibling;
    }
    return 0;
}

void MarkupDoc::SetMain(std::uint32_t element) {
    mainPos_ = element;
    parentPos_ = table_.At(element).parent;
    childPos_ = 0;
}

void MarkupDoc::SetChild(std::uint32_t element) {
    childPos_ = element;
    mainPos_ = table_.At(element).parent;
    parentPos_ = table_[mainPos_].parent;
}

void MarkupDoc::Rewind() { parentPos_ = mainPos_ = childPos_ = 0; }

void MarkupDoc::RewindChildren() { childPos_ = 0; }

bool MarkupDoc::NextElement(std::u16string_view name) {
    std::uint32_t found = Search(parentPos_, mainPos_, name);
    if (!found) return false;
    SetMain(found);
    return true;
}

bool MarkupDoc::NextChild(std::u16string_view name) {
    if (!mainPos_) NextElement({});
    std::uint32_t found = Search(mainPos_, childPos_, name);
    if (!found) return false;
    SetChild(found);
    return true;
}

bool MarkupDoc::Descend() {
    if (!mainPos_) return false;
    parentPos_ = mainPos_;
    mainPos_ = childPos_;
    childPos_ = 0;
    return true;
}

bool MarkupDoc::Ascend() {
    if (!parentPos_) return false;
    childPos_ = mainPos_;
    mainPos_ = parentPos_;
    parentPos_ = table_.At(mainPos_).parent;
    return true;
}

// --- Bookmarks -------------------------------------------------------------------------

bool MarkupDoc::Bookmark(std::u16string_view name) {
    if (name.empty()) return false;
    if (childPos_) return bookmarks_.Save(name, childPos_, BookmarkTable::Mode::child);
    if (mainPos_) return bookmarks_.Save(name, mainPos_, BookmarkTable::Mode::main);
    return bookmarks_.Save(name, parentPos_, BookmarkTable::Mode::parent);
}

bool MarkupDoc::GoToBookmark(std::u16string_view name) {
    if (name.empty()) return false;
    const BookmarkTable::Record* record = bookmarks_.Find(name);
    // A bookmark of an element that has been removed names nothing any more.
    if (!record || record->removed) return false;
    switch (record->mode) {
    case BookmarkTable::Mode::child: SetChild(record->element); break;
    case BookmarkTable::Mode::main: SetMain(record->element); break;
    case BookmarkTable::Mode::parent:
        parentPos_ = record->element;
        mainPos_ = childPos_ = 0;
        break;
    }
    return true;
}

// --- Reading ---------------------------------------------------------------------------

std::u16string MarkupDoc::ChildText() const {
    if (!childPos_) return {};
    const ElementEntry& c = table_[childPos_];
    if (c.firstChild || c.IsEmpty()) return {};
    const std::u16string_view text = Text();
    const std::size_t s = std::size_t(c.ContentStart());
    const std::size_t e = std::size_t(c.ContentEnd());
    try {
        // A CDATA section that opens the content (after white space) is returned raw.
        std::size_t i = s;
        while (i < e && markup::IsSpace(text[i])) ++i;
        if (i < text.size() && text[i] == u'<' && i + 11 < e && text.compare(i, 9, u"<![CDATA[") == 0) {
            std::size_t close = text.find(u"]]>", i + 9);
            if (close != std::u16string_view::npos && close < e) return std::u16string(text.substr(i + 9, close - i - 9));
        }
        return markup::UnescapeMarkup(text, s, e);
    } catch (const std::bad_alloc&) {
        return {};
    }
}

std::u16string MarkupDoc::ChildName() const {
    if (!childPos_) return {};
    try {
        return std::u16string(TagName(childPos_));
    } catch (const std::bad_alloc&) {
        return {};
    }
}

// The end of an element extended over the white space after it, when that white space is
// followed by '<' or by the end of the text: the element's own line break.
std::int32_t MarkupDoc::ExtendOverBreak(std::int32_t end) const {
    const std::u16string_view text = Text();
    std::size_t i = std::size_t(end);
    while (i < text.size() && markup::IsSpace(text[i])) ++i;
    return (i == text.size() || text[i] == u'<') ? std::int32_t(i) : end;
}

std::u16string MarkupDoc::ChildMarkup() const {
    if (!childPos_) return {};
    const ElementEntry& c = table_.At(childPos_);
    const std::int32_t end = ExtendOverBreak(c.End());
    try {
        return std::u16string(Text().substr(std::size_t(c.start), std::size_t(end - c.start)));
    } catch (const std::bad_alloc&) {
        return {};
    }
}

}  // namespace keyvale
