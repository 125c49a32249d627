#include "plus/plus_stream.h"

#include "plus/plus_internal.h"

#include <algorithm>
#include <utility>

namespace plus {

PlusStream::PlusStream(PlusStream&& other) noexcept
    : globalHandle_(std::exchange(other.globalHandle_, nullptr)),
      stream_(std::exchange(other.stream_, nullptr)),
      ownsBlock_(std::exchange(other.ownsBlock_, false)) {}

PlusStream& PlusStream::operator=(PlusStream&& other) noexcept {
    if (this != &other) {
        Release();
        globalHandle_ = std::exchange(other.globalHandle_, nullptr);
        stream_ = std::exchange(other.stream_, nullptr);
        ownsBlock_ = std::exchange(other.ownsBlock_, false);
    }
    return *this;
}

PlusStream::~PlusStream() {
    Release();
}

IStream* PlusStream::Create(const ByteSet& data, std::optional<std::size_t> size) {
    Release();
    const std::size_t bytes = size.value_or(data.size());
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    if (!block) return nullptr;
    IStream* stream = nullptr;
    // The stream does not free the block on its last release: Release does.
    if (FAILED(CreateStreamOnHGlobal(block, FALSE, &stream)) || !stream) {
        GlobalFree(block);
        return nullptr;
    }
    const std::size_t copied = std::min(bytes, data.size());
    if (copied > 0) {
        if (void* locked = GlobalLock(block)) {
            std::memcpy(locked, data.data(), copied);
            GlobalUnlock(block);
        }
    }
    globalHandle_ = block;
    stream_ = stream;
    ownsBlock_ = true;
    AdjustLiveCount(+1);
    return stream_;
}

void PlusStream::Release() {
    if (!stream_) return;
    stream_->Release();
    if (ownsBlock_ && globalHandle_) GlobalFree(globalHandle_);
    stream_ = nullptr;
    globalHandle_ = nullptr;
    ownsBlock_ = false;
    AdjustLiveCount(-1);
}

std::size_t PlusStream::GetSize() const {
    return globalHandle_ ? GlobalSize(globalHandle_) : 0;
}

bool PlusStream::Attach(IStream* stream) {
    Release();
    if (!stream) return false;
    stream_ = stream;
    ownsBlock_ = false;
    AdjustLiveCount(+1);
    HGLOBAL block = nullptr;
    if (FAILED(GetHGlobalFromStream(stream, &block))) block = nullptr;
    globalHandle_ = block;
    return block != nullptr;
}

ByteSet PlusStream::GetBytes() const {
    if (!globalHandle_) return {};
    std::size_t size = GlobalSize(globalHandle_);
    // The block may be larger than what was written to the stream: the stream's size counts.
    STATSTG stat{};
    if (stream_ && SUCCEEDED(stream_->Stat(&stat, STATFLAG_NONAME)))
        size = std::min<std::size_t>(size, static_cast<std::size_t>(stat.cbSize.QuadPart));
    ByteSet bytes;
    if (size == 0) return bytes;
    const void* locked = GlobalLock(globalHandle_);
    if (!locked) return bytes;
    const auto* begin = static_cast<const std::uint8_t*>(locked);
    bytes.assign(begin, begin + size);
    GlobalUnlock(globalHandle_);
    return bytes;
}

} // namespace plus
