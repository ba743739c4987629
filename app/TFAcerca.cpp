#include "app/TFAcerca.h"

#include "common/Bevel.h"
#include "common/DesktopCentre.h"
#include "common/PixelFont.h"

#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

TFAcerca::TFAcerca(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FAcerca"));
    setWindowTitle(QStringLiteral("Acerca de Korvane"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(504, 322);

    auto *panel = new QFrame(this);
    setLoweredOuterRaisedInnerBevel(panel);
    panel->setGeometry(8, 8, 489, 305);

    auto *picture = new QLabel(panel);
    picture->setGeometry(40, 24, 64, 64);
    picture->setScaledContents(true);
    picture->setPixmap(QPixmap(QStringLiteral(":/builtin/product.png")));

    auto *title = new QLabel(QStringLiteral("Korvane Direct"), panel);
    title->setFont(pixelFont(QStringLiteral("Tahoma"), 37));
    title->move(152, 24);
    title->adjustSize();

    auto *version = new QLabel(QStringLiteral("v.1.2"), panel);
    version->setFont(pixelFont(QStringLiteral("Tahoma"), 21));
    version->move(240, 72);
    version->adjustSize();

    auto *notice =
        new QLabel(QStringLiteral("Pantalla SCADA para un Zelio Logic con la Macro Dravik.\n"
                                  "Lectura de entradas y valores analogicos, envio de comandos,\n"
                                  "registro de datos, alarma sonora y avisos por correo.\n\n"
                                  "Uso exclusivo en la planta donde fue instalado."),
                   panel);
    notice->setFont(pixelFont(QStringLiteral("MS Sans Serif"), 13));
    notice->setAlignment(Qt::AlignCenter);
    notice->setWordWrap(true);
    notice->setGeometry(24, 112, 437, 112);

    Btn_Aceptar = new QPushButton(QStringLiteral("Aceptar"), panel);
    Btn_Aceptar->setObjectName(QStringLiteral("Btn_Aceptar"));
    Btn_Aceptar->setFont(pixelFont(QStringLiteral("Arial"), 15));
    Btn_Aceptar->setGeometry(360, 272, 123, 25);
    Btn_Aceptar->setCursor(Qt::PointingHandCursor);
    connect(Btn_Aceptar, &QPushButton::clicked, this, &QDialog::accept);

    // On the desktop's centre, wherever the main window has been moved.
    centreOnDesktop(this, parent);
}
