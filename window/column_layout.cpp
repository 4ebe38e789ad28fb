// GetTitleInfo: the grid's columns for each query kind.
#include "frm_validate_query.h"

#include <new>

#include "com_error.h"

namespace ambrelle {

namespace {

struct ColumnOfKind {
    const wchar_t* title;
    const wchar_t* field_name;
    SHORT data_type;  // 0 text, 5 number (VT_R8), 7 date (VT_DATE)
};

// Kinds 0 and 2: internal order and delivery notice confirmations.
constexpr ColumnOfKind kConfirmationColumns[] = {
    {L"序号", L"FSort", 0},
    {L"商品代码", L"FNumber", 0},
    {L"商品名称", L"FName", 0},
    {L"规格型号", L"FModel", 0},
    {L"辅助属性", L"FAuxPropName", 0},
    {L"确认前数量", L"FReqQty", VT_R8},
    {L"确认数量", L"FValidateQty", VT_R8},
    {L"确认人", L"FValidater", 0},
    {L"被确认机构", L"FBeValBrName", 0},
    {L"确认机构", L"FBrName", 0},
    {L"确认日期", L"FValDate", VT_DATE},
    {L"确认交货日期", L"FDeliveryDate", VT_DATE},
};

// Kind 1: internal order rejections.
constexpr ColumnOfKind kRejectionColumns[] = {
    {L"序号", L"FSort", 0},
    {L"拒绝日期", L"FValdate", VT_DATE},
    {L"拒绝原因", L"FRejectDesc", 0},
    {L"被拒绝机构", L"FBeBrName", 0},
    {L"拒绝机构", L"FBrName", 0},
};

// The columns in display order and one empty spare after them, so that the
// upper bound of the array is the column count.
template <size_t N>
std::vector<TitleInfo> LayoutOf(const ColumnOfKind (&columns)[N]) {
    std::vector<TitleInfo> titles(N + 1);
    for (size_t i = 0; i < N; ++i) {
        titles[i].Title = columns[i].title;
        titles[i].FieldName = columns[i].field_name;
        titles[i].DataType = columns[i].data_type;
    }
    return titles;
}

}  // namespace

HRESULT FrmValidateQuery::GetTitleInfo(LONG kind) {
    try {
        if (kind == 0 || kind == 2)
            Titles = LayoutOf(kConfirmationColumns);
        else if (kind == 1)
            Titles = LayoutOf(kRejectionColumns);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    // The row texts find their fields by column: the columns may be others now.
    query_fields_.Reset();
    // Another kind has no layout of its own: it keeps the one of an earlier load.
    if (Titles.empty())
        return RaiseComError(MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 9), GUID_NULL, L"Ambrelle",
                             L"Subscript out of range");
    return LdgValidateQuery.PutColumnCount(static_cast<LONG>(Titles.size() - 1));
}

}  // namespace ambrelle
