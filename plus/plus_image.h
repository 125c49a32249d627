// PlusImage and PlusBitmap: GDI+ images loaded from files or bytes, saved with an encoder
// chosen by image format, and bitmaps made from pixels, DIBs, HBITMAPs, icons and resources.
//
// An image loaded from bytes keeps the stream it was loaded from (its Source) for as long as
// the native image lives, as GDI+ requires. PlusBitmap keeps its own copy of the native pointer
// and its own stream; after SetHandle every level holds the same pointer, so the image methods
// work on a bitmap too. Image formats, encoders and dimensions are named by GUID texts in the
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" form.
#pragma once

#include "plus/plus_object.h"
#include "plus/plus_stream.h"

namespace plus {

class PlusGraphics;

// GDI+ image-format GUIDs as texts.
inline const Text ImageFormatBMP = "{B96B3CAB-0728-11D3-9D7B-0000F81EF32E}";
inline const Text ImageFormatJPEG = "{B96B3CAE-0728-11D3-9D7B-0000F81EF32E}";
inline const Text ImageFormatPNG = "{B96B3CAF-0728-11D3-9D7B-0000F81EF32E}";
inline const Text ImageFormatGIF = "{B96B3CB0-0728-11D3-9D7B-0000F81EF32E}";
inline const Text ImageFormatTIFF = "{B96B3CB1-0728-11D3-9D7B-0000F81EF32E}";
inline const Text ImageFormatMemoryBMP = "{B96B3CAA-0728-11D3-9D7B-0000F81EF32E}";
// Frame dimensions.
inline const Text FrameDimensionTime = "{6AEDBD6D-3FB5-418A-83A6-7F45229DC872}";
inline const Text FrameDimensionPage = "{7462DC86-6180-4C7E-8E3F-EE7333A7A483}";

// PixelFormat32bppARGB and the frame-delay property tag (named apart from the SDK macros).
constexpr int Format32bppARGB = 0x26200A;
constexpr int TagFrameDelay = 0x5100;

// One installed encoder; texts in the OEM code page.
struct ImageCodecRecord {
    Text Clsid;
    Text FormatID;
    Text CodecName;
    Text DllName;
    Text FormatDescription;
    Text FilenameExtension;
    Text MimeType;
    std::int32_t Flags = 0;
    std::int32_t Version = 0;
    std::int32_t SigCount = 0;
    std::int32_t SigSize = 0;
    ByteSet SigPattern;
    ByteSet SigMask;
};

// One encoder parameter; Value holds NumberOfValues values of the Type's size.
struct EncoderParameter {
    Text Guid;
    std::int32_t NumberOfValues = 0;
    std::int32_t Type = 0;
    ByteSet Value;
};

struct PaletteRecord {
    std::int32_t Flags = 0;
    std::int32_t Count = 0;
    std::vector<ARGB> Entries;
};

struct PropertyItemRecord {
    std::int32_t Id = 0;
    std::int32_t Length = 0;
    std::int32_t Type = 0;
    ByteSet Value;
};

// Laid out as the GDI+ BitmapData.
struct BitmapData {
    UINT Width = 0;
    UINT Height = 0;
    INT Stride = 0;
    INT PixelFormat = 0;
    void* Scan0 = nullptr;
    UINT_PTR Reserved = 0;
};

// An image effect for PlusBitmap::ApplyEffect. The effect object owns its native effect; the
// auxiliary data GDI+ hands back belongs to the effect object, which frees it with GdipFree.
class PlusEffect {
public:
    virtual ~PlusEffect() = default;
    virtual void* GetNativeEffect() const = 0;
    virtual bool GetUseAuxData() const = 0;
    virtual void SetAuxData(void* auxData, int auxDataSize) = 0;
};

// GUID <-> GUID text ("{...}" with upper-case digits); an invalid text gives the zero GUID.
Text GuidToText(const GUID& guid);
GUID TextToGuid(const Text& text);
// The installed encoders, in GDI+'s order (empty when the list cannot be read).
std::vector<ImageCodecRecord> ImageEncoders();
// Clsid text of the first encoder whose FormatID equals `format` exactly (byte for byte), or
// whose MIME type does (such as "image/png"); an empty text when there is none.
Text EncoderClsid(const Text& format);

class PlusImage : public PlusObject {
public:
    PlusImage() = default;
    PlusImage(PlusImage&& other) noexcept;
    PlusImage& operator=(PlusImage&& other) noexcept;
    ~PlusImage() override;

    void AttachNative(NativeHandle h) override;

