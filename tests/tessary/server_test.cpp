// What a container sees of Tessary.ocx before it hosts it: registration, the
// type library, the event set and the OLE interfaces.
#include <gtest/gtest.h>
#include <olectl.h>
#include <wrl/client.h>

#include <string>
#include <vector>

#include "grid_host.h"
#include "tessary_identity.h"
#include "tessary_lib.h"
#include "test_support.h"

using Microsoft::WRL::ComPtr;
using namespace ambrelle_test;

namespace {

std::wstring GuidText(REFGUID guid) {
    wchar_t text[39];
    StringFromGUID2(guid, text, 39);
    return text;
}

ComPtr<ITypeLib> LoadOcxTypeLib() {
    ComPtr<ITypeLib> typelib;
    LoadTypeLibEx(WindowsPath(TESSARY_OCX).c_str(), REGKIND_NONE, &typelib);
    return typelib;
}

std::wstring Name(ITypeInfo* info, MEMBERID member) {
    BSTR name = nullptr;
    info->GetDocumentation(member, &name, nullptr, nullptr, nullptr);
    std::wstring text = name ? name : L"";
    SysFreeString(name);
    return text;
}

class TessaryServer : public ::testing::Test {
protected:
    ComApartment apartment_;
};

TEST_F(TessaryServer, TheContractHeaderAgreesWithTheTypeLibrary) {
    EXPECT_EQ(tessary::LIBID_TESSARYLib, LIBID_TESSARYLib);
    EXPECT_EQ(tessary::CLSID_Tessary, CLSID_Tessary);
    EXPECT_EQ(tessary::IID_Control, IID_ITessary);
    EXPECT_EQ(tessary::DIID_Events, DIID__DTessaryEvents);
    EXPECT_EQ(tessary::IID_Sheet, IID_ITessarySheet);
    EXPECT_EQ(tessary::IID_Column, IID_ITessaryColumn);
    EXPECT_EQ(tessary::IID_Row, IID_ITessaryRow);
    EXPECT_EQ(L"{7206B154-AEEA-4714-9D68-C66785990071}", GuidText(tessary::LIBID_TESSARYLib));
    EXPECT_EQ(L"{F8EDF3B6-D853-4E8A-9F56-3FFA6E7B3E66}", GuidText(tessary::CLSID_Tessary));
    EXPECT_EQ(L"{3E4364D5-1D5C-4AF5-B28A-08CBD102E050}", GuidText(tessary::IID_Control));
    EXPECT_EQ(L"{E5A40891-6FA6-443D-8EBE-47E6E3201EAE}", GuidText(tessary::DIID_Events));
}

TEST_F(TessaryServer, IsRegisteredAsAnApartmentControlUnderBothProgIds) {
    const std::wstring clsid = GuidText(tessary::CLSID_Tessary);
    const std::wstring key = L"CLSID\\" + clsid;
    std::wstring value;
    for (const wchar_t* prog_id : {tessary::kProgId, tessary::kVersionedProgId}) {
        CLSID found = {};
        EXPECT_EQ(S_OK, CLSIDFromProgID(prog_id, &found)) << prog_id;
        EXPECT_EQ(tessary::CLSID_Tessary, found) << prog_id;
    }
    ASSERT_TRUE(ReadRegistryText(HKEY_CLASSES_ROOT, key + L"\\InprocServer32", nullptr, &value));
    EXPECT_EQ(L"Tessary.ocx", value.substr(value.find_last_of(L'\\') + 1));
    ASSERT_TRUE(ReadRegistryText(HKEY_CLASSES_ROOT, key + L"\\InprocServer32", L"ThreadingModel", &value));
    EXPECT_EQ(L"Apartment", value);
    EXPECT_TRUE(RegistryKeyExists(HKEY_CLASSES_ROOT, key + L"\\Control"));
    ASSERT_TRUE(ReadRegistryText(HKEY_CLASSES_ROOT, key + L"\\TypeLib", nullptr, &value));
    EXPECT_EQ(GuidText(tessary::LIBID_TESSARYLib), value);
    ASSERT_TRUE(ReadRegistryText(HKEY_CLASSES_ROOT, key + L"\\MiscStatus\\1", nullptr, &value));
    const DWORD misc = static_cast<DWORD>(std::stoul(value));
    EXPECT_TRUE(misc & OLEMISC_ACTIVATEWHENVISIBLE);
    EXPECT_TRUE(misc & OLEMISC_SETCLIENTSITEFIRST);
    ASSERT_TRUE(ReadRegistryText(HKEY_CLASSES_ROOT, key + L"\\VersionIndependentProgID", nullptr, &value));
    EXPECT_EQ(tessary::kProgId, value);
    EXPECT_TRUE(RegistryKeyExists(HKEY_CLASSES_ROOT, L"TypeLib\\" + GuidText(tessary::LIBID_TESSARYLib) + L"\\1.0"));
}

TEST_F(TessaryServer, EmbedsItsTypeLibraryWithTheControlAndItsSubObjects) {
    ComPtr<ITypeLib> typelib = LoadOcxTypeLib();
    ASSERT_TRUE(typelib);
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(S_OK, typelib->GetLibAttr(&attr));
    EXPECT_EQ(tessary::LIBID_TESSARYLib, attr->guid);
    EXPECT_EQ(1, attr->wMajorVerNum);
    typelib->ReleaseTLibAttr(attr);

    ComPtr<ITypeInfo> coclass;
    ASSERT_EQ(S_OK, typelib->GetTypeInfoOfGuid(tessary::CLSID_Tessary, &coclass));
    TYPEATTR* type = nullptr;
    ASSERT_EQ(S_OK, coclass->GetTypeAttr(&type));
    EXPECT_EQ(TKIND_COCLASS, type->typekind);
    EXPECT_TRUE(type->wTypeFlags & TYPEFLAG_FCONTROL);
    const WORD interfaces = type->cImplTypes;
    coclass->ReleaseTypeAttr(type);
    bool default_source = false;
    for (UINT i = 0; i < interfaces; ++i) {
        INT flags = 0;
        HREFTYPE href;
        ComPtr<ITypeInfo> implemented;
        ASSERT_EQ(S_OK, coclass->GetImplTypeFlags(i, &flags));
        ASSERT_EQ(S_OK, coclass->GetRefTypeOfImplType(i, &href));
        ASSERT_EQ(S_OK, coclass->GetRefTypeInfo(href, &implemented));
        TYPEATTR* implemented_attr = nullptr;
        ASSERT_EQ(S_OK, implemented->GetTypeAttr(&implemented_attr));
        if ((flags & IMPLTYPEFLAG_FDEFAULT) && (flags & IMPLTYPEFLAG_FSOURCE)) {
            default_source = implemented_attr->guid == tessary::DIID_Events;
        } else if (flags & IMPLTYPEFLAG_FDEFAULT) {
            EXPECT_EQ(tessary::IID_Control, implemented_attr->guid);
        }
        implemented->ReleaseTypeAttr(implemented_attr);
    }
    EXPECT_TRUE(default_source);
    for (REFIID iid : {tessary::IID_Sheet, tessary::IID_Column, tessary::IID_Row}) {
        ComPtr<ITypeInfo> info;
        EXPECT_EQ(S_OK, typelib->GetTypeInfoOfGuid(iid, &info)) << GuidText(iid);
    }
}

TEST_F(TessaryServer, EventSetHasTenEventsWithRowTextRequestAtPositionNine) {
    ComPtr<ITypeLib> typelib = LoadOcxTypeLib();
    ASSERT_TRUE(typelib);
    ComPtr<ITypeInfo> events;
    ASSERT_EQ(S_OK, typelib->GetTypeInfoOfGuid(tessary::DIID_Events, &events));
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(S_OK, events->GetTypeAttr(&attr));
    EXPECT_EQ(TKIND_DISPATCH, attr->typekind);
    ASSERT_EQ(10, attr->cFuncs);
    events->ReleaseTypeAttr(attr);
    const wchar_t* names[] = {L"Click",     L"DblClick",  L"KeyDown", L"KeyPress",  L"KeyUp",
                              L"MouseDown", L"MouseMove", L"MouseUp", L"SelChange", L"RowTextRequest"};
    for (UINT i = 0; i < 10; ++i) {
        FUNCDESC* func = nullptr;
        ASSERT_EQ(S_OK, events->GetFuncDesc(i, &func));
        EXPECT_EQ(static_cast<MEMBERID>(i + 1), func->memid) << i;
        EXPECT_EQ(names[i], Name(events.Get(), func->memid)) << i;
        if (i == 9) {
            ASSERT_EQ(4, func->cParams);
            EXPECT_EQ(VT_I4, func->lprgelemdescParam[0].tdesc.vt);
            const VARTYPE pointed[] = {VT_BSTR, VT_I4, VT_I4};
            for (int p = 1; p < 4; ++p) {
                ASSERT_EQ(VT_PTR, func->lprgelemdescParam[p].tdesc.vt) << p;
                EXPECT_EQ(pointed[p - 1], func->lprgelemdescParam[p].tdesc.lptdesc->vt) << p;
            }
        }
        events->ReleaseFuncDesc(func);
    }
}

TEST_F(TessaryServer, AnswersTheOleControlInterfacesAndNamesItsEventSet) {
    ComPtr<IUnknown> control;
    ASSERT_EQ(S_OK, CoCreateInstance(tessary::CLSID_Tessary, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&control)));
    const IID expected[] = {IID_IDispatch,          tessary::IID_Control,     IID_IOleObject,
                            IID_IOleInPlaceObject,   IID_IOleInPlaceActiveObject, IID_IOleControl,
                            IID_IPersistStreamInit,  IID_IViewObject2,        IID_IConnectionPointContainer,
                            IID_IProvideClassInfo2, IID_IOleWindow};
    for (REFIID iid : expected) {
        ComPtr<IUnknown> answered;
        EXPECT_EQ(S_OK, control->QueryInterface(iid, reinterpret_cast<void**>(answered.GetAddressOf()))) << GuidText(iid);
    }
    ComPtr<IProvideClassInfo2> class_info;
    ASSERT_EQ(S_OK, control.As(&class_info));
    GUID source = GUID_NULL;
    EXPECT_EQ(S_OK, class_info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source));
    EXPECT_EQ(tessary::DIID_Events, source);
    ComPtr<ITypeInfo> coclass;
    ASSERT_EQ(S_OK, class_info->GetClassInfo(&coclass));
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(S_OK, coclass->GetTypeAttr(&attr));
    EXPECT_EQ(tessary::CLSID_Tessary, attr->guid);
    coclass->ReleaseTypeAttr(attr);

    ComPtr<IConnectionPointContainer> container;
    ASSERT_EQ(S_OK, control.As(&container));
    ComPtr<IConnectionPoint> point;
    EXPECT_EQ(CONNECT_E_NOCONNECTION, container->FindConnectionPoint(IID_IPropertyNotifySink, &point));
    ComPtr<IEnumConnectionPoints> points;
    ASSERT_EQ(S_OK, container->EnumConnectionPoints(&points));
    IConnectionPoint* listed[2] = {};
    ULONG fetched = 0;
    EXPECT_EQ(S_FALSE, points->Next(2, listed, &fetched));
    ASSERT_EQ(1u, fetched);
    IID listed_iid = GUID_NULL;
    EXPECT_EQ(S_OK, listed[0]->GetConnectionInterface(&listed_iid));
    EXPECT_EQ(tessary::DIID_Events, listed_iid);
    listed[0]->Release();
    points.Reset();
    class_info.Reset();
    container.Reset();
    EXPECT_EQ(0u, control.Reset());
}

