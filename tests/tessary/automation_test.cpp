// The grid's automation surface by dispatch id: sheet, column and row objects,
// their arguments and errors, the window readback and persistence.
#include <gtest/gtest.h>
#include <olectl.h>

#include <memory>
#include <string>

#include "grid_host.h"
#include "tessary_identity.h"
#include "test_support.h"

using Microsoft::WRL::ComPtr;
using namespace tessary_test;

namespace {

class Automation : public ::testing::Test {
protected:
    void SetUp() override {
        host_ = std::make_unique<GridHost>();
        ASSERT_EQ(S_OK, host_->status());
    }
    void TearDown() override {
        if (host_) {
            EXPECT_EQ(0u, host_->Shutdown());
        }
    }
    // Invokes and returns what the caller sees (the scode of an exception).
    HRESULT Call(IDispatch* object, DISPID member, WORD flags, std::vector<VARIANT> args, VARIANT* result = nullptr) {
        EXCEPINFO excep = {};
        HRESULT hr = InvokeId(object, member, flags, std::move(args), result, &excep);
        last_description_ = excep.bstrDescription ? excep.bstrDescription : L"";
        SysFreeString(excep.bstrSource);
        SysFreeString(excep.bstrDescription);
        SysFreeString(excep.bstrHelpFile);
        return Outcome(hr, excep);
    }
    LONG GetLong(IDispatch* object, DISPID member) {
        VARIANT result;
        VariantInit(&result);
        EXPECT_EQ(S_OK, Call(object, member, DISPATCH_PROPERTYGET, {}, &result));
        EXPECT_EQ(VT_I4, V_VT(&result));
        return V_I4(&result);
    }

    ambrelle_test::ComApartment apartment_;
    std::unique_ptr<GridHost> host_;
    std::wstring last_description_;
};

TEST_F(Automation, SheetCountsTakeShortAndLongValuesAndRefuseNegativeOnes) {
    ComPtr<IDispatch> sheet = host_->Sheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet.Get(), host_->Sheet().Get());  // one sheet for the grid's life
    EXPECT_EQ(S_OK, Call(sheet.Get(), tessary::kDispidSheetRows, DISPATCH_PROPERTYPUT, {Short(7)}));
    EXPECT_EQ(7, GetLong(sheet.Get(), tessary::kDispidSheetRows));
    EXPECT_EQ(S_OK, Call(sheet.Get(), tessary::kDispidSheetRows, DISPATCH_PROPERTYPUT, {Long(70000)}));
    EXPECT_EQ(70000, GetLong(sheet.Get(), tessary::kDispidSheetRows));
    VARIANT variable = Long(12);  // a script's variable
    EXPECT_EQ(S_OK, Call(sheet.Get(), tessary::kDispidSheetRows, DISPATCH_PROPERTYPUT, {VariantRef(&variable)}));
    EXPECT_EQ(12, GetLong(sheet.Get(), tessary::kDispidSheetRows));
    EXPECT_EQ(CTL_E_INVALIDPROPERTYVALUE, Call(sheet.Get(), tessary::kDispidSheetRows, DISPATCH_PROPERTYPUT, {Long(-1)}));
    EXPECT_FALSE(last_description_.empty());
    EXPECT_EQ(12, GetLong(sheet.Get(), tessary::kDispidSheetRows));

    EXPECT_EQ(S_OK, Call(sheet.Get(), tessary::kDispidSheetCols, DISPATCH_PROPERTYPUT, {Long(12)}));
    EXPECT_EQ(12, GetLong(sheet.Get(), tessary::kDispidSheetCols));
    EXPECT_EQ(S_OK, Call(sheet.Get(), tessary::kDispidSheetCols, DISPATCH_PROPERTYPUT, {Short(5)}));
    EXPECT_EQ(5, GetLong(sheet.Get(), tessary::kDispidSheetCols));
    EXPECT_EQ(CTL_E_INVALIDPROPERTYVALUE, Call(sheet.Get(), tessary::kDispidSheetCols, DISPATCH_PROPERTYPUT, {Long(-3)}));
    EXPECT_EQ(5, GetLong(sheet.Get(), tessary::kDispidSheetCols));
    EXPECT_EQ(S_OK, Call(sheet.Get(), tessary::kDispidSheetRefresh, DISPATCH_METHOD, {}));
}

