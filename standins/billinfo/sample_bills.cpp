#include "sample_bills.h"

#include <nlohmann/json.hpp>

#include <stdexcept>

#include "process_lock.h"
#include "server_module.h"

namespace ambrelle {
namespace {

using nlohmann::json;

constexpr wchar_t kSampleBillsResource[] = L"SAMPLE_BILLS";

// A fault in the data file, with what and where.
class DataError : public std::runtime_error {
public:
    explicit DataError(const std::string& what) : std::runtime_error(what) {}
};

std::wstring WideOrThrow(const std::string& utf8) {
    std::wstring wide;
    if (!WideFromUtf8(utf8, &wide)) throw DataError("text that is not UTF-8");
    return wide;
}

const json& Member(const json& object, const char* name) {
    if (!object.is_object()) throw DataError(std::string("an object expected around \"") + name + "\"");
    auto found = object.find(name);
    if (found == object.end()) throw DataError(std::string("\"") + name + "\" is missing");
    return *found;
}

std::wstring TextMember(const json& object, const char* name) {
    const json& value = Member(object, name);
    if (!value.is_string()) throw DataError(std::string("\"") + name + "\" must be text");
    return WideOrThrow(value.get<std::string>());
}

long long IntegerMember(const json& object, const char* name) {
    const json& value = Member(object, name);
    if (!value.is_number_integer()) throw DataError(std::string("\"") + name + "\" must be a whole number");
    return value.get<long long>();
}

LONG LongMember(const json& object, const char* name) {
    const long long value = IntegerMember(object, name);
    if (value < -2147483647LL - 1 || value > 2147483647LL)
        throw DataError(std::string("\"") + name + "\" is out of range");
    return static_cast<LONG>(value);
}

LocalTime TimeMember(const json& object, const char* name) {
    const json& value = Member(object, name);
    LocalTime time;
    if (!value.is_string() || !ParseLocalTime(value.get<std::string>(), &time))
        throw DataError(std::string("\"") + name + "\" must be a time, yyyy-mm-dd hh:mm:ss");
    return time;
}

std::vector<std::wstring> TextListMember(const json& object, const char* name) {
    const json& list = Member(object, name);
    if (!list.is_array() || list.empty()) throw DataError(std::string("\"") + name + "\" must be a list of texts");
    std::vector<std::wstring> texts;
    for (const json& entry : list) {
        if (!entry.is_string()) throw DataError(std::string("\"") + name + "\" must be a list of texts");
        texts.push_back(WideOrThrow(entry.get<std::string>()));
    }
    return texts;
}

std::vector<int> NumberListMember(const json& object, const char* name) {
    const json& list = Member(object, name);
    if (!list.is_array() || list.empty())
        throw DataError(std::string("\"") + name + "\" must be a list of whole numbers");
    std::vector<int> numbers;
    for (const json& entry : list) {
        if (!entry.is_number_integer() || entry.get<long long>() < 0 || entry.get<long long>() > 3650)
            throw DataError(std::string("\"") + name + "\" must be a list of whole numbers from 0");
        numbers.push_back(entry.get<int>());
    }
    return numbers;
}

void CheckHr(HRESULT hr) {
    if (hr == E_OUTOFMEMORY) throw std::bad_alloc();
    if (FAILED(hr)) throw DataError("a value that cannot be held");
}

// One value of a listed row, converted by the field's type.
void ReadFieldValue(const json& row, const FieldSpec& field, VARIANT* value) {
    std::string name(field.name, field.name + wcslen(field.name));
    const json& given = Member(row, name.c_str());
    VariantInit(value);
    if (given.is_null()) {
        V_VT(value) = VT_NULL;
        return;
    }
    switch (field.type) {
    case adVarChar:
        if (!given.is_string()) throw DataError(name + " must be text or null");
        CheckHr(TextVariant(WideOrThrow(given.get<std::string>()), value));
        return;
    case adDouble:
        if (!given.is_number()) throw DataError(name + " must be a number or null");
        V_VT(value) = VT_R8;
        V_R8(value) = given.get<double>();
        return;
    case adInteger:
        if (!given.is_number_integer()) throw DataError(name + " must be a whole number or null");
        V_VT(value) = VT_I4;
        V_I4(value) = static_cast<LONG>(given.get<long long>());
        return;
    case adDate: {
        LocalTime time;
        if (!given.is_string() || !ParseLocalTime(given.get<std::string>(), &time))
            throw DataError(name + " must be a time, yyyy-mm-dd hh:mm:ss, or null");
        V_VT(value) = VT_DATE;
        V_DATE(value) = DateAfter(time, 0);
        return;
    }
    default:
        throw DataError(name + " has a type the data file cannot give");
    }
}

BillRow ReadRow(const json& row, LONG bill_id, BillLayout layout) {
    const std::vector<FieldSpec>& fields = FieldsOf(layout);
    BillRow values = EmptyRow(layout);
    // FID is the bill's own id; every other field is in the data.
    V_VT(values[0].ptr()) = VT_I4;
    V_I4(values[0].ptr()) = bill_id;
    for (size_t i = 1; i < fields.size(); ++i) ReadFieldValue(row, fields[i], values[i].ptr());
    return values;
}

ConfirmationRule ReadConfirmationRule(const json& rule) {
    ConfirmationRule read;
    read.number_prefix = TextMember(rule, "numberPrefix");
    const json& items = Member(rule, "items");
    if (!items.is_array() || items.empty()) throw DataError("\"items\" must be a list");
    for (const json& item : items) {
        GeneratedItem entry;
        entry.name = TextMember(item, "name");
        entry.model = TextMember(item, "model");
        const json& aux = Member(item, "aux");
        entry.has_aux = !aux.is_null();
        if (entry.has_aux) entry.aux = TextMember(item, "aux");
        read.items.push_back(std::move(entry));
    }
    read.decimals = NumberListMember(rule, "decimals");
    for (int decimals : read.decimals) {
        if (decimals > 4) throw DataError("\"decimals\" go from 0 to 4");
    }
    read.validaters = TextListMember(rule, "validaters");
    read.organisations = TextListMember(rule, "organisations");
    read.first_val_date = TimeMember(rule, "firstValDate");
    read.seconds_between = LongMember(rule, "secondsBetween");
    read.delivery_days = NumberListMember(rule, "deliveryDays");
    read.null_validate_qty_every = LongMember(rule, "nullValidateQtyEvery");
    read.null_delivery_date_every = LongMember(rule, "nullDeliveryDateEvery");
    read.null_model_every = LongMember(rule, "nullModelEvery");
    return read;
}

RejectionRule ReadRejectionRule(const json& rule) {
    RejectionRule read;
    const json& reasons = Member(rule, "reasons");
    if (!reasons.is_array() || reasons.empty()) throw DataError("\"reasons\" must be a list of texts");
    for (const json& reason : reasons) {
        if (!reason.is_string()) throw DataError("\"reasons\" must be a list of texts");
        read.reasons.push_back(WideOrThrow(reason.get<std::string>()));
    }
    read.organisations = TextListMember(rule, "organisations");
    read.first_val_date = TimeMember(rule, "firstValDate");
    read.seconds_between = LongMember(rule, "secondsBetween");
    return read;
}

HRESULT LoadEmbeddedText(std::string* text) {
    HMODULE module = ThisModule();
    HRSRC found = FindResourceW(module, kSampleBillsResource, MAKEINTRESOURCEW(10) /* RT_RCDATA */);
    if (!found) return HRESULT_FROM_WIN32(GetLastError());
    HGLOBAL loaded = LoadResource(module, found);
    const DWORD size = SizeofResource(module, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return HRESULT_FROM_WIN32(GetLastError());
    text->assign(static_cast<const char*>(data), size);
    return S_OK;
}

std::wstring WideMessage(const std::string& message) {
    std::wstring wide;
    if (!WideFromUtf8(message, &wide)) wide.assign(message.begin(), message.end());
    return wide;
}

}  // namespace

HRESULT SampleBills::Parse(const std::string& text, std::unique_ptr<SampleBills>* bills, std::wstring* error) {
    bills->reset();
    error->clear();
    std::string where = "the data file";
    try {
        const json document = json::parse(text);
        std::unique_ptr<SampleBills> parsed(new SampleBills());
        const json& listed = Member(document, "bills");
        if (!listed.is_array()) throw DataError("\"bills\" must be a list");
        for (const json& bill : listed) {
            ListedBill entry;
            entry.id = LongMember(bill, "id");
            entry.kind = LongMember(bill, "kind");
            where = "bill " + std::to_string(entry.id) + " (kind " + std::to_string(entry.kind) + ")";
            const json& rows = Member(bill, "rows");
            if (!rows.is_array()) throw DataError("\"rows\" must be a list");
            for (size_t i = 0; i < rows.size(); ++i) {
                where = "bill " + std::to_string(entry.id) + " (kind " + std::to_string(entry.kind) + "), row " +
                        std::to_string(i + 1);
                entry.rows.push_back(ReadRow(rows[i], entry.id, LayoutForKind(entry.kind)));
            }
            parsed->listed_.push_back(std::move(entry));
        }
        where = "\"generatedBills\"";
        const json& generated = Member(document, "generatedBills");
        if (!generated.is_array()) throw DataError("\"generatedBills\" must be a list");
        for (const json& bill : generated) {
            GeneratedBill entry{LongMember(bill, "id"), LongMember(bill, "kind"), LongMember(bill, "count")};
            if (entry.count < 0) throw DataError("\"count\" must not be negative");
            parsed->generated_.push_back(entry);
        }
        where = "\"confirmationRule\"";
        parsed->confirmation_rule_ = ReadConfirmationRule(Member(document, "confirmationRule"));
        where = "\"rejectionRule\"";
        parsed->rejection_rule_ = ReadRejectionRule(Member(document, "rejectionRule"));
        *bills = std::move(parsed);
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (const std::exception& fault) {
        *error = L"The sample bills cannot be read: " + WideMessage(where) + L": " + WideMessage(fault.what());
        return E_FAIL;
    }
}

HRESULT SampleBills::Instance(const SampleBills** bills, std::wstring* error) {
    static ProcessLock lock;
    static std::unique_ptr<SampleBills> loaded;
    *bills = nullptr;
    error->clear();
    ProcessLock::Held held(lock);
    if (!loaded) {
        std::string text;
        HRESULT hr = LoadEmbeddedText(&text);
        if (FAILED(hr)) {
            *error = L"The sample bills are missing from the DLL's resources.";
            return hr;
        }
        hr = Parse(text, &loaded, error);
        if (FAILED(hr)) return hr;
    }
    *bills = loaded.get();
    return S_OK;
}

HRESULT SampleBills::Rows(LONG bill_id, LONG kind, BillRows* rows) const {
    *rows = BillRows();
    for (const ListedBill& bill : listed_) {
        if (bill.id != bill_id || bill.kind != kind) continue;
        for (const BillRow& row : bill.rows) {
            BillRow copy;
            HRESULT hr = CopyRow(row, &copy);
            if (FAILED(hr)) return hr;
            rows->held.push_back(std::move(copy));
        }
        return S_OK;
    }
    for (const GeneratedBill& bill : generated_) {
        if (bill.id == bill_id && bill.kind == kind) return GeneratedRows(bill_id, kind, bill.count, rows);
    }
    return S_OK;
}

HRESULT SampleBills::GeneratedRows(LONG bill_id, LONG kind, LONG count, BillRows* rows) const {
    *rows = BillRows();
    // The bills live as long as the process: the rows are made when written.
    if (LayoutForKind(kind) == BillLayout::kRejection) {
        if (count > 0 && !CanGenerate(rejection_rule_)) return E_INVALIDARG;
        rows->make = [this, bill_id, count](const RowSink& sink) {
            return GenerateRejections(rejection_rule_, bill_id, count, sink);
        };
    } else {
        if (count > 0 && !CanGenerate(confirmation_rule_)) return E_INVALIDARG;
        rows->make = [this, bill_id, count](const RowSink& sink) {
            return GenerateConfirmations(confirmation_rule_, bill_id, count, sink);
        };
    }
    return S_OK;
}

std::vector<LONG> SampleBills::BillIds(LONG kind) const {
    std::vector<LONG> ids;
    for (const ListedBill& bill : listed_) {
        if (bill.kind == kind) ids.push_back(bill.id);
    }
    for (const GeneratedBill& bill : generated_) {
        if (bill.kind == kind) ids.push_back(bill.id);
    }
    return ids;
}

}  // namespace ambrelle
