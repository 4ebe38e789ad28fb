// The values of one field for every row, stored compactly by the variant
// type the field holds: two bits of state per cell (Empty, Null or a value),
// four cells to a byte, then fixed-width values side by side, or text handles
// into a TextStore.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <cstdint>
#include <vector>

#include "text_store.h"

namespace ado_standin {

class ColumnValues {
public:
    // vt is the variant type of the stored values (VT_BSTR for text).
    explicit ColumnValues(VARTYPE vt);

    VARTYPE vt() const { return vt_; }
    size_t size() const { return rows_; }

    // Row management. May throw std::bad_alloc.
    void AppendEmptyRow();
    void RemoveLastRow();
    void Clear();

    // Reads a cell into an uninitialised VARIANT: VT_EMPTY, VT_NULL or a value of vt().
    HRESULT Read(size_t row, VARIANT* out) const;
    // Writes VT_EMPTY, VT_NULL or a value of exactly vt(). May throw std::bad_alloc.
    void Write(size_t row, const VARIANT& value);

    // Asks the processor to start loading a row's cell, and then the text it
    // names, so that a reader of every field of a record waits for memory
    // once instead of once per field.
    void PrefetchCell(size_t row) const {
        __builtin_prefetch(&states_[row / kStatesPerByte]);
        if (vt_ == VT_BSTR) {
            __builtin_prefetch(&handles_[row]);
        } else {
            __builtin_prefetch(fixed_.data() + row * width_);
        }
    }
    void PrefetchText(size_t row) const {
        if (vt_ == VT_BSTR && StateOf(row) == kValue) text_.Prefetch(handles_[row]);
    }

    // Bytes reserved for this column's values.
    size_t reserved_bytes() const;

    // Bytes a fixed-width value of vt takes, 0 for text.
    static size_t WidthOf(VARTYPE vt);

private:
    enum State : uint8_t { kEmpty = 0, kNull = 1, kValue = 2 };
    static constexpr unsigned kStateBits = 2;
    static constexpr unsigned kStatesPerByte = 8 / kStateBits;

    State StateOf(size_t row) const {
        return static_cast<State>((states_[row / kStatesPerByte] >> (row % kStatesPerByte * kStateBits)) & 3u);
    }
    void SetState(size_t row, State state) {
        uint8_t& packed = states_[row / kStatesPerByte];
        const unsigned shift = row % kStatesPerByte * kStateBits;
        packed = static_cast<uint8_t>((packed & ~(3u << shift)) | (static_cast<unsigned>(state) << shift));
    }

    void ForgetText(size_t row);
    void CompactTextIfWasteful();

    VARTYPE vt_;
    size_t width_;
    size_t rows_ = 0;
    std::vector<uint8_t> states_;     // kStatesPerByte rows a byte, the first in the low bits
    std::vector<uint8_t> fixed_;      // width_ bytes a row, for fixed-width types
    std::vector<uint32_t> handles_;   // a row's text in text_, for text
    TextStore text_;
};

}  // namespace ado_standin
