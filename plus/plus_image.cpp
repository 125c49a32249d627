#include "plus/plus_image.h"

#include "plus/plus_graphics.h"
#include "plus/plus_internal.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <memory>
#include <utility>

namespace plus {
namespace {

using Gdiplus::GpBitmap;
using Gdiplus::GpImage;

GpImage* I(void* native) {
    return static_cast<GpImage*>(native);
}
GpBitmap* B(void* native) {
    return static_cast<GpBitmap*>(native);
}

// A zero-filled buffer of `size` bytes aligned for any GDI+ record.
class AlignedBuffer {
public:
    explicit AlignedBuffer(std::size_t size)
        : size_(size), storage_((size + sizeof(std::max_align_t) - 1) / sizeof(std::max_align_t)) {}
    template <class T> T* As() { return reinterpret_cast<T*>(storage_.data()); }
    const std::uint8_t* Bytes() const {
        return reinterpret_cast<const std::uint8_t*>(storage_.data());
    }
    std::size_t Size() const { return size_; }

private:
    std::size_t size_;
    std::vector<std::max_align_t> storage_;
};

Text WideToText(const WCHAR* wide, UINT codePage) {
    if (!wide) return {};
    const int bytes = WideCharToMultiByte(codePage, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 1) return {};
    Text text(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(codePage, 0, wide, -1, text.data(), bytes, nullptr, nullptr);
    text.resize(static_cast<std::size_t>(bytes - 1));
    return text;
}

// Bytes per value of an encoder-parameter type; 0 for types without a fixed size.
std::size_t ValueTypeSize(std::int32_t type) {
    switch (type) {
        case 1:
        case 2:
        case 7: return 1;
        case 3: return 2;
        case 4: return 4;
        case 5:
        case 6: return 8;
        case 8: return 16;
        default: return 0;
    }
}

// The GDI+ EncoderParameters block for a parameter array: the count followed by one entry per
// record whose value pointer points into the record's Value bytes. A record whose Value holds
// fewer bytes than its count and type promise is refused (GDI+ would read past it).
class EncoderBlock {
public:
    explicit EncoderBlock(const std::vector<EncoderParameter>& params)
        : buffer_(offsetof(Gdiplus::EncoderParameters, Parameter) +
                  std::max<std::size_t>(params.size(), 1) * sizeof(Gdiplus::EncoderParameter)),
          empty_(params.empty()) {
        auto* block = buffer_.As<Gdiplus::EncoderParameters>();
        block->Count = static_cast<UINT>(params.size());
        for (std::size_t i = 0; i < params.size(); ++i) {
            const EncoderParameter& p = params[i];
            const std::size_t needed =
                static_cast<std::size_t>(std::max(p.NumberOfValues, 0)) * ValueTypeSize(p.Type);
            if (p.NumberOfValues < 0 || ValueTypeSize(p.Type) == 0 || p.Value.size() < needed)
                valid_ = false;
            Gdiplus::EncoderParameter& e = block->Parameter[i];
            e.Guid = TextToGuid(p.Guid);
            e.NumberOfValues = static_cast<ULONG>(p.NumberOfValues);
            e.Type = static_cast<ULONG>(p.Type);
            e.Value = const_cast<std::uint8_t*>(p.Value.data());
        }
    }
    bool Valid() const { return valid_; }
    // Null when there are no parameters.
    const Gdiplus::EncoderParameters* Get() {
        return empty_ ? nullptr : buffer_.As<Gdiplus::EncoderParameters>();
    }

private:
    AlignedBuffer buffer_;
    bool empty_;
    bool valid_ = true;
};

// Runs a save call with the encoder of `format` and the parameter block.
template <class Save>
bool SaveWithEncoder(const Text& format, const std::vector<EncoderParameter>& params, Save save) {
    EncoderBlock block(params);
    if (!block.Valid()) {
        Record(InvalidParameter);
        return false;
    }
    const CLSID clsid = TextToGuid(EncoderClsid(format));
    return Succeeded(save(&clsid, block.Get()));
}

// Size of the rectangle a drawing of w x h takes after turning (see GetRotatedSize).
SizeF RotatedSize(float width, float height, int angle) {
    SizeF size;
    PlusBitmap::GetRotatedSize(width, height, angle, size.width, size.height);
    return size;
}

// Effects came with a later GDI+ than some import libraries describe: the function is looked
// up in the loaded gdiplus.dll, and a GDI+ without it answers NotImplemented.
GpStatus BitmapApplyEffect(GpBitmap* bitmap, Gdiplus::CGpEffect* effect, RECT* roi, BOOL useAuxData,
                           void** auxData, INT* auxDataSize) {
    using ApplyEffectFn =
        GpStatus(WINGDIPAPI*)(GpBitmap*, Gdiplus::CGpEffect*, RECT*, BOOL, void**, INT*);
    static const auto apply = reinterpret_cast<ApplyEffectFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("gdiplus.dll"), "GdipBitmapApplyEffect")));
    if (!apply) return Gdiplus::NotImplemented;
    return apply(bitmap, effect, roi, useAuxData, auxData, auxDataSize);
}

