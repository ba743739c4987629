#pragma once

#include <QDateTime>
#include <QHash>
#include <QPixmap>
#include <QString>

// Loads a picture file, choosing the decoder by the file's extension: jpg and
// jpeg, png, gif, bmp, ico. Metafiles (emf, wmf) have no decoder on this
// platform and are refused like an unknown extension, with their own text.
namespace PictureLoader {

// Throws AppError with "Cannot open file "<path>". <reason>" or
// "Unknown picture file extension (.<ext>)".
QPixmap load(const QString &path);

} // namespace PictureLoader

// Keeps decoded pictures by path, so that a display pass that shows the same
// files every 100 ms decodes each only once. A file replaced on disk (other
// size or modification time) is decoded again at its next use.
class PictureCache {
public:
    QPixmap get(const QString &path); // throws like PictureLoader::load
    void clear() { m_entries.clear(); }
    int size() const { return int(m_entries.size()); }

private:
    struct Entry {
        qint64 fileSize = -1;
        QDateTime modified;
        QPixmap picture;
    };
    QHash<QString, Entry> m_entries;
};
