// The members of the ADO Recordset this record set does not implement:
// each raises the platform's "not implemented" error.
#include "recordset.h"

namespace ado_standin {

#define NOT_IMPLEMENTED(name) return RaiseNotImplemented(kSource, name)

STDMETHODIMP Recordset::get_Properties(ADOProperties** properties) {
    if (properties) *properties = nullptr;
    NOT_IMPLEMENTED(L"Properties");
}
STDMETHODIMP Recordset::get_Bookmark(VARIANT* bookmark) {
    if (bookmark) VariantInit(bookmark);
    NOT_IMPLEMENTED(L"Bookmark");
}
STDMETHODIMP Recordset::put_Bookmark(VARIANT) { NOT_IMPLEMENTED(L"Bookmark"); }
STDMETHODIMP Recordset::putref_Source(IDispatch*) { NOT_IMPLEMENTED(L"Source"); }
STDMETHODIMP Recordset::put_Source(BSTR) { NOT_IMPLEMENTED(L"Source"); }
STDMETHODIMP Recordset::get_Source(VARIANT* source) {
    if (source) VariantInit(source);
    NOT_IMPLEMENTED(L"Source");
}
STDMETHODIMP Recordset::Delete(AffectEnum) { NOT_IMPLEMENTED(L"Delete"); }
STDMETHODIMP Recordset::GetRows(long, VARIANT, VARIANT, VARIANT* rows_array) {
    if (rows_array) VariantInit(rows_array);
    NOT_IMPLEMENTED(L"GetRows");
}
STDMETHODIMP Recordset::Requery(LONG) { NOT_IMPLEMENTED(L"Requery"); }
STDMETHODIMP Recordset::_xResync(AffectEnum) { NOT_IMPLEMENTED(L"Resync"); }
STDMETHODIMP Recordset::get_AbsolutePage(PositionEnum_Param* page) {
    if (page) *page = adPosUnknown;
    NOT_IMPLEMENTED(L"AbsolutePage");
}
STDMETHODIMP Recordset::put_AbsolutePage(PositionEnum_Param) { NOT_IMPLEMENTED(L"AbsolutePage"); }
STDMETHODIMP Recordset::get_Filter(VARIANT* criteria) {
    if (criteria) VariantInit(criteria);
    NOT_IMPLEMENTED(L"Filter");
}
STDMETHODIMP Recordset::put_Filter(VARIANT) { NOT_IMPLEMENTED(L"Filter"); }
STDMETHODIMP Recordset::get_PageCount(ADO_LONGPTR* count) {
    if (count) *count = 0;
    NOT_IMPLEMENTED(L"PageCount");
}
STDMETHODIMP Recordset::get_PageSize(long* size) {
    if (size) *size = 0;
    NOT_IMPLEMENTED(L"PageSize");
}
STDMETHODIMP Recordset::put_PageSize(long) { NOT_IMPLEMENTED(L"PageSize"); }
STDMETHODIMP Recordset::get_Sort(BSTR* criteria) {
    if (criteria) *criteria = nullptr;
    NOT_IMPLEMENTED(L"Sort");
}
STDMETHODIMP Recordset::put_Sort(BSTR) { NOT_IMPLEMENTED(L"Sort"); }
STDMETHODIMP Recordset::get_Status(long* status) {
    if (status) *status = 0;
    NOT_IMPLEMENTED(L"Status");
}
STDMETHODIMP Recordset::_xClone(_ADORecordset** clone) {
    if (clone) *clone = nullptr;
    NOT_IMPLEMENTED(L"Clone");
}
STDMETHODIMP Recordset::UpdateBatch(AffectEnum) { NOT_IMPLEMENTED(L"UpdateBatch"); }
STDMETHODIMP Recordset::CancelBatch(AffectEnum) { NOT_IMPLEMENTED(L"CancelBatch"); }
STDMETHODIMP Recordset::NextRecordset(VARIANT* records_affected, _ADORecordset** next) {
    if (records_affected) VariantInit(records_affected);
    if (next) *next = nullptr;
    NOT_IMPLEMENTED(L"NextRecordset");
}
STDMETHODIMP Recordset::get_MarshalOptions(MarshalOptionsEnum* options) {
    if (options) *options = adMarshalAll;
    NOT_IMPLEMENTED(L"MarshalOptions");
}
STDMETHODIMP Recordset::put_MarshalOptions(MarshalOptionsEnum) { NOT_IMPLEMENTED(L"MarshalOptions"); }
STDMETHODIMP Recordset::Find(BSTR, ADO_LONGPTR, SearchDirectionEnum, VARIANT) { NOT_IMPLEMENTED(L"Find"); }
STDMETHODIMP Recordset::get_DataSource(IUnknown** data_source) {
    if (data_source) *data_source = nullptr;
    NOT_IMPLEMENTED(L"DataSource");
}
STDMETHODIMP Recordset::putref_DataSource(IUnknown*) { NOT_IMPLEMENTED(L"DataSource"); }
STDMETHODIMP Recordset::_xSave(BSTR, PersistFormatEnum) { NOT_IMPLEMENTED(L"Save"); }
STDMETHODIMP Recordset::get_ActiveCommand(IDispatch** command) {
    if (command) *command = nullptr;
    NOT_IMPLEMENTED(L"ActiveCommand");
}
STDMETHODIMP Recordset::put_StayInSync(VARIANT_BOOL) { NOT_IMPLEMENTED(L"StayInSync"); }
STDMETHODIMP Recordset::get_StayInSync(VARIANT_BOOL* stay_in_sync) {
    if (stay_in_sync) *stay_in_sync = VARIANT_FALSE;
    NOT_IMPLEMENTED(L"StayInSync");
}
STDMETHODIMP Recordset::GetString(StringFormatEnum, long, BSTR, BSTR, BSTR, BSTR* text) {
    if (text) *text = nullptr;
    NOT_IMPLEMENTED(L"GetString");
}
STDMETHODIMP Recordset::get_DataMember(BSTR* member) {
    if (member) *member = nullptr;
    NOT_IMPLEMENTED(L"DataMember");
}
STDMETHODIMP Recordset::put_DataMember(BSTR) { NOT_IMPLEMENTED(L"DataMember"); }
STDMETHODIMP Recordset::CompareBookmarks(VARIANT, VARIANT, CompareEnum* comparison) {
    if (comparison) *comparison = adCompareNotComparable;
    NOT_IMPLEMENTED(L"CompareBookmarks");
}
STDMETHODIMP Recordset::Clone(LockTypeEnum, _ADORecordset** clone) {
    if (clone) *clone = nullptr;
    NOT_IMPLEMENTED(L"Clone");
}
STDMETHODIMP Recordset::Resync(AffectEnum, ResyncEnum) { NOT_IMPLEMENTED(L"Resync"); }
STDMETHODIMP Recordset::Seek(VARIANT, SeekEnum) { NOT_IMPLEMENTED(L"Seek"); }
STDMETHODIMP Recordset::put_Index(BSTR) { NOT_IMPLEMENTED(L"Index"); }
STDMETHODIMP Recordset::get_Index(BSTR* index) {
    if (index) *index = nullptr;
    NOT_IMPLEMENTED(L"Index");
}
STDMETHODIMP Recordset::Save(VARIANT, PersistFormatEnum) { NOT_IMPLEMENTED(L"Save"); }

#undef NOT_IMPLEMENTED

}  // namespace ado_standin
