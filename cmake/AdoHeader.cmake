# mingw-w64's ADO 2.x header (adoint_backcompat.h) has lines such as
# "Recordset;" after "EXTERN_C const CLSID CLSID_Recordset;", which g++
# rejects as declarations that declare nothing. The build uses a copy with
# those lines removed; common/ado.h includes it.
find_file(ADO_BACKCOMPAT_HEADER adoint_backcompat.h REQUIRED)
file(READ "${ADO_BACKCOMPAT_HEADER}" ado_header)
string(REGEX REPLACE "\n  (Connection|Record|Stream|Command|Recordset|Parameter);\n" "\n\n" ado_header "${ado_header}")
file(WRITE "${CMAKE_BINARY_DIR}/generated/adoint_backcompat_cxx.h" "${ado_header}")
