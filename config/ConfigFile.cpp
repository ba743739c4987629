#include "config/ConfigFile.h"

#include "common/AppError.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

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

} // namespace

ConfigFile::ConfigFile(const QString &path) : m_path(path) {}

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

ConfigFile::Content ConfigFile::load() const {
    Content content;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return content;
    QByteArray bytes = file.readAll();
    if (bytes.startsWith(kUtf8Bom)) {
        content.hasBom = true;
        bytes.remove(0, kUtf8Bom.size());
    }
    content.encoding = TextEncoding::isValidUtf8(bytes) ? TextEncoding::Encoding::Utf8
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

void ConfigFile::save(const Content &content) const {
    const QString failure = QStringLiteral("Unable to write to %1").arg(m_path);

    // A read-only file stays read-only, even for a user who could replace it.
    const QFileInfo info(m_path);
    if (info.exists() && (!info.isFile() || !(info.permissions() & QFileDevice::WriteOwner)))
        throw AppError(failure);

    QString text = content.lines.join(content.lineEnd);
    if (content.endsWithNewline && !content.lines.isEmpty())
        text += content.lineEnd;
    QByteArray bytes = TextEncoding::encode(text, content.encoding);
    if (content.hasBom)
        bytes.prepend(kUtf8Bom);

    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw AppError(failure);
}

std::optional<QString> ConfigFile::findValue(const QString &section, const QString &key) const {
    const Content content = load();
    bool inSection = false;
    for (const QString &line : content.lines) {
        if (const auto name = sectionName(line)) {
            if (inSection)
                return std::nullopt; // only the first section of that name counts
            inSection = sameName(*name, section);
            continue;
        }
        if (!inSection)
            continue;
        const auto k = keyName(line);
        if (k && sameName(*k, key))
            return valueOf(line);
    }
    return std::nullopt;
}

QString ConfigFile::readString(const QString &section, const QString &key,
                               const QString &defaultValue) const {
    const auto value = findValue(section, key);
    if (!value)
        return defaultValue;
    return value->left(kMaxTextLength);
}

int ConfigFile::readInteger(const QString &section, const QString &key, int defaultValue) const {
    const auto value = findValue(section, key);
    if (!value)
        return defaultValue;
    return parseInteger(*value).value_or(defaultValue);
}

void ConfigFile::writeString(const QString &section, const QString &key, const QString &value) {
    Content content = load();
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
                save(content);
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
    save(content);
}

void ConfigFile::writeInteger(const QString &section, const QString &key, int value) {
    writeString(section, key, QString::number(value));
}
