// Rejection reasons cut into lines of at most 30 characters, one record a line.
#include <gtest/gtest.h>
#include <wrl/client.h>

#include <string>
#include <vector>

#include "recordset_access.h"
#include "rejection_set.h"
#include "test_support.h"
#include "unique_bstr.h"
#include "unique_variant.h"

using ambrelle::UniqueBstr;
using ambrelle::UniqueVariant;
using Microsoft::WRL::ComPtr;

namespace {

struct SourceRow {
    LONG fid;
    const wchar_t* reason;  // nullptr: Null
};

struct Line {
    LONG fid;
    std::wstring sort;
    bool has_date;
    std::wstring reason;
    std::wstring rejected;
    std::wstring rejecting;
};

constexpr double kDate = 45270.5;  // 2023-12-10 12:00

std::wstring Repeat(const wchar_t* unit, size_t times) {
    std::wstring text;
    while (times--) text += unit;
    return text;
}

class RejectionSet : public ::testing::Test {
protected:
    ComPtr<_ADORecordset> MakeSource(const std::vector<SourceRow>& rows) {
        ComPtr<_ADORecordset> source;
        EXPECT_EQ(S_OK, CoCreateInstance(CLSID_Recordset, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&source)));
        ComPtr<ADOFields> fields;
        EXPECT_EQ(S_OK, source->get_Fields(&fields));
        struct {
            const wchar_t* name;
            DataTypeEnum type;
            long size;
        } definitions[] = {{L"FID", adInteger, 0},           {L"FValDate", adDate, 0},
                           {L"FRejectDesc", adVarWChar, 400}, {L"FBeBrName", adVarWChar, 80},
                           {L"FBrName", adVarWChar, 80}};
        for (auto& definition : definitions) {
            UniqueBstr name(definition.name);
            EXPECT_EQ(S_OK, fields->Append(name.get(), definition.type, definition.size, adFldIsNullable,
                                           ambrelle::MissingArgument()));
        }
        EXPECT_EQ(S_OK, source->Open(ambrelle::MissingArgument(), ambrelle::MissingArgument(), adOpenUnspecified,
                                     adLockUnspecified, adCmdUnspecified));
        for (const SourceRow& row : rows) {
            EXPECT_EQ(S_OK, source->AddNew(ambrelle::MissingArgument(), ambrelle::MissingArgument()));
            Put(source.Get(), L"FID", Long(row.fid));
            Put(source.Get(), L"FValDate", Date(kDate));
            Put(source.Get(), L"FRejectDesc", row.reason ? Text(row.reason) : Null());
            Put(source.Get(), L"FBeBrName", Text(L"华东分公司"));
            Put(source.Get(), L"FBrName", Text(L"总部审批中心"));
        }
        if (!rows.empty()) {
            EXPECT_EQ(S_OK, source->MoveLast());  // leave it away from the first row
        }
        return source;
    }

    std::vector<Line> ReadLines(_ADORecordset* lines) {
        std::vector<Line> read;
        VARIANT_BOOL bof = VARIANT_FALSE, eof = VARIANT_FALSE;
        EXPECT_EQ(S_OK, lines->get_BOF(&bof));
        EXPECT_EQ(S_OK, lines->get_EOF(&eof));
        if (bof && eof) return read;
        EXPECT_EQ(S_OK, lines->MoveFirst());
        while (SUCCEEDED(lines->get_EOF(&eof)) && !eof) {
            Line line;
            UniqueVariant value;
            EXPECT_EQ(S_OK, ambrelle::GetFieldValue(lines, L"FID", value.put()));
            EXPECT_EQ(VT_I4, value.vt());
            line.fid = V_I4(value.ptr());
            line.sort = TextOf(lines, L"FSort");
            EXPECT_EQ(S_OK, ambrelle::GetFieldValue(lines, L"FValDate", value.put()));
            line.has_date = value.vt() == VT_DATE;
            if (!line.has_date) {
                EXPECT_EQ(VT_NULL, value.vt());
            }
            line.reason = TextOf(lines, L"FRejectDesc");
            line.rejected = TextOf(lines, L"FBeBrName");
            line.rejecting = TextOf(lines, L"FBrName");
            read.push_back(line);
            EXPECT_EQ(S_OK, lines->MoveNext());
        }
        return read;
    }