    virtual void OnAttach(NativeHandle h);
    // Disposes the native image, then releases the stream it was loaded from.
    virtual bool DisposeImage();
    virtual bool LoadFromFile(const Text& fileName, bool useIcm = false);
    virtual bool LoadFromFileW(const ByteSet& fileName, bool useIcm = false);
    // The bytes go into the image's own stream, which lives as long as the image.
    virtual bool LoadFromStream(const ByteSet& data, bool useIcm = false);
    bool Clone(PlusImage& target) const;
    // Fills `params` from the encoder of `format`; unchanged when the size query fails.
    bool GetEncoderParameterList(const Text& format, std::vector<EncoderParameter>& params) const;
    bool SaveToFile(const Text& fileName, const Text& format = ImageFormatPNG,
                    const std::vector<EncoderParameter>& params = {}) const;
    bool SaveToFileW(const ByteSet& fileName, const Text& format = ImageFormatPNG,
                     const std::vector<EncoderParameter>& params = {}) const;
    // The encoded file; the image's own raw format when no format is given. Empty on failure.
    ByteSet SaveToBytes(std::optional<Text> format = std::nullopt,
                        const std::vector<EncoderParameter>& params = {}) const;
    bool SaveAdd(const std::vector<EncoderParameter>& params);
    bool SaveAddImage(const PlusImage& newImage, const std::vector<EncoderParameter>& params);
    int GetType() const;
    SizeF GetDimension() const;
    // Returns the GDI+ status itself (also in LastStatus).
    int GetBounds(RectF& rect, int& unit) const;
    UINT GetWidth() const;
    UINT GetHeight() const;
    float GetHorizontalResolution() const;
    float GetVerticalResolution() const;
    UINT GetFlags() const;
    Text GetRawFormat() const;
    int GetPixelFormat() const;
    bool GetPalette(PaletteRecord& palette) const;
    bool SetPalette(const PaletteRecord& palette);
    bool GetThumbnailImage(UINT thumbWidth, UINT thumbHeight, PlusImage& target) const;
    UINT GetFrameCount(const Text& dimension) const;
    // Refills `dimensions` with GUID texts; returns their count.
    UINT GetFrameDimensionsList(std::vector<Text>& dimensions) const;
    bool SelectActiveFrame(const Text& dimension, UINT frameIndex);
    bool RotateFlip(int rotateFlipType);
    // One delay per frame in hundredths of a second.
    bool GetFrameDelays(std::vector<std::int32_t>& delays) const;
    bool GetPropertyItem(std::int32_t propId, PropertyItemRecord& item) const;
    bool SetPropertyItem(const PropertyItemRecord& item);
    bool RemovePropertyItem(std::int32_t propId);
    // Refills `ids`; returns their count.
    UINT GetPropertyIdList(std::vector<std::int32_t>& ids) const;

    // The stream the image was loaded from (empty when it was not loaded from bytes).
    const PlusStream& SourceStream() const { return const_cast<PlusImage*>(this)->Source(); }

protected:
    bool ReleaseHeld() override { return DisposeImage(); }
    // The stream of the level that loads (the bitmap keeps its own).
    virtual PlusStream& Source() { return source_; }
    void* ImageNative() const { return native_; }

private:
    void* native_ = nullptr; // GpImage
    PlusStream source_;
};

class PlusBitmap : public PlusImage {
public:
    PlusBitmap() = default;
    PlusBitmap(PlusBitmap&& other) noexcept;
    PlusBitmap& operator=(PlusBitmap&& other) noexcept;
    ~PlusBitmap() override;

    // The bitmap-level copy of the native pointer.
    void OnAttach(NativeHandle h) override;
    bool DisposeImage() override;
    // The image loaders of a bitmap create bitmaps.
    bool LoadFromFile(const Text& fileName, bool useIcm = false) override {
        return CreateFromFile(fileName, useIcm);
    }
    bool LoadFromFileW(const ByteSet& fileName, bool useIcm = false) override {
        return CreateFromFileW(fileName, useIcm);
    }
    bool LoadFromStream(const ByteSet& data, bool useIcm = false) override {
        return CreateFromStream(data, useIcm);
    }
    bool CreateFromFile(const Text& fileName, bool useIcm = false);
    bool CreateFromFileW(const ByteSet& fileName, bool useIcm = false);
    bool CreateFromStream(const ByteSet& data, bool useIcm = false);

    bool CreateFromScan0(int width, int height, int stride, int format, BYTE* scan0);
    bool Create(int width, int height, int format = Format32bppARGB);
    bool CreateFromGraphics(int width, int height, const PlusGraphics& graphics);
    bool CreateFromGdiDib(const BITMAPINFO* bitmapInfo, void* bits);
    bool CreateFromHBITMAP(HBITMAP hbm, HPALETTE hpal = nullptr);
    bool CreateFromHICON(HICON hicon);
    bool CreateFromResource(HINSTANCE hInstance, const wchar_t* resourceName);
    // A new HBITMAP the caller deletes (null on failure).
    HBITMAP GetHBITMAP(ARGB background);
    // A new HICON the caller destroys (null on failure).
    HICON GetHICON();
    bool CloneArea(const RectF& rect, int format, PlusBitmap& target) const;
    bool CloneAreaI(const Rect& rect, int format, PlusBitmap& target) const;
    bool LockBits(const Rect& rect, UINT flags, int format, BitmapData& data);
    bool UnlockBits(BitmapData& data);
    ARGB GetPixel(int x, int y) const;
    bool SetPixel(int x, int y, ARGB colour);
    bool SetResolution(float dpiX, float dpiY);
    // Applies the effect to `roi` (the whole bitmap when none is given).
    bool ApplyEffect(PlusEffect& effect, std::optional<Rect> roi = std::nullopt);
    // A copy turned by `angle` degrees about its centre into `target`, on a new 32-bit ARGB
    // bitmap of `size` (by default just large enough), filled with `background` first when
    // given. True when the drawing succeeded.
    bool RotateImage(float angle, PlusBitmap& target, std::optional<ARGB> background = {},
                     std::optional<int> interpolation = {}, std::optional<SizeF> size = {}) const;
    // Size of a width x height rectangle turned by `angle` degrees (corner to corner, sizes
    // minus one).
    static void GetRotatedSize(float width, float height, int angle, float& outWidth,
                               float& outHeight);

protected:
    PlusStream& Source() override { return bitmapSource_; }
    void* BitmapNative() const { return bitmapNative_; }

private:
    void* bitmapNative_ = nullptr; // GpBitmap
    PlusStream bitmapSource_;
};

} // namespace plus
