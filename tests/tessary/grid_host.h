// A small OLE container for the grid control, an event sink that answers its
// row-text requests and records what it was asked, and IDispatch helpers.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include <olectl.h>
#include <wrl/client.h>

#include <functional>
#include <string>
#include <vector>

#include "com_object.h"
#include "dispatch_without_type_info.h"
#include "tessary_identity.h"
#include "variant_values.h"

namespace tessary_test {

// ---------------------------------------------------------------------------
// IDispatch by dispatch id

// Arguments are given in call order; they are reversed for DISPPARAMS.
HRESULT InvokeId(IDispatch* object, DISPID member, WORD flags, std::vector<VARIANT> args, VARIANT* result,
                 EXCEPINFO* excep = nullptr);
// The HRESULT a caller should see: the scode of a DISP_E_EXCEPTION, else hr.
HRESULT Outcome(HRESULT hr, const EXCEPINFO& excep);
inline VARIANT Long(LONG value) { return ambrelle::LongValue(value); }
inline VARIANT Short(SHORT value) { return ambrelle::ShortValue(value); }
inline VARIANT Bool(bool value) { return ambrelle::BoolValue(value); }
inline VARIANT Double(double value) { return ambrelle::DoubleValue(value); }
inline VARIANT LongRef(LONG* value) { return ambrelle::LongRefValue(value); }
inline VARIANT VariantRef(VARIANT* value) { return ambrelle::VariantRefValue(value); }
// Owns its BSTR: call VariantClear on the VARIANT after use.
inline VARIANT Text(const wchar_t* value) { return ambrelle::NewText(value); }

// ---------------------------------------------------------------------------
// The event sink

struct RowAnswer {
    HRESULT hr = S_OK;
    std::wstring text;
    bool set_colour = false;
    LONG colour = 0;
};

// "H1|H2|...|" for the header, "R<row>A|R<row>B|...|" for a data row: four cells.
RowAnswer DefaultAnswer(LONG row);

class RowSink final
    : public ambrelle::UncountedComObject<ambrelle::Answers<ambrelle::DispatchWithoutTypeInfo, IID_IUnknown,
                                                            IID_IDispatch, tessary::DIID_Events>> {
public:
    static Microsoft::WRL::ComPtr<RowSink> Make();

    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID member, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excep, UINT* arg_err) override;

    std::function<RowAnswer(LONG row)> answer = DefaultAnswer;
    // Runs inside each row-text request, after the answer was written.
    std::function<void(LONG row)> during_request;
    std::vector<LONG> requests;          // rows asked for, in order
    std::vector<LONG> incoming_colours;  // the colour handed in with each request
    std::vector<std::wstring> incoming_texts;
    std::vector<DISPID> events;          // every event but the row-text request
    int malformed = 0;                   // requests whose arguments broke the contract
    short cancel_key = 0;                // KeyDown of this key code is cancelled

private:
    RowSink() = default;
    ~RowSink() = default;
};

// ---------------------------------------------------------------------------
// The container

class Site;

// A top-level window with the grid filling its client area, in-place active,
// with a RowSink connected.
class GridHost {
public:
    // ambient_font: answered as the container's ambient font when given.
    explicit GridHost(int client_width = 640, int client_height = 400, IFontDisp* ambient_font = nullptr);
    ~GridHost();
    GridHost(const GridHost&) = delete;
    GridHost& operator=(const GridHost&) = delete;

    HRESULT status() const { return status_; }
    HWND frame() const { return frame_; }
    HWND grid() const;
    IDispatch* control() const { return control_.Get(); }
    IOleObject* ole_object() const { return ole_object_.Get(); }
    RowSink& sink() { return *sink_.Get(); }
    Site& site() { return *site_; }

    Microsoft::WRL::ComPtr<IDispatch> Sheet();
    void SetRows(LONG rows);
    void SetCols(LONG columns);
    void Refresh();
    Microsoft::WRL::ComPtr<IDispatch> Column(LONG number);
    Microsoft::WRL::ComPtr<IDispatch> Row(LONG index);
    float ColumnWidth(LONG number);

    // Handles pending messages, then paints what is pending.
    void Pump();
    // WM_GETTEXT of the grid's window.
    std::wstring ScreenText();
    // Deactivates, disconnects and releases the control; returns what the
    // final Release returned.
    ULONG Shutdown();

private:
    HRESULT status_ = E_FAIL;
    HWND frame_ = nullptr;
    Site* site_ = nullptr;
    Microsoft::WRL::ComPtr<IDispatch> control_;
    Microsoft::WRL::ComPtr<IOleObject> ole_object_;
    Microsoft::WRL::ComPtr<RowSink> sink_;
    DWORD cookie_ = 0;
};

// Counts of what the control told its site.
struct SiteLog {
    int in_place_activations = 0;
    int in_place_deactivations = 0;
    int ui_activations = 0;
    int focus_gained = 0;
};

class Site final : public IOleClientSite,
                   public IOleInPlaceSite,
                   public IOleInPlaceFrame,
                   public IOleControlSite,
                   public ambrelle::DispatchWithoutTypeInfo {
public:
    Site(HWND window, IFontDisp* ambient_font);
    SiteLog log;

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IOleClientSite
    STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override;
    STDMETHODIMP GetContainer(IOleContainer** container) override;
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override;
    STDMETHODIMP OnUIActivate() override;
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                  LPRECT clip, LPOLEINPLACEFRAMEINFO info) override;
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override;
    STDMETHODIMP DiscardUndoState() override { return S_OK; }
    STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
    STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

    // IOleInPlaceUIWindow and IOleInPlaceFrame
    STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

    // IOleControlSite
    STDMETHODIMP OnControlInfoChanged() override { return S_OK; }
    STDMETHODIMP LockInPlaceActive(BOOL) override { return S_OK; }
    STDMETHODIMP GetExtendedControl(IDispatch** control) override;
    STDMETHODIMP TransformCoords(POINTL*, POINTF*, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(MSG*, DWORD) override { return S_FALSE; }
    STDMETHODIMP OnFocus(BOOL gained) override;
    STDMETHODIMP ShowPropertyFrame() override { return E_NOTIMPL; }

    // IDispatch: the ambient properties
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID member, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excep, UINT* arg_err) override;

private:
    ~Site() = default;
    LONG refs_ = 1;
    HWND window_;
    Microsoft::WRL::ComPtr<IFontDisp> ambient_font_;
};

// The client size of the grid's window.
SIZE GridClientSize(HWND grid);
// Lines of a WM_GETTEXT text.
std::vector<std::wstring> Lines(const std::wstring& text);

}  // namespace tessary_test

namespace tessary_test {

// Sends a key press and release to the window with Shift and Ctrl held as given.
void PressKey(HWND window, UINT key, bool shift = false, bool control = false);
// Sends a left click (down and up) at a client point, Shift held as given.
void ClickAt(HWND window, int x, int y, bool shift = false);

}  // namespace tessary_test