struct MatrixDeleter {
    void operator()(Gdiplus::GpMatrix* m) const { gp::GdipDeleteMatrix(m); }
};
struct BrushDeleter {
    void operator()(Gdiplus::GpBrush* b) const { gp::GdipDeleteBrush(b); }
};

} // namespace

Text GuidToText(const GUID& guid) {
    WCHAR wide[40] = {};
    if (!StringFromGUID2(guid, wide, 40)) return {};
    return WideToText(wide, CP_OEMCP);
}

GUID TextToGuid(const Text& text) {
    GUID guid{};
    if (text.empty()) return guid;
    const WideArg wide = WideArg::FromText(text);
    std::wstring copy(wide.Data(), static_cast<std::size_t>(wide.Length()));
    if (FAILED(CLSIDFromString(copy.data(), &guid))) guid = GUID{};
    return guid;
}

std::vector<ImageCodecRecord> ImageEncoders() {
    UINT count = 0, size = 0;
    if (Record(gp::GdipGetImageEncodersSize(&count, &size)) != Ok || size == 0) return {};
    AlignedBuffer buffer(size);
    auto* codecs = buffer.As<Gdiplus::ImageCodecInfo>();
    if (Record(gp::GdipGetImageEncoders(count, size, codecs)) != Ok) return {};
    std::vector<ImageCodecRecord> records;
    records.reserve(count);
    for (UINT i = 0; i < count; ++i) {
        const Gdiplus::ImageCodecInfo& c = codecs[i];
        ImageCodecRecord r;
        r.Clsid = GuidToText(c.Clsid);
        r.FormatID = GuidToText(c.FormatID);
        r.CodecName = WideToText(c.CodecName, CP_OEMCP);
        r.DllName = WideToText(c.DllName, CP_OEMCP);
        r.FormatDescription = WideToText(c.FormatDescription, CP_OEMCP);
        r.FilenameExtension = WideToText(c.FilenameExtension, CP_OEMCP);
        r.MimeType = WideToText(c.MimeType, CP_OEMCP);
        r.Flags = static_cast<std::int32_t>(c.Flags);
        r.Version = static_cast<std::int32_t>(c.Version);
        r.SigCount = static_cast<std::int32_t>(c.SigCount);
        r.SigSize = static_cast<std::int32_t>(c.SigSize);
        const std::size_t sigBytes = std::size_t{c.SigCount} * c.SigSize;
        if (c.SigPattern) r.SigPattern.assign(c.SigPattern, c.SigPattern + sigBytes);
        if (c.SigMask) r.SigMask.assign(c.SigMask, c.SigMask + sigBytes);
        records.push_back(std::move(r));
    }
    return records;
}

Text EncoderClsid(const Text& format) {
    if (format.empty()) return {};
    const std::vector<ImageCodecRecord> encoders = ImageEncoders();
    for (const ImageCodecRecord& r : encoders)
        if (r.FormatID == format) return r.Clsid;
    for (const ImageCodecRecord& r : encoders)
        if (!r.MimeType.empty() && r.MimeType == format) return r.Clsid;
    return {};
}

