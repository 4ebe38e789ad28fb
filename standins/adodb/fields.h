// The Fields collection of a Recordset. It is part of the record set object
// and shares its reference count, so get_Fields always gives the same object.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "ado.h"

namespace ado_standin {

class Recordset;

class FieldsCollection final : public ADOFields, public ISupportErrorInfo {
public:
    explicit FieldsCollection(Recordset* owner) : owner_(owner) {}

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
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

    // ISupportErrorInfo
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID riid) override;

private:
    Recordset* owner_;
};

}  // namespace ado_standin
