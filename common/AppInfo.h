#pragma once

#include <QString>

namespace AppInfo {
// The application title: caption of the main window and of unhandled-error boxes.
inline QString title() {
    return QStringLiteral("Korvane Direct 1.2");
}
} // namespace AppInfo
