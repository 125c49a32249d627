// The main window's look: hands the window to the skin engine as it is created.
#pragma once

namespace varnel {

class MainWindow;

// The creation handler of the main window: an orange theme, a 110-pixel glossy caption with the
// title, no frame resizing and no help or menu button, a 20-pixel status bar with one pane, and
// translucent child controls. Without a skin engine (a window made by a test that has none) the
// window stays plain.
void OnMainWindowCreated(MainWindow& window);

} // namespace varnel
