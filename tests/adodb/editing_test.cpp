// AddNew and its commit points, RecordCount with a row being added, edits of
// committed rows, Close and a new Open, and the record set's states.
#include "recordset_test_support.h"

using namespace ado_test;

namespace {

class Editing : public ::testing::Test {
protected:
    ambrelle_test::ComApartment apartment_;
};

LONG ValueOfN(_ADORecordset* set) {
    ambrelle::UniqueVariant value = Collect(set, Text(L"N"));
    EXPECT_EQ(VT_I4, value.vt());
    return V_I4(&value.get());
}

EditModeEnum EditMode(_ADORecordset* set) {
    EditModeEnum mode = static_cast<EditModeEnum>(-7);
    EXPECT_EQ(S_OK, set->get_EditMode(&mode));
    return mode;
}

}  // namespace

TEST_F(Editing, AddNewMakesANewCurrentRowThatRecordCountAlreadyCounts) {
    ComPtr<_ADORecordset> set = OpenSet({{L"N", adInteger, 0, -1}, {L"S", adVarChar, 10, -1}});
    EXPECT_TRUE(Bof(set.Get()));
    EXPECT_TRUE(Eof(set.Get()));
    EXPECT_EQ(0, RecordCount(set.Get()));

    ASSERT_EQ(S_OK, set->AddNew(Missing(), Missing()));
    EXPECT_FALSE(Bof(set.Get()));
    EXPECT_FALSE(Eof(set.Get()));
    EXPECT_EQ(1, RecordCount(set.Get()));
    EXPECT_EQ(adEditAdd, EditMode(set.Get()));
    EXPECT_EQ(VT_EMPTY, Collect(set.Get(), Long(0)).vt()) << "fields of a new row read Empty until set";
    EXPECT_EQ(VT_EMPTY, Collect(set.Get(), Long(1)).vt());

    ASSERT_EQ(S_OK, set->put_Collect(Text(L"N"), Long(-1)));
    ASSERT_EQ(S_OK, set->AddNew(Missing(), Missing()));
    EXPECT_EQ(2, RecordCount(set.Get()));
    EXPECT_EQ(VT_EMPTY, Collect(set.Get(), Text(L"N")).vt());
    ASSERT_EQ(S_OK, set->put_Collect(Text(L"N"), Long(2)));

    // The second AddNew committed the first row; a move commits the second.
    ASSERT_EQ(S_OK, set->MoveFirst());
    EXPECT_EQ(-1, ValueOfN(set.Get()));
    EXPECT_EQ(adEditNone, EditMode(set.Get()));
    ASSERT_EQ(S_OK, set->MoveNext());
    EXPECT_EQ(2, ValueOfN(set.Get()));
    ASSERT_EQ(S_OK, set->MoveNext());
    EXPECT_TRUE(Eof(set.Get()));
    EXPECT_EQ(2, RecordCount(set.Get()));
}

TEST_F(Editing, EveryCommitPointKeepsTheRowAndCancelUpdateDropsOnlyAPendingOne) {
    struct CommitCase {
        const char* name;
        HRESULT (*commit)(_ADORecordset*);
        LONG count_after_commit;
    };
    const CommitCase cases[] = {
        {"AddNew", [](_ADORecordset* s) { return s->AddNew(Missing(), Missing()); }, 2},
        {"Update", [](_ADORecordset* s) { return s->Update(Missing(), Missing()); }, 1},
        {"MoveFirst", [](_ADORecordset* s) { return s->MoveFirst(); }, 1},
        {"MoveLast", [](_ADORecordset* s) { return s->MoveLast(); }, 1},
        {"MovePrevious", [](_ADORecordset* s) { return s->MovePrevious(); }, 1},
        {"MoveNext", [](_ADORecordset* s) { return s->MoveNext(); }, 1},
        {"Move 0", [](_ADORecordset* s) { return s->Move(0, Missing()); }, 1},
        {"Move 0 first", [](_ADORecordset* s) { return s->Move(0, Long(adBookmarkFirst)); }, 1},
    };
    for (const CommitCase& c : cases) {
        SCOPED_TRACE(c.name);
        ComPtr<_ADORecordset> set = OpenSet({{L"N", adInteger, 0, -1}});
        ASSERT_EQ(S_OK, set->AddNew(Missing(), Missing()));
        ASSERT_EQ(S_OK, set->put_Collect(Long(0), Long(41)));
        ASSERT_EQ(S_OK, c.commit(set.Get()));
        EXPECT_EQ(c.count_after_commit, RecordCount(set.Get()));
        // CancelUpdate now cancels only what came after the commit point.
        ASSERT_EQ(S_OK, set->CancelUpdate());
        EXPECT_EQ(1, RecordCount(set.Get()));
        ASSERT_EQ(S_OK, set->MoveFirst());
        EXPECT_EQ(41, ValueOfN(set.Get()));
    }
}

