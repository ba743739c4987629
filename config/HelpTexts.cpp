#include "config/HelpTexts.h"

#include <QStringList>

namespace {
// Paragraphs are separated by one empty line.
QString paragraphs(const QStringList &parts) {
    return parts.join(QStringLiteral("\n\n"));
}
} // namespace

QString helpText(EditorPage page) {
    switch (page) {
    case EditorPage::Comunicacion:
        return paragraphs({
            QStringLiteral("COMUNICACION: "),
            QStringLiteral(
                "En esta pantalla usted puede configurar la conexion con el puerto serie "
                "del equipo, le recomendamos que solo cambie el Puerto de Conexion."),
            QStringLiteral("Tambien puede activar el grabado de registros en la base de datos y "
                           "modificar el tiempo de grabado de estado del equipo."),
        });
    case EditorPage::Menu:
        return paragraphs({
            QStringLiteral("BOTONES DE MENU: "),
            QStringLiteral("Los botones del menu de la barra derecha en la pantalla principal se "
                           "pueden habilitar individualmente. Cada boton corresponde a un bit de 1 "
                           "a 8 asignados en la Macro de Comunicacion. Puede modificar el texto "
                           "que identifica el boton."),
            QStringLiteral("La cantidad maxima de botones de menu son 8."),
        });
    case EditorPage::Fondo:
        return paragraphs({
            QStringLiteral("IMAGEN DE FONDO: "),
            QStringLiteral("La imagen de fondo se puede cambiar cargando una nueva imagen, para "
                           "ello se debe hacer doble click sobre la imagen o hacer click en el "
                           "boton EXAMINAR."),
            QStringLiteral("Se recomienda una imagen con un tamaño de ancho = 700 pixeles y alto = "
                           "530 pixeles.\nLa imagen puede ser formato JPG o PNG"),
        });
    case EditorPage::Iconos:
        return paragraphs({
            QStringLiteral("ICONOS: "),
            QStringLiteral("Para personalizar los iconos, primero debe habilitar el icono que "
                           "desee mostrar, cada icono representa a un determinado bit enviado "
                           "desde el equipo."),
            QStringLiteral("Para el Bit1 habilitaremos la Imagen1 y las modificaremos haciendo "
                           "doble click en el icono ON y OFF.."),
        });
    case EditorPage::Paneles:
        return paragraphs({
            QStringLiteral("PANELES: "),
            QStringLiteral("Los Paneles se persnoalizan para dar formato al valor entero que se "
                           "lee en el equipo, se pueden leer hasta 4 enteros de 0 a 255 y se les "
                           "da formato desde esta pantalla."),
            QStringLiteral("Utilizando la ecuacion de ejemplo y agregandole al valor el tipo de "
                           "unidad que usamos."),
        });
    case EditorPage::Pantalla:
        return paragraphs({
            QStringLiteral("PANTALLA: "),
            QStringLiteral("En esta pantalla se pueden mover, arrastrar y soltar los iconos "
                           "activos y los paneles activos"),
            QStringLiteral("Se pueden mover por la pantalla para poder ubicarlos donde mejor "
                           "representen los dispositivos de campo sobre la imagen del SCADA."),
        });
    case EditorPage::Alarma:
        return paragraphs({
            QStringLiteral("ALARMA: "),
            QStringLiteral("La alarma esta asociada a la entrada 16 de la Macro Dravik."),
            QStringLiteral("Si se pasa a ON la entrada  16 la alarma reproducira el archivo MP3 "
                           "asociado."),
            QStringLiteral("Para activar el envio de mails se deben habilitar y configurar los "
                           "datos de servidor saliente SMTP."),
        });
    }
    return {};
}
