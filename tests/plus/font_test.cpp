// Fonts, font families, font collections and string formats. Chinese text is measured and drawn
// with a font made from a family name and one made from a GDI font handle. Family names are
// never compared exactly: the installed fonts stand in for the named ones.
#include "plus/plus_brush.h"
#include "plus/plus_font.h"
#include "plus/plus_font_family.h"
#include "plus/plus_graphics.h"
#include "plus/plus_internal.h"
#include "plus/plus_path.h"
#include "plus/plus_string_format.h"

#include "support/gdi_count.h"
#include "support/plus_fixture.h"
#include "test_objects.h"

#include <vector>

using namespace plus_tests;
using testing_support::PlusTest;

namespace {

constexpr plus::ARGB kWhite = 0xFFFFFFFF;
constexpr plus::ARGB kBlack = 0xFF000000;
constexpr int kUnitPixel = 2;
constexpr int kFontStyleBold = 1;
const char* const kSongTi = "宋体";
const char* const kChineseText = "已使用次数";

class FontTest : public PlusTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(g.CreateFromHDC(surface.Dc()));
        ASSERT_TRUE(g.Clear(kWhite));
        ASSERT_TRUE(black.Create(kBlack));
    }

    // Number of dark pixels in a rectangle of the surface.
    int DarkPixels(int left, int top, int right, int bottom) const {
        int dark = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                if ((surface.Rgb(x, y) & 0xFF) < 0x80) ++dark;
        return dark;
    }

    // Measures and draws the Chinese text with `font` at the top left of the surface.
    void MeasureAndDraw(const plus::PlusFont& font, plus::RectF& box) {
        ASSERT_TRUE(g.MeasureString(kChineseText, font, {0, 0, 300, 60}, nullptr, box));
        ASSERT_TRUE(g.DrawString(kChineseText, font, black, {0, 0, 300, 60}));
    }

    DibSurface surface{300, 60};
    plus::PlusGraphics g;
    plus::PlusSolidBrush black;
};

using FamilyTest = PlusTest;
using FormatTest = PlusTest;

// A memory DC with a GDI font selected, released in reverse order.
class DcWithFont {
public:
    explicit DcWithFont(int height) {
        LOGFONTA lf{};
        lf.lfHeight = height;
        lf.lfCharSet = GB2312_CHARSET;
        lstrcpyA(lf.lfFaceName, kSongTi);
        font_ = CreateFontIndirectA(&lf);
        dc_ = CreateCompatibleDC(nullptr);
        old_ = SelectObject(dc_, font_);
    }
    ~DcWithFont() {
        SelectObject(dc_, old_);
        DeleteDC(dc_);
        DeleteObject(font_);
    }
    DcWithFont(const DcWithFont&) = delete;
    DcWithFont& operator=(const DcWithFont&) = delete;
    HDC Dc() const { return dc_; }
    HFONT Font() const { return font_; }

private:
    HFONT font_ = nullptr;
    HDC dc_ = nullptr;
    HGDIOBJ old_ = nullptr;
};

} // namespace

TEST_F(FontTest, FontFromFamilyNameMeasuresAndDrawsChinese) {
    plus::PlusFont font;
    ASSERT_TRUE(font.CreateFromFamilyName(kSongTi, 9));
    EXPECT_FLOAT_EQ(font.GetSize(), 9.0f);
    EXPECT_EQ(font.GetStyle(), 0);

    plus::PlusFont large;
    ASSERT_TRUE(large.CreateFromFamilyName(kSongTi, 24, kFontStyleBold, kUnitPixel));
    EXPECT_EQ(large.GetUnit(), kUnitPixel);
    EXPECT_EQ(large.GetStyle(), kFontStyleBold);
    EXPECT_GT(large.GetHeight(g), 24.0f);
    plus::RectF box;
    MeasureAndDraw(large, box);
    // Five ideographs of about one em each.
    EXPECT_GT(box.width, 4 * 24.0f);
    EXPECT_LT(box.width, 7 * 24.0f);
    EXPECT_GT(DarkPixels(0, 0, 150, 40), 150) << "the glyphs are drawn, not boxes or nothing";

    plus::PlusFontFamily family;
    ASSERT_TRUE(large.GetFamily(family));
    EXPECT_FALSE(family.GetFamilyName().empty());
    EXPECT_TRUE(family.DeleteFontFamily());
}

TEST_F(FontTest, UnknownFamilyNameFailsAndLeavesTheWrapperEmpty) {
    plus::PlusFont font;
    EXPECT_FALSE(font.CreateFromFamilyName("没有这种字体", 9));
    EXPECT_EQ(font.GetHandle(), nullptr);
    EXPECT_EQ(plus::LastStatus(), plus::InvalidParameter);
}