// ---- PlusImage ----

PlusImage::PlusImage(PlusImage&& other) noexcept {
    MoveFrom(other);
    source_ = std::move(other.Source());
}

PlusImage& PlusImage::operator=(PlusImage&& other) noexcept {
    if (this != &other) {
        DisposeImage();
        MoveFrom(other);
        Source() = std::move(other.Source());
    }
    return *this;
}

PlusImage::~PlusImage() {
    PlusImage::DisposeImage();
}

void PlusImage::AttachNative(NativeHandle h) {
    native_ = h;
    OnAttach(h);
}

void PlusImage::OnAttach(NativeHandle) {}

// The image goes before the stream it may still read from.
bool PlusImage::DisposeImage() {
    const bool disposed =
        ReleaseNative(*this, native_, [&] { return gp::GdipDisposeImage(I(native_)); });
    source_.Release();
    return disposed;
}

bool PlusImage::LoadFromFile(const Text& fileName, bool useIcm) {
    return LoadFromFileW(ToWideText(fileName), useIcm);
}

bool PlusImage::LoadFromFileW(const ByteSet& fileName, bool useIcm) {
    const WideArg name = WideArg::FromBytes(fileName);
    return CreateNative<GpImage>(*this, [&](GpImage** out) {
        return useIcm ? gp::GdipLoadImageFromFileICM(name.Data(), out)
                      : gp::GdipLoadImageFromFile(name.Data(), out);
    });
}

bool PlusImage::LoadFromStream(const ByteSet& data, bool useIcm) {
    DisposeImage(); // the held image may still read from the stream about to be replaced
    IStream* stream = source_.Create(data);
    const bool loaded = CreateNative<GpImage>(*this, [&](GpImage** out) {
        return useIcm ? gp::GdipLoadImageFromStreamICM(stream, out)
                      : gp::GdipLoadImageFromStream(stream, out);
    });
    if (!GetHandle()) source_.Release();
    return loaded;
}

bool PlusImage::Clone(PlusImage& target) const {
    return CreateNative<GpImage>(
        target, [&](GpImage** out) { return gp::GdipCloneImage(I(native_), out); });
}

bool PlusImage::GetEncoderParameterList(const Text& format,
                                        std::vector<EncoderParameter>& params) const {
    const CLSID clsid = TextToGuid(EncoderClsid(format));
    UINT size = 0;
    if (Record(gp::GdipGetEncoderParameterListSize(I(native_), &clsid, &size)) != Ok) return false;
    if (size < sizeof(UINT)) {
        Record(GenericError);
        return false;
    }
    AlignedBuffer buffer(size);
    auto* block = buffer.As<Gdiplus::EncoderParameters>();
    if (Record(gp::GdipGetEncoderParameterList(I(native_), &clsid, size, block)) != Ok)
        return false;
    const std::size_t fits = (size - offsetof(Gdiplus::EncoderParameters, Parameter)) /
                             sizeof(Gdiplus::EncoderParameter);
    const std::size_t count = std::min<std::size_t>(block->Count, fits);
    std::vector<EncoderParameter> result(count);
    for (std::size_t i = 0; i < count; ++i) {
        const Gdiplus::EncoderParameter& e = block->Parameter[i];
        result[i].Guid = GuidToText(e.Guid);
        result[i].NumberOfValues = static_cast<std::int32_t>(e.NumberOfValues);
        result[i].Type = static_cast<std::int32_t>(e.Type);
        const auto* value = static_cast<const std::uint8_t*>(e.Value);
        if (value) result[i].Value.assign(value, value + e.NumberOfValues * ValueTypeSize(e.Type));
    }
    params = std::move(result);
    return true;
}

bool PlusImage::SaveToFile(const Text& fileName, const Text& format,
                           const std::vector<EncoderParameter>& params) const {
    return SaveToFileW(ToWideText(fileName), format, params);
}

