// PlusStream, PlusImage and PlusBitmap: bytes in and out, encoders, pixels, levels, drawing.
#include "plus/plus_graphics.h"
#include "plus/plus_image.h"

#include "support/gdi_count.h"
#include "support/plus_fixture.h"
#include "test_objects.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <utility>

using namespace plus_tests;
using testing_support::PlusTest;

namespace {

constexpr plus::ARGB kRed = 0xFFFF0000;
constexpr plus::ARGB kBlue = 0xFF0000FF;
constexpr plus::ARGB kWhite = 0xFFFFFFFF;

const plus::ByteSet kPngSignature = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

bool StartsWith(const plus::ByteSet& bytes, const plus::ByteSet& prefix) {
    return bytes.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), bytes.begin());
}

// Exposes each level's copy of the native pointer.
class BitmapLevels : public plus::PlusBitmap {
public:
    void* ImageLevel() const { return ImageNative(); }
    void* BitmapLevel() const { return BitmapNative(); }
};

// A 3 x 2 bitmap whose pixels differ in colour and alpha.
const std::vector<plus::ARGB> kPattern = {0xFFFF0000, 0x8000FF00, 0x000000FF,
                                          0x40FFFFFF, 0xC0123456, 0xFF000000};

void Paint(plus::PlusBitmap& bitmap) {
    ASSERT_TRUE(bitmap.Create(3, 2));
    for (int i = 0; i < 6; ++i)
        ASSERT_TRUE(bitmap.SetPixel(i % 3, i / 3, kPattern[i]));
}

std::string TempPath(const std::string& name) {
    char dir[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + name;
}

plus::ByteSet ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return plus::ByteSet(std::istreambuf_iterator<char>(in), {});
}

class ImageTest : public PlusTest {};

} // namespace

TEST_F(ImageTest, StreamGivesBackTheBytesItWasMadeFrom) {
    const int baseline = plus::LiveObjectCount();
    plus::PlusStream stream;
    const plus::ByteSet data = {1, 2, 3, 250, 0, 7};
    ASSERT_NE(stream.Create(data), nullptr);
    EXPECT_EQ(plus::LiveObjectCount(), baseline + 1);
    EXPECT_EQ(stream.GetSize(), 6u);
    EXPECT_NE(stream.GetGlobalHandle(), nullptr);
    EXPECT_EQ(stream.GetBytes(), data);

    // A size beyond the data gives zeros after it, never bytes read past the data.
    ASSERT_NE(stream.Create(data, 10), nullptr);
    EXPECT_EQ(plus::LiveObjectCount(), baseline + 1);
    plus::ByteSet padded = data;
    padded.resize(10, 0);
    EXPECT_EQ(stream.GetBytes(), padded);
    ASSERT_NE(stream.Create(data, 2), nullptr);
    EXPECT_EQ(stream.GetBytes(), plus::ByteSet({1, 2}));

    plus::PlusStream moved(std::move(stream));
    EXPECT_EQ(stream.GetStream(), nullptr);
    EXPECT_EQ(moved.GetBytes(), plus::ByteSet({1, 2}));
    // Moving over a stream that holds one releases the held stream.
    ASSERT_NE(stream.Create({9}), nullptr);
    moved = std::move(stream);
    EXPECT_EQ(plus::LiveObjectCount(), baseline + 1);
    EXPECT_EQ(moved.GetBytes(), plus::ByteSet({9}));
    moved.Release();
    moved.Release();
    EXPECT_EQ(moved.GetStream(), nullptr);
    EXPECT_EQ(moved.GetBytes(), plus::ByteSet());
    EXPECT_EQ(plus::LiveObjectCount(), baseline);
}

TEST_F(ImageTest, StreamAttachTakesTheCallersReferenceButNotItsBlock) {
    IStream* foreign = nullptr;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &foreign), S_OK);
    ULONG written = 0;
    ASSERT_EQ(foreign->Write("abc", 3, &written), S_OK);
    plus::PlusStream stream;
    EXPECT_TRUE(stream.Attach(foreign)); // the stream frees its own block on release
    EXPECT_EQ(stream.GetBytes(), plus::ByteSet({'a', 'b', 'c'}));
    stream.Release();
    EXPECT_FALSE(stream.Attach(nullptr));
}