TEST_F(Automation, ColumnObjectTakesItsNumberByReferenceByValueOrInAVariant) {
    host_->SetCols(5);
    LONG by_reference = 5;
    VARIANT in_variant = Long(3);
    const struct {
        const char* name;
        VARIANT argument;
    } accepted[] = {
        {"VT_BYREF|VT_I4", LongRef(&by_reference)},
        {"VT_I4", Long(1)},
        {"VT_I2", Short(2)},
        {"VT_BYREF|VT_VARIANT", VariantRef(&in_variant)},
    };
    for (const auto& c : accepted) {
        VARIANT result;
        VariantInit(&result);
        EXPECT_EQ(S_OK, Call(host_->control(), tessary::kDispidColumn, DISPATCH_PROPERTYGET, {c.argument}, &result))
            << c.name;
        EXPECT_EQ(VT_DISPATCH, V_VT(&result)) << c.name;
        VariantClear(&result);
    }
    const LONG refused[] = {0, 6, -1};
    for (LONG number : refused) {
        VARIANT result;
        VariantInit(&result);
        EXPECT_EQ(DISP_E_BADINDEX, Call(host_->control(), tessary::kDispidColumn, DISPATCH_PROPERTYGET,
                                        {LongRef(&number)}, &result))
            << number;
        EXPECT_NE(std::wstring::npos, last_description_.find(L"column")) << number;
        // No object is handed out (DispInvoke may leave a null VT_DISPATCH).
        EXPECT_TRUE(V_VT(&result) == VT_EMPTY || (V_VT(&result) == VT_DISPATCH && !V_DISPATCH(&result)));
    }
    VARIANT word = Text(L"first");
    EXPECT_EQ(DISP_E_TYPEMISMATCH, Call(host_->control(), tessary::kDispidColumn, DISPATCH_PROPERTYGET, {word}));
    VariantClear(&word);
}

TEST_F(Automation, ColumnWidthIsInTwipsFrom1200AndTakesAnyNumber) {
    host_->SetCols(3);
    ComPtr<IDispatch> column = host_->Column(2);
    ASSERT_TRUE(column);
    VARIANT width;
    VariantInit(&width);
    ASSERT_EQ(S_OK, Call(column.Get(), tessary::kDispidColumnWidth, DISPATCH_PROPERTYGET, {}, &width));
    EXPECT_EQ(VT_R4, V_VT(&width));
    EXPECT_EQ(1200.0f, V_R4(&width));

    struct Case {
        const char* name;
        VARIANT value;
        HRESULT outcome;
        float width_after;
    };
    VARIANT empty;
    VariantInit(&empty);
    Case cases[] = {
        {"VT_I2 1500", Short(1500), S_OK, 1500.0f},
        {"VT_R8 2400.5", Double(2400.5), S_OK, 2400.5f},
        {"VT_BSTR 1800", Text(L"1800"), S_OK, 1800.0f},
        {"VT_I4 0", Long(0), S_OK, 0.0f},
        {"VT_I4 -1", Long(-1), CTL_E_INVALIDPROPERTYVALUE, 0.0f},
        {"VT_R8 -0.5", Double(-0.5), CTL_E_INVALIDPROPERTYVALUE, 0.0f},
        {"VT_BSTR wide", Text(L"wide"), DISP_E_TYPEMISMATCH, 0.0f},
        {"VT_EMPTY", empty, DISP_E_TYPEMISMATCH, 0.0f},
        {"VT_R4 960", Double(960), S_OK, 960.0f},
    };
    for (Case& c : cases) {
        EXPECT_EQ(c.outcome, Call(column.Get(), tessary::kDispidColumnWidth, DISPATCH_PROPERTYPUT, {c.value})) << c.name;
        if (FAILED(c.outcome)) {
            EXPECT_FALSE(last_description_.empty()) << c.name;
        }
        EXPECT_EQ(c.width_after, host_->ColumnWidth(2)) << c.name;
        VariantClear(&c.value);
    }
    EXPECT_EQ(1200.0f, host_->ColumnWidth(1));
    EXPECT_EQ(1200.0f, host_->ColumnWidth(3));

    // A column object outlives a smaller column count, but its column does not.
    host_->SetCols(1);
    EXPECT_EQ(DISP_E_BADINDEX, Call(column.Get(), tessary::kDispidColumnWidth, DISPATCH_PROPERTYGET, {}, &width));
    EXPECT_EQ(DISP_E_BADINDEX, Call(column.Get(), tessary::kDispidColumnWidth, DISPATCH_PROPERTYPUT, {Long(100)}));
}