bool PlusImage::SaveToFileW(const ByteSet& fileName, const Text& format,
                            const std::vector<EncoderParameter>& params) const {
    const WideArg name = WideArg::FromBytes(fileName);
    return SaveWithEncoder(format, params, [&](const CLSID* clsid, auto* block) {
        return gp::GdipSaveImageToFile(I(native_), name.Data(), clsid, block);
    });
}

ByteSet PlusImage::SaveToBytes(std::optional<Text> format,
                               const std::vector<EncoderParameter>& params) const {
    const Text chosen = format ? *format : GetRawFormat();
    PlusStream stream;
    IStream* target = stream.Create();
    const bool saved = SaveWithEncoder(chosen, params, [&](const CLSID* clsid, auto* block) {
        return gp::GdipSaveImageToStream(I(native_), target, clsid, block);
    });
    return saved ? stream.GetBytes() : ByteSet{};
}

bool PlusImage::SaveAdd(const std::vector<EncoderParameter>& params) {
    EncoderBlock block(params);
    if (!block.Valid()) {
        Record(InvalidParameter);
        return false;
    }
    return Succeeded(gp::GdipSaveAdd(I(native_), block.Get()));
}

bool PlusImage::SaveAddImage(const PlusImage& newImage,
                             const std::vector<EncoderParameter>& params) {
    EncoderBlock block(params);
    if (!block.Valid()) {
        Record(InvalidParameter);
        return false;
    }
    return Succeeded(gp::GdipSaveAddImage(I(native_), NativeOf<GpImage>(newImage), block.Get()));
}

int PlusImage::GetType() const {
    Gdiplus::ImageType value{};
    Record(gp::GdipGetImageType(I(native_), &value));
    return value;
}

SizeF PlusImage::GetDimension() const {
    float width = 0, height = 0;
    if (Record(gp::GdipGetImageDimension(I(native_), &width, &height)) != Ok) return {};
    return {width, height};
}

int PlusImage::GetBounds(RectF& rect, int& unit) const {
    Gdiplus::RectF bounds(0, 0, 0, 0);
    Gdiplus::Unit boundsUnit{};
    const int status = Record(gp::GdipGetImageBounds(I(native_), &bounds, &boundsUnit));
    rect = status == Ok ? As<RectF>(bounds) : RectF{};
    unit = status == Ok ? boundsUnit : 0;
    return status;
}

UINT PlusImage::GetWidth() const {
    UINT value = 0;
    Record(gp::GdipGetImageWidth(I(native_), &value));
    return value;
}

UINT PlusImage::GetHeight() const {
    UINT value = 0;
    Record(gp::GdipGetImageHeight(I(native_), &value));
    return value;
}

float PlusImage::GetHorizontalResolution() const {
    float value = 0;
    Record(gp::GdipGetImageHorizontalResolution(I(native_), &value));
    return value;
}

float PlusImage::GetVerticalResolution() const {
    float value = 0;
    Record(gp::GdipGetImageVerticalResolution(I(native_), &value));
    return value;
}

UINT PlusImage::GetFlags() const {
    UINT value = 0;
    Record(gp::GdipGetImageFlags(I(native_), &value));
    return value;
}

Text PlusImage::GetRawFormat() const {
    GUID format{};
    if (Record(gp::GdipGetImageRawFormat(I(native_), &format)) != Ok) return {};
    return GuidToText(format);
}

int PlusImage::GetPixelFormat() const {
    Gdiplus::PixelFormat value = 0;
    Record(gp::GdipGetImagePixelFormat(I(native_), &value));
    return value;
}

bool PlusImage::GetPalette(PaletteRecord& palette) const {
    INT size = 0;
    if (Record(gp::GdipGetImagePaletteSize(I(native_), &size)) != Ok) return false;
    const std::size_t header = offsetof(Gdiplus::ColorPalette, Entries);
    AlignedBuffer buffer(std::max<std::size_t>(static_cast<std::size_t>(std::max(size, 0)),
                                               sizeof(Gdiplus::ColorPalette)));
    auto* native = buffer.As<Gdiplus::ColorPalette>();
    if (Record(gp::GdipGetImagePalette(I(native_), native, size)) != Ok) return false;
    const std::size_t fits = (buffer.Size() - header) / sizeof(ARGB);
    const std::size_t count = std::min<std::size_t>(native->Count, fits);
    palette.Flags = static_cast<std::int32_t>(native->Flags);
    palette.Count = static_cast<std::int32_t>(count);
    palette.Entries.assign(native->Entries, native->Entries + count);
    return true;
}

