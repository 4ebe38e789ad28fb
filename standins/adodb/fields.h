// The Fields collection of a Recordset. It is part of the record set object
// and shares its reference count, so get_Fields always gives the same object.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "ado.h"
#include "com_object.h"
#include "type_info_dispatch.h"

namespace ado_standin {

class Recordset;

// Not _Collection: ADO's Fields does not answer it.
class FieldsCollection final
    : public ambrelle::InterfaceTable<ambrelle::Answers<ambrelle::TypeInfoDispatch<ADOFields>, IID_IUnknown,
                                                        IID_IDispatch, IID_Fields15, IID_Fields20, IID_Fields>,
                                      ambrelle::SupportsErrorInfo<IID_Fields, IID_Fields20, IID_Fields15>> {
public:
    explicit FieldsCollection(Recordset* owner) : owner_(owner) {}

    // IUnknown: the collection lives and dies with its record set.
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IDispatch, from the module's type library, with fields("name") = value
    STDMETHODIMP Invoke(DISPID member, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excep, UINT* arg_err) override;

    // _Collection
    STDMETHODIMP get_Count(long* count) override;
    STDMETHODIMP _NewEnum(IUnknown** enumerator) override;
    STDMETHODIMP Refresh() override;
    // Fields15
    STDMETHODIMP get_Item(VARIANT index, ADOField** field) override;
    // Fields20
    STDMETHODIMP _Append(BSTR name, DataTypeEnum type, ADO_LONGPTR defined_size, FieldAttributeEnum attributes) override;
    STDMETHODIMP Delete(VARIANT index) override;
    // Fields
    STDMETHODIMP Append(BSTR name, DataTypeEnum type, ADO_LONGPTR defined_size, FieldAttributeEnum attributes,
                        VARIANT field_value) override;
    STDMETHODIMP Update() override;
    STDMETHODIMP Resync(ResyncEnum resync_values) override;
    STDMETHODIMP CancelUpdate() override;

protected:
    HRESULT InterfaceTypeInfo(ITypeInfo** info) override;

private:
    Recordset* owner_;
};

}  // namespace ado_standin
