// The process's copy of the engine's own window properties (see window_properties.h).
#include "skin/core/window_properties.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <mutex>
#include <unordered_map>

namespace skin {
namespace {

constexpr std::size_t kKeptNames = std::size(kEngineProperties);

// The slot of an engine name, or kKeptNames for any other name. The engine passes its
// constants; tests and programs may spell the same names out.
std::size_t SlotOf(const char* name) {
    if (!name || reinterpret_cast<std::uintptr_t>(name) <= 0xFFFF) return kKeptNames; // an atom
    for (std::size_t i = 0; i < kKeptNames; ++i)
        if (name == kEngineProperties[i]) return i;
    for (std::size_t i = 0; i < kKeptNames; ++i)
        if (std::strcmp(name, kEngineProperties[i]) == 0) return i;
    return kKeptNames;
}

struct KeptValues {
    std::array<LONG_PTR, kKeptNames> value{};
    std::array<bool, kKeptNames> known{};
};

class KeptProperties {
public:
    // The kept value, or nothing when it has not been read or written yet.
    bool Find(HWND window, std::size_t slot, LONG_PTR& value) {
        const std::lock_guard lock(mutex_);
        const auto it = windows_.find(window);
        if (it == windows_.end() || !it->second.known[slot]) return false;
        value = it->second.value[slot];
        return true;
    }
    void Keep(HWND window, std::size_t slot, LONG_PTR value) {
        const std::lock_guard lock(mutex_);
        if (windows_.size() >= sweepAt_) Sweep();
        KeptValues& kept = windows_[window];
        kept.value[slot] = value;
        kept.known[slot] = true;
    }
    void Forget(HWND window) {
        const std::lock_guard lock(mutex_);
        windows_.erase(window);
    }
    std::size_t Count() {
        const std::lock_guard lock(mutex_);
        Sweep();
        return windows_.size();
    }

private:
    // Windows destroyed since they were kept take their values with them: a handle the system
    // gives out again later starts with nothing kept.
    void Sweep() {
        std::erase_if(windows_, [](const auto& entry) { return !IsWindow(entry.first); });
        sweepAt_ = std::max<std::size_t>(64, 2 * windows_.size());
    }

    std::mutex mutex_;
    std::unordered_map<HWND, KeptValues> windows_;
    std::size_t sweepAt_ = 64;
};

KeptProperties& Kept() {
    static KeptProperties kept;
    return kept;
}

} // namespace

LONG_PTR GetPropValue(HWND window, const char* name) {
    const std::size_t slot = SlotOf(name);
    if (slot == kKeptNames || !window) return reinterpret_cast<LONG_PTR>(GetPropA(window, name));
    // A window gone has no properties; its kept values go with it.
    if (!IsWindow(window)) {
        Kept().Forget(window);
        return 0;
    }
    LONG_PTR value = 0;
    if (Kept().Find(window, slot, value)) return value;
    value = reinterpret_cast<LONG_PTR>(GetPropA(window, name));
    Kept().Keep(window, slot, value);
    return value;
}

bool SetPropValue(HWND window, const char* name, LONG_PTR value) {
    const bool set = SetPropA(window, name, reinterpret_cast<HANDLE>(value)) != FALSE;
    const std::size_t slot = SlotOf(name);
    if (slot != kKeptNames && window) {
        if (set)
            Kept().Keep(window, slot, value);
        else
            Kept().Forget(window); // read from the window again next time
    }
    return set;
}

LONG_PTR RemovePropValue(HWND window, const char* name) {
    const auto removed = reinterpret_cast<LONG_PTR>(RemovePropA(window, name));
    const std::size_t slot = SlotOf(name);
    if (slot != kKeptNames && window && IsWindow(window)) Kept().Keep(window, slot, 0);
    return removed;
}

std::size_t KeptPropertyWindowCount() {
    return Kept().Count();
}

} // namespace skin
