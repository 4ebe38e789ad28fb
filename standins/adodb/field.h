// A Field object: one field of a Recordset, always showing the record set's
// current row. Fields.Item hands out the same object while a client holds it.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "ado.h"
#include "field_definition.h"
#include "com_object.h"
#include "type_info_dispatch.h"

namespace ado_standin {

class Recordset;

class FieldObject final
    : public ambrelle::ComObject<ambrelle::Answers<ambrelle::TypeInfoDispatch<ADOField>, IID_IUnknown, IID_IDispatch,
                                                   IID__ADO, IID_Field20, IID_Field>,
                                 ambrelle::SupportsErrorInfo<IID_Field, IID_Field20, IID__ADO>> {
public:
    // Holds a reference to the record set for as long as the object lives.
    FieldObject(Recordset* owner, FieldDefinition* definition);

    // The field was removed (Close, Fields.Delete): every member now fails with 3420.
    void Detach() { definition_ = nullptr; }

    // IDispatch, from the module's type library, with the value read directly
    STDMETHODIMP Invoke(DISPID member, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excep, UINT* arg_err) override;

    // _ADO
    STDMETHODIMP get_Properties(ADOProperties** properties) override;
    // Field20
    STDMETHODIMP get_ActualSize(ADO_LONGPTR* size) override;
    STDMETHODIMP get_Attributes(long* attributes) override;
    STDMETHODIMP get_DefinedSize(ADO_LONGPTR* size) override;
    STDMETHODIMP get_Name(BSTR* name) override;
    STDMETHODIMP get_Type(DataTypeEnum* type) override;
    STDMETHODIMP get_Value(VARIANT* value) override;
    STDMETHODIMP put_Value(VARIANT value) override;
    STDMETHODIMP get_Precision(BYTE* precision) override;
    STDMETHODIMP get_NumericScale(BYTE* scale) override;
    STDMETHODIMP AppendChunk(VARIANT data) override;
    STDMETHODIMP GetChunk(long length, VARIANT* data) override;
    STDMETHODIMP get_OriginalValue(VARIANT* value) override;
    STDMETHODIMP get_UnderlyingValue(VARIANT* value) override;
    STDMETHODIMP get_DataFormat(IUnknown** format) override;
    STDMETHODIMP putref_DataFormat(IUnknown* format) override;
    STDMETHODIMP put_Precision(BYTE precision) override;
    STDMETHODIMP put_NumericScale(BYTE scale) override;
    STDMETHODIMP put_Type(DataTypeEnum type) override;
    STDMETHODIMP put_DefinedSize(ADO_LONGPTR size) override;
    STDMETHODIMP put_Attributes(long attributes) override;
    // Field
    STDMETHODIMP get_Status(long* status) override;

protected:
    HRESULT InterfaceTypeInfo(ITypeInfo** info) override;

private:
    ~FieldObject();
    // The definition, or 3420 when the field is gone.
    HRESULT Definition(FieldDefinition** definition);
    // Definition for a change of the field's description, allowed only while the record set is closed.
    HRESULT ChangeableDefinition(FieldDefinition** definition);

    Recordset* owner_;
    FieldDefinition* definition_;
};

}  // namespace ado_standin
