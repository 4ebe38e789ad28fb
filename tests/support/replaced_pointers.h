// Function pointers of the platform's or a library's own (import table
// entries, vtable slots shared by every object of a class) replaced while
// the owner lives, and put back when it goes.
#pragma once

#include <windows.h>

#include <utility>
#include <vector>

namespace ambrelle_test {

class ReplacedPointers {
public:
    ReplacedPointers() = default;
    ReplacedPointers(const ReplacedPointers&) = delete;
    ReplacedPointers& operator=(const ReplacedPointers&) = delete;
    ~ReplacedPointers() {
        for (auto it = replaced_.rbegin(); it != replaced_.rend(); ++it) Write(it->first, it->second);
    }

    // Puts `function` at `slot`; returns what was there.
    template <typename Function>
    void* Replace(void** slot, Function function) {
        replaced_.push_back({slot, *slot});
        Write(slot, reinterpret_cast<void*>(function));
        return replaced_.back().second;
    }
    size_t size() const { return replaced_.size(); }
    // What was at the slot of the index-th replacement.
    void* original(size_t index) const { return replaced_[index].second; }

private:
    static void Write(void** slot, void* function) {
        DWORD protection = 0;
        VirtualProtect(slot, sizeof(*slot), PAGE_READWRITE, &protection);
        *slot = function;
        VirtualProtect(slot, sizeof(*slot), protection, &protection);
    }
    std::vector<std::pair<void**, void*>> replaced_;
};

}  // namespace ambrelle_test
