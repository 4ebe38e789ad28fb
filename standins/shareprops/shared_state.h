// The state every Venlock.ShareProps object of the process shares: the
// properties hosts published, what the steering class asks the service to
// answer, and what GetProperty was asked.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <string>
#include <vector>

#include "process_lock.h"
#include "unique_variant.h"

namespace ambrelle {

// How GetProperty answers.
enum class PropertyAnswer {
    kFromStore,    // what was published for the process id and name, or Empty
    kValue,        // the steering value
    kObject,       // a new object whose default value is the steering text
    kError,        // the steering error, from a given call on
};

// One GetProperty call as the service received it.
struct PropertyCall {
    LONG arg_count = 0;
    VARTYPE arg_types[2] = {VT_EMPTY, VT_EMPTY};
    LONG process_id = 0;
    std::wstring name;
};

// What GetProperty is to do for one call.
struct PropertyDecision {
    PropertyAnswer answer = PropertyAnswer::kFromStore;
    UniqueVariant value;             // kFromStore and kValue
    std::wstring text;               // kObject: the default value
    HRESULT error = S_OK;            // kError
    std::wstring error_source;
    std::wstring error_description;
};

class SharedState {
public:
    static SharedState& Instance();

    // Host side: publishes a value (Empty removes it). Objects are refused with DISP_E_TYPEMISMATCH.
    HRESULT Publish(LONG process_id, const std::wstring& name, const VARIANT& value);
    // Copy of a published value, Empty when none.
    HRESULT Published(LONG process_id, const std::wstring& name, VARIANT* value);

    // Records a call and tells how to answer it.
    HRESULT RecordCall(const PropertyCall& call, PropertyDecision* decision);

    // Steering.
    void Reset();
    HRESULT AnswerWith(const VARIANT& value);
    void AnswerWithObject(const std::wstring& text);
    void FailWith(HRESULT error, const std::wstring& source, const std::wstring& description, LONG from_call);
    void AnswerFromStore();

    // Records.
    LONG CallCount(const std::wstring& name);
    LONG TotalCalls();
    PropertyCall LastCall();

private:
    struct Property {
        LONG process_id;
        std::wstring name;
        UniqueVariant value;
    };
    struct NameCount {
        std::wstring name;
        LONG count;
    };

    SharedState();
    Property* Find(LONG process_id, const std::wstring& name);

    ProcessLock lock_;
    std::vector<Property> properties_;
    PropertyAnswer answer_ = PropertyAnswer::kFromStore;
    UniqueVariant answer_value_;
    std::wstring answer_text_;
    HRESULT error_ = S_OK;
    std::wstring error_source_;
    std::wstring error_description_;
    LONG error_from_call_ = 1;
    std::vector<NameCount> counts_;
    LONG total_calls_ = 0;
    PropertyCall last_call_;
};

}  // namespace ambrelle
