// Reading texts as numbers the way Val does.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "com_error.h"
#include "val_number.h"
#include "variant_values.h"

using ambrelle::NewText;
using ambrelle::ValOfText;
using ambrelle::ValOfValue;

TEST(ValOfText, ReadsTheLeadingNumber) {
    struct Case {
        const wchar_t* text;
        double expected;
    } cases[] = {
        {L"12.5", 12.5},
        {L"", 0},
        {L"   ", 0},
        {L"1,234.5", 1},
        {L"  1615 198th Street N.E.", 1615198},
        {L" 2 45 7", 2457},
        {L"24 and 57", 24},
        {L"-12.5", -12.5},
        {L"+7", 7},
        {L"- 3", -3},
        {L"--5", 0},
        {L".5", 0.5},
        {L"5.", 5},
        {L".", 0},
        {L"1.2.3", 1.2},
        {L"1E+3", 1000},
        {L"2.5e-1", 0.25},
        {L"1D2", 100},
        {L"1E", 1},
        {L"1E+", 1},
        {L"3\t4\n5", 345},
        {L"abc", 0},
        {L"$12", 0},
        {L"50%", 50},
        // Decimal numbers only: hexadecimal and octal notations read as 0.
        {L"&HFFFF", 0},
        {L"&H10", 0},
        {L"&HFFFFF", 0},
        {L"&O17", 0},
        {L"&17", 0},
        {L"1234.25", 1234.25},
        {L"-0", 0},
    };
    for (const Case& c : cases) {
        double value = -999;
        ASSERT_EQ(S_OK, ValOfText(c.text, &value)) << std::wstring(c.text).size();
        EXPECT_DOUBLE_EQ(c.expected, value) << std::string(c.text, c.text + wcslen(c.text));
    }
}

TEST(ValOfText, ANumberBeyondADoubleIsAnOverflow) {
    double value = -999;
    const HRESULT hr = ValOfText(L"1E400", &value);
    EXPECT_EQ(static_cast<HRESULT>(0x800A0006), hr);
    EXPECT_EQ(L"Overflow", ambrelle::TakeComError(hr).description);
    EXPECT_EQ(0, value);
}

TEST(ValOfText, ThePointIsTheDecimalPointWhateverTheCRuntimesLocale) {
    const std::string before = std::setlocale(LC_NUMERIC, nullptr);
    const char* comma_locale = nullptr;
    for (const char* name : {"German_Germany.1252", "German", "de-DE", "deu"})
        if (!comma_locale && std::setlocale(LC_NUMERIC, name)) comma_locale = name;
    ASSERT_NE(nullptr, comma_locale) << "a decimal-comma locale of the C runtime";
    ASSERT_EQ(',', *std::localeconv()->decimal_point) << "a decimal-comma C runtime";
    double point = -999;
    double comma = -999;
    const HRESULT point_hr = ValOfText(L"1234.25", &point);
    const HRESULT comma_hr = ValOfText(L"1234,25", &comma);
    std::setlocale(LC_NUMERIC, before.c_str());
    EXPECT_EQ(S_OK, point_hr);
    EXPECT_DOUBLE_EQ(1234.25, point);
    EXPECT_EQ(S_OK, comma_hr);
    EXPECT_DOUBLE_EQ(1234, comma);
}

namespace {

VARIANT Number(VARTYPE type, double value) {
    VARIANT v = ambrelle::DoubleValue(value);
    VariantChangeType(&v, &v, 0, type);
    return v;
}

// Sets the user's decimal separator for as long as it lives.
class UserDecimalSeparator {
public:
    explicit UserDecimalSeparator(const wchar_t* separator) {
        GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, before_, 8);
        ok_ = SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator) != 0;
    }
    ~UserDecimalSeparator() { SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, before_); }
    bool ok() const { return ok_; }

private:
    wchar_t before_[8] = L".";
    bool ok_ = false;
};

}  // namespace

