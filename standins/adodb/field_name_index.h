// Field lookup by name without regard to letter case, in constant time on
// average: an open-addressing hash table over the case-folded names.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace ado_standin {

class FieldNameIndex {
public:
    // Adds a name for an ordinal; false when an equal name (ignoring case) is present.
    // May throw std::bad_alloc.
    bool Add(const wchar_t* name, size_t length, size_t ordinal);
    // The ordinal of a name, or false when there is none.
    bool Find(const wchar_t* name, size_t length, size_t* ordinal) const;
    void Clear();

private:
    struct Slot {
        uint32_t hash = 0;
        int32_t entry = -1;  // index into entries_, -1 for a free slot
    };
    struct Entry {
        std::wstring folded;
        size_t ordinal;
    };

    size_t FindSlot(const wchar_t* name, size_t length, uint32_t hash) const;
    void Grow();

    std::vector<Slot> slots_;
    std::vector<Entry> entries_;
};

// The letter-case-independent form of a character used for field names.
wchar_t FoldCase(wchar_t c);

}  // namespace ado_standin
