// The IUnknown of this project's COM objects: QueryInterface from a table of
// the interfaces an object answers, and reference counting. A class names
// each of its interfaces once, with the IIDs it answers for it:
//
//   class Steering final : public ComObject<DualInterface<ISteering, IID_ISteering>,
//                                           SupportsErrorInfo<IID_ISteering>> { ... };
//
// Objects are made with one reference (their creator's) and delete
// themselves on their last Release.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "server_module.h"

namespace ambrelle {

// One entry of an object's interface table: its base class Base (a COM
// interface, or a class implementing one) answers QueryInterface for each of
// iids. The first entry that lists an IID answers it.
template <typename Base, const IID&... iids>
struct Answers {
    using Implementation = Base;
    static bool Lists(REFIID riid) { return ((riid == iids) || ...); }
};

// The object's bases, one for each entry, and QueryInterface through them.
// AddRef and Release are the object's own (ComObject), or another object's
// for a part that lives and dies with it.
template <typename... Entries>
class InterfaceTable : public Entries::Implementation... {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        IUnknown* found = nullptr;
        (void)((Entries::Lists(riid) && (found = Pointer<typename Entries::Implementation>()) != nullptr) || ...);
        *object = found;
        if (!found) return E_NOINTERFACE;
        found->AddRef();
        return S_OK;
    }

protected:
    InterfaceTable() = default;
    ~InterfaceTable() = default;
    InterfaceTable(const InterfaceTable&) = delete;
    InterfaceTable& operator=(const InterfaceTable&) = delete;

private:
    // Every COM interface derives from IUnknown alone, so the IUnknown of
    // an interface stands at the interface's own address.
    template <typename Base>
    IUnknown* Pointer() {
        return static_cast<Base*>(this);
    }
};

// Whether an object keeps the DLL loaded while it lives (DllCanUnloadNow).
enum class ModuleCount { kCounted, kUncounted };

// An object with a reference count of its own.
template <ModuleCount counting, typename... Entries>
class RefCountedObject : public InterfaceTable<Entries...> {
public:
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG refs = InterlockedDecrement(&refs_);
        if (refs == 0) delete this;
        return refs;
    }

protected:
    RefCountedObject() {
        if constexpr (counting == ModuleCount::kCounted) ModuleAddRef();
    }
    virtual ~RefCountedObject() {
        if constexpr (counting == ModuleCount::kCounted) ModuleRelease();
    }

private:
    LONG refs_ = 1;
};

// An object a client may hold: the DLL stays loaded while it lives.
template <typename... Entries>
using ComObject = RefCountedObject<ModuleCount::kCounted, Entries...>;

// An object of the DLL's own making that does not hold the DLL by itself
// (a window's sinks and sites, which live no longer than their window).
template <typename... Entries>
using UncountedComObject = RefCountedObject<ModuleCount::kUncounted, Entries...>;

// ISupportErrorInfo: the error object describes failures of the interfaces iids.
template <const IID&... iids>
class ErrorInfoSupport : public ISupportErrorInfo {
public:
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID riid) override { return ((riid == iids) || ...) ? S_OK : S_FALSE; }
};

template <const IID&... iids>
using SupportsErrorInfo = Answers<ErrorInfoSupport<iids...>, IID_ISupportErrorInfo>;

}  // namespace ambrelle
