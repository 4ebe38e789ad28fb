// The embedded type library as a client reads it.
#include <gtest/gtest.h>
#include <wrl/client.h>

#include "ambrelle_ids.h"
#include "test_support.h"
#include "unique_bstr.h"

using ambrelle::UniqueBstr;
using Microsoft::WRL::ComPtr;
using namespace ambrelle_test;

namespace {

class AmbrelleTypeLib : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(S_OK, LoadTypeLibEx(WindowsPath(AMBRELLE_DLL).c_str(), REGKIND_NONE, &lib_)); }

    ComPtr<ITypeInfo> InfoOf(REFGUID guid) {
        ComPtr<ITypeInfo> info;
        EXPECT_EQ(S_OK, lib_->GetTypeInfoOfGuid(guid, &info));
        return info;
    }
    // The type `info` implements at `index` (-1: a dual interface's vtable half).
    static ComPtr<ITypeInfo> ImplementedBy(ITypeInfo* info, UINT index) {
        HREFTYPE href = 0;
        ComPtr<ITypeInfo> implemented;
        EXPECT_EQ(S_OK, info->GetRefTypeOfImplType(index, &href));
        EXPECT_EQ(S_OK, info->GetRefTypeInfo(href, &implemented));
        return implemented;
    }

    ComApartment apartment_;
    ComPtr<ITypeLib> lib_;
};

struct TypeAttr {
    explicit TypeAttr(ITypeInfo* info) : info_(info) { info_->GetTypeAttr(&attr_); }
    ~TypeAttr() {
        if (attr_) info_->ReleaseTypeAttr(attr_);
    }
    TYPEATTR* operator->() const { return attr_; }
    ITypeInfo* info_;
    TYPEATTR* attr_ = nullptr;
};

}  // namespace

// The library is built for the target of the build: 32-bit Windows for the
// component that ships, 64-bit where the tests run on a 64-bit build.
constexpr SYSKIND kTargetSysKind = sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32;
// One vtable entry: 4 bytes in the 32-bit component.
constexpr short kSlot = sizeof(void*);

TEST_F(AmbrelleTypeLib, LibraryIsAmbrelleOnePointOneForUsEnglishOnTheTarget) {
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(S_OK, lib_->GetLibAttr(&attr));
    EXPECT_TRUE(IsEqualGUID(kLibId, attr->guid));
    EXPECT_EQ(1, attr->wMajorVerNum);
    EXPECT_EQ(1, attr->wMinorVerNum);
    EXPECT_EQ(0x0409u, attr->lcid);
    EXPECT_EQ(kTargetSysKind, attr->syskind);
    lib_->ReleaseTLibAttr(attr);

    UniqueBstr name, doc;
    ASSERT_EQ(S_OK, lib_->GetDocumentation(-1, name.put(), doc.put(), nullptr, nullptr));
    EXPECT_STREQ(L"Ambrelle", name.c_str());
    EXPECT_STREQ(L"Ambrelle: approval history of a bill", doc.c_str());
    EXPECT_EQ(3u, lib_->GetTypeInfoCount());

    // stdole2 is imported for IDispatch.
    ComPtr<ITypeInfo> base = ImplementedBy(InfoOf(kIid).Get(), 0);
    ASSERT_TRUE(base);
    ComPtr<ITypeLib> base_lib;
    UINT index;
    ASSERT_EQ(S_OK, base->GetContainingTypeLib(&base_lib, &index));
    UniqueBstr base_lib_name;
    ASSERT_EQ(S_OK, base_lib->GetDocumentation(-1, base_lib_name.put(), nullptr, nullptr, nullptr));
    EXPECT_STREQ(L"stdole", base_lib_name.c_str());
}

