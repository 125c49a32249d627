// Narrow literals must reach the program as code page 936 bytes.
#include <gtest/gtest.h>

#include <string>
#include <windows.h>

TEST(Charset, UsagePrefixIsCodePage936) {
    const std::string prefix = "已使用次数：";
    ASSERT_EQ(prefix.size(), 12u);
    const unsigned char expected[] = {0xD2, 0xD1, 0xCA, 0xB9, 0xD3, 0xC3,
                                      0xB4, 0xCE, 0xCA, 0xFD, 0xA3, 0xBA};
    for (size_t i = 0; i < prefix.size(); ++i)
        EXPECT_EQ(static_cast<unsigned char>(prefix[i]), expected[i]) << "byte " << i;
}

TEST(Charset, WineRunsWithChineseAnsiCodePage) {
    EXPECT_EQ(GetACP(), 936u);
}
