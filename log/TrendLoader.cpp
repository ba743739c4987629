#include "log/TrendLoader.h"

#include "log/ReadOnlyLog.h"

#include <QPointer>
#include <QThread>

// Lives on the loader's thread; owns the connection.
class TrendWorker : public QObject {
public:
    TrendWorker(const QString &path, std::shared_ptr<std::atomic<quint64>> latest)
        : m_path(path), m_latest(std::move(latest)) {}

    void reduce(quint64 generation, const TrendRequest &request, QPointer<TrendLoader> loader) {
        if (generation != m_latest->load())
            return; // a newer request is already queued
        auto data = std::make_shared<TrendData>();
        if (!m_log.open(m_path)) {
            data->error =
                QStringLiteral("No se pudo abrir la base de datos: ") + m_log.errorString();
        } else {
            *data = TrendReducer::reduce(m_log, request,
                                         [&] { return generation != m_latest->load(); });
            // Rows stored up to here are in the picture.
            m_lastRowid = maxRowid();
        }
        if (data->cancelled)
            return;
        QMetaObject::invokeMethod(
            loader, [loader, generation, data] { loader->deliver(generation, data); },
            Qt::QueuedConnection);
    }

    void check(QPointer<TrendLoader> loader) {
        if (!m_log.open(m_path))
            return;
        const qint64 last = maxRowid();
        if (last != m_lastRowid) {
            m_lastRowid = last;
            QMetaObject::invokeMethod(
                loader,
                [loader] {
                    if (loader)
                        emit loader->newRows();
                },
                Qt::QueuedConnection);
        }
    }

private:
    qint64 maxRowid() {
        Statement s(m_log, "SELECT max(rowid) FROM Lectura");
        return s.step() ? s.integer64(0) : -1;
    }

    QString m_path;
    std::shared_ptr<std::atomic<quint64>> m_latest;
    ReadOnlyLog m_log;
    qint64 m_lastRowid = -1;
};

TrendLoader::TrendLoader(const QString &databasePath, QObject *parent)
    : QObject(parent), m_thread(new QThread), m_latest(std::make_shared<std::atomic<quint64>>(0)) {
    qRegisterMetaType<std::shared_ptr<const TrendData>>();
    m_thread->setObjectName(QStringLiteral("Tendencias"));
    m_worker = new TrendWorker(databasePath, m_latest);
    m_worker->moveToThread(m_thread);
    m_thread->start(QThread::LowPriority);
}

TrendLoader::~TrendLoader() {
    ++*m_latest; // calls off the reduction under way
    m_thread->quit();
    m_thread->wait();
    delete m_worker;
    delete m_thread;
}

void TrendLoader::request(const TrendRequest &request) {
    const quint64 generation = ++*m_latest;
    m_busy = true;
    QPointer<TrendLoader> self(this);
    QMetaObject::invokeMethod(
        m_worker,
        [worker = m_worker, generation, request, self] {
            worker->reduce(generation, request, self);
        },
        Qt::QueuedConnection);
}

void TrendLoader::checkForNewRows() {
    QPointer<TrendLoader> self(this);
    QMetaObject::invokeMethod(
        m_worker, [worker = m_worker, self] { worker->check(self); }, Qt::QueuedConnection);
}

void TrendLoader::deliver(quint64 generation, std::shared_ptr<const TrendData> data) {
    if (generation != m_latest->load())
        return;
    m_busy = false;
    emit loaded(std::move(data));
}
