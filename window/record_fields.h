// The Field objects of one record set, looked up by name once and kept: a
// record set's Field object always shows the current record, so the row
// texts need not look a name up again for every row.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <wrl/client.h>

#include <string>
#include <utility>
#include <vector>

#include "ado.h"

namespace ambrelle {

class RecordFields {
public:
    // Forgets every field kept: the record set in use, or its column layout,
    // is another one.
    void Reset() {
        fields_.clear();
        columns_.clear();
        next_ = 0;
    }
    // Lets every field go without calling into the record-set library,
    // which may already be unloaded.
    void Abandon() {
        for (auto& kept : fields_) kept.second.Detach();
        fields_.clear();
        columns_.clear();
        next_ = 0;
    }

    // The field `name` of `records`, by the name exactly as given, kept here
    // (no reference of the caller's own: it stays valid until Reset). A name
    // the record set does not have fails each time it is asked for.
    HRESULT Get(_ADORecordset* records, const wchar_t* name, ADOField** field);
    // The same for the field shown in column `column` of the layout: found
    // by its name the first time, then by the column alone until Reset (which
    // must follow any change of the layout).
    HRESULT GetForColumn(_ADORecordset* records, size_t column, const wchar_t* name, ADOField** field);
    // field.Value of that field.
    HRESULT Value(_ADORecordset* records, const wchar_t* name, VARIANT* value);

private:
    std::vector<std::pair<std::wstring, Microsoft::WRL::ComPtr<ADOField>>> fields_;
    std::vector<ADOField*> columns_;  // by column, borrowed from fields_
    size_t next_ = 0;                 // where the next search starts
};

}  // namespace ambrelle