TEST_F(ImageTest, CreateMakesA32BitArgbBitmap) {
    plus::PlusBitmap bitmap;
    ASSERT_TRUE(bitmap.Create(100, 50));
    EXPECT_EQ(bitmap.GetPixelFormat(), plus::Format32bppARGB);
    EXPECT_EQ(bitmap.GetWidth(), 100u);
    EXPECT_EQ(bitmap.GetHeight(), 50u);
    const plus::SizeF size = bitmap.GetDimension();
    EXPECT_EQ(size.width, 100.0f);
    EXPECT_EQ(size.height, 50.0f);
    plus::RectF bounds;
    int unit = -1;
    EXPECT_EQ(bitmap.GetBounds(bounds, unit), plus::Ok);
    EXPECT_EQ(bounds.width, 100.0f);
    EXPECT_EQ(unit, plus::UnitPixel);
    EXPECT_EQ(bitmap.GetRawFormat(), plus::ImageFormatMemoryBMP);
}

TEST_F(ImageTest, EmptyImageGettersReturnZeroAndInvalidParameter) {
    plus::PlusBitmap empty;
    EXPECT_EQ(empty.GetWidth(), 0u);
    EXPECT_EQ(plus::LastStatus(), plus::InvalidParameter);
    EXPECT_EQ(empty.GetPixel(0, 0), 0u);
    plus::RectF bounds{1, 1, 1, 1};
    int unit = 5;
    EXPECT_EQ(empty.GetBounds(bounds, unit), plus::InvalidParameter);
    EXPECT_EQ(bounds.width, 0.0f);
    EXPECT_EQ(empty.GetRawFormat(), "");
    EXPECT_EQ(empty.SaveToBytes(plus::ImageFormatPNG), plus::ByteSet());
    EXPECT_EQ(empty.GetHBITMAP(0), nullptr);
    EXPECT_FALSE(empty.DisposeImage());
}

TEST_F(ImageTest, SetHandleOnABitmapMakesEveryLevelEqual) {
    plus::PlusBitmap source;
    Paint(source);
    BitmapLevels bitmap;
    void* h = source.GetHandle();
    bitmap.SetHandle(h);
    EXPECT_EQ(bitmap.GetHandle(), h);
    EXPECT_EQ(bitmap.ImageLevel(), h);
    EXPECT_EQ(bitmap.BitmapLevel(), h);
    EXPECT_EQ(bitmap.GetWidth(), 3u);              // an image-level method
    EXPECT_EQ(bitmap.GetPixel(1, 0), kPattern[1]); // a bitmap-level method
    bitmap.SetHandle(nullptr);                     // detach: `source` still owns it
    EXPECT_EQ(bitmap.ImageLevel(), nullptr);
    EXPECT_EQ(bitmap.BitmapLevel(), nullptr);
}

TEST_F(ImageTest, PngRoundTripThroughBytesKeepsAlpha) {
    plus::PlusBitmap bitmap;
    Paint(bitmap);
    const plus::ByteSet png = bitmap.SaveToBytes(plus::ImageFormatPNG);
    ASSERT_TRUE(StartsWith(png, kPngSignature));

    plus::PlusBitmap loaded;
    ASSERT_TRUE(loaded.CreateFromStream(png));
    EXPECT_EQ(loaded.GetRawFormat(), plus::ImageFormatPNG);
    ASSERT_EQ(loaded.GetWidth(), 3u);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(loaded.GetPixel(i % 3, i / 3), kPattern[i]) << "pixel " << i;
    // The image keeps the stream it was loaded from, holding exactly those bytes.
    EXPECT_EQ(loaded.SourceStream().GetBytes(), png);

    // An image loaded from PNG saves as PNG again by default; the bytes load once more.
    plus::PlusImage image;
    ASSERT_TRUE(image.LoadFromStream(png));
    const plus::ByteSet again = image.SaveToBytes();
    ASSERT_TRUE(StartsWith(again, kPngSignature));
    plus::PlusBitmap third;
    ASSERT_TRUE(third.CreateFromStream(again));
    EXPECT_EQ(third.GetPixel(1, 0), kPattern[1]);
    EXPECT_EQ(third.GetPixel(2, 0), kPattern[2]);
}