TEST_F(Editing, CancelUpdateOfANewRowReturnsToTheRowCurrentBefore) {
    ComPtr<_ADORecordset> set = NumberedSet(3);
    ASSERT_EQ(S_OK, set->Move(1, Long(adBookmarkFirst)));
    ASSERT_EQ(S_OK, set->AddNew(Missing(), Missing()));
    EXPECT_EQ(4, RecordCount(set.Get()));
    ASSERT_EQ(S_OK, set->CancelUpdate());
    EXPECT_EQ(3, RecordCount(set.Get()));
    EXPECT_EQ(1, ValueOfN(set.Get()));

    ComPtr<_ADORecordset> empty = OpenSet({{L"N", adInteger, 0, -1}});
    ASSERT_EQ(S_OK, empty->AddNew(Missing(), Missing()));
    ASSERT_EQ(S_OK, empty->CancelUpdate());
    EXPECT_EQ(0, RecordCount(empty.Get()));
    EXPECT_TRUE(Bof(empty.Get()));
    EXPECT_TRUE(Eof(empty.Get()));
}

TEST_F(Editing, AnEditOfACommittedRowIsKeptByAMoveAndUndoneByCancelUpdate) {
    ComPtr<_ADORecordset> set = NumberedSet(2);
    ASSERT_EQ(S_OK, set->MoveFirst());
    ASSERT_EQ(S_OK, set->put_Collect(Long(0), Long(10)));
    EXPECT_EQ(adEditInProgress, EditMode(set.Get()));
    ASSERT_EQ(S_OK, set->put_Collect(Long(0), Long(11)));
    ASSERT_EQ(S_OK, set->CancelUpdate());
    EXPECT_EQ(0, ValueOfN(set.Get()));
    EXPECT_EQ(adEditNone, EditMode(set.Get()));

    ASSERT_EQ(S_OK, set->put_Collect(Long(0), Long(12)));
    ASSERT_EQ(S_OK, set->MoveNext());
    ASSERT_EQ(S_OK, set->MovePrevious());
    EXPECT_EQ(12, ValueOfN(set.Get()));
    ASSERT_EQ(S_OK, set->CancelUpdate());
    EXPECT_EQ(12, ValueOfN(set.Get()));
}

TEST_F(Editing, UpdateWithoutAConnectionLeavesEditModeAtAdd) {
    ComPtr<_ADORecordset> set = OpenSet({{L"N", adInteger, 0, -1}});
    ASSERT_EQ(S_OK, set->AddNew(Missing(), Missing()));
    ASSERT_EQ(S_OK, set->put_Collect(Long(0), Long(5)));
    ASSERT_EQ(S_OK, set->Update(Missing(), Missing()));
    EXPECT_EQ(adEditAdd, EditMode(set.Get()));
    ASSERT_EQ(S_OK, set->MoveFirst());
    EXPECT_EQ(adEditNone, EditMode(set.Get()));
}

TEST_F(Editing, AddNewAndUpdateWithFieldListsStoreAndCommit) {
    ComPtr<_ADORecordset> set = OpenSet({{L"N", adInteger, 0, -1}, {L"S", adVarWChar, 20, -1}});
    ASSERT_EQ(S_OK, set->AddNew(Text(L"s"), Text(L"one")));
    EXPECT_EQ(adEditAdd, EditMode(set.Get()));
    ASSERT_EQ(S_OK, set->CancelUpdate()) << "already saved: nothing to cancel";
    EXPECT_EQ(1, RecordCount(set.Get()));

    SAFEARRAY* names = SafeArrayCreateVector(VT_VARIANT, 0, 2);
    SAFEARRAY* values = SafeArrayCreateVector(VT_VARIANT, 0, 2);
    ASSERT_TRUE(names && values);
    VARIANT* name_data;
    VARIANT* value_data;
    SafeArrayAccessData(names, reinterpret_cast<void**>(&name_data));
    SafeArrayAccessData(values, reinterpret_cast<void**>(&value_data));
    name_data[0] = Long(0);
    V_VT(&name_data[1]) = VT_BSTR;
    V_BSTR(&name_data[1]) = SysAllocString(L"S");
    value_data[0] = Long(7);
    V_VT(&value_data[1]) = VT_BSTR;
    V_BSTR(&value_data[1]) = SysAllocString(L"two");
    SafeArrayUnaccessData(names);
    SafeArrayUnaccessData(values);
    ambrelle::UniqueVariant name_list, value_list;
    V_VT(name_list.ptr()) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(name_list.ptr()) = names;
    V_VT(value_list.ptr()) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(value_list.ptr()) = values;
    ASSERT_EQ(S_OK, set->MoveFirst());
    ASSERT_EQ(S_OK, set->Update(name_list.get(), value_list.get()));
    EXPECT_EQ(7, ValueOfN(set.Get()));
    EXPECT_STREQ(L"two", V_BSTR(&Collect(set.Get(), Text(L"S")).get()));

    ExpectAdoError(set->Update(name_list.get(), Long(1)), AdoError(3001), L"ADODB.Recordset", kInvalidArgumentText);
}

