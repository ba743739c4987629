#include "log/TrendTime.h"

#include <cstdio>

namespace TrendTime {
namespace {

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
qint64 daysFromCivil(qint64 y, unsigned m, unsigned d) {
    y -= m <= 2;
    const qint64 era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + qint64(doe) - 719468;
}

void civilFromDays(qint64 z, int &y, int &m, int &d) {
    z += 719468;
    const qint64 era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = unsigned(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = int(doy - (153 * mp + 2) / 5 + 1);
    m = int(mp < 10 ? mp + 3 : mp - 9);
    y = int(qint64(yoe) + era * 400 + (m <= 2));
}

bool digits(const char *p, int n, int &out) {
    out = 0;
    for (int i = 0; i < n; ++i) {
        if (p[i] < '0' || p[i] > '9')
            return false;
        out = out * 10 + (p[i] - '0');
    }
    return true;
}

} // namespace

std::optional<qint64> parse(const char *t, int length) {
    // yyyy-mm-dd[ hh[:mm[:ss]]]
    int y, mo, d, h = 0, mi = 0, s = 0;
    if (!t || length < 10 || !digits(t, 4, y) || t[4] != '-' || !digits(t + 5, 2, mo) ||
        t[7] != '-' || !digits(t + 8, 2, d))
        return std::nullopt;
    if (length >= 13 && (t[10] != ' ' || !digits(t + 11, 2, h)))
        return std::nullopt;
    if (length >= 16 && (t[13] != ':' || !digits(t + 14, 2, mi)))
        return std::nullopt;
    if (length >= 19 && (t[16] != ':' || !digits(t + 17, 2, s)))
        return std::nullopt;
    if (mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 60)
        return std::nullopt;
    return daysFromCivil(y, unsigned(mo), unsigned(d)) * 86400 + h * 3600 + mi * 60 + s;
}

std::optional<qint64> parse(const QString &text) {
    const QByteArray bytes = text.toLatin1();
    return parse(bytes.constData(), int(bytes.size()));
}

QByteArray text(qint64 seconds) {
    qint64 days = seconds / 86400;
    qint64 rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    int y, m, d;
    civilFromDays(days, y, m, d);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", y, m, d, int(rest / 3600),
                  int(rest / 60 % 60), int(rest % 60));
    return QByteArray(buf);
}

QDateTime toDateTime(qint64 seconds) {
    const QDateTime utc = QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
    return QDateTime(utc.date(), utc.time(), Qt::LocalTime);
}

qint64 fromDateTime(const QDateTime &local) {
    return QDateTime(local.date(), local.time(), Qt::UTC).toSecsSinceEpoch();
}

qint64 now() {
    return fromDateTime(QDateTime::currentDateTime());
}

} // namespace TrendTime
