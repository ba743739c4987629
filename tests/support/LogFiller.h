#pragma once

#include <QDateTime>
#include <QString>

// Makes log databases of any size from the installed schema, fast: one
// transaction, one prepared insert, the indexes built after the rows.
namespace LogFiller {

struct Options {
    qint64 lectura = 0;   // snapshots
    qint64 escritura = 0; // commands
    QDateTime start = QDateTime(QDate(2010, 1, 1), QTime(0, 0), Qt::UTC);
    int stepSeconds = 10; // between two rows of a table
    // false: only the date indexes, as in a database made before the sort
    // indexes were added.
    bool sortIndexes = true;
    // false: only the two logs, without the schema's other tables and its
    // triggers (the trend window's summaries, kept up at every insert): a
    // million rows fill in a third of the time.
    bool summaries = true;
};

// The values of snapshot i: Word1..Word6 spread over 0..255 with many ties,
// the bits following Word1 and Word2 as the logger writes them.
int word(qint64 i, int n);
QString fecha(const Options &options, qint64 i);

// Replaces the file at path. Returns false, with the reason in *error, on failure.
bool make(const QString &path, const Options &options, QString *error = nullptr);

} // namespace LogFiller
