// Venlock.ShareProps.Steering: lets a test decide what every Venlock.ShareProps
// object of the process answers, and read what they were asked
// (ISharePropsSteering in share_props_steering.idl).
#pragma once

#include <windows.h>
#include <ole2.h>

#include "type_info_dispatch.h"
#include "share_props_steering.h"

namespace ambrelle {

class SteeringObject final : public DualInterfaceObject<ISharePropsSteering, IID_ISharePropsSteering> {
public:
    static HRESULT Create(REFIID riid, void** object);

    // ISharePropsSteering
    STDMETHODIMP Reset() override;
    STDMETHODIMP AnswerWith(VARIANT value) override;
    STDMETHODIMP AnswerWithObject(BSTR default_value) override;
    STDMETHODIMP FailWith(LONG number, BSTR source, BSTR description, LONG from_call) override;
    STDMETHODIMP AnswerFromStore() override;
    STDMETHODIMP get_CallCount(BSTR name, LONG* count) override;
    STDMETHODIMP get_TotalCalls(LONG* count) override;
    STDMETHODIMP get_LastProcessId(LONG* process_id) override;
    STDMETHODIMP get_LastName(BSTR* name) override;
    STDMETHODIMP get_LastArgType(LONG position, LONG* vartype) override;
    STDMETHODIMP get_LastArgCount(LONG* count) override;
    STDMETHODIMP get_PublishedValue(LONG process_id, BSTR name, VARIANT* value) override;

private:
    SteeringObject() = default;
    ~SteeringObject() = default;
};

}  // namespace ambrelle
