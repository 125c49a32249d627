// The embedded skin pictures: well-formed 8-bit RGBA PNG files of the listed sizes, with kept
// pixels that are what the files decode to.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <set>
#include <string>

#include "plus/plus_image.h"
#include "skin/core/composition_types.h"
#include "skin/images/skin_pictures.h"
#include "support/plus_fixture.h"

using namespace skin;

namespace {
std::uint32_t BigEndian(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}
} // namespace

TEST(SkinPictures, AreRgbaPngFilesOfTheListedSizes) {
    const std::set<std::string> expected = {
        "HelpButtonImage",    "MenuButtonImage",  "MinimizeButtonImage", "MaximizeButtonImage",
        "RestoreButtonImage", "CloseButtonImage", "CheckBoxImage",       "CheckedBoxImage",
        "ArrowDownImage",     "ArrowUpImage",     "ArrowLeftImage",      "ArrowRightImage"};
    std::set<std::string> seen;
    for (const SkinPicture& picture : SkinPictures) {
        SCOPED_TRACE(picture.name);
        seen.insert(picture.name);
        const auto& b = picture.bytes;
        ASSERT_GT(b.size(), 33u);
        EXPECT_EQ(std::memcmp(b.data(), "\x89PNG\r\n\x1a\n", 8), 0);
        EXPECT_EQ(std::memcmp(b.data() + 12, "IHDR", 4), 0);
        EXPECT_EQ(BigEndian(b.data() + 16), static_cast<std::uint32_t>(picture.width));
        EXPECT_EQ(BigEndian(b.data() + 20), static_cast<std::uint32_t>(picture.height));
        EXPECT_EQ(b[24], 8); // bits per channel
        EXPECT_EQ(b[25], 6); // RGBA
    }
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(CloseButtonImage.data(), SkinPictures[5].bytes.data());
    EXPECT_EQ(SkinPictures[5].width, 38);
    EXPECT_EQ(SkinPictures[0].width, 26);
    EXPECT_EQ(SkinPictures[8].width, 7);
    EXPECT_EQ(SkinPictures[8].height, 4);
    EXPECT_EQ(SkinPictures[10].width, 4);
    EXPECT_EQ(SkinPictures[10].height, 7);
}

namespace {
class SkinPicturesDecoded : public testing_support::PlusTest {};
} // namespace

TEST_F(SkinPicturesDecoded, DecodeThroughPlusImageAtTheirSizes) {
    for (const SkinPicture& picture : SkinPictures) {
        SCOPED_TRACE(picture.name);
        plus::PlusImage image;
        ASSERT_TRUE(image.LoadFromStream(ToByteSet(picture.bytes)));
        EXPECT_EQ(image.GetWidth(), static_cast<UINT>(picture.width));
        EXPECT_EQ(image.GetHeight(), static_cast<UINT>(picture.height));
        EXPECT_EQ(image.GetPixelFormat(), 0x0026200A); // 32 bits per pixel with alpha
    }
}

TEST_F(SkinPicturesDecoded, GlyphsAreWhereThePicturesSayOnATransparentGround) {
    const auto pixel = [](std::span<const std::uint8_t> bytes, int x, int y) {
        plus::PlusBitmap bitmap;
        EXPECT_TRUE(bitmap.CreateFromStream(ToByteSet(bytes)));
        return bitmap.GetPixel(x, y);
    };
    EXPECT_EQ(pixel(CloseButtonImage, 19, 9), 0xFFFFFFFFu); // the crossing of the cross
    EXPECT_EQ(pixel(CloseButtonImage, 2, 2) >> 24, 0u);
    EXPECT_EQ(pixel(MinimizeButtonImage, 13, 12), 0xFFFFFFFFu);
    EXPECT_EQ(pixel(MinimizeButtonImage, 13, 5) >> 24, 0u);
    EXPECT_EQ(pixel(MaximizeButtonImage, 8, 9), 0xFFFFFFFFu); // left edge of the frame
    EXPECT_EQ(pixel(MaximizeButtonImage, 13, 9) >> 24, 0u);   // its inside is clear
    EXPECT_EQ(pixel(ArrowDownImage, 3, 3), 0xFF000000u);      // tip at the bottom
    EXPECT_EQ(pixel(ArrowDownImage, 0, 3) >> 24, 0u);
    EXPECT_EQ(pixel(ArrowUpImage, 3, 0), 0xFF000000u);
    EXPECT_EQ(pixel(ArrowUpImage, 0, 0) >> 24, 0u);
    EXPECT_EQ(pixel(ArrowLeftImage, 0, 3), 0xFF000000u);
    EXPECT_EQ(pixel(ArrowLeftImage, 0, 0) >> 24, 0u);
    EXPECT_EQ(pixel(ArrowRightImage, 3, 3), 0xFF000000u);
    EXPECT_EQ(pixel(ArrowRightImage, 3, 0) >> 24, 0u);
    // Check boxes are opaque: a dark border round a light face, and the tick in teal.
    EXPECT_EQ(pixel(CheckBoxImage, 0, 0), 0xFF404040u);
    EXPECT_GE(pixel(CheckBoxImage, 6, 6) & 0xFF, 0xE0u);
    EXPECT_EQ(pixel(CheckedBoxImage, 0, 6), 0xFF1C5180u);
    EXPECT_EQ(pixel(CheckedBoxImage, 5, 8), 0xFF009696u);
}

