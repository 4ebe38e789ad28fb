// The record set object: its creation, lifetime and interfaces.
#include "recordset.h"

#include <new>

namespace ado_standin {

Recordset::Recordset() : fields_object_(this) {}

Recordset::~Recordset() { DetachFields(); }

HRESULT Recordset::Create(REFIID riid, void** object) {
    return ambrelle::CreateAndQuery(new (std::nothrow) Recordset(), riid, object);
}

STDMETHODIMP Recordset::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID__ADO || riid == IID_Recordset15 ||
        riid == IID_Recordset20 || riid == IID_Recordset21 || riid == IID__Recordset) {
        *object = static_cast<_ADORecordset*>(this);
    } else if (riid == IID_ISupportErrorInfo) {
        *object = static_cast<ISupportErrorInfo*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) Recordset::AddRef() { return InterlockedIncrement(&refs_); }

STDMETHODIMP_(ULONG) Recordset::Release() {
    const ULONG refs = InterlockedDecrement(&refs_);
    if (refs == 0) delete this;
    return refs;
}

}  // namespace ado_standin
