// The bill-information service as Ambrelle sees it. It is created by ProgID
// and driven through IDispatch: QueryValidate is resolved by name and invoked
// as a method returning a VARIANT, with four arguments in this order (the
// DISPPARAMS array holds them in reverse):
//   1. the session properties string, VT_BSTR by value;
//   2. the record set, VT_BYREF|VT_DISPATCH: the service fills the record set
//      the variable holds, or puts another ADO Recordset into the variable;
//   3. the bill identifier, VT_BYREF|VT_I4 (the service may write it);
//   4. the query kind, VT_BYREF|VT_I4 (the service may write it).
// The result is True when the service produced records.
#pragma once

namespace ambrelle {
namespace bill_info {

constexpr wchar_t kProgId[] = L"Quistral.IBillInfo";
constexpr wchar_t kQueryValidate[] = L"QueryValidate";
constexpr unsigned kQueryValidateArgCount = 4;

// Query kinds.
constexpr long kOrderConfirmation = 0;
constexpr long kOrderRejection = 1;
constexpr long kDeliveryConfirmation = 2;

// Fields of a confirmation set (kinds 0 and 2).
constexpr wchar_t kFieldId[] = L"FID";
constexpr wchar_t kFieldNumber[] = L"FNumber";
constexpr wchar_t kFieldName[] = L"FName";
constexpr wchar_t kFieldModel[] = L"FModel";
constexpr wchar_t kFieldAuxPropName[] = L"FAuxPropName";
constexpr wchar_t kFieldReqQty[] = L"FReqQty";
constexpr wchar_t kFieldValidateQty[] = L"FValidateQty";
constexpr wchar_t kFieldValidater[] = L"FValidater";
constexpr wchar_t kFieldBeValBrName[] = L"FBeValBrName";
constexpr wchar_t kFieldBrName[] = L"FBrName";
constexpr wchar_t kFieldValDate[] = L"FValDate";
constexpr wchar_t kFieldDeliveryDate[] = L"FDeliveryDate";
constexpr wchar_t kFieldQtyDecimal[] = L"FQtyDecimal";

// Fields of a rejection set (kind 1), besides FID, FValDate and FBrName.
constexpr wchar_t kFieldRejectDesc[] = L"FRejectDesc";
constexpr wchar_t kFieldBeBrName[] = L"FBeBrName";

}  // namespace bill_info
}  // namespace ambrelle
