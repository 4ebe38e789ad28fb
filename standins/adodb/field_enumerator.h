// The enumerator behind For Each over a Fields collection: the Field objects
// of the collection as it was when the enumerator was made.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <wrl/client.h>

#include <vector>

#include "com_object.h"

namespace ado_standin {

class FieldEnumerator final
    : public ambrelle::ComObject<ambrelle::Answers<IEnumVARIANT, IID_IUnknown, IID_IEnumVARIANT>> {
public:
    // Takes the fields (each as IDispatch) and returns the enumerator with one reference, or nullptr.
    static FieldEnumerator* Create(std::vector<Microsoft::WRL::ComPtr<IDispatch>> fields, ULONG position = 0);

    STDMETHODIMP Next(ULONG count, VARIANT* items, ULONG* fetched) override;
    STDMETHODIMP Skip(ULONG count) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP Clone(IEnumVARIANT** clone) override;

private:
    FieldEnumerator(std::vector<Microsoft::WRL::ComPtr<IDispatch>> fields, ULONG position)
        : fields_(std::move(fields)), position_(position) {}
    ~FieldEnumerator() = default;

    std::vector<Microsoft::WRL::ComPtr<IDispatch>> fields_;
    ULONG position_;
};

}  // namespace ado_standin
