// FrmValidateQuery: the modal, read-only window that shows the approval
// records of one bill in the grid LdgValidateQuery, with the button cmdOK.
// There is one window object per thread; each modal show loads the on-screen
// window anew, while the members keep their values between uses.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <wrl/client.h>

#include <string>
#include <vector>

#include "ado.h"
#include "grid_control.h"
#include "record_fields.h"
#include "row_text_layout.h"
#include "server_module.h"

namespace ambrelle {

class ControlSite;
class GridEventSink;

class FrmValidateQuery {
public:
    // The calling thread's window object, created on first use. It lives
    // until the thread's apartment ends (or the DLL is unloaded), and keeps
    // the DLL loaded meanwhile.
    static HRESULT DefaultInstance(FrmValidateQuery** window);
    // The calling thread's window is loaded and shown.
    static bool IsShownOnThisThread();
    // Releases every thread's window object (the DLL is being unloaded).
    static void ReleaseAllInstances();
    // Releases the calling thread's window object unless it is shown (its
    // apartment is ending).
    static void ReleaseThreadInstance();

    void PutFID(LONG* value) { FID = *value; }
    void PutQueryClass(LONG* value) { QueryClass = *value; }
    // Keeps a counted reference to records (nullptr clears it).
    void PutRefQueryRs(_ADORecordset* records) {
        QueryRs = records;
        query_fields_.Reset();
    }

    // Loads and shows the window modally; returns once it has been unloaded.
    // A failure while loading is returned with its error information, and
    // the window is not shown.
    HRESULT Show();

    HWND window() const { return hwnd_; }

    // Answers the grid's row-text request for one row (1 is the header row).
    HRESULT OnRowTextRequest(LONG row, BSTR* text, LONG* color);

    // Builds the column layout of query kind `kind` into Titles and sets the
    // grid's column count (12 for kinds 0 and 2, 5 for kind 1). Another kind
    // keeps the layout of an earlier load, and fails when there is none.
    HRESULT GetTitleInfo(LONG kind);
    // Adds up FReqQty and FValidateQty over all records into SumReqQty and
    // SumValidateQty (kind 1 keeps its totals untouched); *result is Empty.
    HRESULT sumdata(VARIANT* result);

private:
    FrmValidateQuery() = default;
    ~FrmValidateQuery();
    FrmValidateQuery(const FrmValidateQuery&) = delete;
    FrmValidateQuery& operator=(const FrmValidateQuery&) = delete;

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);

    HRESULT Load();
    HRESULT CreateControls();
    void Unload();
    void DestroyOnScreenWindow();
    // Lets the grid, the font and the window go; already_going: the window is
    // being destroyed by someone else.
    void ReleaseOnScreenWindow(bool already_going);
    void RunModalLoop();
    void DisableHostWindows();
    void EnableHostWindows();

    HRESULT Form_Load();
    void Form_Unload();
    void cmdOK_Click();
    void Form_Resize();
    void loadLdg();
    HRESULT GetTitleText(BSTR* text);
    HRESULT GetRowText(LONG row, BSTR* text, LONG* color);
    HRESULT GetDataRowText(LONG row, std::wstring* text);
    HRESULT GetTotalsRowText(std::wstring* text, LONG* color);
    HRESULT PositionOnRecord(LONG row);
    HRESULT HasCurrentRecord(bool* has_record);
    HRESULT LoadWindowSettings();
    HRESULT SaveWindowSettings();
    void LoadColumnWidths();
    void SaveColumnWidths();

    // Members, in the order the window declares them.
    std::vector<TitleInfo> Titles;
    LONG FID = 0;
    LONG QueryClass = 0;
    Microsoft::WRL::ComPtr<_ADORecordset> QueryRs;
    double SumReqQty = 0;
    double SumValidateQty = 0;
    // QueryRs's fields as the row texts read them.
    RecordFields query_fields_;
    // What a row's text and one of its cells are built in: kept from row to
    // row, so that a row needs no room of its own.
    std::wstring row_text_;
    std::wstring cell_text_;

    // The on-screen window, while loaded.
    HWND hwnd_ = nullptr;
    HWND cmd_ok_ = nullptr;
    HFONT font_ = nullptr;
    ControlSite* grid_site_ = nullptr;
    GridEventSink* grid_events_ = nullptr;
    GridControl LdgValidateQuery;
    // The host's windows disabled while the window is shown, and the one that
    // was active before it.
    std::vector<HWND> disabled_windows_;
    HWND active_before_ = nullptr;

    ModuleObjectCount module_count_;
};

}  // namespace ambrelle
