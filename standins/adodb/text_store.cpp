#include "text_store.h"

#include <cstring>
#include <new>

namespace ado_standin {

const uint16_t* TextStore::Entry(uint32_t handle) const {
    return blocks_[handle >> 16].units.get() + (handle & 0xFFFFu);
}

TextStore::Header TextStore::ReadHeader(const uint16_t* entry) {
    Header header;
    header.narrow = (entry[0] & kNarrowFlag) != 0;
    header.length = entry[0] & (kShortLimit - 1);
    header.units = 1;
    if (entry[0] & kLongFlag) {
        header.length |= static_cast<uint32_t>(entry[1]) << 14;
        header.units = 2;
    }
    return header;
}

uint32_t TextStore::Store(const wchar_t* text, uint32_t length) {
    if (length == 0) return kEmptyText;
    if (length >= kLengthLimit) throw std::bad_alloc();
    bool narrow = true;
    for (uint32_t i = 0; i < length && narrow; ++i) narrow = text[i] < 0x100;
    const uint32_t units = UnitsFor(length, narrow);

    size_t block_index;
    if (units > kBlockUnits / 4) {
        // A long text gets a block of its own, so blocks are not left mostly empty.
        Block block;
        block.units.reset(new uint16_t[units]);
        block.capacity = units;
        blocks_.push_back(std::move(block));
        block_index = blocks_.size() - 1;
    } else {
        if (current_ == SIZE_MAX || blocks_[current_].capacity - blocks_[current_].used < units) {
            Block block;
            block.units.reset(new uint16_t[kBlockUnits]);
            block.capacity = kBlockUnits;
            blocks_.push_back(std::move(block));
            current_ = blocks_.size() - 1;
        }
        block_index = current_;
    }
    if (block_index > 0xFFFFu) throw std::bad_alloc();  // handles name at most 65536 blocks

    Block& block = blocks_[block_index];
    const uint32_t offset = block.used;
    uint16_t* entry = block.units.get() + offset;
    entry[0] = static_cast<uint16_t>((narrow ? kNarrowFlag : 0) | (length & (kShortLimit - 1)));
    uint16_t* characters = entry + 1;
    if (length >= kShortLimit) {
        entry[0] |= kLongFlag;
        entry[1] = static_cast<uint16_t>(length >> 14);
        characters = entry + 2;
    }
    if (narrow) {
        unsigned char* bytes = reinterpret_cast<unsigned char*>(characters);
        for (uint32_t i = 0; i < length; ++i) bytes[i] = static_cast<unsigned char>(text[i]);
    } else {
        std::memcpy(characters, text, length * sizeof(wchar_t));
    }
    block.used += units;
    live_units_ += units;
    return (static_cast<uint32_t>(block_index) << 16) | offset;
}

void TextStore::Forget(uint32_t handle) {
    if (handle == kEmptyText) return;
    const Header header = ReadHeader(Entry(handle));
    const uint32_t units = UnitsFor(header.length, header.narrow);
    live_units_ -= units;
    garbage_units_ += units;
}

uint32_t TextStore::Length(uint32_t handle) const {
    if (handle == kEmptyText) return 0;
    return ReadHeader(Entry(handle)).length;
}

void TextStore::CopyTo(uint32_t handle, wchar_t* out) const {
    if (handle == kEmptyText) return;
    const uint16_t* entry = Entry(handle);
    const Header header = ReadHeader(entry);
    const uint16_t* characters = entry + header.units;
    if (header.narrow) {
        const unsigned char* bytes = reinterpret_cast<const unsigned char*>(characters);
        for (uint32_t i = 0; i < header.length; ++i) out[i] = bytes[i];
    } else {
        std::memcpy(out, characters, header.length * sizeof(wchar_t));
    }
}

BSTR TextStore::NewBstr(uint32_t handle) const {
    const uint32_t length = Length(handle);
    BSTR text = SysAllocStringLen(nullptr, length);
    if (!text) return nullptr;
    CopyTo(handle, text);
    return text;
}

void TextStore::Clear() {
    blocks_.clear();
    current_ = SIZE_MAX;
    live_units_ = 0;
    garbage_units_ = 0;
}

size_t TextStore::reserved_bytes() const {
    size_t bytes = blocks_.capacity() * sizeof(Block);
    for (const Block& block : blocks_) bytes += block.capacity * sizeof(uint16_t);
    return bytes;
}

}  // namespace ado_standin
