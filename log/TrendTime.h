#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>

// The log stamps rows with the local date and time as text
// ("2011-09-28 14:05:09"). The trend window puts them on a linear scale of
// seconds counted as if that text were UTC: no time zone and no daylight
// saving jumps, so the plot follows the text the operator reads in the log.
namespace TrendTime {

// Seconds of "yyyy-mm-dd hh:mm:ss" (a shorter prefix such as "yyyy-mm-dd hh:mm"
// counts its missing fields as 0). Nothing when the text is not such a date.
std::optional<qint64> parse(const char *text, int length);
std::optional<qint64> parse(const QString &text);

// "yyyy-mm-dd hh:mm:ss", the form the log stores.
QByteArray text(qint64 seconds);

// The same date and time as a local QDateTime, for pickers and labels.
QDateTime toDateTime(qint64 seconds);
qint64 fromDateTime(const QDateTime &local);

// Now, on the same scale.
qint64 now();

} // namespace TrendTime