TEST_F(Automation, RowObjectIsIndexedFromZeroAndCarriesTheMark) {
    host_->SetRows(10);
    const LONG refused[] = {-1, 10};
    for (LONG index : refused) {
        VARIANT result;
        VariantInit(&result);
        EXPECT_EQ(DISP_E_BADINDEX, Call(host_->control(), tessary::kDispidRow, DISPATCH_PROPERTYGET, {Long(index)},
                                        &result))
            << index;
        EXPECT_FALSE(last_description_.empty());
    }
    ComPtr<IDispatch> row = host_->Row(9);
    ASSERT_TRUE(row);
    VARIANT mark;
    VariantInit(&mark);
    ASSERT_EQ(S_OK, Call(row.Get(), tessary::kDispidRowMark, DISPATCH_PROPERTYGET, {}, &mark));
    EXPECT_EQ(VT_BOOL, V_VT(&mark));
    EXPECT_EQ(VARIANT_FALSE, V_BOOL(&mark));
    ASSERT_EQ(S_OK, Call(row.Get(), tessary::kDispidRowMark, DISPATCH_PROPERTYPUT, {Bool(true)}));
    // Another object for the same row sees the mark; a neighbour does not.
    ASSERT_EQ(S_OK, Call(host_->Row(9).Get(), tessary::kDispidRowMark, DISPATCH_PROPERTYGET, {}, &mark));
    EXPECT_EQ(VARIANT_TRUE, V_BOOL(&mark));
    ASSERT_EQ(S_OK, Call(host_->Row(8).Get(), tessary::kDispidRowMark, DISPATCH_PROPERTYGET, {}, &mark));
    EXPECT_EQ(VARIANT_FALSE, V_BOOL(&mark));
    ASSERT_EQ(S_OK, Call(row.Get(), tessary::kDispidRowMark, DISPATCH_PROPERTYPUT, {Bool(false)}));
    ASSERT_EQ(S_OK, Call(row.Get(), tessary::kDispidRowMark, DISPATCH_PROPERTYGET, {}, &mark));
    EXPECT_EQ(VARIANT_FALSE, V_BOOL(&mark));
    // The mark goes with rows that leave the grid.
    ASSERT_EQ(S_OK, Call(row.Get(), tessary::kDispidRowMark, DISPATCH_PROPERTYPUT, {Bool(true)}));
    host_->SetRows(5);
    EXPECT_EQ(DISP_E_BADINDEX, Call(row.Get(), tessary::kDispidRowMark, DISPATCH_PROPERTYGET, {}, &mark));
    EXPECT_EQ(DISP_E_BADINDEX, Call(row.Get(), tessary::kDispidRowMark, DISPATCH_PROPERTYPUT, {Bool(true)}));
    EXPECT_NE(std::wstring::npos, last_description_.find(L"no longer exists"));
    host_->SetRows(10);
    ASSERT_EQ(S_OK, Call(row.Get(), tessary::kDispidRowMark, DISPATCH_PROPERTYGET, {}, &mark));
    EXPECT_EQ(VARIANT_FALSE, V_BOOL(&mark));
}

