// What the benchmarks share: a clock, medians, and the late-bound calls a
// host makes to create objects and publish the session string.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <wrl/client.h>

#include <vector>

namespace bench {

// Seconds from the performance counter.
double Now();
// The middle value (0 for none).
double Median(std::vector<double> values);

HRESULT CreateByProgId(const wchar_t* prog_id, Microsoft::WRL::ComPtr<IDispatch>* object);
// A late-bound call by name; a property put passes its one argument as the value.
HRESULT Call(IDispatch* object, const wchar_t* name, WORD flags, VARIANT* args, UINT count, VARIANT* result);
// A new ClsValidate, created by its ProgID, with FID and QueryClass put as a
// host puts them (by reference).
HRESULT NewQuery(LONG fid, LONG kind, Microsoft::WRL::ComPtr<IDispatch>* validate);
// Puts `session` as this process's session string into the shared properties.
HRESULT PublishSessionString(const wchar_t* session);

}  // namespace bench
