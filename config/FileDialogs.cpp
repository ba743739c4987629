#include "config/FileDialogs.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QImageReader>
#include <QLabel>
#include <memory>

namespace FileDialogs {

FileDialogRequest imagenDialog(const QString &exeDir) {
    return {QStringLiteral("Imagen Principal de Fondo"),
            QStringLiteral("All (*.png;*.jpg;*.jpeg)|*.png;*.gif;*.jpg;*.jpeg|"
                           "Portable Network Graphics (*.png)|*.png|"
                           "JPEG Image File (*.jpg)|*.jpg|JPEG Image File (*.jpeg)|*.jpeg"),
            exeDir + QStringLiteral("/img"), true};
}

FileDialogRequest iconoDialog(const QString &exeDir) {
    return {QStringLiteral("Seleccione Imagen para Icono"),
            QStringLiteral("All (*.png;*.gif;*.jpg;*.jpeg)|*.png;*.gif;*.jpg;*.jpeg|"
                           "Portable Network Graphics (*.png)|*.png|"
                           "CompuServe GIF Image (*.gif)|*.gif|JPEG Image File (*.jpg)|*.jpg|"
                           "JPEG Image File (*.jpeg)|*.jpeg"),
            exeDir + QStringLiteral("/img"), true};
}

FileDialogRequest alarmaDialogo() {
    return {QStringLiteral("Alarma Sonora"), QStringLiteral("Archivo Sonido MP3|*.mp3"), QString(),
            false};
}

QStringList nameFilters(const QString &filter) {
    const QStringList parts = filter.split(u'|');
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(u';', u' ');
        // The dialog takes the patterns from the last parentheses and, with
        // the details hidden, shows what stands before them.
        out << parts[i] + QStringLiteral(" (") + patterns + u')';
    }
    return out;
}

namespace {

void showPreview(QLabel *preview, const QString &path) {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QImage image = reader.read();
    if (image.isNull()) {
        preview->setPixmap(QPixmap());
        preview->setText(QStringLiteral("(Ninguna)"));
        return;
    }
    preview->setPixmap(QPixmap::fromImage(image.scaled(
        preview->contentsRect().size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

} // namespace

QFileDialog *create(QWidget *parent, const FileDialogRequest &request) {
    auto *dialog = new QFileDialog(parent, request.title, request.initialDir);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setOption(QFileDialog::HideNameFilterDetails);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setNameFilters(nameFilters(request.filter));

    if (request.picturePreview) {
        if (auto *grid = qobject_cast<QGridLayout *>(dialog->layout())) {
            auto *preview = new QLabel(QStringLiteral("(Ninguna)"), dialog);
            preview->setObjectName(QStringLiteral("Preview"));
            preview->setFixedSize(180, 180);
            preview->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            preview->setAlignment(Qt::AlignCenter);
            grid->addWidget(preview, 1, grid->columnCount(), 1, 1, Qt::AlignTop);
            QObject::connect(dialog, &QFileDialog::currentChanged, preview,
                             [preview](const QString &path) { showPreview(preview, path); });
        }
    }
    return dialog;
}

QString choose(QWidget *parent, const FileDialogRequest &request) {
    std::unique_ptr<QFileDialog> dialog(create(parent, request));
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return {};
    return dialog->selectedFiles().constFirst();
}

} // namespace FileDialogs
