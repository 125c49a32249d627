#include "skin/services/image_reader.h"

#include "skin/core/com_ptr.h"

#include <wincodec.h>

#include <climits>
#include <cstring>
#include <utility>

#include "plus/plus_image.h"
#include "plus/plus_object.h"

namespace skin {

namespace {

// COM for the current thread while the scope lasts. A thread already in the multithreaded
// apartment answers RPC_E_CHANGED_MODE: COM works there too, and there is nothing to undo.
class ComScope {
public:
    ComScope() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT result_;
};

std::uint32_t BigEndian32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           std::uint32_t{p[3]};
}

bool Acceptable(std::uint64_t width, std::uint64_t height) {
    return width > 0 && height > 0 && width * height <= kMaxImagePixels;
}

} // namespace

struct ImageReader::Decoder {
    virtual ~Decoder() = default;
    virtual bool Copy(int x, int y, int w, int h, std::uint32_t* out, int stride) = 0;
    virtual std::uint32_t Pixel(int x, int y) = 0;
};

namespace {

// The image through WIC: a decoder over a copy of the bytes, its first frame converted to
// 32-bit BGRA (the memory layout of GDI+'s 32-bit ARGB) a rectangle at a time.
class WicDecoder final : public ImageReader::Decoder {
public:
    bool Open(std::span<const std::uint8_t> bytes, UINT& width, UINT& height) {
        bytes_.assign(bytes.begin(), bytes.end());
        if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_IWICImagingFactory,
                                    reinterpret_cast<void**>(factory_.put()))) ||
            FAILED(factory_->CreateStream(stream_.put())) ||
            FAILED(
                stream_->InitializeFromMemory(bytes_.data(), static_cast<DWORD>(bytes_.size()))) ||
            FAILED(factory_->CreateDecoderFromStream(
                stream_.get(), nullptr, WICDecodeMetadataCacheOnDemand, decoder_.put())) ||
            FAILED(decoder_->GetFrame(0, frame_.put())) ||
            FAILED(factory_->CreateFormatConverter(converter_.put())) ||
            FAILED(converter_->Initialize(frame_.get(), GUID_WICPixelFormat32bppBGRA,
                                          WICBitmapDitherTypeNone, nullptr, 0.0,
                                          WICBitmapPaletteTypeCustom)))
            return false;
        return SUCCEEDED(converter_->GetSize(&width, &height));
    }

    bool Copy(int x, int y, int w, int h, std::uint32_t* out, int stride) override {
        const WICRect rect{x, y, w, h};
        const UINT strideBytes = static_cast<UINT>(stride) * 4;
        const UINT size = strideBytes * static_cast<UINT>(h - 1) + static_cast<UINT>(w) * 4;
        return SUCCEEDED(
            converter_->CopyPixels(&rect, strideBytes, size, reinterpret_cast<BYTE*>(out)));
    }

    std::uint32_t Pixel(int x, int y) override {
        std::uint32_t pixel = 0;
        return Copy(x, y, 1, 1, &pixel, 1) ? pixel : 0;
    }

private:
    // Declared first, so COM outlives every interface below.
    ComScope com_;
    ByteSet bytes_; // the stream reads from it for as long as the decoder lives
    ComPtr<IWICImagingFactory> factory_;
    ComPtr<IWICStream> stream_;
    ComPtr<IWICBitmapDecoder> decoder_;
    ComPtr<IWICBitmapFrameDecode> frame_;
    ComPtr<IWICFormatConverter> converter_;
};

// The image through GDI+, for what WIC does not read.
class PlusDecoder final : public ImageReader::Decoder {
public:
    bool Open(std::span<const std::uint8_t> bytes, UINT& width, UINT& height) {
        if (!bitmap_.CreateFromStream(ByteSet(bytes.begin(), bytes.end()))) return false;
        width = bitmap_.GetWidth();
        height = bitmap_.GetHeight();
        return true;
    }

