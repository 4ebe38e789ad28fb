// An object whose default value (DISPID_VALUE, also named "Value") is a
// text: what GetProperty answers when a test steers it to answer an object.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <string>

#include "dispatch_support.h"

namespace ambrelle {

class TextValueObject final : public HandWrittenDispatchObject<TextValueObject> {
public:
    static HRESULT Create(const std::wstring& text, IDispatch** object);
    // One read-only property.
    static constexpr DispatchMember kMembers[] = {{L"Value", DISPID_VALUE}};

private:
    explicit TextValueObject(const std::wstring& text) : text_(text) {}
    ~TextValueObject() = default;
    HRESULT InvokeMember(DISPID member, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep,
                         UINT* arg_err) override;

    std::wstring text_;
};

}  // namespace ambrelle
