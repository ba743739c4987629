#include "config/ConfigFile.h"

#include "common/AppError.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <sys/stat.h>

namespace {

const QByteArray kUtf8Bom("\xEF\xBB\xBF");

// "[Name]" (optionally followed by anything) names a section.
std::optional<QString> sectionName(const QString &line) {
    const QString t = line.trimmed();
    if (!t.startsWith(u'['))
        return std::nullopt;
    const qsizetype close = t.indexOf(u']');
    if (close < 0)
        return std::nullopt;
    return t.mid(1, close - 1).trimmed();
}

bool isComment(const QString &line) {
    const QString t = line.trimmed();
    return t.startsWith(u';');
}

// Splits "key = value" into its trimmed key; nullopt for lines without '='.
std::optional<QString> keyName(const QString &line) {
    if (isComment(line))
        return std::nullopt;
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0)
        return std::nullopt;
    return line.left(eq).trimmed();
}

QString valueOf(const QString &line) {
    QString v = line.mid(line.indexOf(u'=') + 1).trimmed();
    // Like the Windows functions, one pair of surrounding quotes is dropped.
    if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front())
        v = v.mid(1, v.size() - 2);
    return v;
}

bool sameName(const QString &a, const QString &b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool hasNonAscii(const QByteArray &bytes) {
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return true;
    return false;
}

// What tells one state of the file on disk from another: a write by this
// program or by any other changes at least one of these.
struct FileStamp {
    bool exists = false;
    qint64 size = 0;
    qint64 inode = 0;
    qint64 mtimeNs = 0;
    qint64 ctimeNs = 0;
    bool operator==(const FileStamp &) const = default;
};

FileStamp stampOf(const QString &path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return {true, qint64(st.st_size), qint64(st.st_ino),
            qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
            qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec};
}

} // namespace

// The file as last read: its lines, and the value of every key of the first
// section of each name, found in one pass.
struct ConfigFile::Snapshot {
    FileStamp stamp;
    Content content;
    QHash<QString, QHash<QString, QString>> values; // case-folded section, key

    void index() {
        values.clear();
        QString current; // folded name of the section being read
        bool counts = false;
        for (const QString &line : content.lines) {
            if (const auto name = sectionName(line)) {
                current = name->toCaseFolded();
                // Only the first section of a name counts.
                counts = !values.contains(current);
                if (counts)
                    values.insert(current, {});
                continue;
            }
            if (!counts)
                continue;
            if (const auto k = keyName(line)) {
                QHash<QString, QString> &keys = values[current];
                const QString folded = k->toCaseFolded();
                if (!keys.contains(folded))
                    keys.insert(folded, valueOf(line));
            }
        }
    }
};

ConfigFile::ConfigFile(const QString &path) : m_path(path) {}

ConfigFile::~ConfigFile() = default;

QString ConfigFile::windows1252Marker() {
    return QStringLiteral("; Windows-1252");
}

std::optional<int> ConfigFile::parseInteger(const QString &text) {
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    QString digits;
    int base = 10;
    if (t.startsWith(u'$')) {
        digits = t.mid(1);
        base = 16;
    } else if (t.startsWith(QLatin1String("0x")) || t.startsWith(QLatin1String("0X"))) {
        digits = t.mid(2);
        base = 16;
    } else {
        digits = t;
    }
    if (digits.isEmpty())
        return std::nullopt;
    bool ok = false;
    if (base == 16) {
        // Hexadecimal is a 32-bit pattern: $FFFFFFFF reads as -1.
        if (digits.size() > 8 || digits.startsWith(u'-') || digits.startsWith(u'+'))
            return std::nullopt;
        const uint value = digits.toUInt(&ok, 16);
        if (!ok)
            return std::nullopt;
        return static_cast<int>(value);
    }
    const int value = digits.toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}

ConfigFile::Content ConfigFile::readContent() const {
    Content content;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return content;
    QByteArray bytes = file.readAll();
    if (bytes.startsWith(kUtf8Bom)) {
        content.hasBom = true;
        bytes.remove(0, kUtf8Bom.size());
    }
    const bool marked = bytes.startsWith(windows1252Marker().toLatin1() + '\n') ||
                        bytes.startsWith(windows1252Marker().toLatin1() + "\r\n");
    content.encoding = !marked && TextEncoding::isValidUtf8(bytes)
                           ? TextEncoding::Encoding::Utf8
                           : TextEncoding::Encoding::Windows1252;
    QString text = TextEncoding::decode(bytes, content.encoding);
    if (text.contains(QLatin1String("\r\n")))
        content.lineEnd = QStringLiteral("\r\n");
    content.endsWithNewline = text.isEmpty() || text.endsWith(u'\n');
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    content.lines = text.split(u'\n');
    if (content.endsWithNewline)
        content.lines.removeLast();
    return content;
}

