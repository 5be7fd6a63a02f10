#pragma once

class QWindow;

// Asks the window manager to show the window on every workspace and to leave it out of the task
// bar, the pager and the window switcher. Call before each show: a window manager reads these
// when the window is mapped and drops them when it is hidden. Does nothing on a platform or
// display server that offers no such request (native Wayland).
void keepOnAllWorkspaces(QWindow* window);
