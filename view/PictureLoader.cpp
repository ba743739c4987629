#include "view/PictureLoader.h"

#include "common/AppError.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>

namespace PictureLoader {
namespace {

QByteArray formatFor(const QString &suffix) {
    const QString ext = suffix.toLower();
    if (ext == QLatin1String("jpg") || ext == QLatin1String("jpeg"))
        return "jpeg";
    if (ext == QLatin1String("png") || ext == QLatin1String("gif") || ext == QLatin1String("bmp") ||
        ext == QLatin1String("ico"))
        return ext.toLatin1();
    return {};
}

QString cannotOpen(const QString &path, const QString &reason) {
    return QStringLiteral("Cannot open file \"%1\". %2").arg(path, reason);
}

} // namespace

QPixmap load(const QString &path) {
    const QString suffix = QFileInfo(path).suffix();
    const QString ext = suffix.toLower();
    if (ext == QLatin1String("emf") || ext == QLatin1String("wmf"))
        throw AppError(QStringLiteral("Unknown picture file extension (.%1): los metarchivos de "
                                      "Windows no se pueden mostrar en este sistema, use PNG o JPG")
                           .arg(suffix));
    const QByteArray format = formatFor(suffix);
    if (format.isEmpty())
        throw AppError(QStringLiteral("Unknown picture file extension (.%1)").arg(suffix));

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(cannotOpen(path, file.errorString()));
    QImageReader reader(&file, format);
    const QImage image = reader.read();
    if (image.isNull())
        throw AppError(cannotOpen(path, reader.errorString()));
    return QPixmap::fromImage(image);
}

} // namespace PictureLoader

QPixmap PictureCache::get(const QString &path) {
    const QFileInfo info(path);
    const qint64 size = info.exists() ? info.size() : -1;
    const QDateTime modified = info.exists() ? info.lastModified() : QDateTime();
    auto it = m_entries.find(path);
    if (it != m_entries.end() && size >= 0 && it->fileSize == size && it->modified == modified)
        return it->picture;
    QPixmap picture = PictureLoader::load(path);
    m_entries.insert(path, Entry{size, modified, picture});
    return picture;
}
