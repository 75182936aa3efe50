// MarkupDoc: the system's own in-memory markup document. One UTF-16 text, an element
// table built by parsing it once, and a cursor (parent, main element, child) that steps
// from element to element. Edits splice the text and patch the table in place.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

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
    // The implementation's state is declared here by the markup engine.
};

}  // namespace keyvale
