// What ValueTools.dll serves: the class ValueTools.ValueTools.
#include "server_module.h"
#include "value_tools.h"
#include "value_tools_object.h"

namespace ambrelle {
namespace {

ServedClass g_classes[] = {
    {{&CLSID_ValueTools, L"ValueTools", L"ValueTools.ValueTools", L"Apartment", &LIBID_ValueToolsLib},
     &ValueToolsObject::Create},
};

}  // namespace

const ServerDefinition kThisServer = {g_classes, ARRAYSIZE(g_classes)};

}  // namespace ambrelle
