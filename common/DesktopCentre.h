#pragma once

class QWidget;

// Places a top-level window so that its whole frame, title bar included, is
// centred on the desktop's available area. Before a window is shown its frame
// is unknown; the frame of a window of the program that is already on screen
// (shownWindow) stands in for it, since the window manager decorates both
// alike. Without one, the window's own size is centred.
void centreOnDesktop(QWidget *window, const QWidget *shownWindow = nullptr);
