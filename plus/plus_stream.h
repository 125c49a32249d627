// PlusStream: a COM stream over one block of global memory, the way image bytes reach GDI+
// and encoded images come back as bytes.
#pragma once

#include "plus/plus_object.h"

#include <objidl.h>

namespace plus {

class PlusStream {
public:
    PlusStream() = default;
    PlusStream(PlusStream&& other) noexcept;
    PlusStream& operator=(PlusStream&& other) noexcept;
    PlusStream(const PlusStream&) = delete;
    PlusStream& operator=(const PlusStream&) = delete;
    ~PlusStream();

    // Releases what was held, then makes a zero-filled block of `size` bytes (the length of
    // `data` when none is given), a stream over it, and copies the data in (never more bytes
    // than `data` holds). Returns the stream, or null when no memory or stream could be had.
    IStream* Create(const ByteSet& data = {}, std::optional<std::size_t> size = std::nullopt);
    // Releases the stream and frees the block it created; the stream is empty again.
    void Release();
    // Size of the block in bytes (0 when empty).
    std::size_t GetSize() const;
    IStream* GetStream() const { return stream_; }
    HGLOBAL GetGlobalHandle() const { return globalHandle_; }
    // Releases what was held and takes over the caller's reference to `stream`. True when the
    // stream lies on a global block. The block stays the stream's creator's: Release only
    // releases the stream.
    bool Attach(IStream* stream);
    // The stream's whole content.
    ByteSet GetBytes() const;

private:
    HGLOBAL globalHandle_ = nullptr;
    IStream* stream_ = nullptr;
    bool ownsBlock_ = false;
};

} // namespace plus
