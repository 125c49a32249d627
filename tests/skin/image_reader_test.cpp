// Opening theme images for bounded reads: the pixels of a rectangle, the header read without
// decoding, and what bad bytes get.
#include <gtest/gtest.h>

#include <cstring>

#include "plus/plus_image.h"
#include "skin/core/drawing_helpers.h"
#include "skin/core/skin_engine.h"
#include "skin/services/image_reader.h"
#include "skin/services/theme_images.h"
#include "support/plus_fixture.h"

using namespace skin;

namespace {

constexpr char kBmpFormat[] = "{B96B3CAB-0728-11D3-9D7B-0000F81EF32E}";

// Each pixel tells where it lies; the alpha varies too.
plus::ARGB PlaceArgb(int x, int y) {
    return (static_cast<plus::ARGB>(0x80 + (x + y) % 128) << 24) |
           static_cast<plus::ARGB>(x % 256) << 16 | static_cast<plus::ARGB>(y % 256) << 8 |
           static_cast<plus::ARGB>((x * 7 + y) % 256);
}

ByteSet PlaceImage(int w, int h, const char* format = kPngFormat) {
    plus::PlusBitmap bitmap;
    EXPECT_TRUE(bitmap.Create(w, h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            bitmap.SetPixel(x, y, PlaceArgb(x, y));
    return bitmap.SaveToBytes(format);
}

// A PNG signature and header chunk claiming `w` x `h` (8-bit grey), then no image data.
ByteSet PngHeaderOnly(std::uint32_t w, std::uint32_t h) {
    ByteSet bytes = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    for (std::uint32_t v : {w, h})
        for (int shift = 24; shift >= 0; shift -= 8)
            bytes.push_back(static_cast<std::uint8_t>(v >> shift));
    for (std::uint8_t b : {8, 0, 0, 0, 0, 0, 0, 0, 0})
        bytes.push_back(b);
    return bytes;
}

class ImageReaderTest : public testing_support::PlusTest {};

} // namespace

TEST_F(ImageReaderTest, RectanglesAndPixelsAreTheImagesOwn) {
    const ByteSet png = PlaceImage(300, 200);
    ImageReader reader;
    ASSERT_TRUE(reader.Open(png));
    EXPECT_EQ(reader.Width(), 300);
    EXPECT_EQ(reader.Height(), 200);
    // A rectangle away from the origin, into rows wider than it.
    std::vector<std::uint32_t> rows(static_cast<std::size_t>(50) * 8, 0xDEADBEEF);
    ASSERT_TRUE(reader.Copy(250, 190, 40, 8, rows.data(), 50));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 40; ++x)
            ASSERT_EQ(rows[static_cast<std::size_t>(y * 50 + x)], PlaceArgb(250 + x, 190 + y))
                << x << "," << y;
    EXPECT_EQ(rows[40], 0xDEADBEEFu); // the rest of each row is left alone
    EXPECT_EQ(reader.Pixel(0, 0), PlaceArgb(0, 0));
    EXPECT_EQ(reader.Pixel(299, 199), PlaceArgb(299, 199));
    // Nothing outside the image is read.
    EXPECT_FALSE(reader.Copy(261, 0, 40, 1, rows.data(), 50));
    EXPECT_FALSE(reader.Copy(0, 193, 40, 8, rows.data(), 50));
    EXPECT_FALSE(reader.Copy(-1, 0, 40, 1, rows.data(), 50));
    EXPECT_FALSE(reader.Copy(0, 0, 60, 1, rows.data(), 50)); // wider than the rows
    EXPECT_FALSE(reader.Copy(0, 0, 0, 1, rows.data(), 50));
    EXPECT_EQ(reader.Pixel(300, 0), 0u);
    EXPECT_EQ(reader.Pixel(0, -1), 0u);

    // The same through GDI+ (the path of formats WIC does not read): the same pixels.
    EXPECT_EQ(reader.OpenedVia(), ImageReader::Via::Wic);
    ImageReader gdiplus;
    ASSERT_TRUE(gdiplus.OpenWithGdiPlus(png));
    EXPECT_EQ(gdiplus.OpenedVia(), ImageReader::Via::GdiPlus);
    std::vector<std::uint32_t> same(rows.size(), 0xDEADBEEF);
    ASSERT_TRUE(gdiplus.Copy(250, 190, 40, 8, same.data(), 50));
    EXPECT_EQ(same, rows);
    EXPECT_EQ(gdiplus.Pixel(299, 199), PlaceArgb(299, 199));
    EXPECT_FALSE(gdiplus.Copy(261, 0, 40, 1, same.data(), 50));

    // Other formats open the same way.
    ImageReader bmp;
    ASSERT_TRUE(bmp.Open(PlaceImage(30, 20, kBmpFormat)));
    EXPECT_EQ(bmp.Width(), 30);
    EXPECT_EQ(bmp.Pixel(29, 19) & 0xFFFFFF, PlaceArgb(29, 19) & 0xFFFFFF);
}

TEST_F(ImageReaderTest, PngHeaderIsReadWithoutDecoding) {
    const auto size = PngHeaderSize(PlaceImage(300, 200));
    ASSERT_TRUE(size.has_value());
    EXPECT_EQ(size->width, 300u);
    EXPECT_EQ(size->height, 200u);
    const auto claimed = PngHeaderSize(PngHeaderOnly(70000, 3));
    ASSERT_TRUE(claimed.has_value());
    EXPECT_EQ(claimed->width, 70000u);
    EXPECT_EQ(claimed->height, 3u);
    EXPECT_FALSE(PngHeaderSize(PlaceImage(3, 3, kBmpFormat)).has_value());
    ByteSet shortHeader = PngHeaderOnly(5, 5);
    shortHeader.resize(23);
    EXPECT_FALSE(PngHeaderSize(shortHeader).has_value());
    ByteSet otherChunk = PngHeaderOnly(5, 5);
    otherChunk[12] = 'X';
    EXPECT_FALSE(PngHeaderSize(otherChunk).has_value());
}

// Bytes that are no image, a PNG cut short and headers claiming no pixels or too many: none
// opens, so they count as no image everywhere.
TEST_F(ImageReaderTest, BadBytesOpenNothing) {
    const ByteSet png = PlaceImage(64, 64);
    const ByteSet truncated(png.begin(), png.begin() + static_cast<std::ptrdiff_t>(png.size() / 2));
    const struct {
        const char* what;
        ByteSet bytes;
    } cases[] = {
        {"garbage", {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'}},
        {"empty", {}},
        {"truncated", truncated},
        {"no width", PngHeaderOnly(0, 10)},
        {"no height", PngHeaderOnly(10, 0)},
        {"too many pixels", PngHeaderOnly(40000, 40000)},
        {"width beyond int", PngHeaderOnly(0x80000000u, 1)},
    };
    for (const auto& c : cases) {
        ImageReader reader;
        EXPECT_FALSE(reader.Open(c.bytes)) << c.what;
        EXPECT_FALSE(reader.IsOpen()) << c.what;
        EXPECT_EQ(reader.Width(), 0) << c.what;
        EXPECT_EQ(reader.OpenedVia(), ImageReader::Via::Nothing) << c.what;
        EXPECT_FALSE(reader.OpenWithGdiPlus(c.bytes)) << c.what;
        EXPECT_FALSE(EngineAverageColour(ImageSource::Bytes(c.bytes)).has_value()) << c.what;
        EXPECT_EQ(AverageImageColour(ImageSource::Bytes(c.bytes), 2000, 0, 0), 0xFF000000u)
            << c.what;
        EXPECT_FALSE(ImageDecodes(ImageSource::Bytes(c.bytes))) << c.what;
    }
    // A reader that failed to open after a good image holds nothing of it.
    ImageReader reader;
    ASSERT_TRUE(reader.Open(png));
    EXPECT_FALSE(reader.Open(truncated));
    EXPECT_EQ(reader.Height(), 0);
    EXPECT_EQ(reader.Pixel(0, 0), 0u);
}

TEST_F(ImageReaderTest, FilesAreReadWhole) {
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    const std::string path = std::string(folder) + "varnel_reader_test.bin";
    const ByteSet bytes = PlaceImage(9, 7);
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    EXPECT_EQ(ReadFileBytes(path), bytes);
    // The average of an image given as a file is that of its bytes.
    EXPECT_EQ(AverageImageColour(ImageSource::File(path), 300, 0, 0),
              AverageImageColour(ImageSource::Bytes(bytes), 300, 0, 0));
    std::remove(path.c_str());
    EXPECT_TRUE(ReadFileBytes(path).empty());
    EXPECT_TRUE(ReadFileBytes("").empty());
}
