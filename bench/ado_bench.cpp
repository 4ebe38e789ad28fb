// Fills and walks an in-memory ADO record set of 1,000,000 records of 12
// fields (the shape of the approval records) through the _Recordset vtable,
// and prints records per second and the memory a record takes.
//
// Usage: ado_bench [records]   (run under the project's Wine prefix)
#include <windows.h>
#include <ole2.h>
#include <wrl/client.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "ado.h"
#include "recordset.h"
#include "unique_bstr.h"
#include "unique_variant.h"
#include "variant_values.h"
#include "bench_support.h"

using Microsoft::WRL::ComPtr;
using ambrelle::BorrowedText;
using ambrelle::DateValue;
using ambrelle::DoubleValue;
using ambrelle::LongValue;
using bench::Now;

namespace {

struct FieldShape {
    const wchar_t* name;
    DataTypeEnum type;
    LONG size;
    LONG attributes;
};

const FieldShape kFields[] = {
    {L"FNumber", adVarChar, 80, -1},     {L"FName", adVarChar, 80, -1},      {L"FModel", adVarChar, 80, -1},
    {L"FAuxPropName", adVarChar, 80, -1}, {L"FReqQty", adDouble, 0, -1},      {L"FValidateQty", adDouble, 0, -1},
    {L"FValidater", adVarChar, 80, -1},  {L"FBeValBrName", adVarChar, 80, -1}, {L"FBrName", adVarChar, 80, -1},
    {L"FValDate", adDate, 0, 32},        {L"FDeliveryDate", adDate, 0, 32},  {L"FQtyDecimal", adInteger, 0, -1},
};
constexpr int kFieldCount = sizeof(kFields) / sizeof(kFields[0]);

// Address space the process has in use (what limits a 32-bit process).
unsigned long long UsedAddressSpace() {
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof(status);
    GlobalMemoryStatusEx(&status);
    return status.ullTotalVirtual - status.ullAvailVirtual;
}

bool Check(HRESULT hr, const char* what) {
    if (SUCCEEDED(hr)) return true;
    std::printf("%s failed: 0x%08lx\n", what, static_cast<unsigned long>(hr));
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    const long records = argc > 1 ? std::atol(argv[1]) : 1000000;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int status = 1;
    {
        ComPtr<_ADORecordset> set;
        if (!Check(ado_standin::Recordset::Create(IID__Recordset, reinterpret_cast<void**>(set.GetAddressOf())),
                   "create"))
            return 1;
        ComPtr<ADOFields> fields;
        set->get_Fields(&fields);
        for (const FieldShape& shape : kFields) {
            ambrelle::UniqueBstr name(shape.name);
            VARIANT missing;
            VariantInit(&missing);
            if (!Check(fields->Append(name.get(), shape.type, shape.size,
                                      static_cast<FieldAttributeEnum>(shape.attributes), missing),
                       "Append"))
                return 1;
        }
        VARIANT missing;
        VariantInit(&missing);
        if (!Check(set->Open(missing, missing, adOpenUnspecified, adLockUnspecified, -1), "Open")) return 1;

        // Typical values: short codes in ASCII, names of organisations in Chinese.
        ambrelle::UniqueBstr number(L"A01.02.0003"), name(L"不锈钢六角螺栓"), model(L"M8x40"), aux(L""),
            validater(L"张三"), be_branch(L"上海分公司"), branch(L"总部销售中心");
        BSTR texts[] = {number.get(), name.get(), model.get(), aux.get(), validater.get(), be_branch.get(),
                        branch.get()};
        const int text_columns[] = {0, 1, 2, 3, 6, 7, 8};

        const unsigned long long bytes_before = UsedAddressSpace();
        double start = Now();
        for (long row = 0; row < records; ++row) {
            if (!Check(set->AddNew(missing, missing), "AddNew")) return 1;
            for (int t = 0; t < 7; ++t) {
                if (!Check(set->put_Collect(LongValue(text_columns[t]), BorrowedText(texts[t])), "Collect put text"))
                    return 1;
            }
            set->put_Collect(LongValue(4), DoubleValue(row * 0.25));
            set->put_Collect(LongValue(5), DoubleValue(row * 0.5));
            set->put_Collect(LongValue(9), DateValue(45000 + row % 1000));
            set->put_Collect(LongValue(10), DateValue(45100 + row % 1000));
            set->put_Collect(LongValue(11), LongValue(2));
        }
        set->Update(missing, missing);
        const double fill_seconds = Now() - start;
        const unsigned long long bytes_after = UsedAddressSpace();
        const size_t stored_bytes = static_cast<ado_standin::Recordset*>(set.Get())->reserved_bytes();

        // Walk every record reading each field by name, as the result window does.
        ambrelle::UniqueBstr field_names[kFieldCount];
        VARIANT name_index[kFieldCount];
        for (int f = 0; f < kFieldCount; ++f) {
            field_names[f] = ambrelle::UniqueBstr(kFields[f].name);
            name_index[f] = BorrowedText(field_names[f].get());
        }
        start = Now();
        set->MoveFirst();
        double checksum = 0;
        VARIANT_BOOL eof = VARIANT_FALSE;
        long walked = 0;
        while (SUCCEEDED(set->get_EOF(&eof)) && eof == VARIANT_FALSE) {
            for (int f = 0; f < kFieldCount; ++f) {
                ambrelle::UniqueVariant value;
                if (!Check(set->get_Collect(name_index[f], value.ptr()), "Collect get")) return 1;
                if (value.vt() == VT_R8) checksum += V_R8(&value.get());
            }
            set->MoveNext();
            ++walked;
        }
        const double walk_seconds = Now() - start;

        // Absolute positioning from the first record, in a scattered order.
        const long moves = records < 200000 ? records : 200000;
        VARIANT first = LongValue(adBookmarkFirst);
        start = Now();
        unsigned long position = 12345;
        for (long i = 0; i < moves; ++i) {
            position = (position * 1103515245u + 12345u) % static_cast<unsigned long>(records);
            if (!Check(set->Move(static_cast<LONG>(position), first), "Move")) return 1;
        }
        const double move_seconds = Now() - start;

        std::printf("ado_bench: %ld records of %d fields (7 text, 2 double, 2 date, 1 integer)\n", records,
                    kFieldCount);
        std::printf("fill (AddNew + 12 Collect puts): %.0f records/s, %.2f s\n", records / fill_seconds,
                    fill_seconds);
        std::printf("walk (MoveNext + 12 Collect gets by name): %.0f records/s, %.2f s (checksum %.0f, %ld walked)\n",
                    walked / walk_seconds, walk_seconds, checksum, walked);
        std::printf("Move n from the first record: %.0f moves/s\n", moves / move_seconds);
        std::printf("memory: %.1f bytes per record reserved by the columns (%.1f MB), %.1f bytes per record of "
                    "address space (%.1f MB)\n",
                    static_cast<double>(stored_bytes) / records, stored_bytes / (1024.0 * 1024.0),
                    static_cast<double>(bytes_after - bytes_before) / records,
                    (bytes_after - bytes_before) / (1024.0 * 1024.0));
        set->Close();
        status = walked == records ? 0 : 1;
    }
    CoUninitialize();
    return status;
}
