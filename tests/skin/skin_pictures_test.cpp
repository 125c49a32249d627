// The embedded skin pictures: well-formed 8-bit RGBA PNG files of the listed sizes.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "skin/images/skin_pictures.h"

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
