#pragma once

#include "log/TrendData.h"
#include "log/TrendReducer.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <memory>

class QThread;
class TrendWorker;

// Runs the trend reductions on a thread of its own with its own read-only
// connection and hands the results to the window's thread: the window never
// waits for the database. Only the newest request counts: a newer one calls
// off the one under way.
class TrendLoader : public QObject {
    Q_OBJECT
public:
    explicit TrendLoader(const QString &databasePath, QObject *parent = nullptr);
    ~TrendLoader() override;

    void request(const TrendRequest &request);
    // Asks whether rows were stored since the last look; answers with newRows().
    void checkForNewRows();
    bool busy() const { return m_busy; }

signals:
    void loaded(std::shared_ptr<const TrendData> data);
    void newRows();

private:
    friend class TrendWorker;
    void deliver(quint64 generation, std::shared_ptr<const TrendData> data);

    QThread *m_thread;
    TrendWorker *m_worker;
    std::shared_ptr<std::atomic<quint64>> m_latest;
    bool m_busy = false;
};
