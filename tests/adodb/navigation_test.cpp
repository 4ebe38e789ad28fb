// The navigation table of the record set: empty, one and three records, every
// move from every position, with BOF/EOF, the position reached and the error.
#include <vector>

#include "recordset_test_support.h"

using namespace ado_test;

namespace {

constexpr int kBof = -1;
constexpr int kEof = 100;  // after the last record, whatever the count
constexpr int kFails = -99;

enum class Op { kMoveFirst, kMoveLast, kMoveNext, kMovePrevious, kMove };

struct NavigationCase {
    int records;
    int from;  // kBof, a record number from 0, or kEof
    Op op;
    LONG count;  // Move only
    int start;   // Move only: -1 for no Start, else adBookmarkCurrent/First/Last
    int expected;  // position after the move, or kFails (3021, position unchanged)
};

const char* OpName(Op op) {
    switch (op) {
    case Op::kMoveFirst:
        return "MoveFirst";
    case Op::kMoveLast:
        return "MoveLast";
    case Op::kMoveNext:
        return "MoveNext";
    case Op::kMovePrevious:
        return "MovePrevious";
    case Op::kMove:
        return "Move";
    }
    return "";
}

void PlaceAt(_ADORecordset* set, int records, int position) {
    if (records == 0) return;  // an empty set is at BOF and EOF at once
    ASSERT_EQ(S_OK, set->MoveFirst());
    if (position == kBof) {
        ASSERT_EQ(S_OK, set->MovePrevious());
    } else if (position == kEof) {
        ASSERT_EQ(S_OK, set->MoveLast());
        ASSERT_EQ(S_OK, set->MoveNext());
    } else {
        for (int i = 0; i < position; ++i) ASSERT_EQ(S_OK, set->MoveNext());
    }
}

// BOF/EOF and the current record's number, as the set reports them.
int PositionOf(_ADORecordset* set, int records) {
    const bool bof = Bof(set), eof = Eof(set);
    if (records == 0) {
        EXPECT_TRUE(bof && eof) << "an empty set is at BOF and at EOF";
        return kBof;
    }
    EXPECT_FALSE(bof && eof);
    if (bof) return kBof;
    if (eof) return kEof;
    ambrelle::UniqueVariant value = Collect(set, Text(L"N"));
    EXPECT_EQ(VT_I4, value.vt());
    return V_I4(&value.get());
}

HRESULT RunMove(_ADORecordset* set, const NavigationCase& c) {
    switch (c.op) {
    case Op::kMoveFirst:
        return set->MoveFirst();
    case Op::kMoveLast:
        return set->MoveLast();
    case Op::kMoveNext:
        return set->MoveNext();
    case Op::kMovePrevious:
        return set->MovePrevious();
    case Op::kMove:
        return set->Move(c.count, c.start < 0 ? Missing() : Long(c.start));
    }
    return E_FAIL;
}

const NavigationCase kCases[] = {
    // An empty set: every move fails, even Move with a start position.
    {0, kBof, Op::kMoveFirst, 0, 0, kFails},
    {0, kBof, Op::kMoveLast, 0, 0, kFails},
    {0, kBof, Op::kMoveNext, 0, 0, kFails},
    {0, kBof, Op::kMovePrevious, 0, 0, kFails},
    {0, kBof, Op::kMove, 0, -1, kFails},
    {0, kBof, Op::kMove, 1, adBookmarkCurrent, kFails},
    {0, kBof, Op::kMove, 0, adBookmarkFirst, kFails},
    {0, kBof, Op::kMove, 0, adBookmarkLast, kFails},
    {0, kBof, Op::kMove, -1, adBookmarkLast, kFails},

    // One record, from BOF, the record and EOF.
    {1, kBof, Op::kMoveFirst, 0, 0, 0},
    {1, kEof, Op::kMoveFirst, 0, 0, 0},
    {1, kBof, Op::kMoveLast, 0, 0, 0},
    {1, kEof, Op::kMoveLast, 0, 0, 0},
    {1, kBof, Op::kMoveNext, 0, 0, 0},
    {1, 0, Op::kMoveNext, 0, 0, kEof},
    {1, kEof, Op::kMoveNext, 0, 0, kFails},
    {1, kBof, Op::kMovePrevious, 0, 0, kFails},
    {1, 0, Op::kMovePrevious, 0, 0, kBof},
    {1, kEof, Op::kMovePrevious, 0, 0, 0},
    {1, 0, Op::kMove, 0, -1, 0},
    {1, 0, Op::kMove, 1, -1, kEof},
    {1, 0, Op::kMove, -1, adBookmarkCurrent, kBof},
    {1, 0, Op::kMove, 5, adBookmarkCurrent, kEof},
    {1, kBof, Op::kMove, 1, adBookmarkCurrent, 0},
    {1, kBof, Op::kMove, 0, adBookmarkCurrent, kFails},
    {1, kBof, Op::kMove, -1, adBookmarkCurrent, kFails},
    {1, kEof, Op::kMove, -1, adBookmarkCurrent, 0},
    {1, kEof, Op::kMove, 0, adBookmarkCurrent, kFails},
    {1, kEof, Op::kMove, 1, adBookmarkCurrent, kFails},
    {1, kEof, Op::kMove, 0, adBookmarkFirst, 0},
    {1, kBof, Op::kMove, 0, adBookmarkLast, 0},
    {1, kEof, Op::kMove, 1, adBookmarkFirst, kEof},
    {1, kBof, Op::kMove, -1, adBookmarkFirst, kBof},
    {1, 0, Op::kMove, 1, adBookmarkLast, kEof},
    {1, 0, Op::kMove, -1, adBookmarkLast, kBof},

    // Three records.
    {3, kBof, Op::kMoveFirst, 0, 0, 0},
    {3, 1, Op::kMoveFirst, 0, 0, 0},
    {3, kEof, Op::kMoveFirst, 0, 0, 0},
    {3, kBof, Op::kMoveLast, 0, 0, 2},
    {3, 1, Op::kMoveLast, 0, 0, 2},
    {3, kEof, Op::kMoveLast, 0, 0, 2},
    {3, kBof, Op::kMoveNext, 0, 0, 0},
    {3, 0, Op::kMoveNext, 0, 0, 1},
    {3, 1, Op::kMoveNext, 0, 0, 2},
    {3, 2, Op::kMoveNext, 0, 0, kEof},
    {3, kEof, Op::kMoveNext, 0, 0, kFails},
    {3, kBof, Op::kMovePrevious, 0, 0, kFails},
    {3, 0, Op::kMovePrevious, 0, 0, kBof},
    {3, 1, Op::kMovePrevious, 0, 0, 0},
    {3, 2, Op::kMovePrevious, 0, 0, 1},
    {3, kEof, Op::kMovePrevious, 0, 0, 2},
    // Move counted from the current record.
    {3, 1, Op::kMove, -2, -1, kBof},
    {3, 1, Op::kMove, -1, -1, 0},
    {3, 1, Op::kMove, 0, -1, 1},
    {3, 1, Op::kMove, 1, adBookmarkCurrent, 2},
    {3, 1, Op::kMove, 2, adBookmarkCurrent, kEof},
    {3, 1, Op::kMove, 50, adBookmarkCurrent, kEof},
    {3, 1, Op::kMove, -50, adBookmarkCurrent, kBof},
    {3, kBof, Op::kMove, 1, adBookmarkCurrent, 0},
    {3, kBof, Op::kMove, 3, adBookmarkCurrent, 2},
    {3, kBof, Op::kMove, 4, adBookmarkCurrent, kEof},
    {3, kBof, Op::kMove, 0, adBookmarkCurrent, kFails},
    {3, kBof, Op::kMove, -1, adBookmarkCurrent, kFails},
    {3, kEof, Op::kMove, -1, adBookmarkCurrent, 2},
    {3, kEof, Op::kMove, -3, adBookmarkCurrent, 0},
    {3, kEof, Op::kMove, -4, adBookmarkCurrent, kBof},
    {3, kEof, Op::kMove, 0, adBookmarkCurrent, kFails},
    {3, kEof, Op::kMove, 1, adBookmarkCurrent, kFails},
    // Move counted from the first record, from anywhere, BOF and EOF included.
    {3, kEof, Op::kMove, 0, adBookmarkFirst, 0},
    {3, kBof, Op::kMove, 2, adBookmarkFirst, 2},
    {3, 2, Op::kMove, 1, adBookmarkFirst, 1},
    {3, 0, Op::kMove, 3, adBookmarkFirst, kEof},
    {3, kEof, Op::kMove, 7, adBookmarkFirst, kEof},
    {3, 1, Op::kMove, -1, adBookmarkFirst, kBof},
    // Move counted from the last record.
    {3, kBof, Op::kMove, 0, adBookmarkLast, 2},
    {3, kEof, Op::kMove, -2, adBookmarkLast, 0},
    {3, 0, Op::kMove, -3, adBookmarkLast, kBof},
    {3, 0, Op::kMove, 1, adBookmarkLast, kEof},
};

class Navigation : public ::testing::Test {
protected:
    ambrelle_test::ComApartment apartment_;
};

}  // namespace

