// The record set's storage pieces on their own: the text store's one-byte
// and two-byte texts, the reclaiming of rewritten texts, and the field name
// index without regard to letter case.
#include <gtest/gtest.h>

#include <string>

#include "column_values.h"
#include "field_name_index.h"
#include "text_store.h"
#include "unique_variant.h"
#include "variant_values.h"

using ado_standin::ColumnValues;
using ado_standin::FieldNameIndex;
using ado_standin::TextStore;

namespace {

std::wstring Read(const TextStore& store, uint32_t handle) {
    std::wstring text(store.Length(handle), L'\0');
    store.CopyTo(handle, &text[0]);
    return text;
}

VARIANT Bstr(const std::wstring& text) {
    return ambrelle::BorrowedText(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
}

}  // namespace

TEST(TextStore, KeepsNarrowWideEmptyAndLongTextsApart) {
    TextStore store;
    // Lengths on both sides of the one-unit header's limit, narrow and wide.
    const std::wstring texts[] = {L"abc", L"ünï\u00ff", L"中文", L"", std::wstring(70000, L'z'), L"a中",
                                  std::wstring(16383, L'字'), std::wstring(16384, L'字'), std::wstring(16384, L'y'),
                                  std::wstring(16383, L'y') + L"中"};
    constexpr int kTexts = sizeof(texts) / sizeof(texts[0]);
    uint32_t handles[kTexts];
    for (int i = 0; i < kTexts; ++i) handles[i] = store.Store(texts[i].data(), static_cast<uint32_t>(texts[i].size()));
    EXPECT_EQ(TextStore::kEmptyText, handles[3]);
    for (int i = 0; i < kTexts; ++i) EXPECT_EQ(texts[i], Read(store, handles[i])) << i;
    BSTR copy = store.NewBstr(handles[2]);
    EXPECT_STREQ(L"中文", copy);
    SysFreeString(copy);
    // One-byte texts take half the space: 1 header unit + 2 units for "abc";
    // a text of 16,384 characters or more has a header of 2 units.
    const size_t before = store.live_units();
    store.Forget(handles[0]);
    EXPECT_EQ(before - 3u, store.live_units());
    store.Forget(handles[8]);
    EXPECT_EQ(before - 3u - 8194u, store.live_units());
    EXPECT_EQ(3u + 8194u, store.garbage_units());
}

TEST(ColumnValues, RewritesDoNotGrowTheStoreWithoutBound) {
    ColumnValues column(VT_BSTR);
    for (int row = 0; row < 10; ++row) column.AppendEmptyRow();
    const std::wstring big(5000, L'字');
    size_t peak = 0;
    for (int i = 0; i < 2000; ++i) {
        ambrelle::UniqueVariant value;
        *value.ptr() = Bstr(big + std::to_wstring(i));
        column.Write(i % 10, value.get());
        peak = column.reserved_bytes() > peak ? column.reserved_bytes() : peak;
    }
    // 2000 writes of 10 KB would take 20 MB kept; live texts are 100 KB.
    EXPECT_LT(peak, 8u * 1024 * 1024);
    for (int row = 0; row < 10; ++row) {
        ambrelle::UniqueVariant value;
        ASSERT_EQ(S_OK, column.Read(row, value.ptr()));
        EXPECT_EQ(big + std::to_wstring(1990 + row), V_BSTR(&value.get()));
    }
}

TEST(ColumnValues, CellsAreEmptyNullOrAValueOfTheColumnsType) {
    ColumnValues column(VT_DECIMAL);
    column.AppendEmptyRow();
    column.AppendEmptyRow();
    ambrelle::UniqueVariant value;
    ASSERT_EQ(S_OK, column.Read(0, value.ptr()));
    EXPECT_EQ(VT_EMPTY, value.vt());
    VARIANT decimal;
    VariantInit(&decimal);
    V_VT(&decimal) = VT_R8;
    V_R8(&decimal) = 12.5;
    ASSERT_EQ(S_OK, VariantChangeType(&decimal, &decimal, 0, VT_DECIMAL));
    column.Write(1, decimal);
    VARIANT null;
    VariantInit(&null);
    V_VT(&null) = VT_NULL;
    column.Write(0, null);
    ASSERT_EQ(S_OK, column.Read(0, value.put()));
    EXPECT_EQ(VT_NULL, value.vt());
    ASSERT_EQ(S_OK, column.Read(1, value.put()));
    ASSERT_EQ(VT_DECIMAL, value.vt());
    EXPECT_EQ(VARCMP_EQ, VarDecCmp(&V_DECIMAL(value.ptr()), &V_DECIMAL(&decimal)));
    column.RemoveLastRow();
    EXPECT_EQ(1u, column.size());

    // Many cells side by side, each keeping its own state and value, also
    // when rows go and come back.
    ColumnValues numbers(VT_I4);
    constexpr int kRows = 11;
    const VARTYPE kinds[] = {VT_I4, VT_NULL, VT_EMPTY};
    for (int row = 0; row < kRows; ++row) numbers.AppendEmptyRow();
    for (int row = 0; row < kRows; ++row) {
        VARIANT cell;
        VariantInit(&cell);
        V_VT(&cell) = kinds[row % 3];
        V_I4(&cell) = row * 7;
        numbers.Write(row, cell);
    }
    numbers.RemoveLastRow();
    numbers.RemoveLastRow();
    numbers.AppendEmptyRow();
    EXPECT_EQ(static_cast<size_t>(kRows - 1), numbers.size());
    for (int row = 0; row < kRows - 1; ++row) {
        ASSERT_EQ(S_OK, numbers.Read(row, value.put()));
        const VARTYPE expected = row == kRows - 2 ? VARTYPE{VT_EMPTY} : kinds[row % 3];
        ASSERT_EQ(expected, value.vt()) << row;
        if (expected == VT_I4) {
            EXPECT_EQ(row * 7, V_I4(value.ptr())) << row;
        }
    }
}

TEST(FieldNameIndex, FindsNamesWithoutRegardToCaseAndRefusesDuplicates) {
    FieldNameIndex index;
    const std::wstring names[] = {L"FID", L"FValDate", L"Étage", L"名称"};
    for (size_t i = 0; i < 4; ++i) ASSERT_TRUE(index.Add(names[i].c_str(), names[i].size(), i));
    EXPECT_FALSE(index.Add(L"fid", 3, 9));
    EXPECT_FALSE(index.Add(L"éTAGE", 5, 9));
    size_t ordinal = 99;
    const std::pair<std::wstring, size_t> lookups[] = {{L"fvaldate", 1}, {L"FVALDATE", 1}, {L"étage", 2},
                                                       {L"名称", 3},    {L"Fid", 0}};
    for (const auto& lookup : lookups) {
        ASSERT_TRUE(index.Find(lookup.first.c_str(), lookup.first.size(), &ordinal)) << lookup.first.size();
        EXPECT_EQ(lookup.second, ordinal);
    }
    EXPECT_FALSE(index.Find(L"FI", 2, &ordinal));
    EXPECT_FALSE(index.Find(L"FIDX", 4, &ordinal));
    // Many names: the table grows and every one stays reachable.
    FieldNameIndex many;
    for (size_t i = 0; i < 500; ++i) {
        std::wstring name = L"Field" + std::to_wstring(i);
        ASSERT_TRUE(many.Add(name.c_str(), name.size(), i));
    }
    for (size_t i = 0; i < 500; ++i) {
        std::wstring name = L"FIELD" + std::to_wstring(i);
        ASSERT_TRUE(many.Find(name.c_str(), name.size(), &ordinal));
        EXPECT_EQ(i, ordinal);
    }
}