TEST_F(Automation, BackColorIsWhatTheLastRequestHandedBack) {
    host_->SetCols(2);
    host_->sink().answer = [](LONG row) {
        RowAnswer answer = DefaultAnswer(row);
        if (row == 4) {
            answer.set_colour = true;
            answer.colour = 0xE0EFFE;
        }
        return answer;
    };
    host_->SetRows(6);
    host_->Pump();
    EXPECT_EQ(0xE0EFFE, GetLong(host_->Row(3).Get(), tessary::kDispidRowBackColor));
    EXPECT_EQ(static_cast<LONG>(GetSysColor(COLOR_WINDOW)), GetLong(host_->Row(2).Get(), tessary::kDispidRowBackColor));
    EXPECT_EQ(static_cast<LONG>(GetSysColor(COLOR_BTNFACE)), GetLong(host_->Row(0).Get(), tessary::kDispidRowBackColor));
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND,
              Call(host_->Row(3).Get(), tessary::kDispidRowBackColor, DISPATCH_PROPERTYPUT, {Long(0)}));
    host_->sink().answer = DefaultAnswer;
    host_->Refresh();
    host_->Pump();
    EXPECT_EQ(static_cast<LONG>(GetSysColor(COLOR_WINDOW)), GetLong(host_->Row(3).Get(), tessary::kDispidRowBackColor));
}

TEST_F(Automation, TheGridWindowHandsOutTheControlThroughItsRegisteredMessage) {
    HWND grid = host_->grid();
    ASSERT_TRUE(grid);
    wchar_t class_name[64] = {};
    GetClassNameW(grid, class_name, 64);
    EXPECT_STREQ(tessary::kWindowClass, class_name);
    EXPECT_EQ(host_->frame(), GetParent(grid));
    EXPECT_EQ(static_cast<LONG>(reinterpret_cast<LONG_PTR>(grid)), GetLong(host_->control(), DISPID_HWND));

    const UINT message = RegisterWindowMessageW(tessary::kGetDispatchMessage);
    ComPtr<IDispatch> from_window;
    *from_window.GetAddressOf() = reinterpret_cast<IDispatch*>(SendMessageW(grid, message, 0, 0));
    ASSERT_TRUE(from_window);
    ComPtr<IUnknown> a, b;
    ASSERT_EQ(S_OK, from_window.As(&a));
    ASSERT_EQ(S_OK, host_->ole_object()->QueryInterface(IID_PPV_ARGS(&b)));
    EXPECT_EQ(a.Get(), b.Get());
    host_->SetRows(42);
    EXPECT_EQ(42, GetLong(host_->Sheet().Get(), tessary::kDispidSheetRows));
}

TEST_F(Automation, ContainerPlacesTheWindowAndDeactivatesIt) {
    ComPtr<IOleInPlaceObject> in_place;
    ASSERT_EQ(S_OK, host_->ole_object()->QueryInterface(IID_PPV_ARGS(&in_place)));
    RECT position = {10, 20, 410, 320};
    ASSERT_EQ(S_OK, in_place->SetObjectRects(&position, &position));
    RECT placed;
    GetWindowRect(host_->grid(), &placed);
    MapWindowPoints(nullptr, host_->frame(), reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(position.left, placed.left);
    EXPECT_EQ(position.top, placed.top);
    EXPECT_EQ(position.right, placed.right);
    EXPECT_EQ(position.bottom, placed.bottom);

    EXPECT_EQ(1, host_->site().log.in_place_activations);
    HWND grid = host_->grid();
    ASSERT_EQ(S_OK, in_place->InPlaceDeactivate());
    EXPECT_FALSE(IsWindow(grid));
    EXPECT_EQ(1, host_->site().log.in_place_deactivations);
    HWND none = reinterpret_cast<HWND>(1);
    EXPECT_EQ(E_FAIL, in_place->GetWindow(&none));
    EXPECT_EQ(nullptr, none);
    // Activated again, it asks for its rows again.
    host_->SetRows(3);
    host_->sink().requests.clear();
    RECT client;
    GetClientRect(host_->frame(), &client);
    ASSERT_EQ(S_OK, host_->ole_object()->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &host_->site(), 0, host_->frame(),
                                                &client));
    host_->Pump();
    EXPECT_EQ((std::vector<LONG>{1, 2, 3}), host_->sink().requests);
}

