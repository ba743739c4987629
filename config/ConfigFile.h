#pragma once

#include "config/TextEncoding.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

// The settings file Config.ini, read and written one key at a time with the
// semantics of the Windows private-profile functions: section and key names
// match without regard to case, a present key is replaced in place, a
// missing section or key is added, and everything else in the file (unknown
// keys, comments, blank lines) is left as it was. Reading never writes.
//
// Every operation goes to the file itself: a write is on disk before the
// next operation starts, and a read sees what another program wrote. The
// parsed file is kept only as long as the file on disk is unchanged (same
// size, times and inode), so that reading all the keys of a large file costs
// one pass over it, not one pass per key.
//
// A write replaces the file through a temporary file, so the file is always
// complete; where the folder refuses a new file but the file itself may be
// written (a bundle installed for an operators' group), the file is written
// in place instead.
//
// The file's encoding (UTF-8 or Windows-1252) is decided when it is first
// read and kept by every write, so that writing one key never changes how
// another one reads.
class ConfigFile {
public:
    static constexpr int kMaxTextLength = 2047;

    explicit ConfigFile(const QString &path);
    ~ConfigFile();

    const QString &path() const { return m_path; }

    QString readString(const QString &section, const QString &key,
                       const QString &defaultValue) const;
    int readInteger(const QString &section, const QString &key, int defaultValue) const;

    // Throw AppError "Unable to write to <path>" when the file cannot be written.
    void writeString(const QString &section, const QString &key, const QString &value);
    void writeInteger(const QString &section, const QString &key, int value);

    // Many keys written as one replacement of the file: each entry has the
    // effect of its own writeString, in order, and the file is replaced once.
    // On failure nothing is written and the old file stays whole.
    struct Entry {
        QString section;
        QString key;
        QString value;
    };
    void writeAll(const QList<Entry> &entries);

    // Writes are immediate; kept so that callers can ask for pending changes
    // to reach the disk.
    bool flush() const { return true; }

    // Decimal, or hexadecimal after "0x", "0X" or "$"; nothing else.
    static std::optional<int> parseInteger(const QString &text);

    // The comment line that keeps a Windows-1252 file from reading as UTF-8
    // when its other bytes happen to form valid UTF-8.
    static QString windows1252Marker();

private:
    struct Content {
        QStringList lines;
        TextEncoding::Encoding encoding = TextEncoding::Encoding::Utf8;
        QString lineEnd = QStringLiteral("\n");
        bool endsWithNewline = true;
        bool hasBom = false;
    };
    struct Snapshot;

    const Snapshot &snapshot() const;
    std::optional<QString> findValue(const QString &section, const QString &key) const;
    Content readContent() const;
    void save(Content content);
    static void applyWrite(Content &content, const QString &section, const QString &key,
                           const QString &value);

    QString m_path;
    mutable std::unique_ptr<Snapshot> m_snapshot;
};
