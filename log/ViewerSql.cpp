#include "log/ViewerSql.h"

#include <QRegularExpression>

namespace ViewerSql {

QString lecturaOpening() {
    return QStringLiteral("Select * From Lectura Order by Fecha Desc;");
}

QString escrituraOpening() {
    return QStringLiteral("Select * From Escritura Order by Fecha Desc;");
}

QString lecturaColumn(int item) {
    if (item >= 1 && item <= 4)
        return QStringLiteral("Word%1").arg(item + 2);
    return QStringLiteral("Fecha");
}

QString escrituraColumn(int item) {
    if (item >= 1 && item <= 8)
        return QStringLiteral("Bit%1").arg(item);
    return QStringLiteral("Fecha");
}

QString dateCondition(const QDate &from, const QDate &to) {
    const QString pattern = QStringLiteral("yyyy-MM-dd");
    return QStringLiteral("Where Fecha between \"") + from.toString(pattern) +
           QStringLiteral("%\" and \"") + to.toString(pattern) + QStringLiteral("%\"");
}

namespace {
QString direction(bool descending) {
    return descending ? QStringLiteral("Desc") : QStringLiteral("Asc");
}
} // namespace

QString lecturaText(const QString &condition, const QString &column, bool descending) {
    return QStringLiteral("Select * From Lectura ") + condition + QStringLiteral(" Order by ") +
           column + u' ' + direction(descending) + u';';
}

QString escrituraText(const QString &column, bool descending) {
    return QStringLiteral("Select * From Escritura Order by ") + column + u' ' +
           direction(descending) + u';';
}

std::optional<Shape> parse(const QString &text) {
    static const QRegularExpression form(
        QStringLiteral(R"re(^\s*select\s+\*\s+from\s+(lectura|escritura)\s+)re"
                       R"re((?:where\s+fecha\s+between\s+"([^"]*)"\s+and\s+"([^"]*)"\s+)?)re"
                       R"re(order\s+by\s+([a-z][a-z0-9]*)\s+(asc|desc)\s*;?\s*$)re"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    Shape shape;
    shape.table = m.captured(1);
    shape.filtered = m.capturedStart(2) >= 0;
    shape.from = m.captured(2);
    shape.to = m.captured(3);
    shape.column = m.captured(4);
    shape.descending = m.captured(5).compare(QLatin1String("desc"), Qt::CaseInsensitive) == 0;
    return shape;
}

} // namespace ViewerSql