TEST_F(ImageTest, UndecodableBytesFailCleanly) {
    const int baseline = plus::LiveObjectCount();
    plus::PlusImage image;
    EXPECT_FALSE(image.LoadFromStream({1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_NE(plus::LastStatus(), plus::Ok);
    EXPECT_EQ(image.GetHandle(), nullptr);
    EXPECT_EQ(image.SourceStream().GetStream(), nullptr);
    EXPECT_FALSE(image.LoadFromStream({}));
    plus::PlusBitmap bitmap;
    EXPECT_FALSE(bitmap.CreateFromStream(plus::ByteSet(kPngSignature))); // a header alone
    EXPECT_NE(plus::LastStatus(), plus::Ok);
    EXPECT_EQ(bitmap.GetHandle(), nullptr);
    EXPECT_EQ(plus::LiveObjectCount(), baseline);

    // The wrapper is still usable afterwards.
    plus::PlusBitmap good;
    Paint(good);
    ASSERT_TRUE(bitmap.CreateFromStream(good.SaveToBytes(plus::ImageFormatPNG)));
    EXPECT_EQ(bitmap.GetPixel(0, 0), kPattern[0]);
}

TEST_F(ImageTest, LoadingAgainReleasesTheFirstImageAndItsStream) {
    plus::PlusBitmap source;
    Paint(source);
    const plus::ByteSet png = source.SaveToBytes(plus::ImageFormatPNG);
    const int baseline = plus::LiveObjectCount();
    plus::PlusImage image;
    ASSERT_TRUE(image.LoadFromStream(png));
    EXPECT_EQ(plus::LiveObjectCount(), baseline + 2); // image and its stream
    ASSERT_TRUE(image.LoadFromStream(png));
    EXPECT_EQ(plus::LiveObjectCount(), baseline + 2);
    EXPECT_TRUE(image.DisposeImage());
    EXPECT_FALSE(image.DisposeImage());
    EXPECT_EQ(plus::LiveObjectCount(), baseline);
}

TEST_F(ImageTest, MovedImagesKeepTheirStream) {
    plus::PlusBitmap source;
    Paint(source);
    const plus::ByteSet png = source.SaveToBytes(plus::ImageFormatPNG);
    plus::PlusBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateFromStream(png));
    plus::PlusBitmap moved(std::move(bitmap));
    EXPECT_EQ(bitmap.GetHandle(), nullptr);
    EXPECT_EQ(moved.SourceStream().GetBytes(), png);
    EXPECT_EQ(moved.GetPixel(0, 1), kPattern[3]);
    plus::PlusImage asImage(std::move(moved)); // a bitmap moved into an image wrapper
    EXPECT_EQ(asImage.SourceStream().GetBytes(), png);
    EXPECT_EQ(asImage.GetWidth(), 3u);
}

TEST_F(ImageTest, EncoderIsChosenByExactFormatTextOrMimeType) {
    const plus::Text png = plus::EncoderClsid(plus::ImageFormatPNG);
    EXPECT_FALSE(png.empty());
    EXPECT_EQ(plus::EncoderClsid("image/png"), png);
    plus::Text lower = plus::ImageFormatPNG;
    for (char& c : lower)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(plus::EncoderClsid(lower), "");

    plus::PlusBitmap bitmap;
    Paint(bitmap);
    EXPECT_EQ(bitmap.SaveToBytes(lower), plus::ByteSet());
    EXPECT_NE(plus::LastStatus(), plus::Ok);
    EXPECT_TRUE(StartsWith(bitmap.SaveToBytes(plus::Text("image/png")), kPngSignature));
    // A memory bitmap's own format has no encoder.
    EXPECT_EQ(bitmap.SaveToBytes(), plus::ByteSet());

    bool sawPng = false;
    for (const plus::ImageCodecRecord& r : plus::ImageEncoders()) {
        if (r.FormatID != plus::ImageFormatPNG) continue;
        sawPng = true;
        EXPECT_EQ(r.Clsid, png);
        EXPECT_EQ(r.MimeType, "image/png");
        EXPECT_EQ(r.SigPattern.size(), static_cast<size_t>(r.SigCount * r.SigSize));
    }
    EXPECT_TRUE(sawPng);
    EXPECT_EQ(plus::GuidToText(plus::TextToGuid(plus::ImageFormatPNG)), plus::ImageFormatPNG);
    EXPECT_EQ(plus::GuidToText(plus::TextToGuid("not a guid")),
              "{00000000-0000-0000-0000-000000000000}");
}

TEST_F(ImageTest, JpegLoadedImageSavesAsJpegByDefault) {
    plus::PlusBitmap bitmap;
    ASSERT_TRUE(bitmap.Create(16, 16));
    const plus::ByteSet jpeg = bitmap.SaveToBytes(plus::ImageFormatJPEG);
    ASSERT_TRUE(StartsWith(jpeg, {0xFF, 0xD8}));
    plus::PlusImage image;
    ASSERT_TRUE(image.LoadFromStream(jpeg));
    EXPECT_EQ(image.GetRawFormat(), plus::ImageFormatJPEG);
    EXPECT_TRUE(StartsWith(image.SaveToBytes(), {0xFF, 0xD8}));
}

TEST_F(ImageTest, SaveToFileWithoutFormatWritesPngUnderAChineseName) {
    const std::string path = TempPath("测试图片.png");
    DeleteFileA(path.c_str());
    plus::PlusBitmap bitmap;
    Paint(bitmap);
    ASSERT_TRUE(bitmap.SaveToFile(path));
    EXPECT_TRUE(StartsWith(ReadFile(path), kPngSignature));

    plus::PlusImage image;
    ASSERT_TRUE(image.LoadFromFile(path));
    EXPECT_EQ(image.GetWidth(), 3u);
    image.DisposeImage();
    plus::PlusBitmap fromFile;
    ASSERT_TRUE(fromFile.CreateFromFileW(plus::ToWideText(path)));
    EXPECT_EQ(fromFile.GetPixel(1, 0), kPattern[1]);
    fromFile.DisposeImage();
    EXPECT_TRUE(DeleteFileA(path.c_str()));

    EXPECT_FALSE(image.LoadFromFile(TempPath("没有这个文件.png")));
    EXPECT_NE(plus::LastStatus(), plus::Ok);
}

TEST_F(ImageTest, DrawingOnABitmapReadsBackPixelByPixel) {
    plus::PlusBitmap bitmap;
    ASSERT_TRUE(bitmap.Create(40, 30));
    plus::PlusGraphics g;
    ASSERT_TRUE(g.CreateFromImage(bitmap));
    ASSERT_TRUE(g.Clear(0x00000000));
    TestBrush red(kRed);
    TestBrush halfBlue(0x800000FF);

    ASSERT_TRUE(g.FillRectangleI(red, 2, 2, 4, 4)); // a filled rectangle
    ASSERT_TRUE(g.SetClipRectI(10, 0, 5, 30));      // a clip
    ASSERT_TRUE(g.FillRectangleI(halfBlue, 0, 10, 40, 5));
    ASSERT_TRUE(g.ResetClip());
    ASSERT_TRUE(g.TranslateWorldTransform(20, 20)); // a transform
    ASSERT_TRUE(g.FillRectangleI(red, 0, 0, 2, 2));
    ASSERT_TRUE(g.ResetWorldTransform());
    TestBitmap white(3, 3, kWhite);
    ASSERT_TRUE(g.DrawImageI(white, 30, 5)); // an image drawn at a place
    ASSERT_TRUE(g.DeleteGraphics());

    EXPECT_EQ(bitmap.GetPixel(2, 2), kRed);
    EXPECT_EQ(bitmap.GetPixel(5, 5), kRed);
    EXPECT_EQ(bitmap.GetPixel(6, 6), 0u);
    EXPECT_EQ(bitmap.GetPixel(12, 12), 0x800000FFu);
    EXPECT_EQ(bitmap.GetPixel(9, 12), 0u);
    EXPECT_EQ(bitmap.GetPixel(15, 12), 0u);
    EXPECT_EQ(bitmap.GetPixel(21, 21), kRed);
    EXPECT_EQ(bitmap.GetPixel(1, 1), 0u);
    EXPECT_EQ(bitmap.GetPixel(30, 5), kWhite);
    EXPECT_EQ(bitmap.GetPixel(32, 7), kWhite);
    EXPECT_EQ(bitmap.GetPixel(33, 8), 0u);
}

TEST_F(ImageTest, HbitmapAndIconConversionsLeaveNoGdiObjectBehind) {
    plus::PlusBitmap bitmap;
    ASSERT_TRUE(bitmap.Create(8, 6));
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x)
            bitmap.SetPixel(x, y, x < 4 ? kRed : kBlue);
    const int gdiBefore = testing_support::GdiObjectCount();
    HBITMAP hbm = bitmap.GetHBITMAP(0xFF000000);
    ASSERT_NE(hbm, nullptr);
    BITMAP info{};
    ASSERT_TRUE(GetObjectA(hbm, sizeof(info), &info));
    EXPECT_EQ(info.bmWidth, 8);
    EXPECT_EQ(info.bmHeight, 6);
    plus::PlusBitmap back;
    ASSERT_TRUE(back.CreateFromHBITMAP(hbm));
    EXPECT_EQ(back.GetPixel(1, 1) & 0xFFFFFF, kRed & 0xFFFFFF);
    EXPECT_EQ(back.GetPixel(6, 1) & 0xFFFFFF, kBlue & 0xFFFFFF);
    DeleteObject(hbm);

    HICON icon = bitmap.GetHICON();
    ASSERT_NE(icon, nullptr);
    plus::PlusBitmap fromIcon;
    ASSERT_TRUE(fromIcon.CreateFromHICON(icon));
    EXPECT_EQ(fromIcon.GetWidth(), 8u);
    EXPECT_EQ(fromIcon.GetPixel(6, 1), kBlue);
    DestroyIcon(icon);
    back.DisposeImage();
    fromIcon.DisposeImage();
    EXPECT_EQ(testing_support::GdiObjectCount(), gdiBefore);
}

TEST_F(ImageTest, ClonesLockedBitsAndThumbnails) {
    plus::PlusBitmap bitmap;
    Paint(bitmap);
    plus::PlusBitmap area;
    ASSERT_TRUE(bitmap.CloneAreaI({1, 0, 2, 2}, plus::Format32bppARGB, area));
    EXPECT_EQ(area.GetWidth(), 2u);
    EXPECT_EQ(area.GetPixel(0, 1), kPattern[4]);
    plus::PlusBitmap areaF;
    ASSERT_TRUE(bitmap.CloneArea({0, 1, 3, 1}, plus::Format32bppARGB, areaF));
    EXPECT_EQ(areaF.GetPixel(2, 0), kPattern[5]);
    // Cloning into a target that holds a bitmap releases that one.
    const int held = plus::LiveObjectCount();
    ASSERT_TRUE(bitmap.CloneAreaI({0, 0, 1, 1}, plus::Format32bppARGB, area));
    EXPECT_EQ(plus::LiveObjectCount(), held);

    plus::BitmapData data;
    constexpr UINT kReadOnly = 1;
    ASSERT_TRUE(bitmap.LockBits({0, 0, 3, 2}, kReadOnly, plus::Format32bppARGB, data));
    EXPECT_EQ(data.Width, 3u);
    ASSERT_NE(data.Scan0, nullptr);
    const auto* row1 =
        reinterpret_cast<const plus::ARGB*>(static_cast<const BYTE*>(data.Scan0) + data.Stride);
    EXPECT_EQ(row1[1], kPattern[4]);
    EXPECT_TRUE(bitmap.UnlockBits(data));

    plus::PlusImage copy;
    ASSERT_TRUE(bitmap.Clone(copy));
    EXPECT_EQ(copy.GetWidth(), 3u);
    plus::PlusImage thumb;
    ASSERT_TRUE(bitmap.GetThumbnailImage(6, 4, thumb));
    EXPECT_EQ(thumb.GetWidth(), 6u);
    EXPECT_EQ(thumb.GetHeight(), 4u);
}

TEST_F(ImageTest, RotatedSizeAndRotatedCopy) {
    float w = 0, h = 0;
    plus::PlusBitmap::GetRotatedSize(101, 51, 90, w, h);
    EXPECT_NEAR(w, 50.0f, 1e-3);
    EXPECT_NEAR(h, 100.0f, 1e-3);
    plus::PlusBitmap::GetRotatedSize(101, 51, 0, w, h);
    EXPECT_NEAR(w, 100.0f, 1e-3);
    EXPECT_NEAR(h, 50.0f, 1e-3);

    // Left half red, right half blue; a quarter turn clockwise puts red on top.
    plus::PlusBitmap bitmap;
    ASSERT_TRUE(bitmap.Create(20, 10));
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x)
            bitmap.SetPixel(x, y, x < 10 ? kRed : kBlue);
    plus::PlusBitmap turned;
    ASSERT_TRUE(bitmap.RotateImage(90, turned, kWhite, 5, plus::SizeF{10, 20}));
    EXPECT_EQ(turned.GetWidth(), 10u);
    EXPECT_EQ(turned.GetHeight(), 20u);
    EXPECT_EQ(turned.GetPixelFormat(), plus::Format32bppARGB);
    EXPECT_EQ(turned.GetPixel(5, 4), kRed);
    EXPECT_EQ(turned.GetPixel(5, 15), kBlue);

    // Without a size the new bitmap has the computed one.
    plus::PlusBitmap computed;
    ASSERT_TRUE(bitmap.RotateImage(90, computed));
    EXPECT_EQ(computed.GetWidth(), 9u);
    EXPECT_EQ(computed.GetHeight(), 19u);
}

