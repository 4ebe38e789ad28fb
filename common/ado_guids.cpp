// The platform's ADO identifiers: declared by the ADO header, defined by no import library.
#include <initguid.h>

#include "ado.h"

#define ADO_GUID(name, l) \
    EXTERN_C const GUID name = {l, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x6d, 0x2e, 0xa4}}

ADO_GUID(CLSID_Recordset, 0x00000535);
ADO_GUID(IID__ADO, 0x00000534);
ADO_GUID(IID__ADOCollection, 0x00000512);
ADO_GUID(IID__ADODynaCollection, 0x00000513);
ADO_GUID(IID_Recordset15, 0x0000050E);
ADO_GUID(IID_Recordset20, 0x0000054F);
ADO_GUID(IID_Recordset21, 0x00000555);
ADO_GUID(IID__Recordset, 0x00000556);
ADO_GUID(IID_Fields15, 0x00000506);
ADO_GUID(IID_Fields20, 0x0000054D);
ADO_GUID(IID_Fields, 0x00000564);
ADO_GUID(IID_Field20, 0x0000054C);
ADO_GUID(IID_Field, 0x00000569);
