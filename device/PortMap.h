#pragma once

#include <QString>

class ConfigFile;

// Where the port names COM1..COM6 lead on this machine. A key COM1..COM6 of
// the optional section [Puertos] of Config.ini names the device; without it
// COMn is /dev/ttyUSB(n-1) when that adapter is plugged in, else
// /dev/ttyS(n-1). The section is only read, never written.
namespace PortMap {
QString devicePath(const ConfigFile &config, const QString &portName);
QString defaultDevicePath(const QString &portName);
} // namespace PortMap