TEST_F(ImageTest, RotateFlipAndResolution) {
    plus::PlusBitmap bitmap;
    Paint(bitmap);
    constexpr int kRotate90FlipNone = 1;
    ASSERT_TRUE(bitmap.RotateFlip(kRotate90FlipNone));
    EXPECT_EQ(bitmap.GetWidth(), 2u);
    EXPECT_EQ(bitmap.GetHeight(), 3u);
    EXPECT_EQ(bitmap.GetPixel(1, 0), kPattern[0]);
    ASSERT_TRUE(bitmap.SetResolution(120, 72));
    EXPECT_EQ(bitmap.GetHorizontalResolution(), 120.0f);
    EXPECT_EQ(bitmap.GetVerticalResolution(), 72.0f);
}

TEST_F(ImageTest, FramesPaletteAndPropertiesLeaveRecordsAloneOnFailure) {
    plus::PlusBitmap bitmap;
    Paint(bitmap);
    std::vector<plus::Text> dims;
    ASSERT_EQ(bitmap.GetFrameDimensionsList(dims), 1u);
    ASSERT_EQ(dims.size(), 1u);
    EXPECT_EQ(bitmap.GetFrameCount(dims[0]), 1u);
    EXPECT_TRUE(bitmap.SelectActiveFrame(dims[0], 0));

    std::vector<std::int32_t> delays = {42};
    EXPECT_FALSE(bitmap.GetFrameDelays(delays)); // not animated
    EXPECT_NE(plus::LastStatus(), plus::Ok);
    EXPECT_EQ(delays, std::vector<std::int32_t>({42}));

    plus::PropertyItemRecord item;
    item.Id = 0x0320; // image title
    item.Type = 2;
    item.Value = {'h', 'i', 0};
    item.Length = 4; // one byte more than the value holds: refused before GDI+ reads it
    EXPECT_FALSE(bitmap.SetPropertyItem(item));
    EXPECT_EQ(plus::LastStatus(), plus::InvalidParameter);
    item.Length = 3;
    const bool set = bitmap.SetPropertyItem(item);
    const int status = plus::LastStatus();
    EXPECT_TRUE(status == plus::Ok || status == plus::NotImplemented) << status;
    EXPECT_EQ(set, status == plus::Ok);
    // Some GDI+ implementations accept the item without storing it: either way a failed read
    // leaves the record as it was.
    plus::PropertyItemRecord read;
    read.Id = -1;
    if (bitmap.GetPropertyItem(0x0320, read)) {
        EXPECT_EQ(read.Value, item.Value);
        std::vector<std::int32_t> ids;
        EXPECT_GE(bitmap.GetPropertyIdList(ids), 1u);
        EXPECT_TRUE(bitmap.RemovePropertyItem(0x0320));
    } else {
        EXPECT_NE(plus::LastStatus(), plus::Ok);
        EXPECT_EQ(read.Id, -1);
        EXPECT_TRUE(read.Value.empty());
    }

    plus::PaletteRecord palette;
    palette.Count = 99;
    const bool gotPalette = bitmap.GetPalette(palette);
    if (!gotPalette)
        EXPECT_EQ(palette.Count, 99);
    else
        EXPECT_EQ(palette.Entries.size(), static_cast<size_t>(palette.Count));
}

