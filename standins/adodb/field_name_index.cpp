#include "field_name_index.h"

namespace ado_standin {

wchar_t FoldCase(wchar_t c) {
    if (c < 0x80) return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - (L'a' - L'A')) : c;
    // CharUpperW converts a single character passed in the low word of the pointer.
    return static_cast<wchar_t>(
        reinterpret_cast<ULONG_PTR>(CharUpperW(reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(c)))));
}

namespace {

// FNV-1a over the folded UTF-16 code units.
uint32_t FoldedHash(const wchar_t* name, size_t length) {
    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < length; ++i) {
        hash ^= FoldCase(name[i]);
        hash *= 16777619u;
    }
    return hash;
}

bool FoldedEquals(const std::wstring& folded, const wchar_t* name, size_t length) {
    if (folded.size() != length) return false;
    for (size_t i = 0; i < length; ++i) {
        if (folded[i] != FoldCase(name[i])) return false;
    }
    return true;
}

}  // namespace

size_t FieldNameIndex::FindSlot(const wchar_t* name, size_t length, uint32_t hash) const {
    const size_t mask = slots_.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot& slot = slots_[i];
        if (slot.entry < 0) return i;
        if (slot.hash == hash && FoldedEquals(entries_[slot.entry].folded, name, length)) return i;
    }
}

void FieldNameIndex::Grow() {
    std::vector<Slot> larger(slots_.empty() ? 16 : slots_.size() * 2);
    const size_t mask = larger.size() - 1;
    for (const Slot& slot : slots_) {
        if (slot.entry < 0) continue;
        size_t i = slot.hash & mask;
        while (larger[i].entry >= 0) i = (i + 1) & mask;
        larger[i] = slot;
    }
    slots_.swap(larger);
}

bool FieldNameIndex::Add(const wchar_t* name, size_t length, size_t ordinal) {
    // Keep the table at most half full so probes stay short.
    if ((entries_.size() + 1) * 2 > slots_.size()) Grow();
    const uint32_t hash = FoldedHash(name, length);
    const size_t index = FindSlot(name, length, hash);
    if (slots_[index].entry >= 0) return false;
    std::wstring folded(length, L'\0');
    for (size_t i = 0; i < length; ++i) folded[i] = FoldCase(name[i]);
    entries_.push_back(Entry{std::move(folded), ordinal});
    slots_[index].hash = hash;
    slots_[index].entry = static_cast<int32_t>(entries_.size() - 1);
    return true;
}

bool FieldNameIndex::Find(const wchar_t* name, size_t length, size_t* ordinal) const {
    if (slots_.empty()) return false;
    const Slot& slot = slots_[FindSlot(name, length, FoldedHash(name, length))];
    if (slot.entry < 0) return false;
    *ordinal = entries_[slot.entry].ordinal;
    return true;
}

void FieldNameIndex::Clear() {
    slots_.clear();
    entries_.clear();
}

}  // namespace ado_standin
