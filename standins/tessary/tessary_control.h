// The Tessary grid control: the COM object a container hosts. It answers the
// standard OLE control interfaces, its automation interface ITessary, and
// raises its events through one connection point; the window is a GridView.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include <olectl.h>
#include <wrl/client.h>

#include <string>
#include <utility>
#include <vector>

#include "automation_objects.h"
#include "event_connection.h"
#include "grid_model.h"
#include "com_object.h"
#include "grid_view.h"
#include "type_info_dispatch.h"
#include "tessary_lib.h"

namespace tessary {

class TessaryControl final
    : public ambrelle::ComObject<
          ambrelle::Answers<ambrelle::TypeInfoDispatch<ITessary>, IID_IUnknown, IID_IDispatch, IID_ITessary>,
          ambrelle::Answers<IOleObject, IID_IOleObject>,
          ambrelle::Answers<IOleInPlaceObject, IID_IOleWindow, IID_IOleInPlaceObject>,
          ambrelle::Answers<IOleInPlaceActiveObject, IID_IOleInPlaceActiveObject>,
          ambrelle::Answers<IOleControl, IID_IOleControl>,
          ambrelle::Answers<IPersistStreamInit, IID_IPersist, IID_IPersistStreamInit>,
          ambrelle::Answers<IViewObject2, IID_IViewObject, IID_IViewObject2>,
          ambrelle::Answers<IConnectionPointContainer, IID_IConnectionPointContainer>,
          ambrelle::Answers<IProvideClassInfo2, IID_IProvideClassInfo, IID_IProvideClassInfo2>,
          ambrelle::SupportsErrorInfo<IID_ITessary>>,
      private GridViewHost {
public:
    static HRESULT Create(REFIID riid, void** object);

    // IDispatch: the sheet and row objects directly, the rest through the type library
    STDMETHODIMP Invoke(DISPID member, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excep, UINT* arg_err) override;

    // ITessary
    STDMETHODIMP get_Sheet(IDispatch** sheet) override;
    STDMETHODIMP get_Column(VARIANT number, IDispatch** column) override;
    STDMETHODIMP get_Row(VARIANT index, IDispatch** row) override;
    STDMETHODIMP get_hWnd(LONG* window) override;

    // IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* site) override;
    STDMETHODIMP GetClientSite(IOleClientSite** site) override;
    STDMETHODIMP SetHostNames(LPCOLESTR app, LPCOLESTR object) override;
    STDMETHODIMP Close(DWORD save_option) override;
    STDMETHODIMP SetMoniker(DWORD which, IMoniker* moniker) override;
    STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
    STDMETHODIMP InitFromData(IDataObject* data, BOOL creation, DWORD reserved) override;
    STDMETHODIMP GetClipboardData(DWORD reserved, IDataObject** data) override;
    STDMETHODIMP DoVerb(LONG verb, LPMSG msg, IOleClientSite* active_site, LONG index, HWND parent,
                        LPCRECT position) override;
    STDMETHODIMP EnumVerbs(IEnumOLEVERB** verbs) override;
    STDMETHODIMP Update() override;
    STDMETHODIMP IsUpToDate() override;
    STDMETHODIMP GetUserClassID(CLSID* clsid) override;
    STDMETHODIMP GetUserType(DWORD form, LPOLESTR* type) override;
    STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP Advise(IAdviseSink* sink, DWORD* connection) override;
    STDMETHODIMP Unadvise(DWORD connection) override;
    STDMETHODIMP EnumAdvise(IEnumSTATDATA** advise) override;
    STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override;
    STDMETHODIMP SetColorScheme(LOGPALETTE* palette) override;

    // IOleWindow (IOleInPlaceObject and IOleInPlaceActiveObject)
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL enter) override;

    // IOleInPlaceObject
    STDMETHODIMP InPlaceDeactivate() override;
    STDMETHODIMP UIDeactivate() override;
    STDMETHODIMP SetObjectRects(LPCRECT position, LPCRECT clip) override;
    STDMETHODIMP ReactivateAndUndo() override;

