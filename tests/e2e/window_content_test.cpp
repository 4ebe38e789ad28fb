// The window's content end to end: column layouts, the row count and totals
// that the grid load sets, its warning box, and the row texts the grid shows.
#include "window_fixture.h"

#include <limits>
#include <map>

#include "ado.h"
#include "replaced_pointers.h"
#include "unique_bstr.h"

#include "tessary_identity.h"

using namespace ambrelle_test;

namespace {

const Cells kConfirmationTitles = {L"序号",     L"商品代码", L"商品名称",   L"规格型号",
                                   L"辅助属性", L"确认前数量", L"确认数量", L"确认人",
                                   L"被确认机构", L"确认机构", L"确认日期", L"确认交货日期"};
const Cells kRejectionTitles = {L"序号", L"拒绝日期", L"拒绝原因", L"被拒绝机构", L"拒绝机构"};
constexpr LONG kTotalsColor = 0xE0EFFE;

struct GridState {
    std::vector<Cells> rows;
    LONG row_count = -2;
    LONG column_count = -2;
    std::vector<LONG> colors;
    std::vector<LONG> marks;
};

// Reads what the grid shows and keeps, then closes the window with OK.
void RecordGrid(ModalDriver* driver, GridState* state) {
    driver->Then([state](HWND window) {
        state->rows = GridCells(window);
        state->row_count = GridRowCount(window);
        state->column_count = GridColumnCount(window);
        for (LONG row = 1; row <= static_cast<LONG>(state->rows.size()); ++row) {
            state->colors.push_back(GridRowBackColor(window, row));
            state->marks.push_back(GridRowMark(window, row));
        }
        return true;
    });
    driver->ClickOk();
}

// Counts, while alive, the outside calls the window makes to answer row
// texts: reads of the grid's row count, moves of a record set, and reads of
// each field's value by the field's name. All record sets, all fields and the
// grid's sheet each share their class's vtable, whose slots are replaced for
// the time and restored after.
class RowCallCount {
public:
    int row_count_reads = 0;
    std::vector<std::wstring> moves;
    std::map<std::wstring, int> value_reads;

    RowCallCount(IDispatch* sheet, ADOField* field, _ADORecordset* records) {
        active_ = this;
        void** sheet_table = *reinterpret_cast<void***>(sheet);
        void** field_table = *reinterpret_cast<void***>(field);
        void** records_table = *reinterpret_cast<void***>(records);
        // In the order of Original's indexes.
        replaced_.Replace(sheet_table + VtableSlot(&IDispatch::Invoke), &SheetInvoke);
        replaced_.Replace(field_table + VtableSlot(&IDispatch::Invoke), &FieldInvoke);
        replaced_.Replace(field_table + VtableSlot(&ADOField::get_Value), &FieldValue);
        replaced_.Replace(records_table + VtableSlot(&_ADORecordset::Move), &Move);
        replaced_.Replace(records_table + VtableSlot(&_ADORecordset::MoveFirst), &MoveFirst);
        replaced_.Replace(records_table + VtableSlot(&_ADORecordset::MoveLast), &MoveLast);
        replaced_.Replace(records_table + VtableSlot(&_ADORecordset::MoveNext), &MoveNext);
    }
    ~RowCallCount() { active_ = nullptr; }

private:
    template <typename Function>
    static Function Original(size_t index) {
        return reinterpret_cast<Function>(active_->replaced_.original(index));
    }
    using Invoke = HRESULT(STDMETHODCALLTYPE*)(IDispatch*, DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*,
                                                EXCEPINFO*, UINT*);
    static HRESULT STDMETHODCALLTYPE SheetInvoke(IDispatch* self, DISPID id, REFIID riid, LCID lcid, WORD flags,
                                                 DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep, UINT* arg) {
        active_->row_count_reads += id == tessary::kDispidSheetRows && (flags & DISPATCH_PROPERTYGET);
        return Original<Invoke>(0)(self, id, riid, lcid, flags, params, result, excep, arg);
    }
    // The value read through IDispatch (as the value component reads it) counts once.
    static HRESULT STDMETHODCALLTYPE FieldInvoke(IDispatch* self, DISPID id, REFIID riid, LCID lcid, WORD flags,
                                                 DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep, UINT* arg) {
        if (id == DISPID_VALUE && (flags & DISPATCH_PROPERTYGET)) CountRead(static_cast<ADOField*>(self));
        ++active_->inside_invoke_;
        const HRESULT hr = Original<Invoke>(1)(self, id, riid, lcid, flags, params, result, excep, arg);
        --active_->inside_invoke_;
        return hr;
    }
    static HRESULT STDMETHODCALLTYPE FieldValue(ADOField* self, VARIANT* value) {
        if (!active_->inside_invoke_) CountRead(self);
        return Original<HRESULT(STDMETHODCALLTYPE*)(ADOField*, VARIANT*)>(2)(self, value);
    }
    static void CountRead(ADOField* field) {
        ambrelle::UniqueBstr name;
        field->get_Name(name.put());
        ++active_->value_reads[name.c_str()];
    }
    static HRESULT STDMETHODCALLTYPE Move(_ADORecordset* self, ADO_LONGPTR records, VARIANT start) {
        active_->moves.push_back(L"Move " + std::to_wstring(records) + L" from " +
                                 (V_VT(&start) == VT_I4 ? std::to_wstring(V_I4(&start)) : L"?"));
        return Original<HRESULT(STDMETHODCALLTYPE*)(_ADORecordset*, ADO_LONGPTR, VARIANT)>(3)(self, records, start);
    }
    using Step = HRESULT(STDMETHODCALLTYPE*)(_ADORecordset*);
    static HRESULT STDMETHODCALLTYPE MoveFirst(_ADORecordset* self) {
        active_->moves.push_back(L"MoveFirst");
        return Original<Step>(4)(self);
    }
    static HRESULT STDMETHODCALLTYPE MoveLast(_ADORecordset* self) {
        active_->moves.push_back(L"MoveLast");
        return Original<Step>(5)(self);
    }
    static HRESULT STDMETHODCALLTYPE MoveNext(_ADORecordset* self) {
        active_->moves.push_back(L"MoveNext");
        return Original<Step>(6)(self);
    }

