#pragma once

#include "config/TextEncoding.h"

#include <QString>
#include <QStringList>
#include <optional>

// The settings file Config.ini, read and written one key at a time with the
// semantics of the Windows private-profile functions: section and key names
// match without regard to case, a present key is replaced in place, a
// missing section or key is added, and everything else in the file (unknown
// keys, comments, blank lines) is left as it was. Reading never writes.
//
// Every operation goes to the file itself: there is no cache, so a write is
// on disk before the next operation starts. A write replaces the file
// through a temporary file, so the file is always complete.
class ConfigFile {
public:
    static constexpr int kMaxTextLength = 2047;

    explicit ConfigFile(const QString &path);

    const QString &path() const { return m_path; }

    QString readString(const QString &section, const QString &key,
                       const QString &defaultValue) const;
    int readInteger(const QString &section, const QString &key, int defaultValue) const;

    // Throw AppError "Unable to write to <path>" when the file cannot be written.
    void writeString(const QString &section, const QString &key, const QString &value);
    void writeInteger(const QString &section, const QString &key, int value);

    // Writes are immediate; kept so that callers can ask for pending changes
    // to reach the disk.
    bool flush() const { return true; }

    // Decimal, or hexadecimal after "0x", "0X" or "$"; nothing else.
    static std::optional<int> parseInteger(const QString &text);

private:
    struct Content {
        QStringList lines;
        TextEncoding::Encoding encoding = TextEncoding::Encoding::Utf8;
        QString lineEnd = QStringLiteral("\n");
        bool endsWithNewline = true;
        bool hasBom = false;
    };

    std::optional<QString> findValue(const QString &section, const QString &key) const;
    Content load() const;
    void save(const Content &content) const;

    QString m_path;
};