bool PlusImage::SetPalette(const PaletteRecord& palette) {
    // Never more entries than the record holds.
    const std::size_t count = std::min<std::size_t>(
        static_cast<std::size_t>(std::max(palette.Count, 0)), palette.Entries.size());
    AlignedBuffer buffer(offsetof(Gdiplus::ColorPalette, Entries) +
                         std::max<std::size_t>(count, 1) * sizeof(ARGB));
    auto* native = buffer.As<Gdiplus::ColorPalette>();
    native->Flags = static_cast<UINT>(palette.Flags);
    native->Count = static_cast<UINT>(count);
    std::copy_n(palette.Entries.begin(), count, native->Entries);
    return Succeeded(gp::GdipSetImagePalette(I(native_), native));
}

bool PlusImage::GetThumbnailImage(UINT thumbWidth, UINT thumbHeight, PlusImage& target) const {
    return CreateNative<GpImage>(target, [&](GpImage** out) {
        return gp::GdipGetImageThumbnail(I(native_), thumbWidth, thumbHeight, out, nullptr,
                                         nullptr);
    });
}

UINT PlusImage::GetFrameCount(const Text& dimension) const {
    const GUID guid = TextToGuid(dimension);
    UINT value = 0;
    Record(gp::GdipImageGetFrameCount(I(native_), &guid, &value));
    return value;
}

UINT PlusImage::GetFrameDimensionsList(std::vector<Text>& dimensions) const {
    UINT count = 0;
    if (Record(gp::GdipImageGetFrameDimensionsCount(I(native_), &count)) != Ok) return 0;
    std::vector<GUID> guids(std::max<UINT>(count, 1));
    if (Record(gp::GdipImageGetFrameDimensionsList(I(native_), guids.data(), count)) != Ok)
        return 0;
    dimensions.clear();
    for (UINT i = 0; i < count; ++i)
        dimensions.push_back(GuidToText(guids[i]));
    return count;
}

bool PlusImage::SelectActiveFrame(const Text& dimension, UINT frameIndex) {
    const GUID guid = TextToGuid(dimension);
    return Succeeded(gp::GdipImageSelectActiveFrame(I(native_), &guid, frameIndex));
}

bool PlusImage::RotateFlip(int rotateFlipType) {
    return Succeeded(
        gp::GdipImageRotateFlip(I(native_), static_cast<Gdiplus::RotateFlipType>(rotateFlipType)));
}

bool PlusImage::GetFrameDelays(std::vector<std::int32_t>& delays) const {
    PropertyItemRecord item;
    if (!GetPropertyItem(TagFrameDelay, item)) return false;
    const std::size_t count =
        std::min<std::size_t>(static_cast<std::size_t>(item.Length) / 4, item.Value.size() / 4);
    delays.assign(count, 0);
    if (count) std::memcpy(delays.data(), item.Value.data(), count * 4);
    return true;
}

bool PlusImage::GetPropertyItem(std::int32_t propId, PropertyItemRecord& item) const {
    UINT size = 0;
    const auto id = static_cast<PROPID>(propId);
    if (Record(gp::GdipGetPropertyItemSize(I(native_), id, &size)) != Ok) return false;
    AlignedBuffer buffer(std::max<std::size_t>(size, sizeof(Gdiplus::PropertyItem)));
    auto* native = buffer.As<Gdiplus::PropertyItem>();
    if (Record(gp::GdipGetPropertyItem(I(native_), id, size, native)) != Ok) return false;
    item.Id = static_cast<std::int32_t>(native->id);
    item.Length = static_cast<std::int32_t>(native->length);
    item.Type = native->type;
    const auto* value = static_cast<const std::uint8_t*>(native->value);
    std::size_t length = native->length;
    // The value normally follows the item inside the buffer: never read past that.
    if (value >= buffer.Bytes() && value <= buffer.Bytes() + buffer.Size())
        length = std::min<std::size_t>(length, buffer.Bytes() + buffer.Size() - value);
    item.Value = value ? ByteSet(value, value + length) : ByteSet{};
    return true;
}

