#pragma once

#include <QString>

// Section and key names of Config.ini, as the editor reads and writes them.
namespace SettingsKeys {

inline const QString kComunicacion = QStringLiteral("Comunicacion");
inline const QString kBotonesMenu = QStringLiteral("BotonesMenu");
inline const QString kImagenFondo = QStringLiteral("ImagenFondo");
inline const QString kIconos = QStringLiteral("Iconos");
inline const QString kPaneles = QStringLiteral("Paneles");
inline const QString kPantalla = QStringLiteral("Pantalla");
inline const QString kAlarmas = QStringLiteral("Alarmas");

// "Boton" and 3 give "Boton3".
inline QString numbered(const char *name, int n) {
    return QString::fromLatin1(name) + QString::number(n);
}
// Pantalla keys: "Icono3X", "Panel2Y".
inline QString position(const char *kind, int n, char axis) {
    return QString::fromLatin1(kind) + QString::number(n) + QLatin1Char(axis);
}

} // namespace SettingsKeys
