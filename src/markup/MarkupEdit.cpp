// MarkupDoc editing: every edit splices the text once and patches the entries that follow
// the change and the ancestors that enclose it; nothing is parsed again. Every edit first
// makes sure of all the memory it needs, so that a failure changes nothing.
#include <algorithm>
#include <climits>
#include <new>

#include "markup/MarkupDoc.h"
#include "markup/MarkupParse.h"
#include "markup/MarkupText.h"

namespace keyvale {

namespace {

char16_t* Put(char16_t* out, std::u16string_view s) {
    return std::copy(s.begin(), s.end(), out);
}

// "<name/>\r\n" or "<name>escaped text</name>\r\n".
char16_t* PutElement(char16_t* out, std::u16string_view name, std::u16string_view text) {
    *out++ = u'<';
    out = Put(out, name);
    if (text.empty()) {
        out = Put(out, u"/>");
    } else {
        *out++ = u'>';
        out = markup::WriteEscaped(out, text, false);
        out = Put(out, u"</");
        out = Put(out, name);
        *out++ = u'>';
    }
    return Put(out, u"\r\n");
}

}  // namespace

bool MarkupDoc::ReserveSplice(std::size_t offset, std::size_t count, std::size_t insert) {
    const std::size_t length = text_.Length();
    if (offset > length || count > length - offset) return false;
    if (insert > std::size_t(INT32_MAX) || length - count + insert > std::size_t(INT32_MAX)) return false;
    return text_.ReserveForEdit(length - count + insert);
}

// Where a new element goes among the children of `parent`, after or before `ref` (none:
// at the end or the start), and the sibling it is linked after (0: it becomes first).
MarkupDoc::Place MarkupDoc::Locate(std::uint32_t parent, std::uint32_t ref, bool before) const {
    const ElementEntry& p = table_[parent];
    const bool parentEmpty = parent && p.IsEmpty();
    std::int32_t offset;
    if (ref) {
        const ElementEntry& r = table_.At(ref);
        offset = before ? r.start : r.End();
    } else if (!parent) {
        offset = before ? 0 : std::int32_t(text_.Length());
    } else if (parentEmpty) {
        offset = p.start + p.StartTagLength() - 1;  // its '>'
    } else {
        offset = before ? p.ContentStart() : p.ContentEnd();
    }
    if (!parentEmpty) offset = ExtendOverBreak(offset);

    std::uint32_t sibling = 0;
    if (ref) {
        const ElementEntry& r = table_.At(ref);
        sibling = !before ? ref : (r.IsFirst() ? 0 : r.prevSibling);
    } else if (p.firstChild && !before) {
        sibling = table_.At(p.firstChild).prevSibling;  // the last child
    }
    return {offset, sibling};
}

// Makes `element` a child of `parent` right after `sibling`, or its first child.
void MarkupDoc::Link(std::uint32_t parent, std::uint32_t sibling, std::uint32_t element) {
    ElementEntry& e = table_.At(element);
    e.parent = parent;
    if (sibling) {
        ElementEntry& s = table_.At(sibling);
        e.flags &= ~ElementEntry::first;
        e.nextSibling = s.nextSibling;
        if (s.nextSibling == 0)
            table_.At(table_[parent].firstChild).prevSibling = element;
        else
            table_.At(s.nextSibling).prevSibling = element;
        s.nextSibling = element;
        e.prevSibling = sibling;
        return;
    }
    e.flags |= ElementEntry::first;
    ElementEntry& p = table_[parent];
    if (p.firstChild) {
        ElementEntry& f = table_.At(p.firstChild);
        e.nextSibling = p.firstChild;
        e.prevSibling = f.prevSibling;
        f.prevSibling = element;
        f.flags &= ~ElementEntry::first;
    } else {
        e.nextSibling = 0;
        e.prevSibling = element;
    }
    p.firstChild = element;
}

// After a splice of `delta` units at or next to `element`: every element after it in
// document order moves, its ancestors (entry 0 included) stretch, its own subtree moves
// unless it lies before the change; the element itself is left to the caller. Elements
// before it are never visited.
void MarkupDoc::MoveDescendants(std::uint32_t root, std::int32_t delta) {
    std::uint32_t x = table_.At(root).firstChild;
    while (x) {
        ElementEntry& e = table_.At(x);
        e.start += delta;
        if (e.firstChild) {
            x = e.firstChild;
            continue;
        }
        while (x != root && table_.At(x).nextSibling == 0) x = table_.At(x).parent;
        if (x == root) break;
        x = table_.At(x).nextSibling;
    }
}

void MarkupDoc::Shift(std::uint32_t element, std::int32_t delta, bool moveSubtree) {
    if (moveSubtree) MoveDescendants(element, delta);
    std::uint32_t x = element;
    for (;;) {
        for (std::uint32_t s = table_.At(x).nextSibling; s; s = table_.At(s).nextSibling) {
            table_.At(s).start += delta;
            MoveDescendants(s, delta);
        }
        const std::uint32_t parent = table_.At(x).parent;
        table_[parent].length += delta;
        if (!parent) break;
        x = parent;
    }
}

// Puts the entries of `root`'s subtree (root included) whose number is below `limit` on
// the free list.
void MarkupDoc::FreeSubtree(std::uint32_t root, std::uint32_t limit) {
    std::uint32_t x = root;
    while (table_.At(x).firstChild) x = table_.At(x).firstChild;
    for (;;) {
        if (x == root) {
            if (root < limit) table_.Free(root);
            return;
        }
        const ElementEntry& e = table_.At(x);
        const std::uint32_t next = e.nextSibling;
        const std::uint32_t parent = e.parent;
        if (x < limit) table_.Free(x);
        if (next) {
            x = next;
            while (table_.At(x).firstChild) x = table_.At(x).firstChild;
        } else {
            x = parent;
        }
    }
}

// A self-closing parent that got its first child: its '/' was replaced by ">\r\n", the
// child's markup, "</" and its name, so its tag is now a start tag and the '>' that closed
// it closes its end tag.
void MarkupDoc::MarkOpened(std::uint32_t parent, std::size_t nameLength) {
    ElementEntry& p = table_.At(parent);
    p.SetTagLengths(std::uint32_t(p.StartTagLength() - 1), std::uint32_t(nameLength + 3));
    p.flags &= ~ElementEntry::empty;
}

// The three element adds: AppendElement (main, after), AppendChild (child, after) and
// InsertChild (child, before).
bool MarkupDoc::Add(std::u16string_view name, std::u16string_view text, Level level, bool before) {
    if (name.empty()) return false;  // "<" + "/>" would write an end tag
    std::uint32_t parent, ref;
    if (level == Level::child) {
        if (!mainPos_) return false;
        parent = mainPos_;
        ref = childPos_;
    } else {
        parent = parentPos_;
        ref = mainPos_;
        if (!parent && table_[0].firstChild) return false;  // the document has its root
    }
    const ElementEntry& p = table_[parent];
    const bool parentEmpty = parent && p.IsEmpty();
    const bool parentContentEmpty = parent && !parentEmpty && p.ContentEnd() == p.ContentStart();
    const Place place = Locate(parent, ref, before);
    const std::int32_t offset = place.offset + (parentEmpty || parentContentEmpty ? 2 : 0);

    const std::size_t nameLength = name.size();
    std::size_t startTag, endTag, length;
    if (text.empty()) {
        startTag = length = nameLength + 3;
        endTag = 2;
    } else {
        startTag = nameLength + 2;
        endTag = nameLength + 3;
        if (text.size() > std::size_t(INT32_MAX)) return false;
        length = markup::EscapedLength(text, false) + 2 * nameLength + 5;
    }
    if (startTag > ElementEntry::kMaxStartTag || endTag > ElementEntry::kMaxEndTag) return false;
    const std::size_t markupLength = length + 2;

    std::size_t at, count, insert;
    std::size_t parentNameLength = 0;
    if (parentEmpty) {
        parentNameLength = TagName(parent).size();
        if (parentNameLength + 3 > ElementEntry::kMaxEndTag) return false;
        at = std::size_t(p.start + p.StartTagLength() - 2);
        count = 1;
        insert = 3 + markupLength + 2 + parentNameLength;
    } else if (parentContentEmpty) {
        at = std::size_t(p.ContentStart());
        count = 0;
        insert = 2 + markupLength;
    } else {
        at = std::size_t(offset);
        count = 0;
        insert = markupLength;
    }
    if (!ReserveSplice(at, count, insert) || !table_.EnsureOne()) return false;

    // Nothing can fail from here on.
    if (!parent) table_[0].length = std::int32_t(text_.Length());
    const std::uint32_t n = table_.Take();
    {
        ElementEntry& e = table_.At(n);
        e.start = offset;
        e.length = std::int32_t(length);
        e.SetTagLengths(std::uint32_t(startTag), std::uint32_t(endTag));
        e.flags = text.empty() ? ElementEntry::empty : 0;
        e.firstChild = 0;
    }
    Link(parent, place.sibling, n);
    const std::u16string_view parentName =
        parentEmpty ? std::u16string_view(text_.Data() + table_.At(parent).start + 1, parentNameLength)
                    : std::u16string_view();
    char16_t* out = text_.OpenGap(at, count, insert);
    if (parentEmpty) {
        out = Put(out, u">\r\n");
        out = PutElement(out, name, text);
        out = Put(out, u"</");
        Put(out, parentName);
        MarkOpened(parent, parentNameLength);
    } else {
        if (parentContentEmpty) out = Put(out, u"\r\n");
        PutElement(out, name, text);
    }
    Shift(n, std::int32_t(insert) - std::int32_t(count), true);

    if (level == Level::child) {
        childPos_ = n;
    } else {
        mainPos_ = n;
        childPos_ = 0;
    }
    return true;
}

bool MarkupDoc::AppendElement(std::u16string_view name, std::u16string_view text) {
    return Add(name, text, Level::main, false);
}

bool MarkupDoc::AppendChild(std::u16string_view name, std::u16string_view text) {
    return Add(name, text, Level::child, false);
}

bool MarkupDoc::InsertChild(std::u16string_view name, std::u16string_view text) {
    return Add(name, text, Level::child, true);
}

bool MarkupDoc::SetAttribute(std::u16string_view name, std::u16string_view value) {
    if (!mainPos_ || name.empty()) return false;
    const std::u16string_view text = Text();
    const ElementEntry& m = table_.At(mainPos_);
    const std::size_t tagEnd = std::size_t(m.start + m.StartTagLength());  // one past its '>'
    const std::size_t insertAt = tagEnd - (m.IsEmpty() ? 2 : 1);

    // The attribute: an unquoted token that matches the name, then '=', then a quoted
    // value. The search stays inside the start tag.
    bool found = false;
    std::size_t valueStart = 0, valueEnd = 0;
    std::size_t pos = std::size_t(m.start) + 1;
    std::ptrdiff_t matched = -1;
    for (std::ptrdiff_t index = 0;; ++index) {
        const markup::Token t = markup::ReadToken(text, pos);
        if (t.none) break;
        if (t.quoted) {
            if (t.end >= tagEnd - 1) break;  // its closing quote is not inside the tag
            if (matched >= 0 && index == matched + 2) {
                found = true;
                valueStart = t.start;
                valueEnd = t.end;
                break;
            }
        } else {
            const std::u16string_view token = text.substr(t.start, t.Length());
            if (token == u">" || token == u"/" || token == u"?") break;
            if (token != u"=" && index > 0 && matched < 0 && markup::NameMatches(token, name)) matched = index;
        }
        pos = t.next;
    }

    if (value.size() > std::size_t(INT32_MAX)) return false;
    const std::size_t escaped = markup::EscapedLength(value, true);
    std::size_t at, count, insert;
    if (found) {
        at = valueStart;
        count = valueEnd - valueStart;
        insert = escaped;
    } else {
        at = insertAt;
        count = 0;
        insert = 1 + name.size() + 2 + escaped + 1;
    }
    const std::int64_t diff = std::int64_t(insert) - std::int64_t(count);
    if (m.StartTagLength() + diff > std::int64_t(ElementEntry::kMaxStartTag)) return false;
    if (!ReserveSplice(at, count, insert)) return false;

    char16_t* out = text_.OpenGap(at, count, insert);
    if (found) {
        markup::WriteEscaped(out, value, true);
    } else {
        *out++ = u' ';
        out = Put(out, name);
        out = Put(out, u"=\"");
        out = markup::WriteEscaped(out, value, true);
        *out = u'"';
    }
    ElementEntry& e = table_.At(mainPos_);
    e.SetTagLengths(std::uint32_t(e.StartTagLength() + diff), std::uint32_t(e.EndTagLength()));
    e.length += std::int32_t(diff);
    Shift(mainPos_, std::int32_t(diff), true);
    return true;
}

bool MarkupDoc::SetNumberAttribute(std::u16string_view name, std::int32_t value) {
    try {
        return SetAttribute(name, markup::DecimalText(value));
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool MarkupDoc::AppendChildMarkup(std::u16string_view markupText) {
    if (!mainPos_) return false;
    if (markupText.size() > std::size_t(INT32_MAX)) return false;
    const std::uint32_t parent = mainPos_;
    const bool parentEmpty = table_.At(parent).IsEmpty();
    const Place place = Locate(parent, childPos_, false);
    const std::int32_t offset = place.offset + (parentEmpty ? 2 : 0);

    std::size_t parentNameLength = 0;
    std::size_t at = std::size_t(place.offset), count = 0, extra = 2;
    if (parentEmpty) {
        const ElementEntry& p = table_.At(parent);
        parentNameLength = TagName(parent).size();
        if (parentNameLength + 3 > ElementEntry::kMaxEndTag) return false;
        at = std::size_t(p.start + p.StartTagLength() - 2);
        count = 1;
        extra = 3 + 2 + 2 + parentNameLength;
    }
    // Room for the longest splice this can make, before anything is taken.
    if (!ReserveSplice(at, count, markupText.size() + extra) || !table_.EnsureOne()) return false;

    const std::uint32_t scratch = table_.Take();
    table_.At(scratch) = ElementEntry{};
    const std::uint32_t high = table_.HighWater();
    std::u16string message;
    const markup::BuildResult built = markup::BuildElements(markupText, scratch, table_, message);
    if (built.status != markup::BuildStatus::ok) {
        // The entries the parse took go back: those from the free list onto it again,
        // those from the high-water mark by setting the mark back.
        FreeSubtree(scratch, high);
        table_.SetHighWater(high);
        if (built.status == markup::BuildStatus::failed) errorText_.swap(message);
        return false;
    }

    const std::uint32_t x = built.root;
    const std::int32_t x0 = table_.At(x).start;
    const std::size_t elementLength = std::size_t(table_.At(x).length);
    table_.At(scratch).firstChild = 0;
    table_.Free(scratch);
    // Its subtree moves from the markup text into the document.
    MoveDescendants(x, offset - x0);
    table_.At(x).start = offset;
    Link(parent, place.sibling, x);

    const std::u16string_view element = markupText.substr(std::size_t(x0), elementLength);
    std::size_t insert;
    if (parentEmpty) {
        insert = 3 + elementLength + 2 + 2 + parentNameLength;
        const std::u16string_view parentName(text_.Data() + table_.At(parent).start + 1, parentNameLength);
        char16_t* out = text_.OpenGap(at, count, insert);
        out = Put(out, u">\r\n");
        out = Put(out, element);
        out = Put(out, u"\r\n</");
        Put(out, parentName);
        MarkOpened(parent, parentNameLength);
    } else {
        at = std::size_t(offset);
        insert = elementLength + 2;
        char16_t* out = text_.OpenGap(at, 0, insert);
        out = Put(out, element);
        Put(out, u"\r\n");
    }
    Shift(x, std::int32_t(insert) - std::int32_t(count), false);
    childPos_ = x;
    return true;
}

bool MarkupDoc::RemoveChild() {
    const std::uint32_t c = childPos_;
    if (!c) return false;
    const ElementEntry removed = table_.At(c);
    const std::int32_t end = ExtendOverBreak(removed.End());
    const std::int32_t length = end - removed.start;

    // Bookmarks of the element or of anything inside it name nothing from now on.
    if (!bookmarks_.Empty()) {
        bookmarks_.MarkRemoved([&](std::uint32_t element) {
            for (std::uint32_t e = element; e; e = table_.At(e).parent)
                if (e == c) return true;
            return false;
        });
    }
    text_.OpenGap(std::size_t(removed.start), std::size_t(length), 0);
    Shift(c, -length, false);

    const std::uint32_t parent = removed.parent;
    const std::uint32_t next = removed.nextSibling;
    std::uint32_t sibling = 0;
    if (removed.IsFirst()) {
        table_[parent].firstChild = next;
        if (next) {
            ElementEntry& n = table_.At(next);
            n.prevSibling = removed.prevSibling;
            n.flags |= ElementEntry::first;
        }
    } else {
        sibling = removed.prevSibling;
        table_.At(sibling).nextSibling = next;
        if (next)
            table_.At(next).prevSibling = sibling;
        else
            table_.At(table_[parent].firstChild).prevSibling = sibling;
    }
    FreeSubtree(c, UINT32_MAX);
    childPos_ = sibling;
    return true;
}

std::u16string MarkupDoc::EscapeMarkup(std::u16string_view text, bool attribute) {
    try {
        // One buffer: the text's length + a tenth + 7 at first, doubled whenever fewer
        // than 6 free places would remain before the next unit.
        std::u16string out;
        out.reserve(text.size() + text.size() / 10 + 7);
        for (char16_t c : text) {
            if (out.capacity() - out.size() < 6) out.reserve(2 * out.capacity());
            switch (c) {
            case u'<': out.append(u"&lt;"); break;
            case u'&': out.append(u"&amp;"); break;
            case u'>': out.append(u"&gt;"); break;
            case u'\'':
                if (attribute) out.append(u"&apos;");
                else out.push_back(c);
                break;
            case u'"':
                if (attribute) out.append(u"&quot;");
                else out.push_back(c);
                break;
            default: out.push_back(c); break;
            }
        }
        return out;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

}  // namespace keyvale
