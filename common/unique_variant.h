// Move-only owner of a VARIANT.
#pragma once

#include <windows.h>
#include <ole2.h>

namespace ambrelle {

class UniqueVariant {
public:
    UniqueVariant() { VariantInit(&value_); }
    UniqueVariant(const UniqueVariant&) = delete;
    UniqueVariant& operator=(const UniqueVariant&) = delete;
    UniqueVariant(UniqueVariant&& other) noexcept {
        value_ = other.value_;
        VariantInit(&other.value_);
    }
    UniqueVariant& operator=(UniqueVariant&& other) noexcept {
        if (this != &other) {
            VariantClear(&value_);
            value_ = other.value_;
            VariantInit(&other.value_);
        }
        return *this;
    }
    ~UniqueVariant() { VariantClear(&value_); }

    // Takes ownership of the contents of an existing VARIANT, which is left empty.
    static UniqueVariant adopt(VARIANT* from) {
        UniqueVariant owner;
        owner.value_ = *from;
        VariantInit(from);
        return owner;
    }

    const VARIANT& get() const { return value_; }
    VARIANT* ptr() { return &value_; }
    // Clears the held value and hands out the slot for an API to fill.
    VARIANT* put() {
        VariantClear(&value_);
        return &value_;
    }
    // Moves the value out into a caller's VARIANT (which must be empty or uninitialised).
    void release_to(VARIANT* out) {
        *out = value_;
        VariantInit(&value_);
    }
    void reset() { VariantClear(&value_); }
    VARTYPE vt() const { return V_VT(&value_); }

private:
    VARIANT value_;
};

}  // namespace ambrelle
