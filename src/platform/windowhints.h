#pragma once

class QWidget;

namespace quorrel {

// Asks the window manager to leave the window out of the task bar (EWMH
// _NET_WM_STATE_SKIP_TASKBAR). Qt has no flag for this short of making the
// window a tool window. Call it before the window is first shown; it does
// nothing off X11.
void excludeFromTaskbar(QWidget *window);

} // namespace quorrel
