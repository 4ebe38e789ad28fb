// The end of a thread's apartment. What the component keeps for a thread (its
// window object, with the records it shows, and its settings and value
// components) belongs to the thread's apartment and has one owner: a watch
// registered on the thread's first show, which releases all of it when the
// apartment ends (its last CoUninitialize), while the objects it holds can
// still run their code.
#pragma once

#include <windows.h>
#include <ole2.h>

namespace ambrelle {

// Registers the calling thread's watch unless it has one. False when none
// could be registered: nothing kept for the thread may then outlive the show
// (ReleaseUnwatchedThreadObjects), or a later show would use objects of an
// apartment that has ended.
bool WatchThisApartment();

// Releases what the component keeps for the calling thread (a window that is
// shown stays).
void ReleaseThreadObjects();

// The DLL is being unloaded: the calling thread's watch is revoked (those of
// other threads cannot be; the DLL unloads with them alive only when a host
// forces it).
void ForgetThisApartment();

// At the end of a show: releases what the component keeps for the calling
// thread when no watch would release it at the apartment's end.
void ReleaseUnwatchedThreadObjects();

// How the watch is registered (CoRegisterInitializeSpy); tests put in another.
using InitializeSpyRegistrar = HRESULT(STDAPICALLTYPE*)(IInitializeSpy* spy, ULARGE_INTEGER* cookie);
void SetInitializeSpyRegistrar(InitializeSpyRegistrar registrar);

}  // namespace ambrelle
