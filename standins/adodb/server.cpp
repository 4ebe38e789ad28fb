// What AdoRecordsetStandin.dll serves: the platform's ADODB.Recordset class,
// in the project's Wine prefix, in place of Wine's own ADO, whose Recordset
// lacks Collect and Move.
#include "ado.h"
#include "recordset.h"
#include "server_module.h"

namespace ambrelle {
namespace {

// The type library's own identifier: it describes the record set's interfaces
// for IDispatch and marshaling, and never stands in for ADO's type library.
// {6E0C3C52-58B1-4C5E-9A0B-1F3D7B2A9C41}
const GUID kLibId = {0x6E0C3C52, 0x58B1, 0x4C5E, {0x9A, 0x0B, 0x1F, 0x3D, 0x7B, 0x2A, 0x9C, 0x41}};

// Apartment, not ADO's optional "Both": the record set has no locking of its
// own, and every client of this project calls it from a single-threaded
// apartment. Removal leaves the class to another server it is registered to.
ServedClass g_classes[] = {
    {{&CLSID_Recordset, L"ADODB.Recordset", L"ADODB.Recordset", L"Apartment", &kLibId, false,
      /*only_while_ours=*/true},
     &ado_standin::Recordset::Create},
};

}  // namespace

const ServerDefinition kThisServer = {g_classes, ARRAYSIZE(g_classes)};

}  // namespace ambrelle
