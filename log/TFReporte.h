#pragma once

#include <QDialog>

class QGroupBox;
class QLabel;
class QPushButton;
class ResultSet;
class TFDM;
struct ReportLayout;

// The report window: previews and prints the two logs exactly as the
// viewer holds them (the same rows, filter and order). Every report walks
// its rows from the first to the last, and leaves the viewer's current row
// on the last one.
class TFReporte : public QDialog {
    Q_OBJECT
public:
    explicit TFReporte(TFDM &fdm, QWidget *parent = nullptr);

    void Button1Click(); // "Vista Preliminar Entradas"
    void Button3Click(); // "Imprimir Reporte Entradas"
    void Button2Click(); // "Vista Preliminar Comandos"
    void Button4Click(); // "Imprimir Reporte Comandos"
    void Button5Click(); // "Cerrar Reportes"

    // Reports longer than this many pages are printed only after a question.
    static constexpr qint64 kPagesWithoutAsking = 1000;

    QGroupBox *GroupBox1 = nullptr;
    QLabel *Label1 = nullptr;
    QPushButton *Button1 = nullptr;
    QPushButton *Button2 = nullptr;
    QPushButton *Button3 = nullptr;
    QPushButton *Button4 = nullptr;
    QPushButton *Button5 = nullptr;

    // The preview shown by the last preview button (tests look at it while
    // it is open); nullptr otherwise.
    class ReportPreview *preview() const {
        return m_preview;
    }

private:
    void previewReport(const ReportLayout &layout, ResultSet &set);
    void printReport(const ReportLayout &layout, ResultSet &set);

    TFDM &m_fdm;
    class ReportPreview *m_preview = nullptr;
};