    static inline RowCallCount* active_ = nullptr;
    int inside_invoke_ = 0;
    ReplacedPointers replaced_;
};

class WindowContent : public WindowTest {
protected:
    GridState ShowAndRecord(LONG fid, LONG kind) {
        GridState state;
        ModalDriver driver;
        RecordGrid(&driver, &state);
        EXPECT_EQ(S_OK, Show(fid, kind, &driver));
        EXPECT_EQ(0u, Boxes().size()) << "no warning";
        return state;
    }
    // `records` records for a query of `kind` whose values do not matter.
    void AddRecordsFor(LONG kind, int records) {
        for (int i = 0; i < records; ++i) {
            if (kind == 1)
                AddRejectionRow(700 + i, Text(L"原因"));
            else
                AddQuantities(Double(1.5), Double(1), Long(1));
        }
    }
};

}  // namespace

TEST_F(WindowContent, EachKindHasItsColumnsAndALaterLoadLeavesNoTraceOfTheEarlierOne) {
    const Cells confirmation = {L" 1", L"01", L"名称", L"型号", L"属性", L"1.5", L"1.0", L"确认人", L"被确认",
                                L"确认", L"2024-03-05", L"2024-03-12"};
    const Cells rejection = {L"1", L"2023-12-10", L"原因", L"华南分公司", L"总部"};
    AddRecordsFor(0, 1);
    AddRecordsFor(1, 1);
    struct Case {
        LONG kind;
        const Cells* titles;
        const Cells* record;
    } cases[] = {{1, &kRejectionTitles, &rejection},
                 {0, &kConfirmationTitles, &confirmation},
                 {1, &kRejectionTitles, &rejection},
                 {2, &kConfirmationTitles, &confirmation}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        GridState state = ShowAndRecord(1001, c.kind);
        EXPECT_EQ(static_cast<LONG>(c.titles->size()), state.column_count);
        ASSERT_GE(state.rows.size(), 2u);
        EXPECT_EQ((std::vector<Cells>{*c.titles, *c.record}), std::vector<Cells>(state.rows.begin(), state.rows.begin() + 2));
    }
}

