// MarkupDoc: the system's own in-memory markup document. One UTF-16 text, an element
// table built by parsing it once, and a cursor (parent, main element, child) that steps
// from element to element. Edits splice the text and patch the table in place.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "markup/ElementTable.h"

namespace keyvale {

class MarkupDoc {
public:
    MarkupDoc();
    ~MarkupDoc();
    MarkupDoc(MarkupDoc&&) noexcept;
    MarkupDoc& operator=(MarkupDoc&&) noexcept;
    MarkupDoc(const MarkupDoc&) = delete;             // copies are made with CopyFrom
    MarkupDoc& operator=(const MarkupDoc&) = delete;

    bool AssignText(std::u16string_view text);
    std::u16string DocumentText() const;
    std::u16string ErrorText() const;
    bool HasRoot() const;
    void CopyFrom(const MarkupDoc& other);

    void Rewind();
    void RewindChildren();
    bool NextElement(std::u16string_view name = {});
    bool NextChild(std::u16string_view name = {});
    bool Descend();
    bool Ascend();
    bool Bookmark(std::u16string_view name);
    bool GoToBookmark(std::u16string_view name);

    std::u16string ChildText() const;
    std::u16string ChildName() const;
    std::u16string ChildMarkup() const;

    bool AppendElement(std::u16string_view name, std::u16string_view text = {});
    bool AppendChild(std::u16string_view name, std::u16string_view text = {});
    bool InsertChild(std::u16string_view name, std::u16string_view text = {});
    bool SetAttribute(std::u16string_view name, std::u16string_view value);
    bool SetNumberAttribute(std::u16string_view name, std::int32_t value);
    bool AppendChildMarkup(std::u16string_view markup);
    bool RemoveChild();

    static std::u16string EscapeMarkup(std::u16string_view text, bool attribute);

private:
    enum class Level { child, main };
    struct Place {
        std::int32_t offset;
        std::uint32_t sibling;
    };

    std::u16string_view Text() const { return text_.View(); }
    std::u16string_view TagName(std::uint32_t element) const;
    std::uint32_t Search(std::uint32_t parent, std::uint32_t after, std::u16string_view name) const;
    void SetMain(std::uint32_t element);
    void SetChild(std::uint32_t element);
    std::int32_t ExtendOverBreak(std::int32_t end) const;

    bool Add(std::u16string_view name, std::u16string_view text, Level level, bool before);
    Place Locate(std::uint32_t parent, std::uint32_t ref, bool before) const;
    void Link(std::uint32_t parent, std::uint32_t sibling, std::uint32_t element);
    void Shift(std::uint32_t element, std::int32_t delta, bool moveSubtree);
    void MoveDescendants(std::uint32_t root, std::int32_t delta);
    bool ReserveSplice(std::size_t offset, std::size_t count, std::size_t insert);
    void MarkOpened(std::uint32_t parent, std::size_t nameLength);
    void FreeSubtree(std::uint32_t root, std::uint32_t limit);

    TextBuffer text_;
    std::u16string errorText_;
    std::uint32_t parentPos_ = 0;
    std::uint32_t mainPos_ = 0;
    std::uint32_t childPos_ = 0;
    BookmarkTable bookmarks_;
    ElementTable table_;
};

}  // namespace keyvale
