// An encoded image opened for bounded reads. The background painters show at most a window's
// worth of an image, and the average colour needs 2000 single pixels, so nothing here makes a
// copy of the whole image: pixels are read a rectangle at a time, as 32-bit ARGB.
//
// The image is opened through the Windows imaging component (WIC); formats it does not read
// (metafiles, for one) are opened through GDI+ instead, so every image GDI+ decodes opens.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "skin/core/skin_types.h"

namespace skin {

// Images whose header claims more pixels than this are refused without decoding: 2^30 pixels
// would need 4 GB as 32-bit pixels, beyond what a decoder could allocate for them.
inline constexpr std::uint64_t kMaxImagePixels = std::uint64_t{1} << 30;

// The width and height a PNG's header claims, read without decoding; none for bytes that do not
// start with a PNG signature and header chunk.
struct ClaimedSize {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};
std::optional<ClaimedSize> PngHeaderSize(std::span<const std::uint8_t> bytes);

class ImageReader {
public:
    ImageReader();
    ~ImageReader();
    ImageReader(const ImageReader&) = delete;
    ImageReader& operator=(const ImageReader&) = delete;

    // Opens encoded bytes (the reader keeps its own copy). False when they do not decode, when
    // the header claims no pixels or more than kMaxImagePixels.
    bool Open(std::span<const std::uint8_t> bytes);
    // The same through GDI+ alone: the path of formats WIC does not read.
    bool OpenWithGdiPlus(std::span<const std::uint8_t> bytes);
    bool IsOpen() const { return width_ > 0; }

    enum class Via { Nothing, Wic, GdiPlus };
    // Which decoder reads the pixels.
    Via OpenedVia() const { return via_; }

    int Width() const { return width_; }
    int Height() const { return height_; }

    // Copies the rectangle (x, y, w, h), which must lie inside the image, into `out`: rows of
    // `stride` pixels, 32-bit ARGB (not premultiplied). False when it cannot be read.
    bool Copy(int x, int y, int w, int h, std::uint32_t* out, int stride);
    // One pixel as ARGB; 0 when it cannot be read.
    std::uint32_t Pixel(int x, int y);

    // What reads the pixels (WIC, or GDI+ for what WIC does not read).
    struct Decoder;

private:
    bool OpenThrough(std::span<const std::uint8_t> bytes, bool wicFirst);

    std::unique_ptr<Decoder> decoder_;
    Via via_ = Via::Nothing;
    int width_ = 0;
    int height_ = 0;
};

// The bytes of a file named in the ANSI code page; empty when it cannot be read.
ByteSet ReadFileBytes(const std::string& path);

} // namespace skin
