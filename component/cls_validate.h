// ClsValidate: the component's one public class, the host's entry point.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <wrl/client.h>

#include "ado.h"
#include "ambrelle.h"
#include "type_info_dispatch.h"

namespace ambrelle {

// The interface IID of the component's first version; answered with the same interface.
extern const IID IID_ClsValidate_v0;

class ClsValidate final : public DualInterfaceObject<_ClsValidate, IID__ClsValidate, IID_ClsValidate_v0> {
public:
    static HRESULT Create(REFIID riid, void** object);

    // _ClsValidate
    STDMETHODIMP put_FID(LONG* value) override;
    STDMETHODIMP show(VARIANT_BOOL* result) override;
    STDMETHODIMP put_QueryClass(LONG* value) override;

private:
    ClsValidate() = default;
    ~ClsValidate() = default;
    HRESULT Show(VARIANT_BOOL* result);
    HRESULT QueryValidate(IDispatch* bill_info, VARIANT* result);
    HRESULT ShowWindow();
    HRESULT ShowThreadWindow();

    LONG fid_ = 0;
    LONG query_class_ = 0;
    // The record set given to the bill-information service and taken back from it.
    Microsoft::WRL::ComPtr<_ADORecordset> validate_rs_;
};

}  // namespace ambrelle