    static void Put(_ADORecordset* records, const wchar_t* name, UniqueVariant value) {
        EXPECT_EQ(S_OK, ambrelle::PutCollect(records, name, value.get())) << name;
    }
    static UniqueVariant Long(LONG number) {
        UniqueVariant value;
        V_VT(value.ptr()) = VT_I4;
        V_I4(value.ptr()) = number;
        return value;
    }
    static UniqueVariant Date(double date) {
        UniqueVariant value;
        V_VT(value.ptr()) = VT_DATE;
        V_DATE(value.ptr()) = date;
        return value;
    }
    static UniqueVariant Text(const std::wstring& text) {
        UniqueVariant value;
        V_VT(value.ptr()) = VT_BSTR;
        V_BSTR(value.ptr()) = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        return value;
    }
    static UniqueVariant Null() {
        UniqueVariant value;
        V_VT(value.ptr()) = VT_NULL;
        return value;
    }
    static std::wstring TextOf(_ADORecordset* records, const wchar_t* name) {
        UniqueVariant value;
        EXPECT_EQ(S_OK, ambrelle::GetFieldValue(records, name, value.put()));
        EXPECT_EQ(VT_BSTR, value.vt()) << name;
        return value.vt() == VT_BSTR ? std::wstring(V_BSTR(value.ptr()), SysStringLen(V_BSTR(value.ptr()))) : L"";
    }

    std::vector<Line> Build(const std::vector<SourceRow>& rows) {
        ComPtr<_ADORecordset> source = MakeSource(rows);
        ComPtr<_ADORecordset> lines;
        HRESULT hr = ambrelle::BuildRejectionSet(source.Get(), &lines);
        EXPECT_EQ(S_OK, hr);
        if (FAILED(hr)) return {};
        VARIANT_BOOL eof = VARIANT_FALSE;
        EXPECT_EQ(S_OK, source->get_EOF(&eof));
        EXPECT_TRUE(eof) << "the source is read to its end";
        return ReadLines(lines.Get());
    }

    ambrelle_test::ComApartment apartment_;
};

void ExpectFirstLine(const Line& line, LONG fid, const wchar_t* sort, const std::wstring& reason) {
    EXPECT_EQ(fid, line.fid);
    EXPECT_EQ(sort, line.sort);
    EXPECT_TRUE(line.has_date);
    EXPECT_EQ(reason, line.reason);
    EXPECT_EQ(L"华东分公司", line.rejected);
    EXPECT_EQ(L"总部审批中心", line.rejecting);
}

void ExpectContinuation(const Line& line, const std::wstring& reason) {
    EXPECT_EQ(0, line.fid);
    EXPECT_EQ(L"", line.sort);
    EXPECT_FALSE(line.has_date);
    EXPECT_EQ(reason, line.reason);
    EXPECT_EQ(L"", line.rejected);
    EXPECT_EQ(L"", line.rejecting);
}

}  // namespace

