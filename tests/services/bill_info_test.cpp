// Quistral.IBillInfo as Ambrelle calls it (QueryValidate by name, the record
// set by reference), steered through Quistral.IBillInfo.Steering.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "bill_info_steering.h"
#include "service_test_support.h"
#include "test_support.h"

using namespace services_test;
using ambrelle::UniqueVariant;

namespace {

const VARTYPE kByRefDispatch = VT_BYREF | VT_DISPATCH;
const VARTYPE kByRefLong = VT_BYREF | VT_I4;

// The four arguments of QueryValidate as Ambrelle passes them, last first:
// the query kind, the bill id and the record-set variable by reference, and
// the session string by value (lent: the caller frees it).
void FillQueryArgs(VARIANT* args, BSTR props, IDispatch** recordset, LONG* bill_id, LONG* kind) {
    args[0] = ambrelle::LongRefValue(kind);
    args[1] = ambrelle::LongRefValue(bill_id);
    args[2] = ambrelle::DispatchRefValue(recordset);
    args[3] = ambrelle::BorrowedText(props);
}

class BillInfoTest : public SteeredServiceTest<IBillInfoSteering> {
protected:
    BillInfoTest() : SteeredServiceTest(L"Quistral.IBillInfo", L"Quistral.IBillInfo.Steering") {}

    void SetUp() override {
        SteeredServiceTest::SetUp();
        if (!HasFatalFailure()) query_validate_ = IdOf(L"QueryValidate");
    }

    // QueryValidate with the argument types Ambrelle passes: the session
    // string by value, then references to the record-set variable, the bill
    // id and the query kind.
    CallOutcome Query(const wchar_t* props, IDispatch** recordset, LONG* bill_id, LONG* kind,
                      bool with_excepinfo = true) {
        VARIANT args[4];
        FillQueryArgs(args, SysAllocString(props), recordset, bill_id, kind);
        return InvokeQuery(args, 4, with_excepinfo);
    }

    // Query with `passed` in the record-set variable, let go afterwards.
    CallOutcome QueryPassing(_ADORecordset* passed, const wchar_t* props, LONG* bill_id, LONG* kind) {
        IDispatch* variable = nullptr;
        passed->QueryInterface(IID_PPV_ARGS(&variable));
        CallOutcome outcome = Query(props, &variable, bill_id, kind);
        if (variable) variable->Release();
        return outcome;
    }

    // QueryValidate with the arguments given; frees the session string of four.
    CallOutcome InvokeQuery(VARIANT* args, UINT count, bool with_excepinfo = true) {
        CallOutcome outcome = Invoke(query_validate_, args, count, with_excepinfo);
        if (count == 4 && V_VT(&args[3]) == VT_BSTR) SysFreeString(V_BSTR(&args[3]));
        return outcome;
    }

    // Queries with a new, closed record set; returns what the variable holds afterwards.
    ComPtr<_ADORecordset> QueryRecords(LONG bill_id, LONG kind, CallOutcome* outcome = nullptr) {
        ComPtr<_ADORecordset> passed = NewRecordset();
        EXPECT_TRUE(passed);
        IDispatch* variable = nullptr;
        passed.CopyTo(IID_PPV_ARGS(&variable));
        CallOutcome result = Query(L"SID=1", &variable, &bill_id, &kind);
        EXPECT_EQ(S_OK, result.hr) << result.description;
        ComPtr<_ADORecordset> found = AsRecordset(variable);
        if (variable) variable->Release();
        if (outcome) *outcome = std::move(result);
        return found;
    }

    std::vector<LONG> SampleBillIds(LONG kind) {
        UniqueVariant ids;
        std::vector<LONG> found;
        if (FAILED(steering_->get_SampleBillIds(kind, ids.put())) || ids.vt() != (VT_ARRAY | VT_VARIANT)) return found;
        SAFEARRAY* array = V_ARRAY(ids.ptr());
        LONG lower = 0, upper = -1;
        SafeArrayGetLBound(array, 1, &lower);
        SafeArrayGetUBound(array, 1, &upper);
        for (LONG i = lower; i <= upper; ++i) {
            UniqueVariant id;
            SafeArrayGetElement(array, &i, id.ptr());
            found.push_back(id.vt() == VT_I4 ? V_I4(id.ptr()) : -1);
        }
        return found;
    }

    LONG Delivered() {
        BillInfoDelivered delivered = static_cast<BillInfoDelivered>(-1);
        steering_->get_LastDelivery(&delivered);
        return delivered;
    }

    LONG CallCount() {
        LONG count = -1;
        steering_->get_CallCount(&count);
        return count;
    }

