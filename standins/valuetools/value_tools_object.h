// ValueTools: ValueOrDefault, the value of a record-set field or a default
// for Null and Empty. The interface is IValueTools of outside/value_tools.idl;
// its dispatch half runs through the type library.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "type_info_dispatch.h"
#include "value_tools.h"

namespace ambrelle {

class ValueToolsObject final : public DualInterfaceObject<IValueTools, IID_IValueTools> {
public:
    static HRESULT Create(REFIID riid, void** object);

    // IValueTools
    STDMETHODIMP ValueOrDefault(VARIANT* value, VARIANT* default_value, VARIANT* result) override;

private:
    ValueToolsObject() = default;
    ~ValueToolsObject() = default;
};

}  // namespace ambrelle
