#include "notify/MailMessage.h"

#include <QCryptographicHash>
#include <QTimeZone>

namespace {

constexpr int kFoldWidth = 76;
// 36 bytes of UTF-8 give 48 Base64 characters: one encoded word of 60
// characters fits a 76-character line after "Subject: " (RFC 2047).
constexpr int kEncodedWordBytes = 36;

// Header values never carry line breaks or other control characters.
QString headerSafe(const QString &text) {
    QString out = text;
    for (QChar &c : out) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            c = u' ';
    }
    return out;
}

bool isPlainAscii(const QString &text) {
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7e)
            return false;
    }
    return true;
}

// Encoded words cut at character boundaries, folded onto continuation lines.
QByteArray encodedWords(const QString &text) {
    const QByteArray utf8 = text.toUtf8();
    QByteArray out;
    int start = 0;
    while (start < utf8.size()) {
        int end = qMin(start + kEncodedWordBytes, int(utf8.size()));
        while (end < utf8.size() && (uchar(utf8[end]) & 0xc0) == 0x80)
            --end; // never split a multi-byte character
        if (!out.isEmpty())
            out += "\r\n ";
        out += "=?UTF-8?B?" + utf8.mid(start, end - start).toBase64() + "?=";
        start = end;
    }
    return out;
}

// A text that may stand as it is in an unstructured header (a subject).
QByteArray unstructured(const QString &text, int room) {
    const QString safe = headerSafe(text);
    if (isPlainAscii(safe) && !safe.contains(QLatin1String("=?")) && safe.size() <= room)
        return safe.toLatin1();
    return encodedWords(safe);
}

QByteArray displayName(const QString &name) {
    const QString safe = headerSafe(name).trimmed();
    if (!isPlainAscii(safe) || safe.contains(QLatin1String("=?")))
        return encodedWords(safe);
    QByteArray quoted = "\"";
    for (const QChar c : safe) {
        if (c == u'"' || c == u'\\')
            quoted += '\\';
        quoted += char(c.unicode());
    }
    return quoted + '"';
}

QByteArray addressList(const QStringList &addresses, int used) {
    QByteArray out;
    int lineLength = used;
    for (int i = 0; i < addresses.size(); ++i) {
        const QByteArray item =
            headerSafe(addresses[i]).toUtf8() + (i + 1 < addresses.size() ? "," : "");
        if (i > 0) {
            if (lineLength + 1 + item.size() > kFoldWidth) {
                out += "\r\n";
                lineLength = 0;
            }
            out += ' ';
            ++lineLength;
        }
        out += item;
        lineLength += int(item.size());
    }
    return out;
}

QByteArray rfc5322Date(const QDateTime &now) {
    static const char *const days[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    static const char *const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const QDate d = now.date();
    const QTime t = now.time();
    const int offsetMinutes = now.offsetFromUtc() / 60;
    const int absOffset = qAbs(offsetMinutes);
    return QStringLiteral("%1, %2 %3 %4 %5:%6:%7 %8%9%10")
        .arg(QLatin1String(days[d.dayOfWeek() - 1]))
        .arg(d.day(), 2, 10, QLatin1Char('0'))
        .arg(QLatin1String(months[d.month() - 1]))
        .arg(d.year(), 4, 10, QLatin1Char('0'))
        .arg(t.hour(), 2, 10, QLatin1Char('0'))
        .arg(t.minute(), 2, 10, QLatin1Char('0'))
        .arg(t.second(), 2, 10, QLatin1Char('0'))
        .arg(offsetMinutes < 0 ? QLatin1String("-") : QLatin1String("+"))
        .arg(absOffset / 60, 2, 10, QLatin1Char('0'))
        .arg(absOffset % 60, 2, 10, QLatin1Char('0'))
        .toLatin1();
}

QByteArray messageId(const MailMessage &m, const QDateTime &now) {
    QString domain = m.fromAddress.section(u'@', -1);
    if (!m.fromAddress.contains(u'@') || !isUsableAddress(domain))
        domain = QStringLiteral("localhost");
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(m.recipients.join(u',').toUtf8());
    hash.addData(m.subject.toUtf8());
    hash.addData(m.body.toUtf8());
    return '<' + now.toUTC().toString(QStringLiteral("yyyyMMddHHmmsszzz")).toLatin1() + '.' +
           hash.result().toHex().left(16) + '@' + domain.toUtf8() + '>';
}

// Body lines as typed, whatever their line ends were.
QList<QByteArray> bodyLines(const QString &body) {
    QString text = body;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(u'\r', u'\n');
    QList<QByteArray> lines;
    for (const QString &line : text.split(u'\n'))
        lines.append(line.toUtf8());
    if (lines.size() > 1 && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

bool needsEncoding(const QList<QByteArray> &lines) {
    for (const QByteArray &line : lines) {
        if (line.size() > 998)
            return true;
        for (const char c : line) {
            const uchar u = uchar(c);
            if (u >= 0x80 || (u < 0x20 && u != '\t') || u == 0x7f)
                return true;
        }
    }
    return false;
}

QByteArray quotedPrintable(const QList<QByteArray> &lines) {
    QByteArray out;
    for (const QByteArray &line : lines) {
        int column = 0;
        for (int i = 0; i < line.size(); ++i) {
            const uchar u = uchar(line[i]);
            const bool last = i + 1 == line.size();
            QByteArray piece;
            if ((u >= 33 && u <= 126 && u != '=') || ((u == ' ' || u == '\t') && !last))
                piece = QByteArray(1, char(u));
            else
                piece = '=' + QByteArray::number(u, 16).rightJustified(2, '0').toUpper();
            // Soft break: a line of at most 76 characters including the '='.
            if (column + piece.size() > kFoldWidth - 1) {
                out += "=\r\n";
                column = 0;
            }
            out += piece;
            column += int(piece.size());
        }
        out += "\r\n";
    }
    return out;
}

} // namespace

QStringList splitRecipients(const QString &text) {
    QStringList out;
    for (const QString &part : text.split(u',')) {
        const QString address = part.trimmed();
        if (!address.isEmpty())
            out.append(address);
    }
    return out;
}

bool isUsableAddress(const QString &address) {
    if (address.isEmpty())
        return false;
    for (const QChar c : address) {
        if (c.unicode() <= 0x20 || c.unicode() == 0x7f || c == u'<' || c == u'>' || c == u',' ||
            c.isSpace())
            return false;
    }
    return true;
}

QByteArray buildMessage(const MailMessage &m, const QDateTime &now) {
    const QList<QByteArray> lines = bodyLines(m.body);
    const bool encode = needsEncoding(lines);

    QByteArray out;
    out += "From: ";
    if (!headerSafe(m.fromName).trimmed().isEmpty())
        out += displayName(m.fromName) + ' ';
    out += '<' + headerSafe(m.fromAddress).toUtf8() + ">\r\n";
    out += "To: " + addressList(m.recipients, 4) + "\r\n";
    out += "Subject: " + unstructured(m.subject, 998 - 9) + "\r\n";
    out += "Date: " + rfc5322Date(now) + "\r\n";
    out += "Message-ID: " + messageId(m, now) + "\r\n";
    out += "MIME-Version: 1.0\r\n";
    out += "Content-Type: text/plain; charset=UTF-8\r\n";
    out += "Content-Transfer-Encoding: ";
    out += encode ? "quoted-printable\r\n" : "7bit\r\n";
    out += "\r\n";
    if (encode) {
        out += quotedPrintable(lines);
    } else {
        for (const QByteArray &line : lines)
            out += line + "\r\n";
    }
    return out;
}
