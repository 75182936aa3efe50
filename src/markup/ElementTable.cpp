#include "markup/ElementTable.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

namespace keyvale {

namespace {

template <typename T>
T* Reallocate(T* block, std::size_t count) {
    static_assert(std::is_trivially_copyable_v<T>);
    if (count > SIZE_MAX / sizeof(T)) return nullptr;
    return static_cast<T*>(std::realloc(block, count * sizeof(T)));
}

}  // namespace

// --- ElementTable ----------------------------------------------------------------------

ElementTable::~ElementTable() { Release(); }

ElementTable::ElementTable(ElementTable&& other) noexcept { Swap(other); }

ElementTable& ElementTable::operator=(ElementTable&& other) noexcept {
    if (this != &other) {
        Release();
        Swap(other);
    }
    return *this;
}

void ElementTable::Release() noexcept {
    for (std::uint32_t i = 0; i < segmentCount_; ++i) std::free(segments_[i]);
    std::free(segments_);
    segments_ = nullptr;
    segmentSlots_ = segmentCount_ = capacity_ = 0;
    zero_ = ElementEntry{};
    high_ = 1;
    free_ = 0;
}

void ElementTable::Swap(ElementTable& other) noexcept {
    std::swap(zero_, other.zero_);
    std::swap(segments_, other.segments_);
    std::swap(segmentSlots_, other.segmentSlots_);
    std::swap(segmentCount_, other.segmentCount_);
    std::swap(capacity_, other.capacity_);
    std::swap(high_, other.high_);
    std::swap(free_, other.free_);
}

// One growth step towards `wanted` entries: the last segment is reallocated at its new
// size, or, when the new size goes past its end, it is brought to a full segment and one
// new segment takes the rest (never more than one new segment per step).
bool ElementTable::GrowStep(std::uint64_t wanted) {
    const std::uint64_t limit = std::uint64_t(UINT32_MAX) - 1;  // element numbers are 32-bit
    wanted = std::min(wanted, limit);
    if (wanted <= capacity_) return false;

    if (segmentCount_ == 0) {
        if (!segments_) {
            ElementEntry** slots = Reallocate<ElementEntry*>(nullptr, 4);
            if (!slots) return false;
            segments_ = slots;
            segmentSlots_ = 4;
        }
        std::uint32_t size = std::uint32_t(std::min<std::uint64_t>(wanted, kSegmentSize));
        ElementEntry* segment = Reallocate<ElementEntry>(nullptr, size);
        if (!segment) return false;
        segments_[0] = segment;
        segmentCount_ = 1;
        capacity_ = size;
        return true;
    }

    const std::uint32_t last = segmentCount_ - 1;
    const std::uint64_t lastBase = std::uint64_t(last) << kSegmentBits;
    const std::uint64_t lastEnd = lastBase + kSegmentSize;
    if (wanted <= lastEnd) {
        ElementEntry* segment = Reallocate(segments_[last], std::size_t(wanted - lastBase));
        if (!segment) return false;
        segments_[last] = segment;
        capacity_ = std::uint32_t(wanted);
        return true;
    }

    const std::uint32_t oldCapacity = capacity_;
    if (capacity_ < lastEnd) {
        ElementEntry* segment = Reallocate(segments_[last], kSegmentSize);
        if (!segment) return false;
        segments_[last] = segment;
        capacity_ = std::uint32_t(lastEnd);
    }
    const std::uint32_t next = last + 1;
    if (next >= segmentSlots_) {
        std::uint32_t slots = 2 * next + 4;
        ElementEntry** grown = Reallocate(segments_, slots);
        if (!grown) return capacity_ > oldCapacity;
        segments_ = grown;
        segmentSlots_ = slots;
    }
    const std::uint64_t newEnd = std::min(wanted, lastEnd + kSegmentSize);
    ElementEntry* segment = Reallocate<ElementEntry>(nullptr, std::size_t(newEnd - lastEnd));
    if (!segment) return capacity_ > oldCapacity;
    segments_[next] = segment;
    segmentCount_ = next + 1;
    capacity_ = std::uint32_t(newEnd);
    return true;
}

bool ElementTable::Reserve(std::uint64_t entries) {
    while (capacity_ < entries)
        if (!GrowStep(entries)) return false;
    return true;
}

bool ElementTable::Grow() {
    // h + h / 2, and never less than the 8 entries of a new table (h + h / 2 would not
    // grow a table of 1 entry at all).
    const std::uint64_t h = high_;
    return GrowStep(std::max<std::uint64_t>(h + h / 2, kInitialCapacity));
}

bool ElementTable::CopyFrom(const ElementTable& other) {
    if (this == &other) return true;
    ElementTable copy;
    if (other.capacity_) {
        if (!copy.Reserve(other.high_)) return false;
        // Segment by segment, up to the other's high-water mark.
        for (std::uint32_t s = 0; s < copy.segmentCount_; ++s) {
            std::uint64_t base = std::uint64_t(s) << kSegmentBits;
            std::uint64_t used = std::min<std::uint64_t>(other.high_ - base, kSegmentSize);
            std::memcpy(copy.segments_[s], other.segments_[s], std::size_t(used) * sizeof(ElementEntry));
        }
    }
    copy.zero_ = other.zero_;
    copy.high_ = other.high_;
    copy.free_ = other.free_;
    Swap(copy);
    return true;
}

// --- TextBuffer ------------------------------------------------------------------------

namespace {

// A memset the compiler may not leave out as a dead store.
void* (*const volatile wipeMemory)(void*, int, std::size_t) = std::memset;

}  // namespace

TextBuffer::~TextBuffer() { Release(); }

void TextBuffer::Release() noexcept {
    if (data_) wipeMemory(data_, 0, length_ * sizeof(char16_t));
    std::free(data_);
    data_ = nullptr;
    length_ = capacity_ = 0;
}

TextBuffer::TextBuffer(TextBuffer&& other) noexcept { Swap(other); }

TextBuffer& TextBuffer::operator=(TextBuffer&& other) noexcept {
    if (this != &other) {
        Release();
        Swap(other);
    }
    return *this;
}

void TextBuffer::Swap(TextBuffer& other) noexcept {
    std::swap(data_, other.data_);
    std::swap(length_, other.length_);
    std::swap(capacity_, other.capacity_);
}

// A new block, the text moved over, the old block wiped and freed (realloc could leave a
// copy behind). Every unit of the new block is written once: the text, then zeros.
bool TextBuffer::Reallocate(std::size_t capacity) {
    char16_t* block = NewBlock(capacity);
    if (!block) return false;
    if (length_) std::memcpy(block, data_, length_ * sizeof(char16_t));
    std::memset(block + length_, 0, (capacity + 1 - length_) * sizeof(char16_t));
    const std::size_t length = length_;
    Release();
    data_ = block;
    length_ = length;
    capacity_ = capacity;
    return true;
}

char16_t* TextBuffer::NewBlock(std::size_t capacity) {
    if (capacity >= SIZE_MAX / sizeof(char16_t) - 1) return nullptr;
    return static_cast<char16_t*>(std::malloc((capacity + 1) * sizeof(char16_t)));
}

bool TextBuffer::ReserveForEdit(std::size_t length) {
    if (length <= capacity_ && data_) return true;
    std::size_t grown = std::max({capacity_ + capacity_ / 2, length, std::size_t(200)});
    return Reallocate(grown) || Reallocate(length);
}

bool TextBuffer::AssignCopy(std::u16string_view text) {
    if (text.size() <= capacity_ && data_) {
        Assign(text);
        return true;
    }
    char16_t* block = NewBlock(text.size());
    if (!block) return false;
    if (!text.empty()) std::memcpy(block, text.data(), text.size() * sizeof(char16_t));
    block[text.size()] = 0;
    Release();
    data_ = block;
    length_ = capacity_ = text.size();
    return true;
}

char16_t* TextBuffer::OpenGap(std::size_t offset, std::size_t count, std::size_t insert) {
    const std::size_t tail = length_ - offset - count;
    std::memmove(data_ + offset + insert, data_ + offset + count, tail * sizeof(char16_t));
    const std::size_t length = length_ - count + insert;
    if (length < length_) wipeMemory(data_ + length, 0, (length_ - length) * sizeof(char16_t));
    length_ = length;
    data_[length_] = 0;
    return data_ + offset;
}

void TextBuffer::Assign(std::u16string_view text) {
    if (!data_) return;  // only an empty text gets here without room
    if (!text.empty()) std::memcpy(data_, text.data(), text.size() * sizeof(char16_t));
    if (text.size() < length_) wipeMemory(data_ + text.size(), 0, (length_ - text.size()) * sizeof(char16_t));
    length_ = text.size();
    data_[length_] = 0;
}

// --- BookmarkTable ---------------------------------------------------------------------

std::size_t BookmarkTable::BucketOf(std::u16string_view name) {
    std::size_t sum = 0;
    for (char16_t c : name) sum += c;
    return sum % kBuckets;
}

bool BookmarkTable::Save(std::u16string_view name, std::uint32_t element, Mode mode) {
    auto& bucket = buckets_[BucketOf(name)];
    for (auto& record : bucket) {
        if (record.name == name) {
            record.element = element;
            record.mode = mode;
            record.removed = false;
            return true;
        }
    }
    try {
        Record record{std::u16string(name), element, mode, false};
        if (bucket.size() == bucket.capacity()) {
            // A new bucket has 2 slots; a full one is replaced by one of 2 * (slots - 1) + 12.
            std::size_t slots = bucket.capacity() == 0 ? 2 : 2 * (bucket.capacity() - 1) + 12;
            std::vector<Record> grown;
            grown.reserve(slots);
            for (auto& r : bucket) grown.push_back(std::move(r));  // strings move without allocating
            bucket.swap(grown);
        }
        bucket.push_back(std::move(record));
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

const BookmarkTable::Record* BookmarkTable::Find(std::u16string_view name) const {
    for (const auto& record : buckets_[BucketOf(name)])
        if (record.name == name) return &record;
    return nullptr;
}

bool BookmarkTable::Empty() const {
    for (const auto& bucket : buckets_)
        if (!bucket.empty()) return false;
    return true;
}

bool BookmarkTable::CopyTo(BookmarkTable& out) const {
    BookmarkTable copy;
    try {
        for (std::size_t i = 0; i < kBuckets; ++i) {
            if (buckets_[i].empty()) continue;
            copy.buckets_[i].reserve(buckets_[i].size());
            copy.buckets_[i].insert(copy.buckets_[i].end(), buckets_[i].begin(), buckets_[i].end());
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    out.Swap(copy);
    return true;
}

void BookmarkTable::Clear() noexcept {
    for (auto& bucket : buckets_) std::vector<Record>().swap(bucket);
}

void BookmarkTable::Swap(BookmarkTable& other) noexcept {
    for (std::size_t i = 0; i < kBuckets; ++i) buckets_[i].swap(other.buckets_[i]);
}

}  // namespace keyvale