bool PlusImage::SetPropertyItem(const PropertyItemRecord& item) {
    if (item.Length < 0 || static_cast<std::size_t>(item.Length) > item.Value.size()) {
        Record(InvalidParameter); // GDI+ would read past the value bytes
        return false;
    }
    Gdiplus::PropertyItem native{};
    native.id = static_cast<PROPID>(item.Id);
    native.length = static_cast<ULONG>(item.Length);
    native.type = static_cast<WORD>(item.Type);
    native.value = const_cast<std::uint8_t*>(item.Value.data());
    return Succeeded(gp::GdipSetPropertyItem(I(native_), &native));
}

bool PlusImage::RemovePropertyItem(std::int32_t propId) {
    return Succeeded(gp::GdipRemovePropertyItem(I(native_), static_cast<PROPID>(propId)));
}

UINT PlusImage::GetPropertyIdList(std::vector<std::int32_t>& ids) const {
    UINT count = 0;
    if (Record(gp::GdipGetPropertyCount(I(native_), &count)) != Ok) return 0;
    if (count == 0) {
        ids.clear();
        return 0;
    }
    std::vector<PROPID> list(count);
    if (Record(gp::GdipGetPropertyIdList(I(native_), count, list.data())) != Ok) return 0;
    ids.assign(list.begin(), list.end());
    return count;
}

// ---- PlusBitmap ----

PlusBitmap::PlusBitmap(PlusBitmap&& other) noexcept {
    MoveFrom(other);
    bitmapSource_ = std::move(other.bitmapSource_);
}

PlusBitmap& PlusBitmap::operator=(PlusBitmap&& other) noexcept {
    if (this != &other) {
        DisposeImage();
        MoveFrom(other);
        bitmapSource_ = std::move(other.bitmapSource_);
    }
    return *this;
}

PlusBitmap::~PlusBitmap() {
    PlusBitmap::DisposeImage();
}

void PlusBitmap::OnAttach(NativeHandle h) {
    bitmapNative_ = h;
}

bool PlusBitmap::DisposeImage() {
    const bool disposed =
        ReleaseNative(*this, bitmapNative_, [&] { return gp::GdipDisposeImage(I(bitmapNative_)); });
    bitmapSource_.Release();
    return disposed;
}

bool PlusBitmap::CreateFromFile(const Text& fileName, bool useIcm) {
    return CreateFromFileW(ToWideText(fileName), useIcm);
}

bool PlusBitmap::CreateFromFileW(const ByteSet& fileName, bool useIcm) {
    const WideArg name = WideArg::FromBytes(fileName);
    return CreateNative<GpBitmap>(*this, [&](GpBitmap** out) {
        return useIcm ? gp::GdipCreateBitmapFromFileICM(name.Data(), out)
                      : gp::GdipCreateBitmapFromFile(name.Data(), out);
    });
}

bool PlusBitmap::CreateFromStream(const ByteSet& data, bool useIcm) {
    DisposeImage();
    IStream* stream = bitmapSource_.Create(data);
    const bool created = CreateNative<GpBitmap>(*this, [&](GpBitmap** out) {
        return useIcm ? gp::GdipCreateBitmapFromStreamICM(stream, out)
                      : gp::GdipCreateBitmapFromStream(stream, out);
    });
    if (!GetHandle()) bitmapSource_.Release();
    return created;
}

bool PlusBitmap::CreateFromScan0(int width, int height, int stride, int format, BYTE* scan0) {
    return CreateNative<GpBitmap>(*this, [&](GpBitmap** out) {
        return gp::GdipCreateBitmapFromScan0(width, height, stride, format, scan0, out);
    });
}