TEST_F(WindowContent, SampleConfirmationBillWithPerRecordDecimalsDatesAndTotals) {
    const LONG bill = FirstSampleBill(0);
    ASSERT_EQ(100231, bill) << "the first internal order of the sample data";
    GridState state = ShowAndRecord(bill, 0);
    EXPECT_EQ(8, state.row_count) << "header, 6 records, totals";
    const std::vector<Cells> expected = {
        kConfirmationTitles,
        {L" 1", L"01.03.0117", L"不锈钢六角螺栓", L"M8×30 A2-70", L"国标", L"1,200", L"1,200", L"王建国",
         L"苏州工业园区仓储部", L"华东销售分公司", L"2024-03-05", L"2024-03-12"},
        {L" 2", L"02.11.0042", L"铜芯电力电缆", L"YJV-3×95+1×50", L"", L"860.50", L"800.25", L"王建国",
         L"苏州工业园区仓储部", L"华东销售分公司", L"2024-03-05", L"2024-03-15"},
        {L" 3", L"05.02.0310", L"工业润滑油", L"L-HM46 18L/桶", L"含税", L"36.1234", L"", L"李秀英",
         L"上海浦东配送中心", L"华东销售分公司", L"2024-03-06", L""},
        {L" 4", L"07.01.0008", L"变频器", L"", L"进口", L"4.5", L"4.5", L"李秀英", L"上海浦东配送中心",
         L"华东销售分公司", L"2024-03-06", L"2024-03-20"},
        {L" 5", L"03.06.2205", L"深沟球轴承", L"6205-2RS", L"一等品", L"2,500.375", L"2,400.000", L"张伟",
         L"南京江宁制造中心", L"华东销售分公司", L"2024-03-07", L"2024-03-14"},
        {L" 6", L"09.12.0001", L"A4复印纸", L"70g 500张/包", L"", L"1,234", L"1,000", L"张伟",
         L"南京江宁制造中心", L"华东销售分公司", L"2024-03-07", L"2024-03-08"},
        {L"", L"合计", L"", L"", L"", L"5,835.7484", L"5,404.7500", L"", L"", L"", L"", L""},
    };
    ASSERT_EQ(expected.size(), state.rows.size());
    for (size_t row = 0; row < expected.size(); ++row) EXPECT_EQ(expected[row], state.rows[row]) << "row " << row + 1;
    ASSERT_EQ(8u, state.colors.size());
    EXPECT_EQ(kTotalsColor, state.colors[7]) << "the totals row";
    for (size_t row = 0; row < 7; ++row) EXPECT_NE(kTotalsColor, state.colors[row]) << "row " << row + 1;
}

TEST_F(WindowContent, QuantitiesNullsTextsAndDatesOfSteeredRows) {
    // quantity before, confirmed, decimals → cells 6 and 7
    AddQuantities(Double(1234.25), Double(1000), Long(0));
    AddQuantities(Double(1234.25), Double(0), Long(2));
    AddQuantities(Double(1234.25), Null(), Long(3));
    AddQuantities(Null(), Double(-1234.5), Long(1));
    AddQuantities(Double(0), Double(0), Null());
    AddConfirmationRow(Text(L"  A-1 "), Text(L" 名 称 "), Null(), Text(L""), Double(0.125), Double(2.5), Text(L"x"),
                       Text(L"y"), Text(L"z"), Double(45356.99), Null(), Long(2));
    GridState state = ShowAndRecord(1001, 2);
    EXPECT_EQ(8, state.row_count);
    ASSERT_EQ(8u, state.rows.size());
    const std::pair<const wchar_t*, const wchar_t*> quantities[] = {
        {L"1,234", L"1,000"}, {L"1,234.25", L"0.00"}, {L"1,234.250", L""},
        {L"", L"-1,234.5"},   {L"0", L"0"},           {L"0.13", L"2.50"},
    };
    for (size_t i = 0; i < 6; ++i) {
        const Cells& row = state.rows[i + 1];
        ASSERT_EQ(12u, row.size()) << i;
        EXPECT_EQ(L" " + std::to_wstring(i + 1), row[0]);
        EXPECT_EQ(quantities[i].first, row[5]) << "row " << i + 2;
        EXPECT_EQ(quantities[i].second, row[6]) << "row " << i + 2;
    }
    EXPECT_EQ((Cells{L" 6", L"A-1", L"名 称", L"", L"", L"0.13", L"2.50", L"x", L"y", L"z", L"2024-03-05", L""}),
              state.rows[6]);
    // 3 × 1234.25 + 0.125 and 1000 + 0 − 1234.5 + 0 + 2.5: Null counts as 0.
    EXPECT_EQ((Cells{L"", L"合计", L"", L"", L"", L"3,702.8750", L"-232.0000", L"", L"", L"", L"", L""}),
              state.rows[7]);
    EXPECT_EQ(kTotalsColor, state.colors[7]);
}

