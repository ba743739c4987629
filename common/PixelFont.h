#pragma once

#include <QFont>
#include <QString>

// The windows give their fonts as a face and a character height in pixels.
inline QFont pixelFont(const QString &family, int pixels, bool bold = false) {
    QFont f(family);
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}
