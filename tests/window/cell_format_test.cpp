// Cell texts of the grid: quantity patterns per decimal count, number and date
// formats, trimming. The user's regional settings group with "," and use ".".
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "cell_format.h"
#include "unique_variant.h"
#include "variant_values.h"

using namespace ambrelle;

namespace {

std::wstring Quantity(const wchar_t* text, const wchar_t* decimals) {
    std::wstring cell = L"<not written>";
    EXPECT_EQ(S_OK, FormatQuantityText(text, QuantityPattern(decimals), &cell));
    return cell;
}

std::wstring Date(const VARIANT& value) {
    std::wstring cell = L"<not written>";
    EXPECT_EQ(S_OK, FormatDate(value, &cell));
    return cell;
}

}  // namespace

TEST(CellFormat, QuantityPatternFollowsTheDecimalCount) {
    EXPECT_EQ(L"##,#0", QuantityPattern(L""));
    EXPECT_EQ(L"##,#0", QuantityPattern(L"0"));
    EXPECT_EQ(L"##,#0.0", QuantityPattern(L"1"));
    EXPECT_EQ(L"##,#0.00", QuantityPattern(L"2"));
    EXPECT_EQ(L"##,#0.0000", QuantityPattern(L"4"));
    // Not a whole number from 0 up: no decimals.
    EXPECT_EQ(L"##,#0", QuantityPattern(L"-2"));
    EXPECT_EQ(L"##,#0", QuantityPattern(L"abc"));
    EXPECT_EQ(L"##,#0", QuantityPattern(L"-2147483648"));
    // 28 places at most, whatever the count.
    const std::wstring most = L"##,#0." + std::wstring(28, L'0');
    EXPECT_EQ(most, QuantityPattern(L"28"));
    EXPECT_EQ(most, QuantityPattern(L"29"));
    EXPECT_EQ(most, QuantityPattern(L"32767"));
    EXPECT_EQ(most, QuantityPattern(L"2147483647"));
}

namespace {
// "1" and `zeros` zeros, grouped by three.
std::wstring GroupedPowerOfTen(int zeros) {
    std::wstring digits = L"1" + std::wstring(static_cast<size_t>(zeros), L'0');
    std::wstring grouped;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) grouped += L',';
        grouped += digits[i];
    }
    return grouped;
}
}  // namespace

TEST(CellFormat, NumbersOfAnyMagnitudeGetTheirFullText) {
    EXPECT_EQ(GroupedPowerOfTen(200) + L".00", Quantity(L"1E+200", L"2"));
    EXPECT_EQ(L"-" + GroupedPowerOfTen(200), Quantity(L"-1E+200", L"0"));
    std::wstring largest = GroupedPowerOfTen(308);  // "100,000,...": 1.7E+308 is "170,000,..."
    largest[1] = L'7';
    EXPECT_EQ(largest, Quantity(L"1.7E+308", L"0"));
    EXPECT_EQ(L"1,000,000,000,000,000", Quantity(L"1E+15", L""));
    EXPECT_EQ(L"999,999,999,999,999", Quantity(L"999999999999999", L""));
    EXPECT_EQ(L"1E+400", Quantity(L"1E+400", L"2")) << "beyond a double: shown as it is";
    // More significant digits than a double keeps (a decimal or 64-bit field): its own digits.
    EXPECT_EQ(L"1,234,567,890,123,456.75", Quantity(L"1234567890123456.75", L"2"));
    EXPECT_EQ(L"123,456,789,012,345.68", Quantity(L"123456789012345.678", L"2"));
    EXPECT_EQ(L"-9,223,372,036,854,775,807", Quantity(L"-9223372036854775807", L""));
    EXPECT_EQ(L"10,000,000,000,000,000.00", Quantity(L"9999999999999999.995", L"2"));
    EXPECT_EQ(L"1,234.25" + std::wstring(26, L'0'), Quantity(L"1234.25", L"2147483647"));
    EXPECT_EQ(L"0." + std::wstring(28, L'0'), Quantity(L"1E-300", L"32767"));
    struct Case {
        double total;
        std::wstring cell;
    } totals[] = {
        {1e200, GroupedPowerOfTen(200) + L".0000"},
        {-1e200, L"-" + GroupedPowerOfTen(200) + L".0000"},
        {1e15, L"1,000,000,000,000,000.0000"},
        {1.7e308, largest + L".0000"},
    };
    for (const Case& c : totals) {
        std::wstring cell = L"<not written>";
        EXPECT_EQ(S_OK, FormatTotal(c.total, &cell)) << c.total;
        EXPECT_EQ(c.cell, cell) << c.total;
    }
    std::wstring cell;
    EXPECT_TRUE(FAILED(FormatTotal(HUGE_VAL, &cell))) << "not a number of any magnitude";
}

