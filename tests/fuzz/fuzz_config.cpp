// Config.ini reader and writer on arbitrary files. For every input: a file
// of arbitrary bytes, then one key written with a plain value. Properties:
// reading never fails, the key reads back as written, and every other key
// present in the file reads exactly as before (writing one key changes no
// other key, whatever the file's encoding or line ends).
#include "config/ConfigFile.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include <fuzzer/FuzzedDataProvider.h>

namespace {

void check(bool ok) {
    if (!ok)
        std::abort();
}

// A name or value as the editor writes it: printable, no line break, no
// character the file's syntax gives a meaning to, nothing to trim.
QString plainText(FuzzedDataProvider &in, bool name) {
    static const char16_t kExtra[] = {u'é', u'ñ', u'°', u'Ã', u'©', u'€', u'"', u'\''};
    QString text;
    const size_t length = in.ConsumeIntegralInRange<size_t>(name ? 1 : 0, 12);
    for (size_t i = 0; i < length; ++i) {
        const uint8_t c = in.ConsumeIntegral<uint8_t>();
        if (c < 0x80)
            text += QChar(u'a' + c % 26);
        else
            text += QChar(kExtra[c % (sizeof kExtra / sizeof *kExtra)]);
    }
    if (!name && !text.isEmpty() && (text.front() == u'"' || text.front() == u'\''))
        text.prepend(u'x'); // a quoted value loses its quotes when read
    return text;
}

// Every section and key name the file shows, found without the reader:
// lines "[name]" and "name=value" as they stand.
QList<QPair<QString, QString>> namesIn(const QByteArray &bytes) {
    QList<QPair<QString, QString>> names;
    QString section;
    const QString text = QString::fromLatin1(bytes);
    for (QString line : text.split(QRegularExpression(QStringLiteral("[\r\n]")))) {
        line = line.trimmed();
        if (line.startsWith(u'[') && line.contains(u']')) {
            section = line.mid(1, line.indexOf(u']') - 1).trimmed();
        } else if (line.contains(u'=') && !line.startsWith(u';')) {
            names.append({section, line.left(line.indexOf(u'=')).trimmed()});
        }
    }
    return names;
}

const QString &filePath() {
    static QTemporaryDir dir;
    static const QString path = dir.path() + QStringLiteral("/Config.ini");
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FuzzedDataProvider in(data, size);
    const uint16_t choice = in.ConsumeIntegral<uint16_t>();
    QString section = plainText(in, true);
    QString key = plainText(in, true);
    const QString value = plainText(in, false);
    const std::string rest = in.ConsumeRemainingBytesAsString();
    const QByteArray bytes(rest.data(), qsizetype(rest.size()));
    const auto names = namesIn(bytes);
    // Half the time the key written is one the file already has.
    if ((choice & 1) && !names.isEmpty()) {
        const auto &n = names[(choice >> 1) % names.size()];
        if (!n.first.isEmpty() && !n.second.isEmpty() && !n.first.contains(u']')) {
            section = n.first;
            key = n.second;
        }
    }

    QFile::remove(filePath());
    {
        QFile f(filePath());
        check(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    ConfigFile config(filePath());
    const QString absent = QStringLiteral("\x01absent");

    QList<QString> before;
    for (const auto &n : names) {
        before.append(config.readString(n.first, n.second, absent));
        config.readInteger(n.first, n.second, -7);
    }

    config.writeString(section, key, value);
    check(config.readString(section, key, absent) == value.left(ConfigFile::kMaxTextLength));

    for (qsizetype i = 0; i < names.size(); ++i) {
        const auto &n = names[i];
        if (n.first.compare(section, Qt::CaseInsensitive) == 0 &&
            n.second.compare(key, Qt::CaseInsensitive) == 0)
            continue;
        check(config.readString(n.first, n.second, absent) == before[i]);
    }
    return 0;
}