TEST_F(Navigation, EveryMoveFromEveryPositionGivesThePositionOrNoCurrentRecord) {
    for (const NavigationCase& c : kCases) {
        SCOPED_TRACE(testing::Message() << c.records << " records, from " << c.from << ", " << OpName(c.op) << " "
                                        << c.count << " start " << c.start);
        ComPtr<_ADORecordset> set = NumberedSet(c.records);
        ASSERT_TRUE(set);
        PlaceAt(set.Get(), c.records, c.from);
        const HRESULT hr = RunMove(set.Get(), c);
        if (c.expected == kFails) {
            ExpectAdoError(hr, AdoError(3021), L"ADODB.Recordset", kNoCurrentRecordText);
            EXPECT_EQ(c.records == 0 ? kBof : c.from, PositionOf(set.Get(), c.records)) << "a failed move stays put";
        } else {
            EXPECT_EQ(S_OK, hr);
            EXPECT_EQ(c.expected, PositionOf(set.Get(), c.records));
        }
    }
}

TEST_F(Navigation, MoveFromTheFirstRecordReachesFarRowsDirectly) {
    ComPtr<_ADORecordset> set = NumberedSet(2000);
    for (LONG row : {1999L, 0L, 1000L, 1234L}) {
        ASSERT_EQ(S_OK, set->Move(row, Long(adBookmarkFirst)));
        EXPECT_EQ(row, V_I4(&Collect(set.Get(), Long(0)).get()));
    }
    ASSERT_EQ(S_OK, set->Move(-2, Long(adBookmarkLast)));
    EXPECT_EQ(1997, V_I4(&Collect(set.Get(), Long(0)).get()));
}

