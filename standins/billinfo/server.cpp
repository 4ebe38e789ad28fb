// What BillInfo.dll serves: the service Quistral.IBillInfo and its steering
// class Quistral.IBillInfo.Steering.
#include "bill_info_object.h"
#include "bill_info_steering.h"
#include "server_module.h"
#include "steering_object.h"

namespace ambrelle {
namespace {

// {43E63261-5F42-4926-A109-18013B8C9130}
const CLSID kClsidBillInfo = {0x43E63261, 0x5F42, 0x4926, {0xA1, 0x09, 0x18, 0x01, 0x3B, 0x8C, 0x91, 0x30}};

ServedClass g_classes[] = {
    {{&kClsidBillInfo, L"Quistral.IBillInfo", L"Quistral.IBillInfo", L"Apartment", nullptr}, &BillInfoObject::Create},
    {{&CLSID_BillInfoSteering, L"Quistral.IBillInfo.Steering", L"Quistral.IBillInfo.Steering", L"Apartment",
      &LIBID_BillInfoLib},
     &SteeringObject::Create},
};

}  // namespace

const ServerDefinition kThisServer = {g_classes, ARRAYSIZE(g_classes)};

}  // namespace ambrelle
