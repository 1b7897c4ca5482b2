#pragma once

class QEventLoop;

// Frees a window's own event loop; one still running (the window is
// destroyed while its exec() waits) is told to end and freed once control
// has left it.
void disposeEventLoop(QEventLoop* loop);
