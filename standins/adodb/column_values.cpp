#include "column_values.h"

#include <cstring>

namespace ado_standin {

size_t ColumnValues::WidthOf(VARTYPE vt) {
    switch (vt) {
    case VT_I1:
    case VT_UI1:
        return 1;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
        return 2;
    case VT_I4:
    case VT_UI4:
    case VT_R4:
        return 4;
    case VT_I8:
    case VT_UI8:
    case VT_R8:
    case VT_CY:
    case VT_DATE:
        return 8;
    case VT_DECIMAL:
        return sizeof(DECIMAL);
    default:
        return 0;
    }
}

ColumnValues::ColumnValues(VARTYPE vt) : vt_(vt), width_(WidthOf(vt)) {}

void ColumnValues::AppendEmptyRow() {
    // A new byte of states comes first, so that a failure to grow the values
    // can take it back and leave the column as it was.
    const bool new_byte = rows_ % kStatesPerByte == 0;
    if (new_byte) states_.push_back(0);
    try {
        if (vt_ == VT_BSTR) {
            handles_.push_back(TextStore::kEmptyText);
        } else {
            fixed_.resize(fixed_.size() + width_);
        }
    } catch (...) {
        if (new_byte) states_.pop_back();
        throw;
    }
    SetState(rows_, kEmpty);
    ++rows_;
}

void ColumnValues::RemoveLastRow() {
    if (rows_ == 0) return;
    const size_t row = rows_ - 1;
    if (vt_ == VT_BSTR) {
        ForgetText(row);
        handles_.pop_back();
    } else {
        fixed_.resize(fixed_.size() - width_);
    }
    SetState(row, kEmpty);
    --rows_;
    if (rows_ % kStatesPerByte == 0) states_.pop_back();
}

void ColumnValues::Clear() {
    // Give the memory back: a closed record set keeps nothing.
    std::vector<uint8_t>().swap(states_);
    std::vector<uint8_t>().swap(fixed_);
    std::vector<uint32_t>().swap(handles_);
    rows_ = 0;
    text_.Clear();
}

HRESULT ColumnValues::Read(size_t row, VARIANT* out) const {
    VariantInit(out);
    const State state = StateOf(row);
    if (state == kEmpty) return S_OK;
    if (state == kNull) {
        V_VT(out) = VT_NULL;
        return S_OK;
    }
    if (vt_ == VT_BSTR) {
        BSTR text = text_.NewBstr(handles_[row]);
        if (!text) return E_OUTOFMEMORY;
        V_VT(out) = VT_BSTR;
        V_BSTR(out) = text;
        return S_OK;
    }
    const uint8_t* cell = fixed_.data() + row * width_;
    if (vt_ == VT_DECIMAL) {
        // A DECIMAL fills the whole VARIANT; its type goes in afterwards.
        std::memcpy(&V_DECIMAL(out), cell, sizeof(DECIMAL));
    } else {
        std::memcpy(&V_UI1(out), cell, width_);
    }
    V_VT(out) = vt_;
    return S_OK;
}

void ColumnValues::ForgetText(size_t row) {
    if (StateOf(row) == kValue) text_.Forget(handles_[row]);
    handles_[row] = TextStore::kEmptyText;
}

void ColumnValues::Write(size_t row, const VARIANT& value) {
    if (vt_ == VT_BSTR) {
        uint32_t handle = TextStore::kEmptyText;
        if (V_VT(&value) == VT_BSTR) handle = text_.Store(V_BSTR(&value), SysStringLen(V_BSTR(&value)));
        ForgetText(row);
        handles_[row] = handle;
    } else if (V_VT(&value) == vt_) {
        uint8_t* cell = fixed_.data() + row * width_;
        if (vt_ == VT_DECIMAL) {
            DECIMAL decimal = V_DECIMAL(&value);
            decimal.wReserved = 0;
            std::memcpy(cell, &decimal, sizeof(DECIMAL));
        } else {
            std::memcpy(cell, &V_UI1(&value), width_);
        }
    }
    SetState(row, V_VT(&value) == VT_EMPTY ? kEmpty : V_VT(&value) == VT_NULL ? kNull : kValue);
    if (vt_ == VT_BSTR) CompactTextIfWasteful();
}

void ColumnValues::CompactTextIfWasteful() {
    // Rewritten texts leave their old copies behind; once those outweigh the
    // texts in use, copy the live texts into a fresh store.
    if (text_.garbage_units() < (1u << 20) || text_.garbage_units() < text_.live_units()) return;
    TextStore compacted;
    std::vector<wchar_t> buffer;
    std::vector<uint32_t> handles(handles_.size(), TextStore::kEmptyText);
    for (size_t row = 0; row < handles_.size(); ++row) {
        if (StateOf(row) != kValue) continue;
        const uint32_t length = text_.Length(handles_[row]);
        buffer.resize(length);
        text_.CopyTo(handles_[row], buffer.data());
        handles[row] = compacted.Store(buffer.data(), length);
    }
    handles_.swap(handles);
    std::swap(text_, compacted);
}

size_t ColumnValues::reserved_bytes() const {
    return states_.capacity() + fixed_.capacity() + handles_.capacity() * sizeof(uint32_t) + text_.reserved_bytes();
}

}  // namespace ado_standin
