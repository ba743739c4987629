#pragma once

#include "log/TrendData.h"
#include "log/TrendLoader.h"

#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QDateTimeEdit;
class QLabel;
class QProgressDialog;
class QPushButton;
class CsvExportTask;
class TrendPlot;
struct RuntimeSettings;

// The trend window FTendencias: the logged analog values as the panels show
// them and the sixteen inputs over a chosen time range, with zoom, pan, a
// cursor, a live mode that follows the rows as the logger stores them, CSV
// export of both logs, a PNG picture and printing. Opened without blocking
// from the main window; every database read runs on threads of its own.
class TFTendencias : public QWidget {
    Q_OBJECT
public:
    TFTendencias(const RuntimeSettings &settings, QWidget *parent = nullptr);
    ~TFTendencias() override;

    // Where save dialogs go; tests answer them. Arguments: caption,
    // suggested path, filter; an empty answer calls the action off.
    using FileChooser = std::function<QString(const QString &, const QString &, const QString &)>;
    void setFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }

    // The range shown, on the scale of TrendTime.
    void showRange(qint64 from, qint64 to);
    void showLast(qint64 seconds);
    void showAll();
    bool live() const { return m_live; }
    qint64 viewFrom() const;
    qint64 viewTo() const;

    // Handlers, named after their controls.
    void BtnHoraClick() { showLast(3600); }
    void BtnDiaClick() { showLast(86400); }
    void BtnSemanaClick() { showLast(7 * 86400); }
    void BtnTodoClick() { showAll(); }
    void BtnExportarClick();
    void BtnExportarComandosClick();
    void BtnImagenClick();
    void BtnImprimirClick();

    QDateTimeEdit *Desde = nullptr;
    QDateTimeEdit *Hasta = nullptr;
    QPushButton *BtnHora = nullptr;
    QPushButton *BtnDia = nullptr;
    QPushButton *BtnSemana = nullptr;
    QPushButton *BtnTodo = nullptr;
    QLabel *LblVivo = nullptr;
    std::array<QCheckBox *, 4> ChkValor{};
    QPushButton *BtnExportar = nullptr;
    QPushButton *BtnExportarComandos = nullptr;
    QPushButton *BtnImagen = nullptr;
    QPushButton *BtnImprimir = nullptr;
    QPushButton *BtnCerrar = nullptr;
    TrendPlot *Grafico = nullptr;
    QLabel *LblCursor = nullptr;
    QLabel *LblEstado = nullptr;

    CsvExportTask *exportTask() const { return m_export.get(); }

signals:
    // A reduction arrived and is on the plot.
    void loaded();
    void exportFinished(bool ok);

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void applySeries();
    void setView(qint64 from, qint64 to, bool reload);
    void showPickers(qint64 from, qint64 to);
    void pickersChanged();
    void requestLoad();
    void onLoaded(std::shared_ptr<const TrendData> data);
    void liveTick();
    void exportLog(bool commands);
    QString choose(const QString &caption, const QString &name, const QString &filter);
    QString rangeText() const;

    const RuntimeSettings &m_settings;
    std::unique_ptr<TrendLoader> m_loader;
    std::unique_ptr<CsvExportTask> m_export;
    QProgressDialog *m_progress = nullptr;
    FileChooser m_chooseFile;
    QTimer m_reload; // gathers quick changes of the range into one read
    QTimer m_liveTimer;
    bool m_live = true;
    bool m_wholeLog = false;
    bool m_settingPickers = false;
    bool m_loadWhenShown = false;
    bool m_following = false; // the live mode is moving the view
    qint64 m_loadedFrom = 0;  // the view of the last read, to follow the present
    int m_loadedColumns = 0;
    QString m_lastDir;
};
