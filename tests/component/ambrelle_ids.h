// The fixed identifiers of Ambrelle.dll, written out: they must never change.
#pragma once

#include <windows.h>

namespace ambrelle_test {
// {DD30C739-3A44-4DE4-B4E5-5B0154EF7D4C}
const GUID kLibId = {0xDD30C739, 0x3A44, 0x4DE4, {0xB4, 0xE5, 0x5B, 0x01, 0x54, 0xEF, 0x7D, 0x4C}};
// {B2A704B3-3A4D-4941-A027-A6076D4D2192}
const CLSID kClsid = {0xB2A704B3, 0x3A4D, 0x4941, {0xA0, 0x27, 0xA6, 0x07, 0x6D, 0x4D, 0x21, 0x92}};
// {88FCC9DB-8745-4FEF-A099-0FB4D79DD954}
const IID kIid = {0x88FCC9DB, 0x8745, 0x4FEF, {0xA0, 0x99, 0x0F, 0xB4, 0xD7, 0x9D, 0xD9, 0x54}};
// {EE0605B6-F646-48D0-9FEC-8C698758F75F}
const IID kIidV0 = {0xEE0605B6, 0xF646, 0x48D0, {0x9F, 0xEC, 0x8C, 0x69, 0x87, 0x58, 0xF7, 0x5F}};
const wchar_t kLibIdText[] = L"{DD30C739-3A44-4DE4-B4E5-5B0154EF7D4C}";
const wchar_t kClsidText[] = L"{B2A704B3-3A4D-4941-A027-A6076D4D2192}";
const wchar_t kIidText[] = L"{88FCC9DB-8745-4FEF-A099-0FB4D79DD954}";
const wchar_t kIidV0Text[] = L"{EE0605B6-F646-48D0-9FEC-8C698758F75F}";
}  // namespace ambrelle_test
