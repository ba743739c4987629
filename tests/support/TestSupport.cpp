#include "tests/support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <sqlite3.h>
#include <time.h>

namespace TestSupport {

BoxRecorder::BoxRecorder() {
    MessageBoxes::setHandler([this](const MessageBoxes::Box &box) {
        const double now = monotonicNow();
        m_boxes.append(box);
        m_openedAt.append(now);
        m_closedAt.append(now);
        const int serial = m_cleared + int(m_boxes.size()) - 1;
        const MessageBoxes::Answer answer = answerFor(box);
        if (m_hold != Hold::None) {
            holdOpen(box, answer);
            const int index = serial - m_cleared; // clear() may have run meanwhile
            if (index >= 0 && index < m_closedAt.size())
                m_closedAt[index] = monotonicNow();
        }
        return answer;
    });
}

BoxRecorder::~BoxRecorder() {
    release();
    // Boxes already posted from a handler come here, not to the screen of
    // the next test.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    MessageBoxes::setHandler({});
}

MessageBoxes::Answer BoxRecorder::answerFor(const MessageBoxes::Box &box) {
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
}

void BoxRecorder::holdOpen(const MessageBoxes::Box &box, MessageBoxes::Answer answer) {
    QPointer<QMessageBox> shown = MessageBoxes::build(box);
    m_open.append(shown);
    m_openAnswers.append(answer);
    m_mostOpen = qMax(m_mostOpen, int(m_open.size()));

    QTimer closer;
    closer.setSingleShot(true);
    QObject::connect(&closer, &QTimer::timeout, shown.data(), [shown, answer] {
        if (shown)
            shown->done(MessageBoxes::resultFor(answer));
    });
    if (m_hold == Hold::For)
        closer.start(m_holdMs);
    if (m_whileOpen) {
        // Once the box's own event loop runs.
        QTimer::singleShot(0, shown.data(), [this, shown] {
            if (shown && shown->isVisible() && m_whileOpen)
                m_whileOpen(shown.data());
        });
    }
    shown->exec();

    const int at = int(m_open.indexOf(shown));
    if (at >= 0) {
        m_open.removeAt(at);
        m_openAnswers.removeAt(at);
    }
    delete shown.data();
}

void BoxRecorder::holdOpenFor(int ms) {
    m_hold = Hold::For;
    m_holdMs = ms;
}

void BoxRecorder::holdOpenUntilReleased() {
    m_hold = Hold::UntilReleased;
}

void BoxRecorder::answerAtOnce() {
    m_hold = Hold::None;
}

void BoxRecorder::release() {
    for (int i = 0; i < m_open.size(); ++i) {
        if (m_open[i])
            m_open[i]->done(MessageBoxes::resultFor(m_openAnswers[i]));
    }
}

void BoxRecorder::clear() {
    m_cleared += int(m_boxes.size());
    m_boxes.clear();
    m_openedAt.clear();
    m_closedAt.clear();
}

int BoxRecorder::countText(const QString &text) const {
    int n = 0;
    for (const auto &box : m_boxes)
        n += box.text == text ? 1 : 0;
    return n;
}

double monotonicNow() {
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
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