TEST_F(AmbrelleTypeLib, ClsValidateInterfaceIsAHiddenNonextensibleDual) {
    ComPtr<ITypeInfo> info = InfoOf(kIid);
    TypeAttr attr(info.Get());
    EXPECT_EQ(TKIND_DISPATCH, attr->typekind);
    const WORD common = TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FDISPATCHABLE;
    EXPECT_EQ(common, attr->wTypeFlags & common);
    EXPECT_EQ(1, attr->wMajorVerNum);
    EXPECT_EQ(1, attr->wMinorVerNum);
    EXPECT_EQ(7 * kSlot, attr->cbSizeVft) << "the dispatch half has IDispatch's seven entries";
    UniqueBstr name;
    ASSERT_EQ(S_OK, info->GetDocumentation(MEMBERID_NIL, name.put(), nullptr, nullptr, nullptr));
    EXPECT_STREQ(L"_ClsValidate", name.c_str());

    ComPtr<ITypeInfo> vtable_half = ImplementedBy(info.Get(), -1);
    ASSERT_TRUE(vtable_half);
    TypeAttr vtable_attr(vtable_half.Get());
    EXPECT_EQ(TKIND_INTERFACE, vtable_attr->typekind);
    EXPECT_EQ(common | TYPEFLAG_FOLEAUTOMATION, vtable_attr->wTypeFlags);
    EXPECT_EQ(10 * kSlot, vtable_attr->cbSizeVft) << "IUnknown, IDispatch and the three members";
}

TEST_F(AmbrelleTypeLib, MembersHaveTheirDispidsVtableSlotsAndShapes) {
    ComPtr<ITypeInfo> dispatch_half = InfoOf(kIid);
    ComPtr<ITypeInfo> vtable_half = ImplementedBy(dispatch_half.Get(), -1);
    ASSERT_TRUE(vtable_half);
    TypeAttr attr(vtable_half.Get());
    EXPECT_EQ(TKIND_INTERFACE, attr->typekind);
    ASSERT_EQ(3, attr->cFuncs);

    struct Expected {
        const wchar_t* name;
        MEMBERID id;
        INVOKEKIND kind;
        short vtable_offset;
        VARTYPE param;
        USHORT param_flags;
    } table[] = {
        // Listed as FID, QueryClass, show; the vtable holds FID, show, QueryClass.
        {L"FID", 0x68030000, INVOKE_PROPERTYPUT, 7 * kSlot, VT_PTR, PARAMFLAG_FIN | PARAMFLAG_FOUT},
        {L"QueryClass", 0x68030003, INVOKE_PROPERTYPUT, 9 * kSlot, VT_PTR, PARAMFLAG_FIN | PARAMFLAG_FOUT},
        {L"show", 0x60030002, INVOKE_FUNC, 8 * kSlot, VT_PTR, PARAMFLAG_FOUT | PARAMFLAG_FRETVAL},
    };
    for (UINT i = 0; i < 3; ++i) {
        FUNCDESC* func = nullptr;
        ASSERT_EQ(S_OK, vtable_half->GetFuncDesc(i, &func));
        const Expected& want = table[i];
        UniqueBstr name;
        ASSERT_EQ(S_OK, vtable_half->GetDocumentation(func->memid, name.put(), nullptr, nullptr, nullptr));
        EXPECT_STREQ(want.name, name.c_str());
        EXPECT_EQ(want.id, func->memid) << i;
        EXPECT_EQ(want.kind, func->invkind) << i;
        EXPECT_EQ(want.vtable_offset, func->oVft) << i;
        EXPECT_EQ(CC_STDCALL, func->callconv);
        EXPECT_EQ(VT_HRESULT, func->elemdescFunc.tdesc.vt);
        ASSERT_EQ(1, func->cParams);
        EXPECT_EQ(want.param, func->lprgelemdescParam[0].tdesc.vt);
        EXPECT_EQ(i == 2 ? VT_BOOL : VT_I4, func->lprgelemdescParam[0].tdesc.lptdesc->vt);
        EXPECT_EQ(want.param_flags, func->lprgelemdescParam[0].paramdesc.wParamFlags);
        // Parameters are unnamed: the member's name alone.
        BSTR names[2] = {};
        UINT count = 0;
        EXPECT_EQ(S_OK, vtable_half->GetNames(func->memid, names, 2, &count));
        EXPECT_EQ(1u, count) << i;
        for (UINT n = 0; n < count; ++n) SysFreeString(names[n]);
        vtable_half->ReleaseFuncDesc(func);
    }

    // The dispatch half, as an object browser shows it, lists them in the same
    // order after IDispatch's seven.
    TypeAttr dispatch_attr(dispatch_half.Get());
    ASSERT_EQ(7 + 3, dispatch_attr->cFuncs);
    for (UINT i = 0; i < 3; ++i) {
        FUNCDESC* listed = nullptr;
        ASSERT_EQ(S_OK, dispatch_half->GetFuncDesc(7 + i, &listed));
        UniqueBstr name;
        ASSERT_EQ(S_OK, dispatch_half->GetDocumentation(listed->memid, name.put(), nullptr, nullptr, nullptr));
        EXPECT_STREQ(table[i].name, name.c_str()) << i;
        dispatch_half->ReleaseFuncDesc(listed);
    }

    // No property get: FID and QueryClass are write-only.
    FUNCDESC* func = nullptr;
    UINT index = 0;
    for (; SUCCEEDED(vtable_half->GetFuncDesc(index, &func)); ++index) {
        EXPECT_NE(INVOKE_PROPERTYGET, func->invkind);
        vtable_half->ReleaseFuncDesc(func);
    }
    EXPECT_EQ(3u, index);
}

