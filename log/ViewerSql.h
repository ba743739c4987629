#pragma once

#include <QDate>
#include <QString>
#include <optional>

// The texts with which the log viewer opens, sorts and filters the two logs,
// and their recognition: a result set that knows the shape of its text can
// page through millions of rows in the order the text asks for.
namespace ViewerSql {

QString lecturaOpening();   // "Select * From Lectura Order by Fecha Desc;"
QString escrituraOpening(); // "Select * From Escritura Order by Fecha Desc;"

// The column of the inputs sort list: "Fecha", then "Valor 1".."Valor 4"
// give Word3..Word6; no selection (-1) gives Fecha.
QString lecturaColumn(int item);
// The column of the commands sort list: "Bit 1".."Bit 8" (items 1..8) give
// Bit1..Bit8; "Fecha", the empty tenth item and no selection give Fecha.
QString escrituraColumn(int item);

// "Where Fecha between "yyyy-mm-dd%" and "yyyy-mm-dd%"". Each bound ends in
// %, which sorts after the blank that follows the date in Fecha: the rows of
// the Desde day fall below the range, those of the Hasta day inside it.
QString dateCondition(const QDate &from, const QDate &to);

// "Select * From Lectura " + condition + " Order by " + column + " " + direction + ";"
QString lecturaText(const QString &condition, const QString &column, bool descending);
// "Select * From Escritura Order by " + column + " " + direction + ";"
QString escrituraText(const QString &column, bool descending);

// What a text of the forms above asks for.
struct Shape {
    QString table;
    bool filtered = false;
    QString from, to; // the bounds as written between the quotes
    QString column;
    bool descending = false;
};

// The shape of a text of the viewer's forms (letter case and blanks aside);
// nothing for any other text.
std::optional<Shape> parse(const QString &text);

} // namespace ViewerSql