TEST(ValOfValue, NumbersReadTheSameUnderEveryDecimalSeparatorTextsAsTheyStand) {
    struct Case {
        VARIANT value;
        double expected;  // under "." and under ","
        double under_comma;
    } cases[] = {
        {Number(VT_R8, 1234.25), 1234.25, 1234.25},
        {Number(VT_R8, -0.5), -0.5, -0.5},
        {Number(VT_R8, 0.1 + 0.2), 0.3, 0.3},  // the number's 15-digit text, as before
        {Number(VT_R4, 2.5), 2.5, 2.5},
        {Number(VT_CY, 12.3456), 12.3456, 12.3456},
        {Number(VT_DECIMAL, 7.125), 7.125, 7.125},
        {Number(VT_I4, 1000), 1000, 1000},
        {NewText(L"1234.25"), 1234.25, 1234.25},
        {NewText(L"1234,25"), 1234, 1234},
        {NewText(L""), 0, 0},
    };
    for (const wchar_t* separator : {L".", L","}) {
        UserDecimalSeparator setting(separator);
        ASSERT_TRUE(setting.ok());
        for (const Case& c : cases) {
            double value = -999;
            EXPECT_EQ(S_OK, ValOfValue(c.value, &value));
            EXPECT_DOUBLE_EQ(separator[0] == L',' ? c.under_comma : c.expected, value)
                << V_VT(&c.value) << " under " << static_cast<char>(separator[0]);
        }
    }
    for (Case& c : cases) VariantClear(&c.value);
    VARIANT null;
    V_VT(&null) = VT_NULL;
    double value = -999;
    EXPECT_EQ(static_cast<HRESULT>(0x800A005E), ValOfValue(null, &value));
}

// Numbers read without writing their text must read exactly as their text
// (the platform's conversion under "." settings) reads.
TEST(ValOfValue, NumbersReadExactlyAsTheirTextReads) {
    std::vector<VARIANT> values;
    for (double x : {0.1 + 0.2, 1.0 / 3, 1234.25, -1234.25, 0.5, 1e15 - 1, 999999999999999.9, 123456789012345.6,
                     1e15, 1e16 + 2, 1.5e-7, 1e-22, 3e-23, 5e-324, 1.7e308, -2.5e-310, 0.30000000000000004,
                     4.35, 0.07, 1e21, 7.000000000000001})
        values.push_back(Number(VT_R8, x));
    // Quantities as bills hold them, and doubles with every bit set at random.
    uint64_t state = 0x9E3779B97F4A7C15ull;
    auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    };
    for (int i = 0; i < 3000; ++i) {
        const double decimals[] = {1, 10, 100, 1000, 10000, 1e6, 1e9};
        values.push_back(Number(VT_R8, static_cast<double>(next() % 100000000) / decimals[next() % 7]));
        uint64_t bits = next();
        double any;
        memcpy(&any, &bits, sizeof(any));
        if (std::isfinite(any)) values.push_back(Number(VT_R8, any));
    }
    for (LONGLONG whole : {0ll, -7ll, 9007199254740993ll, -9223372036854775807ll}) {
        VARIANT v;
        V_VT(&v) = VT_I8;
        V_I8(&v) = whole;
        values.push_back(v);
    }
    VARIANT largest;
    V_VT(&largest) = VT_UI8;
    V_UI8(&largest) = ~0ull;
    values.push_back(largest);
    for (VARIANT& v : values) {
        VARIANT text;
        VariantInit(&text);
        ASSERT_EQ(S_OK, VariantChangeTypeEx(&text, &v, LOCALE_INVARIANT, 0, VT_BSTR));
        double through_text = -999;
        const HRESULT text_hr = ValOfText(std::wstring(V_BSTR(&text), SysStringLen(V_BSTR(&text))), &through_text);
        double read = -999;
        EXPECT_EQ(text_hr, ValOfValue(v, &read)) << V_BSTR(&text);
        EXPECT_EQ(through_text, read) << V_BSTR(&text);
        VariantClear(&text);
    }
}
