#include <gtest/gtest.h>

#include "unique_bstr.h"
#include "unique_variant.h"

using ambrelle::UniqueBstr;
using ambrelle::UniqueVariant;

TEST(UniqueBstr, PutFreesTheOldStringAndMoveLeavesTheSourceEmpty) {
    UniqueBstr text(L"first");
    BSTR* slot = text.put();
    EXPECT_EQ(nullptr, *slot);
    *slot = SysAllocString(L"second");
    UniqueBstr moved(std::move(text));
    EXPECT_FALSE(text.allocated());
    EXPECT_STREQ(L"second", moved.c_str());
    EXPECT_EQ(6u, moved.length());
    EXPECT_STREQ(L"", text.c_str());
    BSTR raw = moved.release();
    EXPECT_FALSE(moved.allocated());
    SysFreeString(raw);
}

TEST(UniqueVariant, AdoptTakesTheValueAndReleaseHandsItOn) {
    VARIANT source;
    V_VT(&source) = VT_BSTR;
    V_BSTR(&source) = SysAllocString(L"value");
    UniqueVariant owner = UniqueVariant::adopt(&source);
    EXPECT_EQ(VT_EMPTY, V_VT(&source));
    EXPECT_EQ(VT_BSTR, owner.vt());
    VARIANT out;
    owner.release_to(&out);
    EXPECT_EQ(VT_EMPTY, owner.vt());
    EXPECT_STREQ(L"value", V_BSTR(&out));
    VariantClear(&out);
}