TEST_F(RejectionSet, ReasonsAreCutIntoLinesOfThirtyCharacters) {
    struct Case {
        size_t length;
        std::vector<size_t> pieces;
    } cases[] = {
        {0, {0}}, {1, {1}}, {30, {30}}, {31, {30, 1}}, {60, {30, 30}}, {61, {30, 30, 1}}, {95, {30, 30, 30, 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        const std::wstring reason = Repeat(L"拒", c.length);
        std::vector<Line> lines = Build({{7, reason.c_str()}});
        ASSERT_EQ(c.pieces.size(), lines.size());
        size_t offset = 0;
        for (size_t i = 0; i < lines.size(); ++i) {
            const std::wstring piece = reason.substr(offset, c.pieces[i]);
            if (i == 0)
                ExpectFirstLine(lines[i], 7, L"1", piece);
            else
                ExpectContinuation(lines[i], piece);
            offset += c.pieces[i];
        }
    }
}

TEST_F(RejectionSet, OrdinalsCountSourceRowsNotLines) {
    const std::wstring long_reason = Repeat(L"a", 40) + Repeat(L"b", 30);
    std::vector<Line> lines = Build({{11, L"库存不足"}, {12, long_reason.c_str()}, {13, L""}});
    ASSERT_EQ(5u, lines.size());
    ExpectFirstLine(lines[0], 11, L"1", L"库存不足");
    ExpectFirstLine(lines[1], 12, L"2", Repeat(L"a", 30));
    ExpectContinuation(lines[2], Repeat(L"a", 10) + Repeat(L"b", 20));
    ExpectContinuation(lines[3], Repeat(L"b", 10));
    ExpectFirstLine(lines[4], 13, L"3", L"");
}

TEST_F(RejectionSet, NullReasonIsAnEmptyReason) {
    std::vector<Line> lines = Build({{21, L"第一条"}, {22, nullptr}, {23, L"第三条"}});
    ASSERT_EQ(3u, lines.size());
    ExpectFirstLine(lines[1], 22, L"2", L"");
    ExpectFirstLine(lines[2], 23, L"3", L"第三条");
}

TEST_F(RejectionSet, EmptySourceGivesAnOpenEmptySet) {
    ComPtr<_ADORecordset> source = MakeSource({});
    ComPtr<_ADORecordset> lines;
    ASSERT_EQ(S_OK, ambrelle::BuildRejectionSet(source.Get(), &lines));
    LONG state = 0;
    ASSERT_EQ(S_OK, lines->get_State(&state));
    EXPECT_EQ(adStateOpen, state);
    ADO_LONGPTR count = -1;
    ASSERT_EQ(S_OK, lines->get_RecordCount(&count));
    EXPECT_EQ(0, count);
}

TEST_F(RejectionSet, SurrogatePairAtTheCutStaysTogether) {
    // U+20BB7 (𠮷) is one character written as two UTF-16 code units.
    const std::wstring pair = L"\xD842\xDFB7";
    const std::wstring reason = Repeat(L"x", 29) + pair + Repeat(L"y", 5);
    std::vector<Line> lines = Build({{31, reason.c_str()}});
    ASSERT_EQ(2u, lines.size());
    ExpectFirstLine(lines[0], 31, L"1", Repeat(L"x", 29));
    ExpectContinuation(lines[1], pair + Repeat(L"y", 5));

    EXPECT_EQ(30u, ambrelle::RejectionPieceLength(Repeat(L"x", 28) + pair + L"z", 0)) << "a pair inside the piece";
    EXPECT_EQ(29u, ambrelle::RejectionPieceLength(Repeat(L"x", 29) + pair, 0));
    EXPECT_EQ(5u, ambrelle::RejectionPieceLength(L"abcde", 0));
}

TEST_F(RejectionSet, FieldsAreDefinedWithTheirTypesSizesAndAttributes) {
    ComPtr<_ADORecordset> source = MakeSource({{1, L"原因"}});
    ComPtr<_ADORecordset> lines;
    ASSERT_EQ(S_OK, ambrelle::BuildRejectionSet(source.Get(), &lines));
    ComPtr<ADOFields> fields;
    ASSERT_EQ(S_OK, lines->get_Fields(&fields));
    long count = 0;
    ASSERT_EQ(S_OK, fields->get_Count(&count));
    ASSERT_EQ(6, count);
    struct {
        const wchar_t* name;
        DataTypeEnum type;
        ADO_LONGPTR size;
        long attributes;
    } expected[] = {
        {L"FID", adInteger, 0, 0},          {L"FSort", adVarChar, 80, 0},   {L"FValDate", adDate, 0, adFldIsNullable},
        {L"FRejectDesc", adVarChar, 255, 0}, {L"FBeBrName", adVarChar, 80, 0}, {L"FBrName", adVarChar, 80, 0},
    };
    for (long i = 0; i < 6; ++i) {
        VARIANT index;
        V_VT(&index) = VT_I4;
        V_I4(&index) = i;
        ComPtr<ADOField> field;
        ASSERT_EQ(S_OK, fields->get_Item(index, &field));
        UniqueBstr name;
        ASSERT_EQ(S_OK, field->get_Name(name.put()));
        EXPECT_STREQ(expected[i].name, name.c_str());
        DataTypeEnum type;
        ASSERT_EQ(S_OK, field->get_Type(&type));
        EXPECT_EQ(expected[i].type, type) << i;
        ADO_LONGPTR size = -1;
        ASSERT_EQ(S_OK, field->get_DefinedSize(&size));
        EXPECT_EQ(expected[i].size, size) << i;
        long attributes = -1;
        ASSERT_EQ(S_OK, field->get_Attributes(&attributes));
        EXPECT_EQ(expected[i].attributes, attributes & (adFldIsNullable | adFldMayBeNull)) << i;
    }
    // The last line is still the pending new row.
    EditModeEnum mode;
    ASSERT_EQ(S_OK, lines->get_EditMode(&mode));
    EXPECT_EQ(adEditAdd, mode);
}
