// Reading texts as numbers the way Val does.
#include <gtest/gtest.h>

#include "com_error.h"
#include "val_number.h"

using ambrelle::ValOfText;

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
        {L"&HFFFF", -1},
        {L"&H10", 16},
        {L"&HFFFFF", 1048575},
        {L"&O17", 15},
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