TEST_F(AmbrelleTypeLib, CoclassIsCreatableWithOneDefaultInterface) {
    ComPtr<ITypeInfo> info = InfoOf(kClsid);
    TypeAttr attr(info.Get());
    EXPECT_EQ(TKIND_COCLASS, attr->typekind);
    EXPECT_EQ(TYPEFLAG_FCANCREATE, attr->wTypeFlags);
    EXPECT_EQ(1, attr->wMajorVerNum);
    EXPECT_EQ(1, attr->wMinorVerNum);
    ASSERT_EQ(1, attr->cImplTypes);
    INT impl_flags = 0;
    ASSERT_EQ(S_OK, info->GetImplTypeFlags(0, &impl_flags));
    EXPECT_EQ(IMPLTYPEFLAG_FDEFAULT, impl_flags);
    HREFTYPE href;
    ASSERT_EQ(S_OK, info->GetRefTypeOfImplType(0, &href));
    ComPtr<ITypeInfo> impl;
    ASSERT_EQ(S_OK, info->GetRefTypeInfo(href, &impl));
    TypeAttr impl_attr(impl.Get());
    EXPECT_TRUE(IsEqualGUID(kIid, impl_attr->guid));
}

TEST_F(AmbrelleTypeLib, FirstVersionIidIsAHiddenAliasOfTheInterface) {
    ComPtr<ITypeInfo> info = InfoOf(kIidV0);
    TypeAttr attr(info.Get());
    EXPECT_EQ(TKIND_ALIAS, attr->typekind);
    EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FHIDDEN);
    EXPECT_EQ(1, attr->wMajorVerNum);
    EXPECT_EQ(0, attr->wMinorVerNum);
    UniqueBstr name;
    ASSERT_EQ(S_OK, info->GetDocumentation(MEMBERID_NIL, name.put(), nullptr, nullptr, nullptr));
    EXPECT_STREQ(L"ClsValidate___v0", name.c_str());
    ASSERT_EQ(VT_USERDEFINED, attr->tdescAlias.vt);
    ComPtr<ITypeInfo> aliased;
    ASSERT_EQ(S_OK, info->GetRefTypeInfo(attr->tdescAlias.hreftype, &aliased));
    TypeAttr aliased_attr(aliased.Get());
    EXPECT_TRUE(IsEqualGUID(kIid, aliased_attr->guid));
}
