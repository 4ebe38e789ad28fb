// Move-only owner of a BSTR.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <utility>

namespace ambrelle {

class UniqueBstr {
public:
    UniqueBstr() = default;
    explicit UniqueBstr(const wchar_t* text) : value_(text ? SysAllocString(text) : nullptr) {}
    UniqueBstr(const wchar_t* text, UINT length) : value_(SysAllocStringLen(text, length)) {}
    UniqueBstr(const UniqueBstr&) = delete;
    UniqueBstr& operator=(const UniqueBstr&) = delete;
    UniqueBstr(UniqueBstr&& other) noexcept : value_(std::exchange(other.value_, nullptr)) {}
    UniqueBstr& operator=(UniqueBstr&& other) noexcept {
        if (this != &other) reset(std::exchange(other.value_, nullptr));
        return *this;
    }
    ~UniqueBstr() { SysFreeString(value_); }

    // Takes ownership of an existing BSTR.
    static UniqueBstr adopt(BSTR value) {
        UniqueBstr owner;
        owner.value_ = value;
        return owner;
    }

    BSTR get() const { return value_; }
    // Frees the held string and hands out the slot for an API to fill.
    BSTR* put() {
        reset();
        return &value_;
    }
    BSTR release() { return std::exchange(value_, nullptr); }
    void reset(BSTR value = nullptr) {
        if (value_ != value) SysFreeString(value_);
        value_ = value;
    }
    UINT length() const { return SysStringLen(value_); }
    // A NULL BSTR is the empty string by COM convention.
    const wchar_t* c_str() const { return value_ ? value_ : L""; }
    bool allocated() const { return value_ != nullptr; }

private:
    BSTR value_ = nullptr;
};

}  // namespace ambrelle
