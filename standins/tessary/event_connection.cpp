#include "event_connection.h"

#include <olectl.h>

#include <new>

#include "tessary_identity.h"

using Microsoft::WRL::ComPtr;

namespace tessary {

namespace {

// The interface pointer an enumerated item holds a reference on.
IUnknown* UnknownOf(const CONNECTDATA& connection) { return connection.pUnk; }
IUnknown* UnknownOf(IConnectionPoint* point) { return point; }

// An enumerator (Enum, answered for enum_iid) over a snapshot of items made
// when it was created; it holds a reference on each item's interface.
template <typename Enum, const IID& enum_iid, typename Item>
class SnapshotEnumerator final : public ambrelle::ComObject<ambrelle::Answers<Enum, IID_IUnknown, enum_iid>> {
public:
    explicit SnapshotEnumerator(std::vector<Item> items, size_t position = 0)
        : items_(std::move(items)), position_(position) {
        for (Item& item : items_) AddRefItem(item);
    }

    STDMETHODIMP Next(ULONG count, Item* out, ULONG* fetched) override {
        if (!out || (count > 1 && !fetched)) return E_POINTER;
        ULONG done = 0;
        for (; done < count && position_ < items_.size(); ++done, ++position_) {
            out[done] = items_[position_];
            AddRefItem(out[done]);
        }
        if (fetched) *fetched = done;
        return done == count ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override {
        size_t left = items_.size() - position_;
        position_ += count < left ? count : left;
        return count <= left ? S_OK : S_FALSE;
    }
    STDMETHODIMP Reset() override {
        position_ = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(Enum** out) override {
        if (!out) return E_POINTER;
        *out = new (std::nothrow) SnapshotEnumerator(items_, position_);
        return *out ? S_OK : E_OUTOFMEMORY;
    }

private:
    ~SnapshotEnumerator() {
        for (Item& item : items_)
            if (IUnknown* unknown = UnknownOf(item)) unknown->Release();
    }
    static void AddRefItem(const Item& item) {
        if (IUnknown* unknown = UnknownOf(item)) unknown->AddRef();
    }

    std::vector<Item> items_;
    size_t position_;
};

// A snapshot of the connections at the time it was made.
using ConnectionEnumerator = SnapshotEnumerator<IEnumConnections, IID_IEnumConnections, CONNECTDATA>;
// The control's one connection point.
using ConnectionPointEnumerator =
    SnapshotEnumerator<IEnumConnectionPoints, IID_IEnumConnectionPoints, IConnectionPoint*>;

}  // namespace

HRESULT CreateConnectionPointEnumerator(IConnectionPoint* point, IEnumConnectionPoints** out) {
    if (!out) return E_POINTER;
    *out = new (std::nothrow) ConnectionPointEnumerator(std::vector<IConnectionPoint*>{point});
    return *out ? S_OK : E_OUTOFMEMORY;
}

EventConnectionPoint::EventConnectionPoint(IUnknown* outer, IConnectionPointContainer* container,
                                           void (*on_advise)(void*), void* context)
    : outer_(outer), container_(container), on_advise_(on_advise), context_(context) {}

EventConnectionPoint::~EventConnectionPoint() = default;

STDMETHODIMP EventConnectionPoint::GetConnectionInterface(IID* iid) {
    if (!iid) return E_POINTER;
    *iid = DIID_Events;
    return S_OK;
}

STDMETHODIMP EventConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
    if (!container) return E_POINTER;
    *container = container_;
    container_->AddRef();
    return S_OK;
}

STDMETHODIMP EventConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (!cookie) return E_POINTER;
    *cookie = 0;
    if (!sink) return E_POINTER;
    ComPtr<IDispatch> dispatch;
    if (FAILED(sink->QueryInterface(DIID_Events, reinterpret_cast<void**>(dispatch.GetAddressOf()))) &&
        FAILED(sink->QueryInterface(IID_PPV_ARGS(&dispatch))))
        return CONNECT_E_CANNOTCONNECT;
    try {
        sinks_.push_back(Sink{next_cookie_, dispatch});
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    *cookie = next_cookie_++;
    if (on_advise_) on_advise_(context_);
    return S_OK;
}

STDMETHODIMP EventConnectionPoint::Unadvise(DWORD cookie) {
    for (auto it = sinks_.begin(); it != sinks_.end(); ++it) {
        if (it->cookie != cookie) continue;
        sinks_.erase(it);
        return S_OK;
    }
    return CONNECT_E_NOCONNECTION;
}

STDMETHODIMP EventConnectionPoint::EnumConnections(IEnumConnections** connections) {
    if (!connections) return E_POINTER;
    *connections = nullptr;
    std::vector<CONNECTDATA> items;
    try {
        for (const Sink& sink : sinks_) items.push_back(CONNECTDATA{sink.dispatch.Get(), sink.cookie});
        *connections = new ConnectionEnumerator(std::move(items));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT EventConnectionPoint::Fire(DISPID event, DISPPARAMS* params) {
    if (sinks_.empty()) return S_FALSE;
    // A sink may disconnect (itself or others) while it handles the event.
    std::vector<ComPtr<IDispatch>> targets;
    try {
        for (const Sink& sink : sinks_) targets.push_back(sink.dispatch);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    HRESULT result = S_OK;
    for (const ComPtr<IDispatch>& target : targets) {
        EXCEPINFO excep = {};
        UINT arg_err = 0;
        HRESULT hr = target->Invoke(event, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, params, nullptr, &excep,
                                    &arg_err);
        SysFreeString(excep.bstrSource);
        SysFreeString(excep.bstrDescription);
        SysFreeString(excep.bstrHelpFile);
        if (FAILED(hr) && SUCCEEDED(result)) result = hr;
    }
    return result;
}

}  // namespace tessary