TEST_F(Automation, AGridWhoseParentWasDestroyedClosesAndActivatesAgain) {
    host_->SetRows(3);
    host_->Pump();
    HWND grid = host_->grid();
    // The window the grid lives in goes away before the container closes the grid.
    HWND other = CreateWindowW(L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
    SetParent(grid, other);
    DestroyWindow(other);
    EXPECT_FALSE(IsWindow(grid));
    host_->sink().requests.clear();
    RECT client;
    GetClientRect(host_->frame(), &client);
    ASSERT_EQ(S_OK, host_->ole_object()->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &host_->site(), 0, host_->frame(),
                                                &client));
    ASSERT_TRUE(IsWindow(host_->grid()));
    host_->Pump();
    EXPECT_EQ((std::vector<LONG>{1, 2, 3}), host_->sink().requests);
}

TEST_F(Automation, ClickingTheGridUiActivatesItAndTellsTheSite) {
    host_->SetRows(5);
    host_->Pump();
    ClickAt(host_->grid(), 5, 40);
    EXPECT_EQ(host_->grid(), GetFocus());
    EXPECT_EQ(1, host_->site().log.ui_activations);
    EXPECT_GE(host_->site().log.focus_gained, 1);
    std::vector<DISPID> events;
    for (DISPID event : host_->sink().events)
        if (event != tessary::kDispidMouseMove) events.push_back(event);
    // MouseDown, SelChange (the row under the mouse), MouseUp, Click.
    const std::vector<DISPID> expected = {tessary::kDispidMouseDown, tessary::kDispidSelChange,
                                          tessary::kDispidMouseUp, tessary::kDispidClick};
    EXPECT_EQ(expected, events);
}

TEST_F(Automation, SavedDesignLoadsIntoAnotherGrid) {
    host_->SetRows(12);
    host_->SetCols(3);
    VARIANT width = Long(2000);
    ASSERT_EQ(S_OK, Call(host_->Column(2).Get(), tessary::kDispidColumnWidth, DISPATCH_PROPERTYPUT, {width}));
    ComPtr<IPersistStreamInit> saved;
    ASSERT_EQ(S_OK, host_->ole_object()->QueryInterface(IID_PPV_ARGS(&saved)));
    EXPECT_EQ(S_OK, saved->IsDirty());
    ComPtr<IStream> stream;
    ASSERT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, &stream));
    ASSERT_EQ(S_OK, saved->Save(stream.Get(), TRUE));
    EXPECT_EQ(S_FALSE, saved->IsDirty());
    ULARGE_INTEGER size_max = {};
    ASSERT_EQ(S_OK, saved->GetSizeMax(&size_max));
    STATSTG stat = {};
    ASSERT_EQ(S_OK, stream->Stat(&stat, STATFLAG_NONAME));
    EXPECT_EQ(size_max.QuadPart, stat.cbSize.QuadPart);

    GridHost other;
    ASSERT_EQ(S_OK, other.status());
    ComPtr<IPersistStreamInit> loaded;
    ASSERT_EQ(S_OK, other.ole_object()->QueryInterface(IID_PPV_ARGS(&loaded)));
    LARGE_INTEGER start = {};
    ASSERT_EQ(S_OK, stream->Seek(start, STREAM_SEEK_SET, nullptr));
    ASSERT_EQ(S_OK, loaded->Load(stream.Get()));
    EXPECT_EQ(12, GetLong(other.Sheet().Get(), tessary::kDispidSheetRows));
    EXPECT_EQ(3, GetLong(other.Sheet().Get(), tessary::kDispidSheetCols));
    EXPECT_EQ(2000.0f, other.ColumnWidth(2));
    EXPECT_EQ(1200.0f, other.ColumnWidth(3));
    // Anything else is refused.
    ComPtr<IStream> garbage;
    ASSERT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, &garbage));
    const char junk[] = "not a grid at all";
    ASSERT_EQ(S_OK, garbage->Write(junk, sizeof(junk), nullptr));
    ASSERT_EQ(S_OK, garbage->Seek(start, STREAM_SEEK_SET, nullptr));
    EXPECT_EQ(STG_E_INVALIDHEADER, loaded->Load(garbage.Get()));
    EXPECT_EQ(12, GetLong(other.Sheet().Get(), tessary::kDispidSheetRows));
    loaded.Reset();
    EXPECT_EQ(0u, other.Shutdown());
}

}  // namespace
