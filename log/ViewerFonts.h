#pragma once

#include <QFont>
#include <QString>

// The viewer and the reports give their fonts as a face and a size in
// points. Arial and MS Sans Serif are rarely installed on Linux: Liberation
// Sans has Arial's metrics and stands in for both.
namespace ViewerFonts {

inline QFont face(const QString &family, double points, bool bold = false) {
    QFont f;
    f.setFamilies({family, QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

inline QFont arial(double points, bool bold = false) {
    return face(QStringLiteral("Arial"), points, bold);
}

inline QFont msSansSerif(double points) {
    return face(QStringLiteral("MS Sans Serif"), points);
}

} // namespace ViewerFonts
