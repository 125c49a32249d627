// Skinned header controls: those that are direct children of a skinned window and the column
// headers of its list views. Every item is painted by the skin: a gradient face in the accent
// colour, hot and pressed looks for button-style headers, a 1-pixel divider, the item's
// image-list icon and its text with ellipsis; the last column of a list view's header reaches
// the list's right edge. Dragging dividers and clicking columns stay the control's own.
#pragma once
#include <windows.h>

#include <commctrl.h>

#include <map>
#include <string>

#include "skin/core/composition_types.h"

namespace skin {

// Widths of texts measured in one font (TextWidth), kept between paints; a width asked in
// another font starts the cache over.
class TextWidthCache {
public:
    int Width(const std::string& text, const std::string& family, int style, int size);
    size_t size() const { return widths_.size(); }

private:
    std::string family_;
    int style_ = -1;
    int size_ = -1;
    std::map<std::string, int> widths_;
};

struct HeaderRecord {
    HWND Window = nullptr;
    WNDPROC SavedProcedure = nullptr;
    bool Hot = false;
    int HotItem = 0;        // 1-based item under the mouse, 0 = none
    int PaintedHotItem = 0; // hot item at the last hot repaint
    bool Buttons = false;   // HDS_BUTTONS
    int PressedItem = 0;    // item under the mouse when the left button went down
    bool ButtonDown = false;
    std::string FontFamily; // list-view headers: the list's font
    int FontSize = 0;       // pixels at FontDpi
    UINT FontDpi = 96;      // the header's DPI when the font was read
    int FontStyle = 0;
    HIMAGELIST ImageList = nullptr; // read once at install; owned by whoever set it
    // The items' font and the widths of their texts (and of the trimmed texts tried), kept
    // between paints rather than made and measured on every one.
    mutable FontCache DrawingFont;
    mutable TextWidthCache Widths;
};

// Installs the headers among the direct children of `parent` and the first header of each of
// its list views (each once).
void SkinHeaders(int windowIndex, HWND parent);

LRESULT CALLBACK HeaderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The 1-based item under `mouse` (a mouse message's lParam), 0 when none: within 5 pixels of a
// divider no item is hit.
int HeaderItemAt(int windowIndex, int position, LPARAM mouse);

// Paints every item of the header at `position` on `dc` (null: the header's own client DC).
void PaintHeader(int windowIndex, int position, HDC dc = nullptr);

// Width of `text` in the given font, as GDI+ measures it, rounded down.
int TextWidth(const std::string& text, const std::string& family, int style, int size);

// The record of a skinned header, or null.
HeaderRecord* HeaderRecordOf(HWND window);

} // namespace skin
