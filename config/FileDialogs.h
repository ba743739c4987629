#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QFileDialog;
class QWidget;

// One open-file dialog of the editor: its title, its filter list written as
// "Description|patterns|Description|patterns" (patterns separated by ";"),
// its initial folder (empty for none) and whether it previews pictures.
struct FileDialogRequest {
    QString title;
    QString filter;
    QString initialDir;
    bool picturePreview = false;
};

// Runs a dialog and gives the chosen file's full path, or an empty text when
// the operator cancels. Tests put their own in place of the real dialog.
using FileChooser = std::function<QString(QWidget *parent, const FileDialogRequest &)>;

namespace FileDialogs {

FileDialogRequest imagenDialog(const QString &exeDir); // background picture
FileDialogRequest iconoDialog(const QString &exeDir);  // icon picture
FileDialogRequest alarmaDialogo();                     // alarm sound

// The filter list in the file dialog's own form, "Description (patterns)".
// The description is shown as written, even where it names fewer patterns
// than the entry admits.
QStringList nameFilters(const QString &filter);

// The real dialog, with a picture preview beside the file list when asked.
QString choose(QWidget *parent, const FileDialogRequest &request);
// The same dialog, made but not shown; the caller owns it.
QFileDialog *create(QWidget *parent, const FileDialogRequest &request);

} // namespace FileDialogs