    DISPID query_validate_ = DISPID_UNKNOWN;
};

const wchar_t* const kConfirmationFields[] = {L"FID",          L"FNumber",      L"FName",        L"FModel",
                                              L"FAuxPropName", L"FReqQty",      L"FValidateQty", L"FValidater",
                                              L"FBeValBrName", L"FBrName",      L"FValDate",     L"FDeliveryDate",
                                              L"FQtyDecimal"};
const wchar_t* const kRejectionFields[] = {L"FID", L"FValDate", L"FRejectDesc", L"FBeBrName", L"FBrName"};

TEST_F(BillInfoTest, EverySampleBillFillsTheRecordSetPassedWithItsKindsFields) {
    struct Case {
        LONG kind;
        std::vector<LONG> ids;
    };
    const Case cases[] = {
        {0, {100231, 100232}},
        {1, {100231, 100233, 100240}},
        {2, {500118, 500119}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.ids, SampleBillIds(c.kind)) << "kind " << c.kind;
        for (LONG id : c.ids) {
            ComPtr<_ADORecordset> passed = NewRecordset();
            IDispatch* variable = nullptr;
            passed.CopyTo(IID_PPV_ARGS(&variable));
            LONG bill_id = id, kind = c.kind;
            CallOutcome outcome = Query(L"SID=7", &variable, &bill_id, &kind);
            ASSERT_EQ(S_OK, outcome.hr) << id << ": " << outcome.description;
            EXPECT_EQ(VT_BOOL, outcome.result.vt());
            EXPECT_EQ(VARIANT_TRUE, V_BOOL(outcome.result.ptr()));
            ComPtr<IDispatch> passed_dispatch;
            passed.As(&passed_dispatch);
            EXPECT_EQ(passed_dispatch.Get(), variable) << "the closed record set passed is the one filled";
            variable->Release();
            EXPECT_EQ(bdFilled, Delivered());
            EXPECT_EQ(adStateOpen, State(passed.Get()));
            EXPECT_GT(RecordCount(passed.Get()), 0) << id;
            EXPECT_FALSE(AtEnd(passed.Get())) << "positioned on the first record";
            EXPECT_EQ(id, static_cast<LONG>(FieldNumber(passed.Get(), L"FID")));
            const bool rejection = c.kind == 1;
            const LONG expected_fields = rejection ? ARRAYSIZE(kRejectionFields) : ARRAYSIZE(kConfirmationFields);
            EXPECT_EQ(expected_fields, FieldCount(passed.Get()));
            for (LONG i = 0; i < expected_fields; ++i) {
                const wchar_t* name = rejection ? kRejectionFields[i] : kConfirmationFields[i];
                EXPECT_NE(VT_ERROR, FieldValue(passed.Get(), name).vt()) << name;
            }
        }
    }
}

TEST_F(BillInfoTest, ConfirmationRecordsCarryTheirSampleValues) {
    ComPtr<_ADORecordset> records = QueryRecords(100231, 0);
    ASSERT_TRUE(records);
    ASSERT_EQ(6, RecordCount(records.Get()));
    EXPECT_EQ(L"01.03.0117", FieldText(records.Get(), L"FNumber"));
    EXPECT_EQ(L"不锈钢六角螺栓", FieldText(records.Get(), L"FName"));
    EXPECT_EQ(1200.0, FieldNumber(records.Get(), L"FReqQty"));
    EXPECT_EQ(0.0, FieldNumber(records.Get(), L"FQtyDecimal"));
    UniqueVariant val_date = FieldValue(records.Get(), L"FValDate");
    ASSERT_EQ(VT_DATE, val_date.vt());
    EXPECT_NEAR(LocalDate(2024, 3, 5, 9, 41, 27), V_DATE(val_date.ptr()), 0.5 / 86400);

    ASSERT_EQ(S_OK, records->MoveNext());
    ASSERT_EQ(S_OK, records->MoveNext());
    EXPECT_EQ(36.1234, FieldNumber(records.Get(), L"FReqQty"));
    EXPECT_EQ(4.0, FieldNumber(records.Get(), L"FQtyDecimal"));
    EXPECT_EQ(VT_NULL, FieldValue(records.Get(), L"FValidateQty").vt());
    EXPECT_EQ(VT_NULL, FieldValue(records.Get(), L"FDeliveryDate").vt());

    ASSERT_EQ(S_OK, records->MoveNext());
    EXPECT_EQ(L"  变频器 ", FieldText(records.Get(), L"FName")) << "blanks are the window's to trim";
    EXPECT_EQ(VT_NULL, FieldValue(records.Get(), L"FModel").vt());
}

TEST_F(BillInfoTest, RejectionRecordsKeepReasonsOfEveryLength) {
    ComPtr<_ADORecordset> records = QueryRecords(100231, 1);
    ASSERT_TRUE(records);
    std::vector<size_t> lengths;
    for (; !AtEnd(records.Get()); records->MoveNext()) {
        UniqueVariant reason = FieldValue(records.Get(), L"FRejectDesc");
        ASSERT_EQ(VT_BSTR, reason.vt());
        lengths.push_back(SysStringLen(V_BSTR(reason.ptr())));
        EXPECT_EQ(100231.0, FieldNumber(records.Get(), L"FID"));
    }
    EXPECT_EQ((std::vector<size_t>{0, 11, 30, 31, 97}), lengths);

    records = QueryRecords(100233, 1);
    ASSERT_TRUE(records);
    ASSERT_EQ(3, RecordCount(records.Get()));
    EXPECT_EQ(60u, FieldText(records.Get(), L"FRejectDesc").size());
    ASSERT_EQ(S_OK, records->MoveNext());
    EXPECT_EQ(61u, FieldText(records.Get(), L"FRejectDesc").size());
    ASSERT_EQ(S_OK, records->MoveNext());
    EXPECT_EQ(VT_NULL, FieldValue(records.Get(), L"FValDate").vt());
    const std::wstring organisation = FieldText(records.Get(), L"FBeBrName");
    ASSERT_EQ(8u, organisation.size()) << "one character outside the BMP is two UTF-16 units";
    EXPECT_EQ(0xD842, organisation[0]);
    EXPECT_EQ(0xDFB7, organisation[1]);
}

TEST_F(BillInfoTest, TheBigDeliveryNoticeFollowsItsRule) {
    ComPtr<_ADORecordset> records = QueryRecords(500119, 2);
    ASSERT_TRUE(records);
    ASSERT_EQ(3600, RecordCount(records.Get()));
    LONG row = 0, null_confirmed = 0, with_time_of_day = 0;
    double previous_date = 0, total = 0;
    for (; !AtEnd(records.Get()); records->MoveNext(), ++row) {
        wchar_t number[16];
        swprintf(number, 16, L"11.20.%05ld", static_cast<long>(row + 1));
        ASSERT_EQ(number, FieldText(records.Get(), L"FNumber"));
        const double decimals = FieldNumber(records.Get(), L"FQtyDecimal");
        ASSERT_TRUE(decimals >= 0 && decimals <= 4) << row;
        const double scaled = FieldNumber(records.Get(), L"FReqQty") * std::pow(10.0, decimals);
        ASSERT_NEAR(std::round(scaled), scaled, 1e-6) << "row " << row << " has more than its decimals";
        total += FieldNumber(records.Get(), L"FReqQty");
        if (FieldValue(records.Get(), L"FValidateQty").vt() == VT_NULL) ++null_confirmed;
        const double date = FieldNumber(records.Get(), L"FValDate");
        if (row > 0) {
            ASSERT_NEAR(437.0 / 86400, date - previous_date, 1e-7) << row;
        }
        if (date != std::floor(date)) ++with_time_of_day;
        previous_date = date;
    }
    EXPECT_EQ(3600, row);
    EXPECT_EQ(3600 / 17, null_confirmed);
    EXPECT_GT(with_time_of_day, 3000);

    // The same bill again gives the same records.
    ComPtr<_ADORecordset> again = QueryRecords(500119, 2);
    ASSERT_TRUE(again);
    double total_again = 0;
    for (; !AtEnd(again.Get()); again->MoveNext()) total_again += FieldNumber(again.Get(), L"FReqQty");
    EXPECT_EQ(total, total_again);
}

TEST_F(BillInfoTest, RecordsTheArgumentsAsTheCallerPassedThem) {
    ComPtr<_ADORecordset> passed = NewRecordset();
    LONG bill_id = 100232, kind = 0;
    CallOutcome outcome = QueryPassing(passed.Get(), L"SID=42;USER=王建国", &bill_id, &kind);
    ASSERT_EQ(S_OK, outcome.hr);

    LONG count = -1, vartype = -1, received = -1;
    EXPECT_EQ(1, CallCount());
    ASSERT_EQ(S_OK, steering_->get_LastArgCount(&count));
    EXPECT_EQ(4, count);
    const VARTYPE expected[] = {VT_BSTR, kByRefDispatch, kByRefLong, kByRefLong};
    for (LONG position = 1; position <= 4; ++position) {
        ASSERT_EQ(S_OK, steering_->get_LastArgType(position, &vartype));
        EXPECT_EQ(expected[position - 1], vartype) << "argument " << position;
    }
    ambrelle::UniqueBstr props;
    ASSERT_EQ(S_OK, steering_->get_LastPropsString(props.put()));
    EXPECT_STREQ(L"SID=42;USER=王建国", props.c_str());
    ASSERT_EQ(S_OK, steering_->get_LastBillId(&received));
    EXPECT_EQ(100232, received);
    ASSERT_EQ(S_OK, steering_->get_LastQueryKind(&received));
    EXPECT_EQ(0, received);
    EXPECT_EQ(DISP_E_BADINDEX, steering_->get_LastArgType(5, &vartype));

    QueryRecords(100231, 1);
    EXPECT_EQ(2, CallCount());
}

TEST_F(BillInfoTest, ReturnsTheResultTheSteeringAsksFor) {
    struct Case {
        const char* name;
        VARTYPE vt;
        LONG value;
    };
    const Case cases[] = {
        {"True", VT_BOOL, VARIANT_TRUE}, {"False", VT_BOOL, VARIANT_FALSE}, {"1", VT_I4, 1},
        {"Empty", VT_EMPTY, 0},          {"Null", VT_NULL, 0},
    };
    for (const Case& c : cases) {
        UniqueVariant answer;
        V_VT(answer.ptr()) = c.vt;
        if (c.vt == VT_BOOL) V_BOOL(answer.ptr()) = static_cast<VARIANT_BOOL>(c.value);
        if (c.vt == VT_I4) V_I4(answer.ptr()) = c.value;
        ASSERT_EQ(S_OK, steering_->ReturnResult(answer.get())) << c.name;
        CallOutcome outcome;
        QueryRecords(100231, 0, &outcome);
        ASSERT_EQ(c.vt, outcome.result.vt()) << c.name;
        if (c.vt == VT_BOOL) {
            EXPECT_EQ(c.value, V_BOOL(outcome.result.ptr())) << c.name;
        }
        if (c.vt == VT_I4) {
            EXPECT_EQ(c.value, V_I4(outcome.result.ptr())) << c.name;
        }
    }
}

TEST_F(BillInfoTest, DeliversTheRecordsTheWayTheSteeringAsks) {
    enum class Passed { kClosed, kOpen, kNothing };
    struct Case {
        const char* name;
        BillInfoDelivery delivery;
        Passed passed;
        BillInfoDelivered delivered;
        bool same_object;
        bool recordset_after;
    };
    const Case cases[] = {
        {"auto, closed", biAuto, Passed::kClosed, bdFilled, true, true},
        {"auto, open", biAuto, Passed::kOpen, bdReplaced, false, true},
        {"auto, Nothing", biAuto, Passed::kNothing, bdReplaced, false, true},
        {"fill, closed", biFillPassed, Passed::kClosed, bdFilled, true, true},
        {"replace, closed", biReplace, Passed::kClosed, bdReplaced, false, true},
        {"not a record set", biNotRecordset, Passed::kClosed, bdNotRecordset, false, false},
        {"Nothing", biNothing, Passed::kClosed, bdNothing, false, false},
        {"untouched", biLeaveUntouched, Passed::kClosed, bdUntouched, true, true},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(S_OK, steering_->put_Delivery(c.delivery)) << c.name;
        ComPtr<_ADORecordset> passed;
        if (c.passed == Passed::kClosed) passed = NewRecordset();
        if (c.passed == Passed::kOpen) {
            ASSERT_EQ(S_OK, steering_->put_Delivery(biAuto));
            passed = QueryRecords(100232, 0);
            ASSERT_EQ(S_OK, steering_->put_Delivery(c.delivery));
        }
        IDispatch* variable = nullptr;
        if (passed) passed.CopyTo(IID_PPV_ARGS(&variable));
        IDispatch* before = variable;
        LONG bill_id = 100231, kind = 0;
        CallOutcome outcome = Query(L"", &variable, &bill_id, &kind);
        ASSERT_EQ(S_OK, outcome.hr) << c.name << ": " << outcome.description;
        EXPECT_EQ(c.delivered, Delivered()) << c.name;
        EXPECT_EQ(c.same_object, variable == before) << c.name;
        ComPtr<_ADORecordset> after = AsRecordset(variable);
        EXPECT_EQ(c.recordset_after, after != nullptr) << c.name;
        if (c.delivered == bdFilled || c.delivered == bdReplaced) {
            EXPECT_EQ(6, RecordCount(after.Get())) << c.name;
        }
        if (c.delivered == bdNotRecordset) {
            EXPECT_NE(nullptr, variable) << c.name;
        }
        if (c.delivered == bdNothing) {
            EXPECT_EQ(nullptr, variable) << c.name;
        }
        if (c.delivered == bdUntouched) {
            EXPECT_EQ(adStateClosed, State(passed.Get())) << c.name;
        }
        if (c.passed == Passed::kOpen) {
            EXPECT_EQ(3, RecordCount(passed.Get())) << "the open set is left as it was";
        }
        if (c.delivery == biReplace) {
            EXPECT_EQ(0, FieldCount(passed.Get())) << "the closed set is left as it was";
        }
        if (variable) variable->Release();
    }
}

TEST_F(BillInfoTest, FillingAnOpenRecordSetFailsWithTheRecordSetsError) {
    ComPtr<_ADORecordset> open = QueryRecords(100232, 0);
    ASSERT_TRUE(open);
    ASSERT_EQ(S_OK, steering_->put_Delivery(biFillPassed));
    IDispatch* variable = nullptr;
    open.CopyTo(IID_PPV_ARGS(&variable));
    IDispatch* before = variable;
    LONG bill_id = 100231, kind = 0;
    CallOutcome outcome = Query(L"", &variable, &bill_id, &kind);
    EXPECT_EQ(DISP_E_EXCEPTION, outcome.hr);
    EXPECT_EQ(static_cast<HRESULT>(0x800A0C93), outcome.scode) << "ADO's 3219, not allowed in this context";
    EXPECT_FALSE(outcome.source.empty());
    EXPECT_FALSE(outcome.description.empty());
    EXPECT_EQ(before, variable);
    EXPECT_EQ(bdNone, Delivered());
    variable->Release();
}

TEST_F(BillInfoTest, ARecordSetPassedByValueCanBeFilledButNotReplaced) {
    ComPtr<_ADORecordset> passed = NewRecordset();
    LONG bill_id = 100231, kind = 0;
    for (BillInfoDelivery delivery : {biAuto, biReplace}) {
        ASSERT_EQ(S_OK, steering_->put_Delivery(delivery));
        VARIANT args[4];
        FillQueryArgs(args, SysAllocString(L""), nullptr, &bill_id, &kind);
        args[2] = ambrelle::DispatchValue(nullptr);
        passed.CopyTo(IID_PPV_ARGS(&V_DISPATCH(&args[2])));
        CallOutcome outcome = InvokeQuery(args, 4);
        V_DISPATCH(&args[2])->Release();
        if (delivery == biAuto) {
            EXPECT_EQ(S_OK, outcome.hr);
            EXPECT_EQ(6, RecordCount(passed.Get()));
        } else {
            EXPECT_EQ(DISP_E_EXCEPTION, outcome.hr);
            EXPECT_EQ(DISP_E_TYPEMISMATCH, outcome.scode);
            EXPECT_EQ(L"Quistral.IBillInfo", outcome.source);
        }
    }
}

TEST_F(BillInfoTest, RaisedErrorsReachTheCallerAndLeaveTheArgumentsAlone) {
    struct Case {
        LONG number;
        HRESULT raised;
        const wchar_t* source;
        const wchar_t* description;
    };
    const Case cases[] = {
        {1234, static_cast<HRESULT>(0x800A04D2), L"Quistral.IBillInfo", L"单据不存在"},
        {3021, static_cast<HRESULT>(0x800A0BCD), L"ADODB.Recordset", L"No current record."},
        {static_cast<LONG>(0x80004005), E_FAIL, L"", L""},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(S_OK, steering_->Reset());
        ambrelle::UniqueBstr source(c.source), description(c.description);
        ASSERT_EQ(S_OK, steering_->FailWith(c.number, source.get(), description.get()));
        for (bool with_excepinfo : {true, false}) {
            ComPtr<_ADORecordset> passed = NewRecordset();
            IDispatch* variable = nullptr;
            passed.CopyTo(IID_PPV_ARGS(&variable));
            IDispatch* before = variable;
            LONG bill_id = 100231, kind = 0;
            SetErrorInfo(0, nullptr);
            CallOutcome outcome = Query(L"SID=1", &variable, &bill_id, &kind, with_excepinfo);
            if (with_excepinfo) {
                EXPECT_EQ(DISP_E_EXCEPTION, outcome.hr) << c.number;
                EXPECT_EQ(c.raised, outcome.scode) << c.number;
                EXPECT_EQ(c.source, outcome.source);
                EXPECT_EQ(c.description, outcome.description);
                EXPECT_FALSE(TakeErrorObject().present) << "the EXCEPINFO carries the error";
            } else {
                EXPECT_EQ(c.raised, outcome.hr) << c.number;
                ErrorObject error = TakeErrorObject();
                EXPECT_TRUE(error.present);
                EXPECT_EQ(c.source, error.source);
                EXPECT_EQ(c.description, error.description);
            }
            EXPECT_EQ(before, variable);
            EXPECT_EQ(adStateClosed, State(passed.Get()));
            EXPECT_EQ(0, FieldCount(passed.Get()));
            EXPECT_EQ(bdNone, Delivered());
            variable->Release();
        }
        EXPECT_EQ(2, CallCount()) << "failed calls are recorded too";
    }
    ComPtr<ISupportErrorInfo> support;
    ASSERT_EQ(S_OK, service_.As(&support));
    EXPECT_EQ(S_OK, support->InterfaceSupportsErrorInfo(IID_IDispatch));
}

TEST_F(BillInfoTest, WrittenBackIdAndKindReachTheCallerAndChooseTheRecords) {
    ASSERT_EQ(S_OK, steering_->WriteBackBillId(100233));
    ASSERT_EQ(S_OK, steering_->WriteBackQueryKind(1));
    ComPtr<_ADORecordset> passed = NewRecordset();
    LONG bill_id = 100231, kind = 0;
    CallOutcome outcome = QueryPassing(passed.Get(), L"", &bill_id, &kind);
    ASSERT_EQ(S_OK, outcome.hr);
    EXPECT_EQ(100233, bill_id);
    EXPECT_EQ(1, kind);
    EXPECT_EQ(3, RecordCount(passed.Get()));
    EXPECT_EQ(static_cast<LONG>(ARRAYSIZE(kRejectionFields)), FieldCount(passed.Get()));
    LONG received = -1;
    ASSERT_EQ(S_OK, steering_->get_LastBillId(&received));
    EXPECT_EQ(100231, received) << "the records show what the caller passed";
}

TEST_F(BillInfoTest, ServesEmptyAndGeneratedSetsWithTheFieldsOfTheKind) {
    struct Case {
        std::function<HRESULT()> steer;
        LONG kind;
        LONG records;
        LONG fields;
    };
    const Case cases[] = {
        {[&] { return steering_->ServeEmptySet(); }, 0, 0, 13},
        {[&] { return steering_->ServeEmptySet(); }, 1, 0, 5},
        {[&] { return steering_->ServeGeneratedRows(250); }, 0, 250, 13},
        {[&] { return steering_->ServeGeneratedRows(250); }, 1, 250, 5},
        {[&] { return steering_->ServeGeneratedRows(0); }, 2, 0, 13},
        {[&] { return steering_->ServeSampleData(); }, 0, 0, 13},  // bill 4711 is not in the sample data
    };
    for (const Case& c : cases) {
        ASSERT_EQ(S_OK, c.steer());
        ComPtr<_ADORecordset> records = QueryRecords(4711, c.kind);
        ASSERT_TRUE(records);
        EXPECT_EQ(c.records, RecordCount(records.Get())) << "kind " << c.kind;
        EXPECT_EQ(c.fields, FieldCount(records.Get())) << "kind " << c.kind;
        EXPECT_EQ(c.records == 0, AtEnd(records.Get()));
        if (c.records > 0) {
            EXPECT_EQ(4711.0, FieldNumber(records.Get(), L"FID"));
        }
    }
}

TEST_F(BillInfoTest, CustomRejectionRowsAreServedExactly) {
    const std::wstring long_reason(61, L'拒');
    std::wstring surrogates;
    for (int i = 0; i < 16; ++i) surrogates += L"\xD842\xDFB7";
    const DATE when = LocalDate(2024, 9, 1, 13, 5, 0);
    auto text = [](const std::wstring& value) {
        UniqueVariant v;
        V_VT(v.ptr()) = VT_BSTR;
        V_BSTR(v.ptr()) = SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
        return v;
    };
    auto number = [](LONG value) {
        UniqueVariant v;
        V_VT(v.ptr()) = VT_I4;
        V_I4(v.ptr()) = value;
        return v;
    };
    UniqueVariant date, null;
    V_VT(date.ptr()) = VT_DATE;
    V_DATE(date.ptr()) = when;
    V_VT(null.ptr()) = VT_NULL;
    ASSERT_EQ(S_OK, steering_->AddRejectionRow(number(7).get(), date.get(), text(long_reason).get(),
                                               text(L"华东销售分公司").get(), text(L"总部计划部").get()));
    ASSERT_EQ(S_OK, steering_->AddRejectionRow(number(8).get(), null.get(), null.get(), text(L"").get(),
                                               text(L"").get()));
    ASSERT_EQ(S_OK, steering_->AddRejectionRow(number(9).get(), date.get(), text(surrogates).get(),
                                               text(L"甲").get(), text(L"乙").get()));

    ComPtr<_ADORecordset> records = QueryRecords(1, 1);
    ASSERT_TRUE(records);
    ASSERT_EQ(3, RecordCount(records.Get()));
    EXPECT_EQ(7.0, FieldNumber(records.Get(), L"FID"));
    EXPECT_EQ(long_reason, FieldText(records.Get(), L"FRejectDesc"));
    EXPECT_DOUBLE_EQ(when, FieldNumber(records.Get(), L"FValDate"));
    EXPECT_EQ(L"华东销售分公司", FieldText(records.Get(), L"FBeBrName"));
    records->MoveNext();
    EXPECT_EQ(VT_NULL, FieldValue(records.Get(), L"FRejectDesc").vt());
    EXPECT_EQ(VT_NULL, FieldValue(records.Get(), L"FValDate").vt());
    records->MoveNext();
    EXPECT_EQ(surrogates, FieldText(records.Get(), L"FRejectDesc"));

    // The rows are the rejection kind's: a confirmation query has none.
    records = QueryRecords(1, 0);
    ASSERT_TRUE(records);
    EXPECT_EQ(0, RecordCount(records.Get()));
}

TEST_F(BillInfoTest, CustomConfirmationRowsCarryTheQueriedBill) {
    std::vector<UniqueVariant> values(12);
    const wchar_t* texts[] = {L"01.01.0001", L"螺母", L"M8", L"国标"};
    for (int i = 0; i < 4; ++i) {
        V_VT(values[i].ptr()) = VT_BSTR;
        V_BSTR(values[i].ptr()) = SysAllocString(texts[i]);
    }
    V_VT(values[4].ptr()) = VT_R8;
    V_R8(values[4].ptr()) = 1234.25;
    V_VT(values[5].ptr()) = VT_NULL;
    for (int i = 6; i < 9; ++i) {
        V_VT(values[i].ptr()) = VT_BSTR;
        V_BSTR(values[i].ptr()) = SysAllocString(L"张伟");
    }
    V_VT(values[9].ptr()) = VT_DATE;
    V_DATE(values[9].ptr()) = LocalDate(2024, 1, 2, 3, 4, 5);
    V_VT(values[10].ptr()) = VT_NULL;
    V_VT(values[11].ptr()) = VT_I2;
    V_I2(values[11].ptr()) = 2;
    ASSERT_EQ(S_OK, steering_->AddConfirmationRow(values[0].get(), values[1].get(), values[2].get(), values[3].get(),
                                                  values[4].get(), values[5].get(), values[6].get(), values[7].get(),
                                                  values[8].get(), values[9].get(), values[10].get(),
                                                  values[11].get()));
    ComPtr<_ADORecordset> records = QueryRecords(2024, 2);
    ASSERT_TRUE(records);
    ASSERT_EQ(1, RecordCount(records.Get()));
    EXPECT_EQ(2024.0, FieldNumber(records.Get(), L"FID"));
    EXPECT_EQ(L"螺母", FieldText(records.Get(), L"FName"));
    EXPECT_EQ(1234.25, FieldNumber(records.Get(), L"FReqQty"));
    EXPECT_EQ(VT_NULL, FieldValue(records.Get(), L"FValidateQty").vt());
    EXPECT_EQ(2.0, FieldNumber(records.Get(), L"FQtyDecimal"));
}

TEST_F(BillInfoTest, RefusesCallsItCannotAnswerWithoutRecordingThem) {
    LONG bill_id = 100231, kind = 0;
    IDispatch* nothing = nullptr;
    struct Case {
        const char* name;
        std::function<void(VARIANT*)> tamper;
        UINT count;
        HRESULT expected;
        UINT arg_err;
    };
    const Case cases[] = {
        {"three arguments", [](VARIANT*) {}, 3, DISP_E_BADPARAMCOUNT, 12345},
        {"bill id not a number",
         [](VARIANT* args) {
             V_VT(&args[1]) = VT_BSTR;
             V_BSTR(&args[1]) = SysAllocString(L"abc");
         },
         4, DISP_E_TYPEMISMATCH, 1},
        {"record set not an object",
         [](VARIANT* args) {
             V_VT(&args[2]) = VT_I4;
             V_I4(&args[2]) = 5;
         },
         4, DISP_E_TYPEMISMATCH, 2},
    };
    for (const Case& c : cases) {
        VARIANT args[4];
        FillQueryArgs(args, SysAllocString(L""), &nothing, &bill_id, &kind);
        c.tamper(args);
        VARIANT* first = c.count == 3 ? &args[1] : args;
        CallOutcome outcome = InvokeQuery(first, c.count);
        if (V_VT(&args[1]) == VT_BSTR) SysFreeString(V_BSTR(&args[1]));
        if (c.count == 3) SysFreeString(V_BSTR(&args[3]));
        EXPECT_EQ(c.expected, outcome.hr) << c.name;
        EXPECT_EQ(c.arg_err, outcome.arg_err) << c.name;
    }
    DISPID named = 0;
    VARIANT arg = ambrelle::LongValue(1);
    DISPPARAMS params = {&arg, &named, 1, 1};
    EXPECT_EQ(DISP_E_NONAMEDARGS, service_->Invoke(query_validate_, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr,
                                                   nullptr, nullptr));
    DISPID id = 0;
    LPOLESTR name = const_cast<LPOLESTR>(L"QueryValidates");
    EXPECT_EQ(DISP_E_UNKNOWNNAME, service_->GetIDsOfNames(IID_NULL, &name, 1, 0, &id));
    EXPECT_EQ(DISPID_UNKNOWN, id);
    EXPECT_EQ(0, CallCount());
}

TEST_F(BillInfoTest, SteeringRefusesValuesItCannotUse) {
    UniqueVariant object;
    V_VT(object.ptr()) = VT_DISPATCH;
    service_.CopyTo(&V_DISPATCH(object.ptr()));
    EXPECT_EQ(E_INVALIDARG, steering_->ReturnResult(object.get()));
    EXPECT_EQ(E_INVALIDARG, steering_->put_Delivery(static_cast<BillInfoDelivery>(6)));
    EXPECT_EQ(E_INVALIDARG, steering_->ServeGeneratedRows(-1));
    EXPECT_EQ(E_INVALIDARG, steering_->FailWith(0, nullptr, nullptr));
    UniqueVariant empty;
    EXPECT_EQ(E_INVALIDARG,
              steering_->AddRejectionRow(object.get(), empty.get(), empty.get(), empty.get(), empty.get()));
    ErrorObject error = TakeErrorObject();
    EXPECT_EQ(L"Quistral.IBillInfo.Steering", error.source);
    EXPECT_FALSE(error.description.empty());
}

TEST_F(BillInfoTest, ObjectsAreFreedByTheirLastRelease) {
    IDispatch* service = nullptr;
    ASSERT_EQ(S_OK, CreateByProgId(service_prog_id_, &service));
    ASSERT_EQ(S_OK, steering_->put_Delivery(biReplace));
    ComPtr<_ADORecordset> passed = NewRecordset();
    IDispatch* variable = nullptr;
    passed.CopyTo(IID_PPV_ARGS(&variable));
    LONG bill_id = 100231, kind = 0;
    BSTR props = SysAllocString(L"");
    VARIANT args[4];
    FillQueryArgs(args, props, &variable, &bill_id, &kind);
    DISPPARAMS params = {args, nullptr, 4, 0};
    ASSERT_EQ(S_OK, service->Invoke(query_validate_, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr));
    SysFreeString(props);
    EXPECT_EQ(0u, service->Release());
    EXPECT_EQ(0u, variable->Release()) << "the new record set belongs to the caller alone";
    _ADORecordset* original = passed.Detach();
    EXPECT_EQ(0u, original->Release()) << "the replaced record set was released by the service";
}

TEST_F(BillInfoTest, SteeringOutlivesEveryObjectOfTheDll) {
    ASSERT_EQ(S_OK, steering_->ServeEmptySet());
    // With no object of the DLL alive, COM may unload it: the steering must stay.
    service_.Reset();
    steering_.Reset();
    CoFreeUnusedLibrariesEx(0, 0);
    EXPECT_NE(nullptr, GetModuleHandleW(L"BillInfo.dll"));
    ASSERT_EQ(S_OK, CreateService());
    ComPtr<_ADORecordset> records = QueryRecords(100231, 0);
    ASSERT_TRUE(records);
    EXPECT_EQ(0, RecordCount(records.Get())) << "still serving the empty set";
    ASSERT_EQ(S_OK, CreateSteering());
}

}  // namespace
