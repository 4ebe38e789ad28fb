// What Ambrelle.dll serves: the class Ambrelle.ClsValidate, and the
// registration of its interface under both of its IIDs.
#include <olectl.h>

#include "ambrelle.h"
#include "cls_validate.h"
#include "frm_validate_query.h"
#include "server_module.h"

namespace ambrelle {
namespace {

constexpr WORD kTypeLibMajor = 1;
constexpr WORD kTypeLibMinor = 1;

ServedClass g_classes[] = {
    {{&CLSID_ClsValidate, L"Ambrelle.ClsValidate", L"Ambrelle.ClsValidate", L"Apartment", &LIBID_Ambrelle},
     &ClsValidate::Create},
};

// The type library registers the current IID; the first version's IID is
// an alias there, so it is registered here, under the interface's name.
HRESULT RegisterInterfaces() {
    HRESULT hr = RegisterAutomationInterface(IID__ClsValidate, L"_ClsValidate", LIBID_Ambrelle, kTypeLibMajor,
                                             kTypeLibMinor);
    if (SUCCEEDED(hr))
        hr = RegisterAutomationInterface(IID_ClsValidate_v0, L"_ClsValidate", LIBID_Ambrelle, kTypeLibMajor,
                                         kTypeLibMinor);
    return FAILED(hr) ? SELFREG_E_CLASS : S_OK;
}

HRESULT UnregisterInterfaces() {
    HRESULT v0_hr = UnregisterInterface(IID_ClsValidate_v0);
    HRESULT current_hr = UnregisterInterface(IID__ClsValidate);
    return FAILED(v0_hr) || FAILED(current_hr) ? SELFREG_E_CLASS : S_OK;
}

// The window objects the threads kept go with the DLL.
void ReleaseWindows(HINSTANCE) { FrmValidateQuery::ReleaseAllInstances(); }

}  // namespace

const ServerDefinition kThisServer = {g_classes, ARRAYSIZE(g_classes), &RegisterInterfaces, &UnregisterInterfaces,
                                      &ReleaseWindows};

}  // namespace ambrelle
