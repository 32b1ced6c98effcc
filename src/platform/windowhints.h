#pragma once

class QWidget;

namespace quorrel {

// Asks the window manager to leave the window out of the task bar (EWMH
// _NET_WM_STATE_SKIP_TASKBAR). Qt has no flag for this short of making the
// window a tool window. Call it before the window is first shown; it does
// nothing off X11.
void excludeFromTaskbar(QWidget *window);

// Asks the window manager to move a shown window to the workspace the user is
// on (EWMH _NET_WM_DESKTOP) when its parent is on another one: some window
// managers open a dialog on its parent's workspace, which the user may have
// left. It does nothing off X11, without workspaces, or when the parent is on
// the user's workspace or on all of them.
void moveToCurrentWorkspace(QWidget *window);

} // namespace quorrel