TEST_F(SkinPicturesDecoded, KeptPixelsAreWhatEachPngDecodesTo) {
    ASSERT_EQ(SkinPicturesPixels.size(), 3 * ScaledSkinPictures.size());
    for (std::size_t i = 0; i < SkinPicturesPixels.size(); ++i) {
        const SkinPicturePixels& drawn = SkinPicturesPixels[i];
        SCOPED_TRACE(std::string(SkinPictures[i / 3].name) + " scale " + std::to_string(i % 3));
        // In the order of the pictures, each scale once.
        EXPECT_EQ(drawn.bytes.data(), ScaledSkinPictures[i / 3].scales[i % 3].data());
        plus::PlusBitmap decoded;
        ASSERT_TRUE(decoded.CreateFromStream(ToByteSet(drawn.bytes)));
        ASSERT_EQ(decoded.GetWidth(), static_cast<UINT>(drawn.width));
        ASSERT_EQ(decoded.GetHeight(), static_cast<UINT>(drawn.height));
        ASSERT_EQ(drawn.pixels.size(), static_cast<std::size_t>(drawn.width) * drawn.height);
        int differ = 0;
        for (int y = 0; y < drawn.height; ++y)
            for (int x = 0; x < drawn.width; ++x)
                if (decoded.GetPixel(x, y) !=
                    drawn.pixels[static_cast<std::size_t>(y) * drawn.width + x])
                    ++differ;
        EXPECT_EQ(differ, 0);
    }
}

TEST_F(SkinPicturesDecoded, FoundByTheirBytesOrACopyOfThemAndNothingElse) {
    EXPECT_EQ(PixelsOfSkinPicture(CloseButtonImage), &SkinPicturesPixels[15]);
    const ByteSet copy = ToByteSet(ScaledSkinPictures[4].scales[2]); // restore button, 200 %
    const SkinPicturePixels* found = PixelsOfSkinPicture(copy);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->width, 52);
    EXPECT_EQ(found->height, 36);
    ByteSet changed = copy;
    changed[changed.size() / 2] ^= 1;
    EXPECT_EQ(PixelsOfSkinPicture(changed), nullptr);
    EXPECT_EQ(PixelsOfSkinPicture(std::span(copy).first(copy.size() - 1)), nullptr);
    EXPECT_EQ(PixelsOfSkinPicture({}), nullptr);
}

TEST_F(SkinPicturesDecoded, MadeFromKeptPixelsWithoutTheDecoderAndOthersDecoded) {
    // A skin picture (a copy of its bytes, as a caption button keeps) comes from its pixels: a
    // bitmap made in memory, the same pixels as its PNG.
    const std::unique_ptr<plus::PlusImage> made =
        MakePicture(ToByteSet(ScaledSkinPictures[5].scales[1])); // close button, 150 %
    ASSERT_NE(made, nullptr);
    plus::PlusBitmap png;
    ASSERT_TRUE(png.CreateFromStream(ToByteSet(ScaledSkinPictures[5].scales[1])));
    const plus::Text pngFormat = png.GetRawFormat();
    EXPECT_NE(made->GetRawFormat(), pngFormat);
    ASSERT_EQ(made->GetWidth(), png.GetWidth());
    ASSERT_EQ(made->GetHeight(), png.GetHeight());
    EXPECT_EQ(made->GetPixelFormat(), 0x0026200A);
    auto* bitmap = dynamic_cast<plus::PlusBitmap*>(made.get());
    ASSERT_NE(bitmap, nullptr);
    const std::pair<int, int> points[] = {{0, 0}, {28, 13}, {10, 20}, {56, 26}, {40, 5}};
    for (const auto& [x, y] : points)
        EXPECT_EQ(bitmap->GetPixel(x, y), png.GetPixel(x, y)) << x << "," << y;

    // Other pictures are decoded: the same close button with one pixel changed.
    ASSERT_TRUE(png.SetPixel(3, 4, 0xFF123456));
    const ByteSet own = png.SaveToBytes(pngFormat);
    ASSERT_FALSE(own.empty());
    const std::unique_ptr<plus::PlusImage> decoded = MakePicture(own);
    ASSERT_NE(decoded, nullptr);
    EXPECT_EQ(decoded->GetRawFormat(), pngFormat);
    plus::PlusBitmap check;
    ASSERT_TRUE(check.CreateFromStream(own));
    EXPECT_EQ(check.GetPixel(3, 4), 0xFF123456u);
    EXPECT_EQ(decoded->GetWidth(), 57u);

    const ByteSet junk{1, 2, 3, 4};
    EXPECT_EQ(MakePicture(junk), nullptr);
}

TEST_F(SkinPicturesDecoded, AWindowsPictureCacheMakesEachPictureOnceAndKeepsNoFailure) {
    SkinPictureCache cache;
    plus::PlusImage* box = cache.Get(CheckedBoxImage);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->GetWidth(), 13u);
    EXPECT_EQ(cache.Get(CheckedBoxImage), box);
    plus::PlusImage* arrow = cache.Get(ArrowUpImage);
    ASSERT_NE(arrow, nullptr);
    EXPECT_NE(arrow, box);
    EXPECT_EQ(arrow->GetHeight(), 4u);
    EXPECT_EQ(cache.Get(ArrowUpImage), arrow);
    EXPECT_EQ(cache.size(), 2u);
    // Keyed by the data and its length: the start of the same picture is other bytes (which do
    // not decode, and are not kept).
    EXPECT_EQ(cache.Get(std::span(CheckedBoxImage).first(40)), nullptr);
    const ByteSet junk{1, 2, 3, 4};
    EXPECT_EQ(cache.Get(junk), nullptr);
    EXPECT_EQ(cache.size(), 2u);
}