bool PlusBitmap::Create(int width, int height, int format) {
    return CreateFromScan0(width, height, 0, format, nullptr);
}

bool PlusBitmap::CreateFromGraphics(int width, int height, const PlusGraphics& graphics) {
    return CreateNative<GpBitmap>(*this, [&](GpBitmap** out) {
        return gp::GdipCreateBitmapFromGraphics(width, height,
                                                NativeOf<Gdiplus::GpGraphics>(graphics), out);
    });
}

bool PlusBitmap::CreateFromGdiDib(const BITMAPINFO* bitmapInfo, void* bits) {
    return CreateNative<GpBitmap>(*this, [&](GpBitmap** out) {
        return gp::GdipCreateBitmapFromGdiDib(bitmapInfo, bits, out);
    });
}

bool PlusBitmap::CreateFromHBITMAP(HBITMAP hbm, HPALETTE hpal) {
    return CreateNative<GpBitmap>(
        *this, [&](GpBitmap** out) { return gp::GdipCreateBitmapFromHBITMAP(hbm, hpal, out); });
}

bool PlusBitmap::CreateFromHICON(HICON hicon) {
    return CreateNative<GpBitmap>(
        *this, [&](GpBitmap** out) { return gp::GdipCreateBitmapFromHICON(hicon, out); });
}

bool PlusBitmap::CreateFromResource(HINSTANCE hInstance, const wchar_t* resourceName) {
    return CreateNative<GpBitmap>(*this, [&](GpBitmap** out) {
        return gp::GdipCreateBitmapFromResource(hInstance, resourceName, out);
    });
}

HBITMAP PlusBitmap::GetHBITMAP(ARGB background) {
    HBITMAP hbm = nullptr;
    Record(gp::GdipCreateHBITMAPFromBitmap(B(bitmapNative_), &hbm, background));
    return hbm;
}

HICON PlusBitmap::GetHICON() {
    HICON icon = nullptr;
    Record(gp::GdipCreateHICONFromBitmap(B(bitmapNative_), &icon));
    return icon;
}

bool PlusBitmap::CloneArea(const RectF& rect, int format, PlusBitmap& target) const {
    return CreateNative<GpBitmap>(target, [&](GpBitmap** out) {
        return gp::GdipCloneBitmapArea(rect.x, rect.y, rect.width, rect.height, format,
                                       B(bitmapNative_), out);
    });
}

bool PlusBitmap::CloneAreaI(const Rect& rect, int format, PlusBitmap& target) const {
    return CreateNative<GpBitmap>(target, [&](GpBitmap** out) {
        return gp::GdipCloneBitmapAreaI(rect.x, rect.y, rect.width, rect.height, format,
                                        B(bitmapNative_), out);
    });
}

bool PlusBitmap::LockBits(const Rect& rect, UINT flags, int format, BitmapData& data) {
    const auto area = As<Gdiplus::Rect>(rect);
    auto native = As<Gdiplus::BitmapData>(data); // a caller's buffer is read from it
    const bool ok =
        Succeeded(gp::GdipBitmapLockBits(B(bitmapNative_), &area, flags, format, &native));
    data = As<BitmapData>(native);
    return ok;
}

bool PlusBitmap::UnlockBits(BitmapData& data) {
    auto native = As<Gdiplus::BitmapData>(data);
    const bool ok = Succeeded(gp::GdipBitmapUnlockBits(B(bitmapNative_), &native));
    data = As<BitmapData>(native);
    return ok;
}

ARGB PlusBitmap::GetPixel(int x, int y) const {
    Gdiplus::ARGB colour = 0;
    Record(gp::GdipBitmapGetPixel(B(bitmapNative_), x, y, &colour));
    return colour;
}

bool PlusBitmap::SetPixel(int x, int y, ARGB colour) {
    return Succeeded(gp::GdipBitmapSetPixel(B(bitmapNative_), x, y, colour));
}

bool PlusBitmap::SetResolution(float dpiX, float dpiY) {
    return Succeeded(gp::GdipBitmapSetResolution(B(bitmapNative_), dpiX, dpiY));
}

