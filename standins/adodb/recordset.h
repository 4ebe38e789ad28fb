// The in-memory ADO Recordset: a disconnected record set with appended
// fields, AddNew, navigation and the hidden Collect property, behind the
// vtable of ADO 2.x's _Recordset. Its Fields collection and Field objects
// live in fields.h and field.h; its members are defined in recordset_*.cpp,
// one file for each concern.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <wrl/client.h>

#include <memory>
#include <vector>

#include "ado.h"
#include "ado_errors.h"
#include "field_definition.h"
#include "field_name_index.h"
#include "fields.h"
#include "com_object.h"
#include "type_info_dispatch.h"
#include "unique_variant.h"

namespace ado_standin {

class Recordset final
    : public ambrelle::ComObject<ambrelle::Answers<ambrelle::TypeInfoDispatch<_ADORecordset>, IID_IUnknown, IID_IDispatch,
                                                   IID__ADO, IID_Recordset15, IID_Recordset20, IID_Recordset21,
                                                   IID__Recordset>,
                                 ambrelle::SupportsErrorInfo<IID__Recordset, IID_Recordset21, IID_Recordset20,
                                                             IID_Recordset15, IID__ADO>> {
public:
    static HRESULT Create(REFIID riid, void** object);

    // IDispatch, from the module's type library, with the indexed default member
    STDMETHODIMP Invoke(DISPID member, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excep, UINT* arg_err) override;

    // _ADO
    STDMETHODIMP get_Properties(ADOProperties** properties) override;

    // Recordset15
    STDMETHODIMP get_AbsolutePosition(PositionEnum_Param* position) override;
    STDMETHODIMP put_AbsolutePosition(PositionEnum_Param position) override;
    STDMETHODIMP putref_ActiveConnection(IDispatch* connection) override;
    STDMETHODIMP put_ActiveConnection(VARIANT connection) override;
    STDMETHODIMP get_ActiveConnection(VARIANT* connection) override;
    STDMETHODIMP get_BOF(VARIANT_BOOL* bof) override;
    STDMETHODIMP get_Bookmark(VARIANT* bookmark) override;
    STDMETHODIMP put_Bookmark(VARIANT bookmark) override;
    STDMETHODIMP get_CacheSize(long* size) override;
    STDMETHODIMP put_CacheSize(long size) override;
    STDMETHODIMP get_CursorType(CursorTypeEnum* cursor_type) override;
    STDMETHODIMP put_CursorType(CursorTypeEnum cursor_type) override;
    STDMETHODIMP get_EOF(VARIANT_BOOL* eof) override;
    STDMETHODIMP get_Fields(ADOFields** fields) override;
    STDMETHODIMP get_LockType(LockTypeEnum* lock_type) override;
    STDMETHODIMP put_LockType(LockTypeEnum lock_type) override;
    STDMETHODIMP get_MaxRecords(ADO_LONGPTR* max_records) override;
    STDMETHODIMP put_MaxRecords(ADO_LONGPTR max_records) override;
    STDMETHODIMP get_RecordCount(ADO_LONGPTR* count) override;
    STDMETHODIMP putref_Source(IDispatch* command) override;
    STDMETHODIMP put_Source(BSTR source) override;
    STDMETHODIMP get_Source(VARIANT* source) override;
    STDMETHODIMP AddNew(VARIANT field_list, VARIANT values) override;
    STDMETHODIMP CancelUpdate() override;
    STDMETHODIMP Close() override;
    STDMETHODIMP Delete(AffectEnum affect_records) override;
    STDMETHODIMP GetRows(long rows, VARIANT start, VARIANT fields, VARIANT* rows_array) override;
    STDMETHODIMP Move(ADO_LONGPTR num_records, VARIANT start) override;
    STDMETHODIMP MoveNext() override;
    STDMETHODIMP MovePrevious() override;
    STDMETHODIMP MoveFirst() override;
    STDMETHODIMP MoveLast() override;
    STDMETHODIMP Open(VARIANT source, VARIANT active_connection, CursorTypeEnum cursor_type, LockTypeEnum lock_type,
                      LONG options) override;
    STDMETHODIMP Requery(LONG options) override;
    STDMETHODIMP _xResync(AffectEnum affect_records) override;
    STDMETHODIMP Update(VARIANT fields, VARIANT values) override;
    STDMETHODIMP get_AbsolutePage(PositionEnum_Param* page) override;
    STDMETHODIMP put_AbsolutePage(PositionEnum_Param page) override;
    STDMETHODIMP get_EditMode(EditModeEnum* edit_mode) override;
    STDMETHODIMP get_Filter(VARIANT* criteria) override;
    STDMETHODIMP put_Filter(VARIANT criteria) override;
    STDMETHODIMP get_PageCount(ADO_LONGPTR* count) override;
    STDMETHODIMP get_PageSize(long* size) override;
    STDMETHODIMP put_PageSize(long size) override;
    STDMETHODIMP get_Sort(BSTR* criteria) override;
    STDMETHODIMP put_Sort(BSTR criteria) override;
    STDMETHODIMP get_Status(long* status) override;
    STDMETHODIMP get_State(LONG* state) override;
    STDMETHODIMP _xClone(_ADORecordset** clone) override;
    STDMETHODIMP UpdateBatch(AffectEnum affect_records) override;
    STDMETHODIMP CancelBatch(AffectEnum affect_records) override;
    STDMETHODIMP get_CursorLocation(CursorLocationEnum* location) override;
    STDMETHODIMP put_CursorLocation(CursorLocationEnum location) override;
    STDMETHODIMP NextRecordset(VARIANT* records_affected, _ADORecordset** next) override;
    STDMETHODIMP Supports(CursorOptionEnum cursor_options, VARIANT_BOOL* supported) override;
    STDMETHODIMP get_Collect(VARIANT index, VARIANT* value) override;
    STDMETHODIMP put_Collect(VARIANT index, VARIANT value) override;
    STDMETHODIMP get_MarshalOptions(MarshalOptionsEnum* options) override;
    STDMETHODIMP put_MarshalOptions(MarshalOptionsEnum options) override;
    STDMETHODIMP Find(BSTR criteria, ADO_LONGPTR skip_records, SearchDirectionEnum direction, VARIANT start) override;

    // Recordset20
    STDMETHODIMP Cancel() override;
    STDMETHODIMP get_DataSource(IUnknown** data_source) override;
    STDMETHODIMP putref_DataSource(IUnknown* data_source) override;
    STDMETHODIMP _xSave(BSTR file_name, PersistFormatEnum format) override;
    STDMETHODIMP get_ActiveCommand(IDispatch** command) override;
    STDMETHODIMP put_StayInSync(VARIANT_BOOL stay_in_sync) override;
    STDMETHODIMP get_StayInSync(VARIANT_BOOL* stay_in_sync) override;
    STDMETHODIMP GetString(StringFormatEnum format, long rows, BSTR column_delimiter, BSTR row_delimiter,
                           BSTR null_expression, BSTR* text) override;
    STDMETHODIMP get_DataMember(BSTR* member) override;
    STDMETHODIMP put_DataMember(BSTR member) override;
    STDMETHODIMP CompareBookmarks(VARIANT first, VARIANT second, CompareEnum* comparison) override;
    STDMETHODIMP Clone(LockTypeEnum lock_type, _ADORecordset** clone) override;
    STDMETHODIMP Resync(AffectEnum affect_records, ResyncEnum resync_values) override;

    // Recordset21
    STDMETHODIMP Seek(VARIANT key_values, SeekEnum seek_option) override;
    STDMETHODIMP put_Index(BSTR index) override;
    STDMETHODIMP get_Index(BSTR* index) override;

    // _Recordset
    STDMETHODIMP Save(VARIANT destination, PersistFormatEnum format) override;

    // What the Fields collection and the Field objects use.
    size_t field_count() const { return fields_.size(); }
    FieldDefinition& field_at(size_t ordinal) { return *fields_[ordinal]; }
    bool is_open() const { return open_; }
    HRESULT AppendField(BSTR name, LONG type, LONG_PTR defined_size, LONG attributes);
    HRESULT DeleteField(const VARIANT& index);
    // Finds a field by name (ignoring case) or ordinal; 3265 reported from source when there is none.
    HRESULT FindField(const VARIANT& index, ErrorSource source, FieldDefinition** field);
    // The one Field object of a field, created when no client holds it.
    HRESULT FieldObjectFor(FieldDefinition* field, ADOField** object);
    HRESULT ReadValue(const FieldDefinition& field, ErrorSource source, VARIANT* value);
    HRESULT WriteValue(FieldDefinition& field, ErrorSource source, const VARIANT& value);
    HRESULT TypeInfoOf(REFIID riid, ITypeInfo** info);
    // Bytes reserved for the values of every field (for the benchmark).
    size_t reserved_bytes() const;

protected:
    HRESULT InterfaceTypeInfo(ITypeInfo** info) override;

private:
    // The source of the errors the record set's own members raise.
    static constexpr ErrorSource kSource = ErrorSource::kRecordset;

    Recordset();
    ~Recordset();

    bool HasCurrentRecord() const { return current_ >= 0 && current_ < row_count(); }
    bool AtBof() const { return row_count() == 0 || current_ < 0; }
    bool AtEof() const { return row_count() == 0 || current_ >= row_count(); }
    bool Updatable() const { return lock_type_ != adLockReadOnly; }
    LONG_PTR row_count() const { return static_cast<LONG_PTR>(row_count_); }

    // Ends the AddNew or edit of the current row, keeping its values.
    void CommitRow();
    // Puts the current row at a new position after committing the row being added or edited.
    HRESULT Navigate(LONG_PTR position);
    HRESULT AssignFieldList(const VARIANT& field_list, const VARIANT& values, ErrorSource source);
    HRESULT BackUpCurrentRow();
    void DetachFields();
    HRESULT InvokeIndexedDefault(WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep);

    FieldsCollection fields_object_;

    bool open_ = false;
    std::vector<std::unique_ptr<FieldDefinition>> fields_;
    FieldNameIndex names_;
    size_t row_count_ = 0;
    // -1 before the first row (BOF), row_count_ after the last (EOF).
    LONG_PTR current_ = -1;
    // The record whose texts were last asked into the processor's cache.
    LONG_PTR texts_prefetched_ = -1;
    // AddNew: the new row is the last one, and current, until committed.
    bool adding_ = false;
    LONG_PTR position_before_add_ = -1;
    // ADO keeps EditMode at adEditAdd after Update of a record set without a
    // connection, until the record set moves.
    bool added_row_current_ = false;
    // An edit of a committed row: its values before the first change.
    bool editing_ = false;
    std::vector<ambrelle::UniqueVariant> edit_backup_;

    CursorLocationEnum cursor_location_ = adUseServer;
    CursorTypeEnum cursor_type_ = adOpenForwardOnly;
    LockTypeEnum lock_type_ = adLockReadOnly;
    bool lock_type_chosen_ = false;
    long cache_size_ = 1;
    ADO_LONGPTR max_records_ = 0;

    Microsoft::WRL::ComPtr<ITypeInfo> recordset_info_;
    Microsoft::WRL::ComPtr<ITypeInfo> fields_info_;
    Microsoft::WRL::ComPtr<ITypeInfo> field_info_;
};

}  // namespace ado_standin