TEST_F(ImageTest, IndexedPaletteRoundTrip) {
    plus::PlusBitmap bitmap;
    constexpr int kFormat8bppIndexed = 0x30803;
    ASSERT_TRUE(bitmap.Create(4, 4, kFormat8bppIndexed));
    plus::PaletteRecord palette;
    palette.Flags = 0;
    palette.Count = 2;
    palette.Entries = {kRed, kBlue, kWhite}; // more entries than Count: only two are used
    ASSERT_TRUE(bitmap.SetPalette(palette));
    plus::PaletteRecord read;
    ASSERT_TRUE(bitmap.GetPalette(read));
    ASSERT_EQ(read.Count, 2);
    EXPECT_EQ(read.Entries, std::vector<plus::ARGB>({kRed, kBlue}));
}

namespace {

// An effect that has no native effect: GDI+ must refuse it, and the aux data comes back.
class NoEffect : public plus::PlusEffect {
public:
    void* GetNativeEffect() const override { return nullptr; }
    bool GetUseAuxData() const override { return true; }
    void SetAuxData(void* data, int size) override {
        handedBack = true;
        auxData = data;
        auxSize = size;
    }
    bool handedBack = false;
    void* auxData = reinterpret_cast<void*>(1);
    int auxSize = -1;
};

} // namespace

