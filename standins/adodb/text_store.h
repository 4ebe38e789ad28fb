// Text values of one column kept in large shared blocks instead of one heap
// string per cell. Each text is a header (its length, and a flag for text
// whose characters all fit in one byte, which is then stored one byte per
// character) followed by its characters. The header takes one 16-bit unit for
// a text shorter than 16,384 characters, two for a longer one. A handle names
// a stored text.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace ado_standin {

class TextStore {
public:
    // The handle of the empty text, which takes no space.
    static constexpr uint32_t kEmptyText = 0xFFFFFFFFu;

    // Stores a text and returns its handle. May throw std::bad_alloc.
    uint32_t Store(const wchar_t* text, uint32_t length);
    // Marks a stored text as no longer used (its space is reclaimed by Compact).
    void Forget(uint32_t handle);
    uint32_t Length(uint32_t handle) const;
    // A new BSTR with the text, or nullptr when out of memory.
    BSTR NewBstr(uint32_t handle) const;
    // Starts loading a stored text's first units into the processor's cache.
    void Prefetch(uint32_t handle) const {
        if (handle != kEmptyText) __builtin_prefetch(Entry(handle));
    }
    // Copies the text into a buffer of at least Length(handle) characters.
    void CopyTo(uint32_t handle, wchar_t* out) const;

    void Clear();
    // Storage units (2 bytes each) held by texts in use, and by forgotten texts.
    size_t live_units() const { return live_units_; }
    size_t garbage_units() const { return garbage_units_; }
    size_t reserved_bytes() const;

private:
    static constexpr uint32_t kBlockUnits = 1u << 16;  // 128 KiB blocks; a handle's low 16 bits are the offset
    // The first header unit: the narrow flag, the flag of a two-unit header,
    // and the length's low 14 bits; a second unit holds the length's next 16.
    static constexpr uint16_t kNarrowFlag = 0x8000u;
    static constexpr uint16_t kLongFlag = 0x4000u;
    static constexpr uint32_t kShortLimit = 1u << 14;
    static constexpr uint32_t kLengthLimit = 1u << 30;

    struct Header {
        uint32_t length;
        bool narrow;
        uint32_t units;  // of the header itself
    };
    static Header ReadHeader(const uint16_t* entry);

    struct Block {
        std::unique_ptr<uint16_t[]> units;
        uint32_t capacity = 0;
        uint32_t used = 0;
    };

    const uint16_t* Entry(uint32_t handle) const;
    static uint32_t UnitsFor(uint32_t length, bool narrow) {
        return (length < kShortLimit ? 1 : 2) + (narrow ? (length + 1) / 2 : length);
    }

    std::vector<Block> blocks_;
    size_t current_ = SIZE_MAX;  // the block new texts go to
    size_t live_units_ = 0;
    size_t garbage_units_ = 0;
};

}  // namespace ado_standin
