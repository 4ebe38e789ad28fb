#include "dispatch_name_cache.h"

#include <cstring>
#include <map>
#include <new>
#include <string>
#include <utility>

namespace ambrelle {

namespace {

struct Key {
    GUID interface_id;
    std::wstring folded_name;

    bool operator<(const Key& other) const {
        const int order = std::memcmp(&interface_id, &other.interface_id, sizeof(GUID));
        return order != 0 ? order < 0 : folded_name < other.folded_name;
    }
};

// Upper case for ASCII names; false for a name that has other characters.
bool FoldAscii(const wchar_t* name, std::wstring* folded) {
    folded->clear();
    for (const wchar_t* c = name; *c; ++c) {
        if (*c >= 0x80) return false;
        folded->push_back(*c >= L'a' && *c <= L'z' ? static_cast<wchar_t>(*c - (L'a' - L'A')) : *c);
    }
    return true;
}

class NameCache {
public:
    bool Find(const Key& key, DISPID* id) {
        AcquireSRWLockShared(&lock_);
        const auto found = ids_.find(key);
        const bool known = found != ids_.end();
        if (known) *id = found->second;
        ReleaseSRWLockShared(&lock_);
        return known;
    }
    void Remember(Key key, DISPID id) {
        AcquireSRWLockExclusive(&lock_);
        ids_.emplace(std::move(key), id);
        ReleaseSRWLockExclusive(&lock_);
    }

private:
    SRWLOCK lock_ = SRWLOCK_INIT;
    std::map<Key, DISPID> ids_;
};

NameCache& Cache() {
    static NameCache cache;
    return cache;
}

bool InterfaceIdOf(ITypeInfo* info, GUID* id) {
    TYPEATTR* attributes = nullptr;
    if (FAILED(info->GetTypeAttr(&attributes)) || !attributes) return false;
    *id = attributes->guid;
    info->ReleaseTypeAttr(attributes);
    return *id != GUID_NULL;
}

}  // namespace

HRESULT CachedGetIDsOfNames(ITypeInfo* info, LPOLESTR* names, UINT count, DISPID* ids) {
    Key key;
    const bool cacheable = count == 1 && names && names[0] && ids && InterfaceIdOf(info, &key.interface_id) &&
                           FoldAscii(names[0], &key.folded_name);
    if (cacheable && Cache().Find(key, ids)) return S_OK;
    const HRESULT hr = DispGetIDsOfNames(info, names, count, ids);
    if (cacheable && hr == S_OK) {
        try {
            Cache().Remember(std::move(key), ids[0]);
        } catch (const std::bad_alloc&) {
            // Not kept: the next call resolves the name again.
        }
    }
    return hr;
}

}  // namespace ambrelle
