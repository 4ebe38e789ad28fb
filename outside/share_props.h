// The shared-properties service as Ambrelle sees it. It is created by ProgID
// and driven through IDispatch: GetProperty is resolved by name and invoked
// as a method returning a VARIANT, with two arguments in this order (the
// DISPPARAMS array holds them in reverse):
//   1. the process id, VT_BYREF|VT_I4;
//   2. the property name, VT_BYREF|VT_BSTR.
// The value is whatever the host published for that process and name:
// Empty when nothing was published, or an object whose default value
// (DISPID_VALUE) is the text.
#pragma once

namespace ambrelle {
namespace share_props {

constexpr wchar_t kProgId[] = L"Venlock.ShareProps";
constexpr wchar_t kGetProperty[] = L"GetProperty";
constexpr unsigned kGetPropertyArgCount = 2;

// The host's session properties string.
constexpr wchar_t kPropsString[] = L"PropsString";

}  // namespace share_props
}  // namespace ambrelle