TEST_F(FontTest, FontFromGdiFontHandleDrawsChinese) {
    DcWithFont gdi(-20);
    plus::PlusFont font;
    ASSERT_TRUE(font.CreateFromDcFont(gdi.Dc(), gdi.Font()));
    plus::RectF box;
    MeasureAndDraw(font, box);
    EXPECT_GT(box.width, 4 * 20.0f * 0.8f);
    EXPECT_GT(DarkPixels(0, 0, 150, 40), 100);

    LOGFONTA back{};
    ASSERT_TRUE(font.GetLogFontA(g, back));
    EXPECT_NEAR(back.lfHeight, -20, 1) << "the GDI font's size survives the round trip";
}

TEST_F(FontTest, WithoutFontHandleTheDcsFontIsTaken) {
    DcWithFont small(-12), large(-30);
    plus::PlusFont fromSmall, fromLarge, selected;
    ASSERT_TRUE(fromSmall.CreateFromDcFont(small.Dc()));
    ASSERT_TRUE(fromLarge.CreateFromDcFont(large.Dc()));
    ASSERT_TRUE(selected.CreateFromDC(large.Dc()));
    EXPECT_GT(fromLarge.GetSize(), 2 * fromSmall.GetSize());
    EXPECT_FLOAT_EQ(fromLarge.GetSize(), selected.GetSize());

    // A handle that is not a font: the DC's font.
    plus::PlusFont fallback;
    ASSERT_TRUE(
        fallback.CreateFromDcFont(large.Dc(), reinterpret_cast<HFONT>(GetStockObject(NULL_BRUSH))));
    EXPECT_FLOAT_EQ(fallback.GetSize(), selected.GetSize());

    LOGFONTW lf{};
    lf.lfHeight = -16;
    lstrcpyW(lf.lfFaceName, L"宋体");
    plus::PlusFont fromW;
    ASSERT_TRUE(fromW.CreateFromLogfontW(small.Dc(), &lf));
    ASSERT_TRUE(fromW.CreateFromLogfontA(small.Dc())) << "no description: the DC's font";
    EXPECT_FLOAT_EQ(fromW.GetSize(), fromSmall.GetSize());
}

TEST_F(FontTest, StockFontAndClones) {
    plus::PlusFont stock;
    ASSERT_TRUE(stock.CreateFromStockFont());
    EXPECT_GT(stock.GetSize(), 0.0f);
    // Nothing accumulates: the screen DC goes back every time (the first call may leave the
    // system's own caches behind, hence the count after it).
    const int gdiBefore = testing_support::GdiObjectCount();
    for (int i = 0; i < 20; ++i) {
        plus::PlusFont again;
        ASSERT_TRUE(again.CreateFromStockFont());
    }
    EXPECT_EQ(testing_support::GdiObjectCount(), gdiBefore);

    plus::PlusFont copy;
    ASSERT_TRUE(stock.Clone(copy));
    EXPECT_NE(copy.GetHandle(), stock.GetHandle());
    EXPECT_FLOAT_EQ(copy.GetSize(), stock.GetSize());
    EXPECT_GT(copy.GetHeightGivenDPI(96), 0.0f);

    EXPECT_TRUE(stock.DeleteFont());
    EXPECT_FALSE(stock.DeleteFont());
    EXPECT_EQ(plus::LastStatus(), plus::Ok);
    EXPECT_FLOAT_EQ(stock.GetSize(), 0.0f);
    EXPECT_EQ(plus::LastStatus(), plus::InvalidParameter);
}

TEST_F(FamilyTest, FamilyByNameMetricsAndExplicitRelease) {
    plus::PlusFontFamily family;
    ASSERT_TRUE(family.CreateFromName(kSongTi));
    const plus::Text name = family.GetFamilyName();
    EXPECT_FALSE(name.empty());
    const plus::ByteSet wide = family.GetFamilyNameW();
    ASSERT_EQ(wide.size(), 64u);
    EXPECT_NE(wide[0] | wide[1], 0);
    EXPECT_EQ(wide[62] | wide[63], 0);

    // The name read back names the same family.
    plus::PlusFontFamily again;
    ASSERT_TRUE(again.CreateFromName(name));
    EXPECT_EQ(again.GetFamilyNameW(), wide);
    EXPECT_TRUE(again.DeleteFontFamily());

    EXPECT_TRUE(family.IsStyleAvailable(0));
    EXPECT_GT(family.GetEmHeight(0), 0);
    EXPECT_GT(family.GetCellAscent(0), 0);
    EXPECT_GT(family.GetLineSpacing(0), family.GetCellAscent(0) - 1);

    plus::PlusFontFamily copy;
    ASSERT_TRUE(family.Clone(copy));
    EXPECT_EQ(copy.GetFamilyNameW(), wide);
    EXPECT_TRUE(copy.DeleteFontFamily());

    EXPECT_TRUE(family.DeleteFontFamily());
    EXPECT_FALSE(family.DeleteFontFamily());
    EXPECT_EQ(family.GetEmHeight(0), 0);
    EXPECT_EQ(plus::LastStatus(), plus::InvalidParameter);
}