TEST(CellFormat, QuantitiesWithTheirDecimalPlaces) {
    struct Case {
        const wchar_t* text;
        const wchar_t* decimals;
        const wchar_t* cell;
    } cases[] = {
        {L"1234.25", L"", L"1,234"},
        {L"1234.25", L"0", L"1,234"},
        {L"1234.25", L"2", L"1,234.25"},
        {L"1234.25", L"3", L"1,234.250"},
        {L"0", L"0", L"0"},
        {L"0", L"2", L"0.00"},
        {L"1234567", L"0", L"1,234,567"},
        {L"-1234.5", L"1", L"-1,234.5"},
        {L"-12.5", L"0", L"-13"},
        {L"36.1234", L"4", L"36.1234"},
        {L"860.5", L"2", L"860.50"},
        {L"", L"2", L""},
        {L"n/a", L"2", L"n/a"},
        {L"12 kg", L"0", L"12 kg"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.cell, Quantity(c.text, c.decimals)) << std::string(c.text, c.text + wcslen(c.text));
}

TEST(CellFormat, DatesAsYearMonthDay) {
    EXPECT_EQ(L"2024-03-05", Date(DateValue(45356.0)));
    EXPECT_EQ(L"2024-03-05", Date(DateValue(45356.4035)));  // 09:41 dropped
    EXPECT_EQ(L"1899-12-30", Date(DateValue(0)));
    EXPECT_EQ(L"", Date(NullValue()));
    EXPECT_EQ(L"", Date(EmptyValue()));
    UniqueVariant empty_text;
    V_VT(empty_text.ptr()) = VT_BSTR;
    V_BSTR(empty_text.ptr()) = SysAllocString(L"");
    EXPECT_EQ(L"", Date(empty_text.get())) << "no date, as Null";
}

TEST(CellFormat, TotalsAlwaysCarryFourDecimals) {
    struct Case {
        double total;
        const wchar_t* cell;
    } cases[] = {{1234.5, L"1,234.5000"}, {1000, L"1,000.0000"}, {0, L"0.0000"}, {-12.5, L"-12.5000"},
                 {5893.7484, L"5,893.7484"}, {1234567.125, L"1,234,567.1250"}};
    for (const Case& c : cases) {
        std::wstring cell = L"<not written>";
        EXPECT_EQ(S_OK, FormatTotal(c.total, &cell));
        EXPECT_EQ(c.cell, cell) << c.total;
    }
}

TEST(CellFormat, TrimAndSequence) {
    EXPECT_EQ(L"变频器", std::wstring(BlankTrimmed(L"  变频器 ")));
    EXPECT_EQ(L"a  b", std::wstring(BlankTrimmed(L" a  b ")));
    EXPECT_EQ(L"", std::wstring(BlankTrimmed(L"   ")));
    EXPECT_EQ(L"\tx", std::wstring(BlankTrimmed(L"\tx ")));
    EXPECT_EQ(L" 1", NumberWithSignPlace(1));
    EXPECT_EQ(L" 10", NumberWithSignPlace(10));
    EXPECT_EQ(L" 0", NumberWithSignPlace(0));
    EXPECT_EQ(L"-1", NumberWithSignPlace(-1));
    EXPECT_EQ(L"-2147483649", NumberWithSignPlace(-2147483649LL));
    EXPECT_EQ(L" 2147483646", NumberWithSignPlace(2147483646));
    EXPECT_EQ(L"-9223372036854775808", NumberWithSignPlace(std::numeric_limits<long long>::min()));
    EXPECT_EQ(L" 9223372036854775807", NumberWithSignPlace(std::numeric_limits<long long>::max()));
}