TEST_F(TessaryServer, SeveralSinksConnectAndDisconnectByCookie) {
    ComPtr<IConnectionPointContainer> container;
    ASSERT_EQ(S_OK, CoCreateInstance(tessary::CLSID_Tessary, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&container)));
    ComPtr<IConnectionPoint> point;
    ASSERT_EQ(S_OK, container->FindConnectionPoint(tessary::DIID_Events, &point));
    auto first = tessary_test::RowSink::Make();
    auto second = tessary_test::RowSink::Make();
    DWORD cookies[2] = {0, 0};
    ASSERT_EQ(S_OK, point->Advise(first.Get(), &cookies[0]));
    ASSERT_EQ(S_OK, point->Advise(second.Get(), &cookies[1]));
    EXPECT_NE(cookies[0], cookies[1]);
    ComPtr<IEnumConnections> connections;
    ASSERT_EQ(S_OK, point->EnumConnections(&connections));
    CONNECTDATA data[3] = {};
    ULONG fetched = 0;
    EXPECT_EQ(S_FALSE, connections->Next(3, data, &fetched));
    EXPECT_EQ(2u, fetched);
    for (ULONG i = 0; i < fetched; ++i) data[i].pUnk->Release();
    EXPECT_EQ(S_OK, point->Unadvise(cookies[0]));
    EXPECT_EQ(CONNECT_E_NOCONNECTION, point->Unadvise(cookies[0]));
    EXPECT_EQ(S_OK, point->Unadvise(cookies[1]));
    connections.Reset();
    point.Reset();
    EXPECT_EQ(0u, container.Reset());
    EXPECT_EQ(0u, first.Reset());
}

}  // namespace
