#include "plus/plus_object.h"

#include "plus/plus_internal.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <unordered_set>

namespace plus {
namespace {

// Library-wide state: the token of the last start-up, the tokens not yet shut down (so none is
// shut down twice), the last status, the native objects created through a wrapper and not yet
// released, and the count of live streams.
ULONG_PTR gdiPlusToken = 0;
std::vector<ULONG_PTR> liveTokens;
int lastStatus = Ok;
std::atomic<int> callsFailed{0}; // statuses other than Ok, counted by Record
std::atomic<int> liveStreams{0};

// The natives are kept by address, not counted by wrapper: a wrapper that drops or replaces a
// native object without releasing it leaves the address here, where a leak check sees it.
struct LiveNatives {
    std::mutex lock;
    std::unordered_set<NativeHandle> held;
};
LiveNatives& Natives() {
    static LiveNatives natives;
    return natives;
}

} // namespace

ULONG_PTR StartupGdiPlus(std::optional<std::uint32_t> version) {
    Gdiplus::GdiplusStartupInput input;
    input.GdiplusVersion = version.value_or(1);
    input.DebugEventCallback = nullptr;
    input.SuppressBackgroundThread = FALSE;
    input.SuppressExternalCodecs = FALSE;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) token = 0;
    if (token) liveTokens.push_back(token);
    gdiPlusToken = token;
    return token;
}

void ShutdownGdiPlus(std::optional<ULONG_PTR> token) {
    ULONG_PTR target = 0;
    if (token) {
        target = *token;
        if (target == gdiPlusToken) gdiPlusToken = 0;
    } else {
        target = gdiPlusToken;
        gdiPlusToken = 0;
    }
    if (!target) return;
    auto found = std::find(liveTokens.begin(), liveTokens.end(), target);
    if (found == liveTokens.end()) return;
    liveTokens.erase(found);
    Gdiplus::GdiplusShutdown(target);
}

ULONG_PTR GdiPlusToken() {
    return gdiPlusToken;
}

bool GdiPlusRunning() {
    return !liveTokens.empty();
}

int LastStatus() {
    return lastStatus;
}

int Record(int status) {
    lastStatus = status;
    if (status != Ok) ++callsFailed;
    return status;
}

int Record(GpStatus status) {
    return Record(static_cast<int>(status));
}

int LiveObjectCount() {
    LiveNatives& natives = Natives();
    std::lock_guard<std::mutex> guard(natives.lock);
    return static_cast<int>(natives.held.size()) + liveStreams.load();
}

namespace {
std::atomic<int> creationsAsked{0};
std::atomic<int> refusedCreation{0};
std::atomic<int> outOfMemory{0};
std::atomic<CreationWatcher> creationWatcher{nullptr};
} // namespace

void WatchCreations(CreationWatcher watcher) {
    creationWatcher = watcher;
}

int CreationsOutOfMemory() {
    return outOfMemory.load();
}

int CallsFailed() {
    return callsFailed.load();
}

void RefuseCreation(int n) {
    refusedCreation = n;
    creationsAsked = 0;
}

int CreationsAsked() {
    return creationsAsked.load();
}

bool CreationRefused() {
    const int asked = ++creationsAsked;
    if (const CreationWatcher watcher = creationWatcher.load()) watcher(asked);
    return asked == refusedCreation.load();
}

void AdjustLiveCount(int delta) {
    liveStreams += delta;
}

void NoteReleased(NativeHandle native) {
    LiveNatives& natives = Natives();
    std::lock_guard<std::mutex> guard(natives.lock);
    natives.held.erase(native);
}

ByteSet ToWideText(const Text& text) {
    const int units = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    ByteSet wide(static_cast<std::size_t>(std::max(units, 1)) * sizeof(WCHAR), 0);
    if (units > 0)
        MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, reinterpret_cast<WCHAR*>(wide.data()),
                            units);
    return wide;
}

ByteSet ToWideBytes(const std::wstring& text) {
    ByteSet bytes((text.size() + 1) * sizeof(WCHAR), 0);
    std::memcpy(bytes.data(), text.data(), text.size() * sizeof(WCHAR));
    return bytes;
}

WideArg WideArg::FromText(const Text& text) {
    return FromBytes(ToWideText(text));
}

WideArg WideArg::FromBytes(const ByteSet& bytes) {
    WideArg arg;
    const std::size_t units = bytes.size() / sizeof(WCHAR);
    arg.text_.reserve(units);
    for (std::size_t i = 0; i < units; ++i) {
        const auto unit = static_cast<wchar_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
        if (unit == 0) break;
        arg.text_.push_back(unit);
    }
    return arg;
}

// The class's destructor has run its release method; a handle left here was attached from
// outside and is not ours to delete.
PlusObject::~PlusObject() = default;

void PlusObject::SetHandle(NativeHandle h) {
    handle_ = h;
    AttachNative(h);
}

void* PlusObject::Alloc(std::size_t size) const {
    return gp::GdipAlloc(size);
}

void PlusObject::Free(void* p) const {
    gp::GdipFree(p);
}

bool PlusObject::TakeNative(int status, NativeHandle created) {
    if (created) {
        // Only now that the new object exists does the held one go: a failed creation or
        // clone leaves the wrapper as it was.
        if (handle_ && handle_ != created) ReleaseHeld();
        {
            LiveNatives& natives = Natives();
            std::lock_guard<std::mutex> guard(natives.lock);
            natives.held.insert(created);
        }
        SetHandle(created);
    }
    if (status == OutOfMemory) ++outOfMemory;
    Record(status);
    return status == Ok;
}

void PlusObject::MoveFrom(PlusObject& other) noexcept {
    if (&other == this) return;
    NativeHandle h = other.handle_;
    other.SetHandle(nullptr);
    SetHandle(h);
}

} // namespace plus
