// The storage behind MarkupDoc: the ElementTable (one ElementEntry per element, kept in
// segments of 65,536 entries so that growing never moves an entry to another number), the
// document text buffer and the bookmark table. Nothing here throws: every allocation
// reports failure through its result and leaves the object as it was.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace keyvale {

struct ElementEntry {
    static constexpr std::uint32_t empty = 1;  // a single self-closing tag
    static constexpr std::uint32_t first = 2;  // its parent's first child

    static constexpr std::uint32_t kStartTagBits = 22;
    static constexpr std::uint32_t kMaxStartTag = (1u << kStartTagBits) - 1;  // 4,194,303
    static constexpr std::uint32_t kMaxEndTag = 511;  // the end-tag field reads as signed 10 bits

    std::int32_t start;         // offset of the element's '<'
    std::int32_t length;        // through the '>' of its end tag (or of its "/>")
    std::uint32_t tagLengths;   // start tag in the low 22 bits, end tag in the high 10 bits
    std::uint32_t flags;        // empty, first
    std::uint32_t parent;
    std::uint32_t firstChild;
    std::uint32_t nextSibling;  // in a free entry: the next free entry
    std::uint32_t prevSibling;  // in a first child: the parent's last child

    std::int32_t StartTagLength() const { return std::int32_t(tagLengths & kMaxStartTag); }
    std::int32_t EndTagLength() const { return std::int32_t(tagLengths >> kStartTagBits); }
    void SetTagLengths(std::uint32_t startTag, std::uint32_t endTag) {
        tagLengths = startTag | (endTag << kStartTagBits);
    }
    bool IsEmpty() const { return (flags & empty) != 0; }
    bool IsFirst() const { return (flags & first) != 0; }
    std::int32_t End() const { return start + length; }
    std::int32_t ContentStart() const { return start + StartTagLength(); }
    std::int32_t ContentEnd() const { return start + length - EndTagLength(); }
};

// Entry 0 stands for the document and lives inside the table object itself; entry n > 0
// lives in segment n >> 16 at slot n & 0xFFFF.
class ElementTable {
public:
    static constexpr std::uint32_t kSegmentBits = 16;
    static constexpr std::uint32_t kSegmentSize = 1u << kSegmentBits;
    static constexpr std::uint32_t kInitialCapacity = 8;

    ElementTable() = default;
    ~ElementTable();
    ElementTable(ElementTable&& other) noexcept;
    ElementTable& operator=(ElementTable&& other) noexcept;
    ElementTable(const ElementTable&) = delete;
    ElementTable& operator=(const ElementTable&) = delete;

    ElementEntry& operator[](std::uint32_t n) { return n ? At(n) : zero_; }
    const ElementEntry& operator[](std::uint32_t n) const { return n ? At(n) : zero_; }
    // Only for n > 0.
    ElementEntry& At(std::uint32_t n) { return segments_[n >> kSegmentBits][n & (kSegmentSize - 1)]; }
    const ElementEntry& At(std::uint32_t n) const {
        return segments_[n >> kSegmentBits][n & (kSegmentSize - 1)];
    }

    // Capacity in entries, entry 0 included. A table that has not allocated yet counts as
    // kInitialCapacity.
    std::uint32_t Capacity() const { return capacity_ ? capacity_ : kInitialCapacity; }
    std::uint32_t HighWater() const { return high_; }
    std::uint32_t FreeHead() const { return free_; }

    // Makes the table hold at least `entries` entries, one growth step at a time.
    bool Reserve(std::uint64_t entries);
    // Makes sure that the next Take() succeeds (grows when the high-water mark equals the
    // capacity and nothing is free).
    bool EnsureOne() { return free_ || high_ < capacity_ || Grow(); }
    // Takes an entry: the head of the free list, else the one at the high-water mark.
    // EnsureOne() must have succeeded.
    std::uint32_t Take() {
        if (free_) {
            std::uint32_t n = free_;
            free_ = At(n).nextSibling;
            return n;
        }
        return high_++;
    }
    void Free(std::uint32_t n) {
        At(n).nextSibling = free_;
        free_ = n;
    }
    // Gives back everything: entry 0 cleared, high-water mark 1, no free entries.
    void Clear() {
        zero_ = ElementEntry{};
        high_ = 1;
        free_ = 0;
    }
    void SetHighWater(std::uint32_t h) { high_ = h; }
    void SetFreeHead(std::uint32_t f) { free_ = f; }

