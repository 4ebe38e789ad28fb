// Hosts one ActiveX control in a window through the standard OLE container
// interfaces: client site, in-place site and frame, control site and ambient
// properties, and an event sink advised on the control's event interface.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include <wrl/client.h>

#include "com_object.h"
#include "dispatch_by_id.h"

namespace ambrelle {

class ControlSite final
    : public UncountedComObject<Answers<IOleClientSite, IID_IUnknown, IID_IOleClientSite>,
                                Answers<IOleInPlaceSite, IID_IOleWindow, IID_IOleInPlaceSite>,
                                Answers<IOleInPlaceFrame, IID_IOleInPlaceUIWindow, IID_IOleInPlaceFrame>,
                                Answers<IOleControlSite, IID_IOleControlSite>, Answers<DispatchById, IID_IDispatch>> {
public:
    // Creates the control by CLSID for parent and gives it this site; it is
    // shown once activated, at rect (pixels in the parent's client area).
    static HRESULT Create(HWND parent, REFCLSID clsid, const RECT& rect, IFontDisp* ambient_font, ControlSite** site);
    // Advises sink on the control's event interface events_iid.
    HRESULT Advise(REFIID events_iid, IDispatch* sink);
    // Makes the control in-place active in its parent.
    HRESULT Activate();

    // Disconnects the sink, deactivates and closes the control and drops it.
    void Close();

    IDispatch* control() const { return dispatch_.Get(); }
    HWND control_window() const;
    // Moves and sizes the control (pixels in the parent's client area).
    HRESULT SetRect(const RECT& rect);
    const RECT& rect() const { return rect_; }
    // Gives the control the keyboard focus (UI activation).
    void Focus();
    // Lets the active control handle an accelerator key first.
    bool TranslateAccelerator(MSG* msg);

    // IOleClientSite
    STDMETHODIMP SaveObject() override;
    STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
    STDMETHODIMP GetContainer(IOleContainer** container) override;
    STDMETHODIMP ShowObject() override;
    STDMETHODIMP OnShowWindow(BOOL show) override;
    STDMETHODIMP RequestNewObjectLayout() override;

    // IOleWindow (shared by the in-place site and the frame)
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL enter) override;

    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override;
    STDMETHODIMP OnInPlaceActivate() override;
    STDMETHODIMP OnUIActivate() override;
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, RECT* position, RECT* clip,
                                  OLEINPLACEFRAMEINFO* info) override;
    STDMETHODIMP Scroll(SIZE extent) override;
    STDMETHODIMP OnUIDeactivate(BOOL undoable) override;
    STDMETHODIMP OnInPlaceDeactivate() override;
    STDMETHODIMP DiscardUndoState() override;
    STDMETHODIMP DeactivateAndUndo() override;
    STDMETHODIMP OnPosRectChange(const RECT* position) override;

    // IOleInPlaceUIWindow / IOleInPlaceFrame
    STDMETHODIMP GetBorder(RECT* border) override;
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS widths) override;
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS widths) override;
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* active, LPCOLESTR name) override;
    STDMETHODIMP InsertMenus(HMENU menu, OLEMENUGROUPWIDTHS* widths) override;
    STDMETHODIMP SetMenu(HMENU menu, HOLEMENU ole_menu, HWND active) override;
    STDMETHODIMP RemoveMenus(HMENU menu) override;
    STDMETHODIMP SetStatusText(LPCOLESTR text) override;
    STDMETHODIMP EnableModeless(BOOL enable) override;
    STDMETHODIMP TranslateAccelerator(MSG* msg, WORD id) override;

    // IOleControlSite
    STDMETHODIMP OnControlInfoChanged() override;
    STDMETHODIMP LockInPlaceActive(BOOL lock) override;
    STDMETHODIMP GetExtendedControl(IDispatch** control) override;
    STDMETHODIMP TransformCoords(POINTL* himetric, POINTF* container, DWORD flags) override;
    STDMETHODIMP TranslateAccelerator(MSG* msg, DWORD modifiers) override;
    STDMETHODIMP OnFocus(BOOL got_focus) override;
    STDMETHODIMP ShowPropertyFrame() override;

    // IDispatch (by DISPID): the ambient properties
    STDMETHODIMP Invoke(DISPID member, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excep, UINT* arg_err) override;

private:
    ControlSite(HWND parent, const RECT& rect, IFontDisp* ambient_font);
    ~ControlSite() = default;
    HRESULT CreateControl(REFCLSID clsid);

    HWND parent_;
    RECT rect_;
    Microsoft::WRL::ComPtr<IFontDisp> ambient_font_;
    Microsoft::WRL::ComPtr<IOleObject> object_;
    Microsoft::WRL::ComPtr<IDispatch> dispatch_;
    Microsoft::WRL::ComPtr<IOleInPlaceObject> in_place_;
    Microsoft::WRL::ComPtr<IOleInPlaceActiveObject> active_;
    Microsoft::WRL::ComPtr<IConnectionPoint> connection_point_;
    DWORD advise_cookie_ = 0;
};

}  // namespace ambrelle
