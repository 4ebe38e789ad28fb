// What SettingsStore.dll serves: the class SettingsStore.SettingsStore.
#include "server_module.h"
#include "settings_store.h"
#include "settings_store_object.h"

namespace ambrelle {
namespace {

ServedClass g_classes[] = {
    {{&CLSID_SettingsStore, L"SettingsStore", L"SettingsStore.SettingsStore", L"Apartment", &LIBID_SettingsStoreLib},
     &SettingsStoreObject::Create},
};

}  // namespace

const ServerDefinition kThisServer = {g_classes, ARRAYSIZE(g_classes)};

}  // namespace ambrelle
