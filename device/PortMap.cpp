#include "device/PortMap.h"

#include "config/ConfigFile.h"

#include <QFileInfo>

namespace PortMap {

QString defaultDevicePath(const QString &portName) {
    int number = 1;
    if (portName.startsWith(QLatin1String("COM"), Qt::CaseInsensitive))
        number = qMax(1, portName.mid(3).toInt());
    const QString usb = QStringLiteral("/dev/ttyUSB%1").arg(number - 1);
    if (QFileInfo::exists(usb))
        return usb;
    return QStringLiteral("/dev/ttyS%1").arg(number - 1);
}

QString devicePath(const ConfigFile &config, const QString &portName) {
    const QString configured = config.readString(QStringLiteral("Puertos"), portName, QString());
    if (!configured.trimmed().isEmpty())
        return configured.trimmed();
    return defaultDevicePath(portName);
}

} // namespace PortMap