    bool Copy(int x, int y, int w, int h, std::uint32_t* out, int stride) override {
        constexpr UINT kLockRead = 1; // ImageLockModeRead
        plus::BitmapData data;
        if (!bitmap_.LockBits({x, y, w, h}, kLockRead, plus::Format32bppARGB, data)) return false;
        for (int row = 0; row < h; ++row)
            std::memcpy(out + static_cast<std::ptrdiff_t>(row) * stride,
                        static_cast<const std::uint8_t*>(data.Scan0) +
                            static_cast<std::ptrdiff_t>(row) * data.Stride,
                        static_cast<std::size_t>(w) * 4);
        return bitmap_.UnlockBits(data);
    }

    std::uint32_t Pixel(int x, int y) override { return bitmap_.GetPixel(x, y); }

private:
    plus::PlusBitmap bitmap_;
};

} // namespace

std::optional<ClaimedSize> PngHeaderSize(std::span<const std::uint8_t> bytes) {
    static constexpr std::uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (bytes.size() < 24 || std::memcmp(bytes.data(), kSignature, sizeof(kSignature)) != 0 ||
        std::memcmp(bytes.data() + 12, "IHDR", 4) != 0)
        return std::nullopt;
    return ClaimedSize{BigEndian32(bytes.data() + 16), BigEndian32(bytes.data() + 20)};
}

ImageReader::ImageReader() = default;
ImageReader::~ImageReader() = default;

bool ImageReader::Open(std::span<const std::uint8_t> bytes) {
    return OpenThrough(bytes, true);
}

bool ImageReader::OpenWithGdiPlus(std::span<const std::uint8_t> bytes) {
    return OpenThrough(bytes, false);
}

bool ImageReader::OpenThrough(std::span<const std::uint8_t> bytes, bool wicFirst) {
    decoder_.reset();
    via_ = Via::Nothing;
    width_ = height_ = 0;
    if (bytes.empty()) return false;
    // A PNG's header is believed before anything is decoded: a claim of no pixels, or of more
    // than a decoder could hold, is refused here.
    if (const auto claimed = PngHeaderSize(bytes);
        claimed && !Acceptable(claimed->width, claimed->height))
        return false;

    UINT width = 0, height = 0;
    if (auto wic = std::make_unique<WicDecoder>(); wicFirst && wic->Open(bytes, width, height)) {
        decoder_ = std::move(wic);
        via_ = Via::Wic;
    } else if (auto gdiplus = std::make_unique<PlusDecoder>();
               gdiplus->Open(bytes, width, height)) {
        decoder_ = std::move(gdiplus);
        via_ = Via::GdiPlus;
    }
    if (!decoder_ || !Acceptable(width, height) || width > INT_MAX || height > INT_MAX) {
        decoder_.reset();
        via_ = Via::Nothing;
        return false;
    }
    width_ = static_cast<int>(width);
    height_ = static_cast<int>(height);
    return true;
}

bool ImageReader::Copy(int x, int y, int w, int h, std::uint32_t* out, int stride) {
    if (!decoder_ || w < 1 || h < 1 || x < 0 || y < 0 || x > width_ - w || y > height_ - h ||
        stride < w)
        return false;
    return decoder_->Copy(x, y, w, h, out, stride);
}

std::uint32_t ImageReader::Pixel(int x, int y) {
    if (!decoder_ || x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    return decoder_->Pixel(x, y);
}

ByteSet ReadFileBytes(const std::string& path) {
    const ByteSet wide = plus::ToWideText(path);
    HANDLE opened =
        CreateFileW(reinterpret_cast<const WCHAR*>(wide.data()), GENERIC_READ, FILE_SHARE_READ,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return {};
    const std::unique_ptr<void, decltype(&CloseHandle)> file(opened, &CloseHandle);
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 || size.QuadPart >= INT_MAX)
        return {};
    ByteSet bytes(static_cast<std::size_t>(size.QuadPart));
    DWORD read = 0;
    if (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
        read != bytes.size())
        return {};
    return bytes;
}

} // namespace skin
