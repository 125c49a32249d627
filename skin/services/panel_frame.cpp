#include "skin/services/panel_frame.h"

#include "plus/plus_graphics.h"
#include "plus/plus_image.h"
#include "plus/plus_path.h"
#include "skin/controls/framework.h"
#include "skin/core/dpi.h"
#include "skin/core/drawing_helpers.h"
#include "skin/services/direct_pixels.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace skin {
namespace {

// The outline and the line inside it, for a w x h panel at `dpi`.
void StrokeFrame(plus::PlusGraphics& g, int w, int h, UINT dpi) {
    const auto px = [dpi](int size) { return static_cast<float>(ScaleToDpi(size, dpi)); };
    const auto wf = static_cast<float>(w), hf = static_cast<float>(h);
    StrokePath(g, RoundedPath(0, 0, wf - 1, hf - 1, px(5)), ToArgb(kBlack, 40));
    StrokePath(g, RoundedPath(px(1), px(1), wf - px(3), hf - px(3), px(3)), ToArgb(kWhite, 100));
}

// The frame of a `size` x `size` panel, each of its two lines on a clear picture of its own (as
// GDI+ leaves a line drawn over nothing: its colour, at the alpha it covers each pixel with).
// Every pixel more than `extent` from the edges lies on a straight stretch of the lines, so a
// larger panel's frame is this one with its middle row and column repeated.
struct KeptFrame {
    int size = 0;
    int extent = 0;
    std::vector<std::uint32_t> outer;
    std::vector<std::uint32_t> inner;
};

std::vector<std::uint32_t> Layer(int size, const plus::PlusPath& path, plus::ARGB colour) {
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(size) * size, 0);
    plus::PlusBitmap bitmap;
    if (!bitmap.CreateFromScan0(size, size, size * 4, plus::Format32bppARGB,
                                reinterpret_cast<BYTE*>(pixels.data())))
        return {};
    plus::PlusGraphics g;
    if (!g.CreateFromImage(bitmap)) return {};
    g.SetSmoothingMode(plus::SmoothingModeAntiAlias);
    StrokePath(g, path, colour);
    g.DeleteGraphics(); // the drawing lands in the pixels
    return pixels;
}

const KeptFrame* FrameFor(UINT dpi) {
    static std::unordered_map<UINT, KeptFrame> kept;
    if (const auto it = kept.find(dpi); it != kept.end())
        return it->second.outer.empty() ? nullptr : &it->second;
    KeptFrame& frame = kept[dpi];
    // Past the widest corner arc (its diameter and a pixel of its line's edge) from each side.
    frame.extent = ScaleToDpi(6, dpi) + 2;
    frame.size = 2 * frame.extent + 1;
    const auto px = [dpi](int size) { return static_cast<float>(ScaleToDpi(size, dpi)); };
    const auto s = static_cast<float>(frame.size);
    frame.outer = Layer(frame.size, RoundedPath(0, 0, s - 1, s - 1, px(5)), ToArgb(kBlack, 40));
    frame.inner = Layer(frame.size, RoundedPath(px(1), px(1), s - px(3), s - px(3), px(3)),
                        ToArgb(kWhite, 100));
    if (frame.inner.empty()) frame.outer.clear(); // tried again never: GDI+ could not draw
    return frame.outer.empty() ? nullptr : &frame;
}

} // namespace

bool BlendPanelFrame(HDC picture, int w, int h, UINT dpi) {
    const KeptFrame* frame = FrameFor(dpi);
    if (!frame || w < frame->size || h < frame->size) return false;
    const PixelRows pixels =
        PixelRowsOf(static_cast<HBITMAP>(GetCurrentObject(picture, OBJ_BITMAP)));
    if (!pixels || pixels.width < w || pixels.height < h) return false;
    GdiFlush();
    const int e = frame->extent, n = frame->size;
    // The kept frame's row or column for a panel row or column.
    const auto from = [e, n](int at, int length) {
        return at < e ? at : at >= length - e ? at - (length - n) : e;
    };
    for (int y = 0; y < h; ++y) {
        const int sy = from(y, h);
        const std::uint32_t* outer = frame->outer.data() + static_cast<std::size_t>(sy) * n;
        const std::uint32_t* inner = frame->inner.data() + static_cast<std::size_t>(sy) * n;
        std::uint32_t* row = pixels.Row(y);
        // Rows along the top and bottom edges are drawn across; the others only at the sides.
        const bool across = sy != e;
        for (int x = 0; x < w; ++x) {
            if (!across && x == e) x = w - e;
            const int sx = from(x, w);
            row[x] = BlendOver(BlendOver(row[x], outer[sx]), inner[sx]);
        }
    }
    return true;
}

void StrokePanelFrame(plus::PlusGraphics& graphics, int w, int h, UINT dpi) {
    StrokeFrame(graphics, w, h, dpi);
}

} // namespace skin