bool PlusBitmap::ApplyEffect(PlusEffect& effect, std::optional<Rect> roi) {
    RECT area{};
    if (roi) area = {roi->x, roi->y, roi->x + roi->width, roi->y + roi->height};
    void* auxData = nullptr;
    INT auxDataSize = 0;
    const bool ok = Succeeded(BitmapApplyEffect(
        B(bitmapNative_), static_cast<Gdiplus::CGpEffect*>(effect.GetNativeEffect()),
        roi ? &area : nullptr, effect.GetUseAuxData() ? TRUE : FALSE, &auxData, &auxDataSize));
    effect.SetAuxData(auxData, auxDataSize);
    return ok;
}

void PlusBitmap::GetRotatedSize(float width, float height, int angle, float& outWidth,
                                float& outHeight) {
    const double rad = angle * 3.1415926535 / 180;
    const double c = std::cos(rad), s = std::sin(rad);
    const double g = width - 1.0, l = height - 1.0;
    struct P {
        double x, y;
    };
    const auto turn = [&](P p) { return P{c * p.x + s * p.y, -s * p.x + c * p.y}; };
    const P p1 = turn({-g / 2, l / 2}), p2 = turn({g / 2, l / 2});
    const P p3 = turn({-g / 2, -l / 2}), p4 = turn({g / 2, -l / 2});
    outWidth = static_cast<float>(std::max(std::fabs(p4.x - p1.x), std::fabs(p3.x - p2.x)));
    outHeight = static_cast<float>(std::max(std::fabs(p4.y - p1.y), std::fabs(p3.y - p2.y)));
}

bool PlusBitmap::RotateImage(float angle, PlusBitmap& target, std::optional<ARGB> background,
                             std::optional<int> interpolation, std::optional<SizeF> size) const {
    const auto w = static_cast<float>(GetWidth());
    const auto h = static_cast<float>(GetHeight());
    const SizeF turned = size ? *size : RotatedSize(w, h, static_cast<int>(angle));
    const auto W = static_cast<float>(static_cast<int>(turned.width));
    const auto H = static_cast<float>(static_cast<int>(turned.height));

    PlusBitmap rotated;
    if (!rotated.Create(static_cast<int>(W), static_cast<int>(H))) return false;
    rotated.SetResolution(GetHorizontalResolution(), GetVerticalResolution());
    PlusGraphics graphics;
    if (!graphics.CreateFromImage(rotated)) return false;
    auto* g = NativeOf<Gdiplus::GpGraphics>(graphics);

    if (background) {
        Gdiplus::GpSolidFill* fill = nullptr;
        Record(gp::GdipCreateSolidFill(*background, &fill));
        std::unique_ptr<Gdiplus::GpBrush, BrushDeleter> brush(fill);
        if (brush) Record(gp::GdipFillRectangle(g, brush.get(), 0, 0, W, H));
    }
    if (interpolation) graphics.SetInterpolationMode(*interpolation);

    Gdiplus::GpMatrix* created = nullptr;
    Record(gp::GdipCreateMatrix(&created));
    std::unique_ptr<Gdiplus::GpMatrix, MatrixDeleter> matrix(created);
    const auto prepend = Gdiplus::MatrixOrderPrepend;
    gp::GdipTranslateMatrix(matrix.get(), W / 2, H / 2, prepend);
    gp::GdipRotateMatrix(matrix.get(), angle, prepend);
    gp::GdipTranslateMatrix(matrix.get(), -W / 2, -H / 2, prepend);
    gp::GdipTranslateMatrix(matrix.get(), (W - w) / 2, (H - h) / 2, prepend);
    gp::GdipSetWorldTransform(g, matrix.get());
    const GpStatus drawn = gp::GdipDrawImage(g, I(bitmapNative_), 0, 0);
    gp::GdipResetWorldTransform(g);
    graphics.DeleteGraphics();

    NativeHandle result = rotated.GetHandle();
    rotated.SetHandle(nullptr);
    return target.TakeNative(drawn, result);
}

} // namespace plus
