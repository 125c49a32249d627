// The regular-expression service.
#include "app/regex.h"

#include <boost/regex.hpp>
#include <gtest/gtest.h>

using namespace varnel;

TEST(Regex, LazyGroupsFindEverySuccessiveMatchWithOffsets) {
    Regex regex;
    ASSERT_TRUE(regex.Compile("/img/(.*?)/(.*?).gif"));
    const Text text = "<img src=/img/a/4.gif><img src=/img/a/2.gif>";
    const auto matches = regex.SearchAll(text);
    ASSERT_EQ(matches.size(), 2u);
    std::ptrdiff_t start = 0;
    EXPECT_EQ(MatchSubtext(matches[0], text, 0, &start), "/img/a/4.gif");
    EXPECT_EQ(start, 9);
    EXPECT_EQ(MatchSubtext(matches[0], text, 1, &start), "a");
    EXPECT_EQ(start, 14);
    EXPECT_EQ(MatchSubtext(matches[0], text, 2, &start), "4");
    EXPECT_EQ(start, 16);
    EXPECT_EQ(MatchSubtext(matches[1], text, 2, &start), "2");
    EXPECT_EQ(start, 38);
}

TEST(Regex, MatchesDoNotOverlap) {
    Regex regex;
    ASSERT_TRUE(regex.Compile("aa"));
    EXPECT_EQ(regex.SearchAll("aaaaa").size(), 2u);
}

TEST(Regex, GroupThatDidNotTakePartIsEmpty) {
    Regex regex;
    ASSERT_TRUE(regex.Compile("x(a)?(b)"));
    const Text text = "xb";
    const auto matches = regex.SearchAll(text);
    ASSERT_EQ(matches.size(), 1u);
    std::ptrdiff_t start = 99;
    EXPECT_EQ(MatchSubtext(matches[0], text, 1, &start), "");
    EXPECT_EQ(start, -1);
    EXPECT_EQ(MatchSubtext(matches[0], text, 2), "b");
    // A group number the pattern does not have reads as empty rather than out of range.
    EXPECT_EQ(MatchSubtext(matches[0], text, 7), "");
}

TEST(Regex, CaseSensitivityAndInvalidPatterns) {
    Regex regex;
    ASSERT_TRUE(regex.Compile("ABC"));
    EXPECT_TRUE(regex.SearchAll("abc").empty());
    ASSERT_TRUE(regex.Compile("ABC", false));
    EXPECT_EQ(regex.SearchAll("abc").size(), 1u);

    EXPECT_FALSE(regex.Compile("(unclosed"));
    EXPECT_FALSE(regex.IsCompiled());
    EXPECT_TRUE(regex.SearchAll("(unclosed").empty());
    EXPECT_TRUE(Regex().SearchAll("anything").empty());
}

TEST(Regex, CodePage936BytesAreMatchedAsBytes) {
    Regex regex;
    ASSERT_TRUE(regex.Compile("次数：(\\d+)"));
    const Text text = "已使用次数：1234 次";
    const auto matches = regex.SearchAll(text);
    ASSERT_EQ(matches.size(), 1u);
    EXPECT_EQ(MatchSubtext(matches[0], text, 1), "1234");
}

TEST(Regex, SearchTheEngineGivesUpOnFindsNothing) {
    // Nested quantifiers on a long subject that fails at the end make the backtracking grow
    // beyond the engine's limit; the search must end with no matches, not take the program down.
    Regex regex;
    ASSERT_TRUE(regex.Compile("(x+x+)+y"));
    const Text text = "y" + std::string(5000, 'x');
    EXPECT_THROW(boost::regex_search(text, boost::regex("(x+x+)+y")), std::runtime_error)
        << "the engine no longer gives up on this search; pick a harder one";
    EXPECT_TRUE(regex.SearchAll(text).empty());
    // The object stays usable.
    EXPECT_EQ(regex.SearchAll("xxy").size(), 1u);
}
