#pragma once

#include <QImage>
#include <QList>

// Every picture of Korvane Direct, at its final size.
namespace Artwork {

enum class LampColour { Blue, Red, Off, Green, Neutral };

// Pilot lamps, 64 x 64, transparent.
QImage lamp(LampColour colour);

// Status-bar indicators, 46 x 46, transparent.
QImage connector(bool connected);
QImage database(bool saving);

// Backgrounds, 700 x 530.
QImage welcome();
QImage noImage();
// The demo's plant screen, with places for its lamps and panels.
QImage plantScreen();
// Placeholder for an icon, 64 x 64.
QImage noImageIcon();

// The product mark drawn into a square of `size`; transparent around it.
QImage productMark(int size);
QImage trayIcon();
QImage productPicture();
// The 885 x 46 banner at the top of the main window.
QImage banner();

// The configuration editor's corner picture, 164 x 112, and its help
// badge, 24 x 24, transparent around it.
QImage editorCorner();
QImage helpBadge();

// Frames of the "Envio de Comando" animation, on white.
QList<QImage> waitFrames();

} // namespace Artwork
