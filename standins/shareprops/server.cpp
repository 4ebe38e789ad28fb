// What ShareProps.dll serves: the service Venlock.ShareProps and its steering
// class Venlock.ShareProps.Steering.
#include "server_module.h"
#include "share_props_object.h"
#include "share_props_steering.h"
#include "steering_object.h"

namespace ambrelle {
namespace {

// {F0E68AF4-7B36-43DF-8CBE-56F13607ADEB}
const CLSID kClsidShareProps = {0xF0E68AF4, 0x7B36, 0x43DF, {0x8C, 0xBE, 0x56, 0xF1, 0x36, 0x07, 0xAD, 0xEB}};

ServedClass g_classes[] = {
    {{&kClsidShareProps, L"Venlock.ShareProps", L"Venlock.ShareProps", L"Apartment", nullptr},
     &SharePropsObject::Create},
    {{&CLSID_SharePropsSteering, L"Venlock.ShareProps.Steering", L"Venlock.ShareProps.Steering", L"Apartment",
      &LIBID_SharePropsLib},
     &SteeringObject::Create},
};

}  // namespace

const ServerDefinition kThisServer = {g_classes, ARRAYSIZE(g_classes)};

}  // namespace ambrelle