TEST_F(Navigation, AbsolutePositionReportsAndSetsTheRecordNumber) {
    ComPtr<_ADORecordset> set = NumberedSet(3);
    PositionEnum_Param position = adPosUnknown;
    ASSERT_EQ(S_OK, set->MoveFirst());
    ASSERT_EQ(S_OK, set->MovePrevious());
    ASSERT_EQ(S_OK, set->get_AbsolutePosition(&position));
    EXPECT_EQ(adPosBOF, position);
    ASSERT_EQ(S_OK, set->put_AbsolutePosition(static_cast<PositionEnum_Param>(3)));
    ASSERT_EQ(S_OK, set->get_AbsolutePosition(&position));
    EXPECT_EQ(3, position);
    EXPECT_EQ(2, V_I4(&Collect(set.Get(), Long(0)).get()));
    ASSERT_EQ(S_OK, set->MoveNext());
    ASSERT_EQ(S_OK, set->get_AbsolutePosition(&position));
    EXPECT_EQ(adPosEOF, position);
    ExpectAdoError(set->put_AbsolutePosition(static_cast<PositionEnum_Param>(4)), AdoError(3001), L"ADODB.Recordset",
                   kInvalidArgumentText);
}

TEST_F(Navigation, ReadingAFieldWithoutACurrentRecordFailsFromTheField) {
    ComPtr<_ADORecordset> set = NumberedSet(1);
    ASSERT_EQ(S_OK, set->MoveFirst());
    ComPtr<ADOFields> fields;
    ComPtr<ADOField> field;
    ASSERT_EQ(S_OK, set->get_Fields(&fields));
    ASSERT_EQ(S_OK, fields->get_Item(Long(0), &field));
    ASSERT_EQ(S_OK, set->MovePrevious());
    ambrelle::UniqueVariant value;
    V_VT(value.ptr()) = VT_I4;
    ExpectAdoError(field->get_Value(value.ptr()), AdoError(3021), L"ADODB.Field", kNoCurrentRecordText);
    EXPECT_EQ(VT_EMPTY, value.vt());
    ExpectAdoError(set->get_Collect(Long(0), value.ptr()), AdoError(3021), L"ADODB.Recordset", kNoCurrentRecordText);
    ExpectAdoError(field->put_Value(Long(3)), AdoError(3021), L"ADODB.Field", kNoCurrentRecordText);
}

TEST_F(Navigation, StartOtherThanTheBookmarkConstantsIsAWrongArgument) {
    ComPtr<_ADORecordset> set = NumberedSet(3);
    ASSERT_EQ(S_OK, set->MoveFirst());
    ExpectAdoError(set->Move(1, Long(3)), AdoError(3001), L"ADODB.Recordset", kInvalidArgumentText);
    ExpectAdoError(set->Move(1, Text(L"x")), AdoError(3001), L"ADODB.Recordset", kInvalidArgumentText);
    EXPECT_EQ(0, V_I4(&Collect(set.Get(), Long(0)).get()));
}