TEST_F(Editing, CloseCommitsAndDiscardsRowsAndFieldsAndANewOpenStartsAfresh) {
    ComPtr<_ADORecordset> set = NumberedSet(2);
    ComPtr<ADOFields> fields;
    ComPtr<ADOField> held;
    ASSERT_EQ(S_OK, set->get_Fields(&fields));
    ASSERT_EQ(S_OK, fields->get_Item(Text(L"N"), &held));
    ASSERT_EQ(S_OK, set->AddNew(Missing(), Missing()));
    ASSERT_EQ(S_OK, set->Close());

    LONG state = -1;
    ASSERT_EQ(S_OK, set->get_State(&state));
    EXPECT_EQ(adStateClosed, state);
    long count = -1;
    ASSERT_EQ(S_OK, fields->get_Count(&count));
    EXPECT_EQ(0, count);
    BSTR name = reinterpret_cast<BSTR>(1);
    ExpectAdoError(held->get_Name(&name), AdoError(3420), L"ADODB.Field", L"Object is no longer valid.");
    EXPECT_EQ(nullptr, name);
    LockTypeEnum lock = adLockUnspecified;
    ASSERT_EQ(S_OK, set->get_LockType(&lock));
    EXPECT_EQ(adLockBatchOptimistic, lock) << "the lock type outlives Close";

    ExpectAdoError(OpenFabricated(set.Get()), AdoError(3709), L"ADODB.Recordset",
                   L"The connection cannot be used to perform this operation. It is either closed or invalid in this "
                   L"context.");
    ASSERT_EQ(S_OK, AppendField(set.Get(), {L"Other", adVarChar, 5, -1}));
    ASSERT_EQ(S_OK, OpenFabricated(set.Get()));
    EXPECT_EQ(0, RecordCount(set.Get()));
    ASSERT_EQ(S_OK, set->AddNew(Missing(), Missing()));
    ASSERT_EQ(S_OK, set->put_Collect(Text(L"other"), Text(L"x")));
    EXPECT_EQ(1, RecordCount(set.Get()));
    ExpectAdoError(set->get_Collect(Text(L"N"), ambrelle::UniqueVariant().ptr()), AdoError(3265), L"ADODB.Recordset",
                   kItemNotFoundText);
    ASSERT_EQ(S_OK, set->Close());
    held.Reset();
    fields.Reset();
    EXPECT_EQ(0u, set.Reset());
}

TEST_F(Editing, ANewRecordsetIsClosedWithADOsDefaults) {
    // State, cursor location, cursor type and lock type, each read with S_OK.
    const auto expect_settings = [](_ADORecordset* set, LONG state, CursorLocationEnum location,
                                    CursorTypeEnum cursor, LockTypeEnum lock) {
        LONG read_state = -1;
        CursorLocationEnum read_location = adUseNone;
        CursorTypeEnum read_cursor = adOpenUnspecified;
        LockTypeEnum read_lock = adLockUnspecified;
        EXPECT_EQ(S_OK, set->get_State(&read_state));
        EXPECT_EQ(S_OK, set->get_CursorLocation(&read_location));
        EXPECT_EQ(S_OK, set->get_CursorType(&read_cursor));
        EXPECT_EQ(S_OK, set->get_LockType(&read_lock));
        EXPECT_EQ(state, read_state);
        EXPECT_EQ(location, read_location);
        EXPECT_EQ(cursor, read_cursor);
        EXPECT_EQ(lock, read_lock);
    };
    ComPtr<_ADORecordset> set = NewRecordset();
    expect_settings(set.Get(), adStateClosed, adUseServer, adOpenForwardOnly, adLockReadOnly);
    long cache = 0;
    ASSERT_EQ(S_OK, set->get_CacheSize(&cache));
    EXPECT_EQ(1, cache);

    ASSERT_EQ(S_OK, AppendField(set.Get(), {L"N", adInteger, 0, -1}));
    ASSERT_EQ(S_OK, OpenFabricated(set.Get()));
    expect_settings(set.Get(), adStateOpen, adUseClient, adOpenStatic, adLockBatchOptimistic);
    ambrelle::UniqueVariant connection;
    V_VT(connection.ptr()) = VT_I4;
    ASSERT_EQ(S_OK, set->get_ActiveConnection(connection.ptr()));
    EXPECT_EQ(VT_DISPATCH, connection.vt());
    EXPECT_EQ(nullptr, V_DISPATCH(&connection.get()));
}