// Rarely used calls that a GDI+ implementation may leave out: the status is forwarded.
TEST_F(ImageTest, EffectsAndEncoderParametersForwardTheirStatus) {
    plus::PlusBitmap bitmap;
    Paint(bitmap);
    NoEffect effect;
    EXPECT_FALSE(bitmap.ApplyEffect(effect, plus::Rect{0, 0, 2, 2}));
    EXPECT_NE(plus::LastStatus(), plus::Ok);
    EXPECT_TRUE(effect.handedBack);
    EXPECT_EQ(effect.auxData, nullptr);
    EXPECT_EQ(effect.auxSize, 0);

    std::vector<plus::EncoderParameter> params(1);
    const bool listed = bitmap.GetEncoderParameterList(plus::ImageFormatJPEG, params);
    const int status = plus::LastStatus();
    if (listed) {
        EXPECT_EQ(status, plus::Ok);
        for (const auto& p : params)
            EXPECT_FALSE(p.Guid.empty());
    } else {
        EXPECT_NE(status, plus::Ok);
        EXPECT_EQ(params.size(), 1u); // left as it was
    }

    // A quality parameter whose value is too short is refused before GDI+ sees it.
    plus::EncoderParameter quality;
    quality.Guid = "{1D5BE4B5-FA4A-452D-9CDD-5DB35105E7EB}";
    quality.NumberOfValues = 1;
    quality.Type = 4;
    quality.Value = {50, 0};
    EXPECT_EQ(bitmap.SaveToBytes(plus::ImageFormatJPEG, {quality}), plus::ByteSet());
    EXPECT_EQ(plus::LastStatus(), plus::InvalidParameter);
    quality.Value = {50, 0, 0, 0};
    const plus::ByteSet jpeg = bitmap.SaveToBytes(plus::ImageFormatJPEG, {quality});
    EXPECT_TRUE(StartsWith(jpeg, {0xFF, 0xD8}));

    const bool added = bitmap.SaveAdd({});
    EXPECT_FALSE(added); // nothing is being saved into
    EXPECT_NE(plus::LastStatus(), plus::Ok);
}
