#include "tests/support/TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

namespace TestSupport {

BoxRecorder::BoxRecorder() {
    MessageBoxes::setHandler([this](const MessageBoxes::Box &box) {
        m_boxes.append(box);
        if (!m_queued.empty()) {
            const auto answer = m_queued.front();
            m_queued.pop_front();
            return answer;
        }
        if (box.buttons == MessageBoxes::Buttons::YesNo)
            return m_defaultYesNo;
        if (box.buttons == MessageBoxes::Buttons::Yes)
            return MessageBoxes::Answer::Yes;
        return MessageBoxes::Answer::Ok;
    });
}

BoxRecorder::~BoxRecorder() {
    MessageBoxes::setHandler({});
}

int BoxRecorder::countText(const QString &text) const {
    int n = 0;
    for (const auto &box : m_boxes)
        n += box.text == text ? 1 : 0;
    return n;
}

namespace {
void copyTree(const QString &from, const QString &to) {
    QDir().mkpath(to);
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString src = it.next();
        const QString dst = to + src.mid(from.size());
        if (QFileInfo(src).isDir())
            QDir().mkpath(dst);
        else
            QFile::copy(src, dst);
    }
}
} // namespace

ExeDir::ExeDir() {
    for (const char *sub : {"img", "alarm", "hlp"})
        copyTree(bundleDir() + u'/' + QLatin1String(sub), m_dir.path() + u'/' + QLatin1String(sub));
    // A fresh database from the schema: the bundle's own file may hold rows
    // of a demo run.
    QDir().mkpath(file("db"));
    sqlite3 *db = nullptr;
    if (sqlite3_open(file("db/Korvane.db3").toUtf8().constData(), &db) == SQLITE_OK)
        sqlite3_exec(db, readFile(sourceDir() + "/assets/db/schema.sql").constData(), nullptr,
                     nullptr, nullptr);
    sqlite3_close(db);
}

void ExeDir::writeConfig(const QByteArray &ini) const {
    writeFile(file("Config.ini"), ini);
}

QString sourceDir() {
    return QStringLiteral(KORVANE_SOURCE_DIR);
}
QString bundleDir() {
    return QStringLiteral(KORVANE_BUNDLE_DIR);
}

void writeFile(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

QByteArray readFile(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace TestSupport