const ConfigFile::Snapshot &ConfigFile::snapshot() const {
    const FileStamp stamp = stampOf(m_path);
    if (m_snapshot && m_snapshot->stamp == stamp && stamp.exists)
        return *m_snapshot;
    auto fresh = std::make_unique<Snapshot>();
    fresh->stamp = stamp;
    fresh->content = readContent();
    fresh->index();
    m_snapshot = std::move(fresh);
    return *m_snapshot;
}

void ConfigFile::save(Content content) {
    const QString failure = QStringLiteral("Unable to write to %1").arg(m_path);

    // A read-only file stays read-only, even for a user who could replace it.
    const QFileInfo info(m_path);
    if (info.exists() && (!info.isFile() || !(info.permissions() & QFileDevice::WriteOwner)))
        throw AppError(failure);

    QString text = content.lines.join(content.lineEnd);
    if (content.endsWithNewline && !content.lines.isEmpty())
        text += content.lineEnd;
    QByteArray bytes = TextEncoding::encode(text, content.encoding);
    if (content.encoding == TextEncoding::Encoding::Windows1252 && hasNonAscii(bytes) &&
        TextEncoding::isValidUtf8(bytes) && content.lines.value(0) != windows1252Marker()) {
        // The other bytes happen to form valid UTF-8 (text like "Ã©"): without
        // a mark, the next reader would take the file for UTF-8 and read
        // those values differently.
        content.lines.prepend(windows1252Marker());
        bytes.prepend((windows1252Marker() + content.lineEnd).toLatin1());
    }
    if (content.hasBom)
        bytes.prepend(kUtf8Bom);

    QSaveFile file(m_path);
    // Where the folder refuses the temporary file, write the file in place.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        m_snapshot.reset();
        throw AppError(failure);
    }
    auto written = std::make_unique<Snapshot>();
    written->stamp = stampOf(m_path);
    written->content = std::move(content);
    written->index();
    m_snapshot = std::move(written);
}

std::optional<QString> ConfigFile::findValue(const QString &section, const QString &key) const {
    const Snapshot &s = snapshot();
    const auto sec = s.values.constFind(section.toCaseFolded());
    if (sec == s.values.cend())
        return std::nullopt;
    const auto value = sec->constFind(key.toCaseFolded());
    if (value == sec->cend())
        return std::nullopt;
    return *value;
}

QString ConfigFile::readString(const QString &section, const QString &key,
                               const QString &defaultValue) const {
    const auto value = findValue(section, key);
    return value ? value->left(kMaxTextLength) : defaultValue;
}

int ConfigFile::readInteger(const QString &section, const QString &key, int defaultValue) const {
    const auto value = findValue(section, key);
    return value ? parseInteger(*value).value_or(defaultValue) : defaultValue;
}

void ConfigFile::applyWrite(Content &content, const QString &section, const QString &key,
                            const QString &value) {
    const QString newLine = key + u'=' + value;

    qsizetype sectionLine = -1; // header of the first section with that name
    qsizetype lastKeyLine = -1; // last key line inside it
    for (qsizetype i = 0; i < content.lines.size(); ++i) {
        const QString &line = content.lines[i];
        if (const auto name = sectionName(line)) {
            if (sectionLine >= 0)
                break;
            if (sameName(*name, section)) {
                sectionLine = i;
                lastKeyLine = i;
            }
            continue;
        }
        if (sectionLine < 0)
            continue;
        if (const auto k = keyName(line)) {
            if (sameName(*k, key)) {
                content.lines[i] = newLine;
                return;
            }
            lastKeyLine = i;
        } else if (!line.trimmed().isEmpty()) {
            lastKeyLine = i; // keep comments of the section above the new key
        }
    }

    if (sectionLine >= 0) {
        content.lines.insert(lastKeyLine + 1, newLine);
    } else {
        if (!content.lines.isEmpty() && !content.lines.last().trimmed().isEmpty())
            content.lines.append(QString());
        content.lines.append(u'[' + section + u']');
        content.lines.append(newLine);
        content.endsWithNewline = true;
    }
}

void ConfigFile::writeString(const QString &section, const QString &key, const QString &value) {
    writeAll({Entry{section, key, value}});
}

void ConfigFile::writeAll(const QList<Entry> &entries) {
    Content content = snapshot().content;
    for (const Entry &e : entries)
        applyWrite(content, e.section, e.key, e.value);
    save(std::move(content));
}

void ConfigFile::writeInteger(const QString &section, const QString &key, int value) {
    writeString(section, key, QString::number(value));
}
