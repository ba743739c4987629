#pragma once

#include <QDialog>

class QPushButton;

// The About box.
class TFAcerca : public QDialog {
    Q_OBJECT
public:
    explicit TFAcerca(QWidget *parent = nullptr);
    QPushButton *Btn_Aceptar = nullptr;
};