TEST_F(Editing, AReadOnlySetRefusesChanges) {
    ComPtr<_ADORecordset> set = NewRecordset();
    ASSERT_EQ(S_OK, AppendField(set.Get(), {L"N", adInteger, 0, -1}));
    ASSERT_EQ(S_OK, set->Open(Missing(), Missing(), adOpenStatic, adLockReadOnly, -1));
    ExpectAdoError(set->AddNew(Missing(), Missing()), AdoError(3251), L"ADODB.Recordset",
                   L"Current Recordset does not support updating. This may be a limitation of the provider, or of "
                   L"the selected locktype.");
    VARIANT_BOOL supported = VARIANT_TRUE;
    ASSERT_EQ(S_OK, set->Supports(adAddNew, &supported));
    EXPECT_EQ(VARIANT_FALSE, supported);
    ASSERT_EQ(S_OK, set->Supports(adMovePrevious, &supported));
    EXPECT_EQ(VARIANT_TRUE, supported);
}

TEST_F(Editing, TheRejectionSetPatternKeepsItsLastLinePendingUntilTheFirstMove) {
    // Six fields appended in order, a bare Open, lines written through Collect
    // and never committed explicitly: the reader's first Move commits the last.
    ComPtr<_ADORecordset> set = OpenSet({{L"FID", adInteger, 0, -1},
                                         {L"FSort", adVarChar, 80, -1},
                                         {L"FValDate", adDate, 0, adFldIsNullable},
                                         {L"FRejectDesc", adVarChar, 255, -1},
                                         {L"FBeBrName", adVarChar, 80, -1},
                                         {L"FBrName", adVarChar, 80, -1}});
    const wchar_t* reasons[] = {L"第一行的拒绝原因", L"续行"};
    for (int line = 0; line < 2; ++line) {
        ASSERT_EQ(S_OK, set->AddNew(Missing(), Missing()));
        ASSERT_EQ(S_OK, set->put_Collect(Text(L"FID"), Long(line == 0 ? 77 : 0)));
        ASSERT_EQ(S_OK, set->put_Collect(Text(L"FSort"), Text(line == 0 ? L"1" : L"")));
        ASSERT_EQ(S_OK, set->put_Collect(Text(L"FValDate"), line == 0 ? Double(45000.5) : NullValue()));
        ASSERT_EQ(S_OK, set->put_Collect(Text(L"FRejectDesc"), Text(reasons[line])));
        ASSERT_EQ(S_OK, set->put_Collect(Text(L"FBeBrName"), Text(line == 0 ? L"甲" : L"")));
        ASSERT_EQ(S_OK, set->put_Collect(Text(L"FBrName"), Text(line == 0 ? L"乙" : L"")));
    }
    EXPECT_EQ(2, RecordCount(set.Get()));
    EXPECT_EQ(adEditAdd, EditMode(set.Get()));
    ASSERT_EQ(S_OK, set->Move(1, Long(adBookmarkFirst)));
    EXPECT_EQ(adEditNone, EditMode(set.Get()));
    EXPECT_EQ(VT_NULL, Collect(set.Get(), Text(L"fvaldate")).vt());
    EXPECT_STREQ(L"续行", V_BSTR(&Collect(set.Get(), Text(L"FREJECTDESC")).get()));
    ASSERT_EQ(S_OK, set->Move(0, Long(adBookmarkFirst)));
    ambrelle::UniqueVariant date = Collect(set.Get(), Text(L"FValDate"));
    EXPECT_EQ(VT_DATE, date.vt());
    EXPECT_EQ(45000.5, V_DATE(&date.get()));
    EXPECT_EQ(77, V_I4(&Collect(set.Get(), Text(L"FID")).get()));
    EXPECT_STREQ(L"甲", V_BSTR(&Collect(set.Get(), Text(L"FBeBrName")).get()));
    ASSERT_EQ(S_OK, set->Close());
}