    // IOleInPlaceActiveObject
    STDMETHODIMP TranslateAccelerator(LPMSG msg) override;
    STDMETHODIMP OnFrameWindowActivate(BOOL activate) override;
    STDMETHODIMP OnDocWindowActivate(BOOL activate) override;
    STDMETHODIMP ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frame) override;
    STDMETHODIMP EnableModeless(BOOL enable) override;

    // IOleControl
    STDMETHODIMP GetControlInfo(CONTROLINFO* info) override;
    STDMETHODIMP OnMnemonic(MSG* msg) override;
    STDMETHODIMP OnAmbientPropertyChange(DISPID dispid) override;
    STDMETHODIMP FreezeEvents(BOOL freeze) override;

    // IPersistStreamInit
    STDMETHODIMP GetClassID(CLSID* clsid) override;
    STDMETHODIMP IsDirty() override;
    STDMETHODIMP Load(LPSTREAM stream) override;
    STDMETHODIMP Save(LPSTREAM stream, BOOL clear_dirty) override;
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;
    STDMETHODIMP InitNew() override;

    // IViewObject2
    STDMETHODIMP Draw(DWORD aspect, LONG index, void* aspect_info, DVTARGETDEVICE* target, HDC target_dc, HDC dc,
                      LPCRECTL bounds, LPCRECTL window_bounds, BOOL(STDMETHODCALLTYPE* should_continue)(ULONG_PTR),
                      ULONG_PTR continue_arg) override;
    STDMETHODIMP GetColorSet(DWORD aspect, LONG index, void* aspect_info, DVTARGETDEVICE* target, HDC target_dc,
                             LOGPALETTE** colours) override;
    STDMETHODIMP Freeze(DWORD aspect, LONG index, void* aspect_info, DWORD* freeze) override;
    STDMETHODIMP Unfreeze(DWORD freeze) override;
    STDMETHODIMP SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
    STDMETHODIMP GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
    STDMETHODIMP GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* target, LPSIZEL size) override;

    // IConnectionPointContainer
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) override;
    STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** point) override;

    // IProvideClassInfo2
    STDMETHODIMP GetClassInfo(ITypeInfo** info) override;
    STDMETHODIMP GetGUID(DWORD kind, GUID* guid) override;

    // For the sheet, column and row objects.
    GridModel& model() { return model_; }
    HRESULT TypeInfoOf(REFIID iid, ITypeInfo** info);
    void RowCountChanged();
    void ColumnsChanged();
    void RowMarkChanged(LONG row);
    void RefreshRows();

protected:
    // IDispatch, through the type library
    HRESULT InterfaceTypeInfo(ITypeInfo** info) override { return TypeInfoOf(IID_ITessary, info); }

private:
    TessaryControl();
    ~TessaryControl();

    // GridViewHost
    HRESULT RequestRowText(LONG row, std::wstring* text, COLORREF* colour) override;
    void FireMouse(DISPID event, short button, short shift, float x_twips, float y_twips) override;
    void FireKey(DISPID event, short* key, short shift) override;
    void FireSimple(DISPID event) override;
    void OnViewFocus(bool gained) override;
    IDispatch* DispatchForWindow() override;

    bool EventsFlow() const { return freeze_count_ == 0 && events_.HasSinks(); }
    HRESULT ActivateInPlace(IOleClientSite* site, HWND parent_hint, LPCRECT position_hint, bool ui_activate);
    void ActivateUi();
    void DestroyView();
    void UpdateFont();
    bool ReadAmbientFont(LOGFONTW* font);
    void NotifyViewChange();
    static void OnSinkConnected(void* control);

    GridModel model_;
    GridSheet sheet_{this};
    EventConnectionPoint events_;
    std::vector<std::pair<IID, Microsoft::WRL::ComPtr<ITypeInfo>>> type_infos_;

    Microsoft::WRL::ComPtr<IOleClientSite> client_site_;
    Microsoft::WRL::ComPtr<IOleInPlaceSite> in_place_site_;
    Microsoft::WRL::ComPtr<IOleInPlaceFrame> frame_;
    Microsoft::WRL::ComPtr<IOleInPlaceUIWindow> document_;
    Microsoft::WRL::ComPtr<IOleAdviseHolder> advise_holder_;
    Microsoft::WRL::ComPtr<IAdviseSink> view_sink_;
    DWORD view_sink_aspects_ = 0;
    DWORD view_sink_flags_ = 0;

    GridView* view_ = nullptr;  // while in-place active
    bool ui_active_ = false;
    RECT position_ = {};
    SIZEL extent_himetric_ = {};
    HFONT font_ = nullptr;
    LONG freeze_count_ = 0;
    unsigned saved_revision_ = 0;
};

}  // namespace tessary