    // This table becomes a copy of the other with capacity exactly the other's high-water
    // mark. On failure this table is unchanged.
    bool CopyFrom(const ElementTable& other);

    void Swap(ElementTable& other) noexcept;

private:
    bool Grow();
    bool GrowStep(std::uint64_t wanted);
    void Release() noexcept;

    ElementEntry zero_{};
    ElementEntry** segments_ = nullptr;
    std::uint32_t segmentSlots_ = 0;   // size of the segments_ array
    std::uint32_t segmentCount_ = 0;   // segments in use
    std::uint32_t capacity_ = 0;       // 0: nothing allocated yet
    std::uint32_t high_ = 1;
    std::uint32_t free_ = 0;
};

// The document text: UTF-16 code units followed by one zero unit that is not part of it.
// The text may hold secrets (the store's passwords), so every unit the buffer gives up is
// wiped: past the length the buffer holds only zeros, and a buffer is wiped before it is
// freed.
class TextBuffer {
public:
    TextBuffer() = default;
    ~TextBuffer();
    TextBuffer(TextBuffer&& other) noexcept;
    TextBuffer& operator=(TextBuffer&& other) noexcept;
    TextBuffer(const TextBuffer&) = delete;
    TextBuffer& operator=(const TextBuffer&) = delete;

    const char16_t* Data() const { return data_ ? data_ : u""; }
    char16_t* MutableData() { return data_; }
    std::size_t Length() const { return length_; }
    std::size_t Capacity() const { return capacity_; }
    std::u16string_view View() const { return {Data(), length_}; }

    // Room for `length` units, growing by the editing rule: the largest of 1.5 times the
    // capacity, the length needed and 200 units.
    bool ReserveForEdit(std::size_t length);
    // The text becomes a copy of `text`: in this buffer when it has room, else in a new one
    // of exactly that size (the old one wiped and freed). False when memory runs out; the
    // buffer is then unchanged.
    bool AssignCopy(std::u16string_view text);
    // Replaces `count` units at `offset` by `insert` units and returns where those are to be
    // written. The room must have been reserved; offset and count must be in range.
    char16_t* OpenGap(std::size_t offset, std::size_t count, std::size_t insert);
    void Assign(std::u16string_view text);  // the room must have been reserved
    void Swap(TextBuffer& other) noexcept;

private:
    static char16_t* NewBlock(std::size_t capacity);  // room for capacity + 1 units, not cleared
    bool Reallocate(std::size_t capacity);
    void Release() noexcept;

    char16_t* data_ = nullptr;
    std::size_t length_ = 0;
    std::size_t capacity_ = 0;  // units, the terminating zero not counted
};

// Bookmarks: 7 buckets chosen by the sum of a name's code units; records keep the order in
// which their names were first saved.
class BookmarkTable {
public:
    enum class Mode : std::uint8_t { child, main, parent };
    struct Record {
        std::u16string name;
        std::uint32_t element = 0;
        Mode mode = Mode::child;
        bool removed = false;  // its element (or one that held it) was removed
    };
    static constexpr std::size_t kBuckets = 7;

    // False only when memory runs out; the table is then unchanged.
    bool Save(std::u16string_view name, std::uint32_t element, Mode mode);
    const Record* Find(std::u16string_view name) const;
    // Every record whose element lies in the subtree rooted at `element` is marked removed.
    template <typename IsInside>
    void MarkRemoved(IsInside&& isInside) {
        for (auto& bucket : buckets_)
            for (auto& record : bucket)
                if (!record.removed && isInside(record.element)) record.removed = true;
    }
    bool Empty() const;
    // A copy whose buckets hold only their used records; false when memory runs out.
    bool CopyTo(BookmarkTable& out) const;
    void Clear() noexcept;
    void Swap(BookmarkTable& other) noexcept;

private:
    static std::size_t BucketOf(std::u16string_view name);
    std::vector<Record> buckets_[kBuckets];
};

}  // namespace keyvale
