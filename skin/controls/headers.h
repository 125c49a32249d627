// Skinned header controls (stand-alone and the column headers of list views). Their record,
// kept in the window record's list.
#pragma once
#include <windows.h>

#include <commctrl.h>

#include <string>

namespace skin {

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
    int FontSize = 0;
    int FontStyle = 0;
    HIMAGELIST ImageList = nullptr;
};

} // namespace skin