TEST_F(FamilyTest, GenericFamiliesAndPathText) {
    plus::PlusFontFamily sans, serif, mono;
    ASSERT_TRUE(sans.GenericSansSerif());
    ASSERT_TRUE(serif.GenericSerif());
    ASSERT_TRUE(mono.GenericMonospace());
    EXPECT_FALSE(sans.GetFamilyName().empty());

    plus::PlusFontFamily song;
    ASSERT_TRUE(song.CreateFromNameW(plus::ToWideBytes(L"宋体")));
    plus::PlusPath path;
    ASSERT_TRUE(path.CreatePath());
    plus::PlusStringFormat format;
    ASSERT_TRUE(format.GenericDefault());
    ASSERT_TRUE(path.AddString(kChineseText, song, 20, {0, 0, 200, 40}, 0, &format));
    EXPECT_GT(path.GetPointCount(), 20) << "the outline of the glyphs";
    const plus::Rect bounds = path.GetBoundsI();
    EXPECT_GT(bounds.width, 60);

    for (plus::PlusFontFamily* f : {&sans, &serif, &mono, &song})
        EXPECT_TRUE(f->DeleteFontFamily());
}

TEST_F(FamilyTest, CollectionHandsOutItsFamilies) {
    plus::PlusFontCollection collection;
    std::vector<plus::PlusFontFamily> families(2);
    EXPECT_EQ(collection.GetFamilies(0, families), 0);
    EXPECT_EQ(plus::LastStatus(), plus::InvalidParameter);
    EXPECT_EQ(families.size(), 2u) << "a count below 1 leaves the array alone";

    Gdiplus::GpFontCollection* installed = nullptr;
    ASSERT_EQ(plus::gp::GdipNewInstalledFontCollection(&installed), Gdiplus::Ok);
    collection.SetHandle(installed);
    EXPECT_EQ(collection.Native(), installed);
    const int count = collection.GetFamilyCount();
    ASSERT_GT(count, 0);
    EXPECT_EQ(collection.GetFamilies(3, families), std::min(count, 3));
    ASSERT_EQ(families.size(), 3u);
    EXPECT_FALSE(families[0].GetFamilyName().empty());
    // The families belong to the collection: the wrappers let them go without releasing them.
}

TEST_F(FormatTest, NewFormatAndItsSettings) {
    plus::PlusStringFormat format;
    ASSERT_TRUE(format.Create());
    EXPECT_EQ(format.GetFlags(), 0);
    int substitute = -1, language = -1;
    ASSERT_TRUE(format.GetDigitSubstitution(substitute, language));
    EXPECT_EQ(language, 0);

    ASSERT_TRUE(format.SetAlign(1));
    ASSERT_TRUE(format.SetLineAlign(2));
    ASSERT_TRUE(format.SetTrimming(3));
    ASSERT_TRUE(format.SetHotkeyPrefix(1));
    ASSERT_TRUE(format.SetFlags(0x1000));
    EXPECT_EQ(format.GetAlign(), 1);
    EXPECT_EQ(format.GetLineAlign(), 2);
    EXPECT_EQ(format.GetTrimming(), 3);
    EXPECT_EQ(format.GetHotkeyPrefix(), 1);
    EXPECT_EQ(format.GetFlags(), 0x1000);

    // Substitute first, language second, although GDI+ takes them the other way round.
    ASSERT_TRUE(format.SetDigitSubstitution(2, 0x0804));
    ASSERT_TRUE(format.GetDigitSubstitution(substitute, language));
    EXPECT_EQ(substitute, 2);
    EXPECT_EQ(language, 0x0804);

    plus::PlusStringFormat copy;
    ASSERT_TRUE(format.Clone(copy));
    EXPECT_EQ(copy.GetAlign(), 1);
}

TEST_F(FormatTest, TabStopsAndCharacterRanges) {
    plus::PlusStringFormat format;
    ASSERT_TRUE(format.GenericDefault());
    ASSERT_TRUE(format.SetTabStops(8, {20, 30, 40}));
    float first = 0;
    std::vector<float> stops;
    EXPECT_EQ(format.GetTabStops(first, stops), 3);
    ASSERT_EQ(stops.size(), 3u);
    EXPECT_FLOAT_EQ(first, 8);
    EXPECT_FLOAT_EQ(stops[2], 40);

    ASSERT_TRUE(format.SetMeasurableCharacterRanges({{0, 2}, {3, 2}}));
    EXPECT_EQ(format.GetMeasurableCharacterRangeCount(), 2);

    plus::PlusStringFormat typographic;
    ASSERT_TRUE(typographic.GenericTypographic());
    EXPECT_NE(typographic.GetFlags(), 0);
    EXPECT_TRUE(typographic.DeleteStringFormat());
    EXPECT_FALSE(typographic.DeleteStringFormat());
}