TEST_F(WindowContent, RejectionRowsShowTheirSequenceAndHaveNoTotalsRow) {
    AddRejectionRow(501, Text(L"  数量不符 "));
    AddRejectionRow(502, Text(std::wstring(31, L'长')));
    AddRejectionRow(503, Null());
    GridState state = ShowAndRecord(1001, 1);
    EXPECT_EQ(5, state.row_count) << "header and 4 lines, no totals row";
    const std::vector<Cells> expected = {
        kRejectionTitles,
        {L"1", L"2023-12-10", L"数量不符", L"华南分公司", L"总部"},
        {L"2", L"2023-12-10", std::wstring(30, L'长'), L"华南分公司", L"总部"},
        {L"", L"", L"长", L"", L""},  // a continuation line carries the reason only
        {L"3", L"2023-12-10", L"", L"华南分公司", L"总部"},
    };
    EXPECT_EQ(expected, state.rows);
    for (LONG color : state.colors) EXPECT_NE(kTotalsColor, color);
    EXPECT_EQ((std::vector<LONG>{0, 0, 0, -1, 0}), state.marks) << "the continuation line (FID 0) is marked";
}

TEST_F(WindowContent, ConfirmationRowsOfFidZeroAreMarkedAndNoOthers) {
    struct Case {
        LONG kind;
        VARIANT fid;
        LONG mark;
    } cases[] = {{0, Long(0), -1}, {2, Long(0), -1}, {0, Long(5), 0}, {2, Null(), 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(V_VT(&c.fid));
        Deliver(Confirmations(2, {{L"FID", adInteger, c.fid}}));
        GridState state = ShowAndRecord(1001, c.kind);
        ASSERT_EQ(4u, state.marks.size());
        EXPECT_EQ((std::vector<LONG>{0, c.mark, c.mark}), std::vector<LONG>(state.marks.begin(), state.marks.begin() + 3));
    }
}

TEST_F(WindowContent, RowCountPerKindWithTheTotalsRowForConfirmations) {
    struct Case {
        LONG kind;
        int records;
        LONG rows;
    } cases[] = {{0, 3, 5}, {2, 0, 2}, {1, 4, 5}, {3, 4, 5}, {-1, 0, 1}, {0, 0, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        ASSERT_EQ(S_OK, Call(bill_.Get(), L"Reset"));
        if (c.records == 0) {
            ASSERT_EQ(S_OK, Call(bill_.Get(), L"ServeEmptySet"));
        }
        AddRecordsFor(c.kind, c.records);
        GridState state = ShowAndRecord(1001, c.kind);
        EXPECT_EQ(c.rows, state.row_count);
        EXPECT_EQ(static_cast<size_t>(c.rows), state.rows.size());
        if (c.kind == 0 || c.kind == 2) {
            ASSERT_FALSE(state.rows.empty());
            const Cells& totals = state.rows.back();
            ASSERT_GE(totals.size(), 7u);
            EXPECT_EQ(L"合计", totals[1]);
            EXPECT_EQ(c.records ? L"4.5000" : L"0.0000", totals[5]);
            EXPECT_EQ(c.records ? L"3.0000" : L"0.0000", totals[6]);
        }
    }
}

TEST_F(WindowContent, AFailedGridLoadIsReportedAndTheWindowStillOpensWithItsHeader) {
    ASSERT_EQ(S_OK, CallByName(bill_.Get(), L"Delivery", DISPATCH_PROPERTYPUT, {Long(4)}, nullptr));  // Nothing
    GridState state;
    ModalDriver driver;
    RecordGrid(&driver, &state);
    ASSERT_EQ(S_OK, Show(1001, 0, &driver));
    ASSERT_EQ(1u, Boxes().size());
    const SeenMessageBox& box = Boxes()[0];
    EXPECT_EQ(L"系统提示", box.title);
    EXPECT_EQ(L"查看确认信息出错：\r\n"
              L"错误编码：91\r\n"
              L"错误来源：Ambrelle[loadLdg sub]\r\n"
              L"错误描述：Object variable or With block variable not set",
              box.text);
    EXPECT_EQ(1, box.buttons);
    EXPECT_TRUE(box.has_icon);
    EXPECT_EQ(LoadIconW(nullptr, IDI_WARNING), box.icon) << "the warning icon";
    EXPECT_FALSE(box.owner_visible) << "shown while the window loads";
    EXPECT_EQ(1, state.row_count) << "the header row only";
    EXPECT_EQ(std::vector<Cells>{kConfirmationTitles}, state.rows);
}

TEST_F(WindowContent, AnOverflowingTotalIsReportedAndTheRowCountIsNotSet) {
    AddQuantities(Double(1.7e308), Double(1), Long(0));
    AddQuantities(Double(1.7e308), Double(1), Long(0));
    GridState state;
    ModalDriver driver;
    RecordGrid(&driver, &state);
    ASSERT_EQ(S_OK, Show(1001, 2, &driver));
    ASSERT_EQ(1u, Boxes().size());
    EXPECT_EQ(L"查看确认信息出错：\r\n错误编码：6\r\n错误来源：Ambrelle[loadLdg sub]\r\n错误描述：Overflow", Boxes()[0].text);
    EXPECT_EQ(LoadIconW(nullptr, IDI_WARNING), Boxes()[0].icon);
    EXPECT_EQ(1, state.row_count) << "the header row only";
}

TEST_F(WindowContent, RowTextsAsTheWindowHandsThemToTheGrid) {
    const std::wstring record = L"|01|名称|型号|属性|1.5|1.0|确认人|被确认|确认|2024-03-05|2024-03-12|";
    // Another kind reads no decimal count: its quantities show no decimals.
    const std::wstring record_of_other_kind = L"|01|名称|型号|属性|2|1|确认人|被确认|确认|2024-03-05|2024-03-12|";
    const std::wstring line = L"|2023-12-10|原因|华南分公司|总部|";
    struct Request {
        LONG row;
        const wchar_t* before;
        std::wstring text;
        LONG color;
    };
    struct Case {
        LONG kind;
        int records;
        LONG row_count;
        std::vector<Request> requests;
    } cases[] = {
        {0, 2, 4,
         {{1, L"前", L"前序号|商品代码|商品名称|规格型号|辅助属性|确认前数量|确认数量|确认人|被确认机构|确认机构|确认日期|"
                     L"确认交货日期||", -7},
          {2, L"旧", L" 1" + record, -7},
          {3, L"", L" 2" + record, -7},
          {4, L"旧", L"|合计||||3.0000|2.0000||||", 0xE0EFFE},
          {5, L"", L"|合计||||3.0000|2.0000||||", 0xE0EFFE},
          {std::numeric_limits<LONG>::max(), L"", L"|合计||||3.0000|2.0000||||", 0xE0EFFE},
          {0, L"", L"-1" + record, -7},
          {std::numeric_limits<LONG>::min(), L"", L"-2147483649" + record, -7}}},
        // Another kind has no totals row: its last row shows the last record.
        {3, 4, 5, {{5, L"", L" 4" + record_of_other_kind, -7}, {6, L"", L" 5" + record_of_other_kind, -7}}},
        {1, 2, 3,
         {{1, L"", L"序号|拒绝日期|拒绝原因|被拒绝机构|拒绝机构||", -7},
          {3, L"", L"2" + line, -7},
          {std::numeric_limits<LONG>::max(), L"", L"2" + line, -7},
          {std::numeric_limits<LONG>::min(), L"", L"1" + line, -7}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        ASSERT_EQ(S_OK, Call(bill_.Get(), L"Reset"));
        AddRecordsFor(c.kind, c.records);
        std::vector<RawRow> answers;
        LONG row_count = -2;
        ModalDriver driver;
        driver.Then([&](HWND window) {
            row_count = GridRowCount(window);
            for (const Request& request : c.requests) answers.push_back(RequestRowText(window, request.row, request.before));
            return true;
        });
        driver.ClickOk();
        ASSERT_EQ(S_OK, Show(1001, c.kind, &driver));
        EXPECT_EQ(c.row_count, row_count);
        ASSERT_EQ(c.requests.size(), answers.size());
        for (size_t i = 0; i < answers.size(); ++i) {
            SCOPED_TRACE(c.requests[i].row);
            EXPECT_EQ(S_OK, answers[i].hr);
            EXPECT_EQ(c.requests[i].text, answers[i].text);
            EXPECT_EQ(c.requests[i].color, answers[i].color);
        }
    }
}

TEST_F(WindowContent, EachRowRequestReadsTheRowCountOnceMovesOnceFromTheFirstRecordAndEachFieldOnce) {
    const std::map<std::wstring, int> confirmation_reads = {
        {L"FID", 1},      {L"FNumber", 1},      {L"FName", 1},      {L"FModel", 1},        {L"FAuxPropName", 1},
        {L"FReqQty", 1},  {L"FValidateQty", 1}, {L"FValidater", 1}, {L"FBeValBrName", 1},  {L"FBrName", 1},
        {L"FValDate", 1}, {L"FDeliveryDate", 1}};
    std::map<std::wstring, int> with_decimals = confirmation_reads;
    with_decimals[L"FQtyDecimal"] = 1;
    const std::map<std::wstring, int> rejection_reads = {{L"FID", 1},       {L"FSort", 1},     {L"FValDate", 1},
                                                         {L"FRejectDesc", 1}, {L"FBeBrName", 1}, {L"FBrName", 1}};
    struct Case {
        LONG kind;
        const std::map<std::wstring, int>* reads;
    } cases[] = {{0, &with_decimals}, {3, &confirmation_reads}, {1, &rejection_reads}};
    // A field and a record set of the library's, whose classes' vtables the counting replaces.
    Microsoft::WRL::ComPtr<_ADORecordset> records;
    ASSERT_EQ(S_OK, RecordsWith({{L"FID", adInteger, Long(1)}}, 1).As(&records));
    ambrelle::UniqueVariant fields, fid;
    ASSERT_EQ(S_OK, CallByName(records.Get(), L"Fields", DISPATCH_PROPERTYGET, {}, fields.ptr()));
    ASSERT_EQ(S_OK, CallByName(V_DISPATCH(fields.ptr()), L"Item", DISPATCH_PROPERTYGET, {Text(L"FID")}, fid.ptr()));
    Microsoft::WRL::ComPtr<ADOField> field;
    ASSERT_EQ(S_OK, V_DISPATCH(fid.ptr())->QueryInterface(IID_PPV_ARGS(&field)));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        ASSERT_EQ(S_OK, Call(bill_.Get(), L"Reset"));
        AddRecordsFor(c.kind, 3);
        RawRow answer;
        int row_count_reads = -1;
        std::vector<std::wstring> moves;
        std::map<std::wstring, int> reads;
        ModalDriver driver;
        driver.Then([&](HWND window) {
            ambrelle::UniqueVariant sheet;
            EXPECT_EQ(S_OK, CallByName(GridOf(window).Get(), L"Sheet", DISPATCH_PROPERTYGET, {}, sheet.ptr()));
            RowCallCount count(V_DISPATCH(sheet.ptr()), field.Get(), records.Get());
            answer = RequestRowText(window, 3);
            row_count_reads = count.row_count_reads;
            moves = count.moves;
            reads = count.value_reads;
            return true;
        });
        driver.ClickOk();
        ASSERT_EQ(S_OK, Show(1001, c.kind, &driver));
        EXPECT_EQ(S_OK, answer.hr);
        EXPECT_EQ(1, row_count_reads);
        EXPECT_EQ(std::vector<std::wstring>{L"Move 1 from 1"}, moves) << "the second record, from the first";
        EXPECT_EQ(*c.reads, reads);
    }
}
