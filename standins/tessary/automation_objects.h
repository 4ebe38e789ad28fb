// The grid's automation sub-objects: the sheet (row and column counts,
// refresh), a column (width) and a row (mark, colour). The sheet is part of
// its control, one object for the control's life; a column or a row object
// keeps its control alive and checks on every call that its column or row
// still exists.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "com_object.h"
#include "tessary_lib.h"
#include "type_info_dispatch.h"

namespace tessary {

class TessaryControl;

class GridSheet final
    : public ambrelle::InterfaceTable<ambrelle::Answers<ambrelle::TypeInfoDispatch<ITessarySheet>, IID_IUnknown,
                                                        IID_IDispatch, IID_ITessarySheet>,
                                      ambrelle::SupportsErrorInfo<IID_ITessarySheet>> {
public:
    explicit GridSheet(TessaryControl* control) : control_(control) {}

    // IUnknown: the sheet lives and dies with its control.
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IDispatch: the row count is read for every row-text request, and with
    // no arguments skips the type library.
    STDMETHODIMP Invoke(DISPID member, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excep, UINT* arg_err) override;

    // ITessarySheet
    STDMETHODIMP get_Rows(LONG* count) override;
    STDMETHODIMP put_Rows(LONG count) override;
    STDMETHODIMP get_Cols(LONG* count) override;
    STDMETHODIMP put_Cols(LONG count) override;
    STDMETHODIMP Refresh() override;

protected:
    HRESULT InterfaceTypeInfo(ITypeInfo** info) override;

private:
    TessaryControl* const control_;
};

// column: from 1. row: the row number, 1 being the header row.
HRESULT CreateColumnObject(TessaryControl* control, LONG column, IDispatch** object);
HRESULT CreateRowObject(TessaryControl* control, LONG row, IDispatch** object);

}  // namespace tessary
