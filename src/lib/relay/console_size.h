// The size of the relay's console window (conhost --size).
#pragma once

#include "system/console.h"
#include "window_layout.h"

namespace vornalt {

/// Sets this console's window to `size`, reduced to what the screen allows:
/// the screen buffer is widened where the window would be wider, and made
/// taller where it would be taller, but never made smaller, so that its
/// scroll-back stays; the window keeps its place in the buffer where it
/// fits. The error of the call that the console refused.
Result set_console_window_size(Cells size, Console& console);

}  // namespace vornalt
