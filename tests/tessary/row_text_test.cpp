// How a row text becomes cells, which cells read as numbers, and what the
// grid model keeps per row.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "grid_model.h"
#include "row_text.h"

namespace {

struct SplitCase {
    const wchar_t* text;
    long columns;
    std::vector<std::wstring> cells;
};

TEST(RowText, SplitsAtEveryBarAndFitsTheColumnCount) {
    const SplitCase cases[] = {
        {L"a|b|c|", 3, {L"a", L"b", L"c"}},
        {L"a|b|c|", 2, {L"a", L"b"}},                  // beyond the column count: dropped
        {L"a|b|", 4, {L"a", L"b", L"", L""}},          // missing cells: empty
        {L"a|b", 3, {L"a", L"b", L""}},                // no closing bar
        {L"||x|", 3, {L"", L"", L"x"}},
        {L"", 2, {L"", L""}},
        {L"|\u5408\u8BA1||||1,234.5000|", 6, {L"", L"\u5408\u8BA1", L"", L"", L"", L"1,234.5000"}},
        {L"a\tb|c\r\nd|", 2, {L"a b", L"c  d"}},       // a cell stays on one line
        {L"a|b|", 0, {}},
    };
    for (const SplitCase& c : cases) {
        std::wstring text = c.text;
        EXPECT_EQ(c.cells, tessary::SplitRowText(text.c_str(), text.size(), c.columns)) << c.text;
    }
}

TEST(RowText, NumbersAreCellsOfDigitsSeparatorsAndASign) {
    const std::pair<const wchar_t*, bool> cases[] = {
        {L"12", true},       {L" 1", true},       {L"-1,234.50", true}, {L"+3", true},
        {L"0.0000", true},   {L"", false},        {L"  ", false},       {L"-", false},
        {L"2024-01-05", false}, {L"R2A", false},  {L"1 2", false},      {L"\u5408\u8BA1", false},
    };
    for (const auto& c : cases) EXPECT_EQ(c.second, tessary::LooksNumeric(c.first)) << c.first;
}

TEST(GridModel, ShrinkingTheRowCountForgetsMarksAndColoursOfRowsBeyondIt) {
    tessary::GridModel model;
    model.SetRowCount(10);
    model.SetRowMark(5, true);
    model.SetRowMark(6, true);
    model.SetRowMark(9, true);
    model.SetRowColour(9, RGB(1, 2, 3), RGB(255, 255, 255));
    model.SetRowCount(6);
    EXPECT_TRUE(model.RowMarked(5));
    EXPECT_TRUE(model.RowMarked(6));
    EXPECT_FALSE(model.RowMarked(7));
    EXPECT_FALSE(model.RowMarked(9));
    model.SetRowCount(10);
    EXPECT_FALSE(model.RowMarked(9));
    EXPECT_EQ(RGB(255, 255, 255), model.RowColour(9, RGB(255, 255, 255)));
}

TEST(GridModel, NewColumnsGetTheDefaultWidthAndEveryChangeCounts) {
    tessary::GridModel model;
    EXPECT_EQ(1, model.column_count());
    unsigned revision = model.revision();
    model.SetColumnWidthTwips(1, 2000);
    model.SetColumnCount(3);
    EXPECT_EQ(2000.0f, model.ColumnWidthTwips(1));
    EXPECT_EQ(1200.0f, model.ColumnWidthTwips(3));
    EXPECT_EQ(revision + 2, model.revision());
}

}  // namespace
