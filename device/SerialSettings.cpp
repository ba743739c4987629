#include "device/SerialSettings.h"

QString SerialSettings::portNameFor(int index) {
    if (index >= 0 && index <= 5)
        return QStringLiteral("COM%1").arg(index + 1);
    return QStringLiteral("COM1");
}

qint32 SerialSettings::baudRateFor(int index) {
    static constexpr qint32 kRates[] = {4800,  9600,  14400,  19200,  38400,
                                        56000, 57600, 115200, 128000, 256000};
    if (index >= 0 && index <= 9)
        return kRates[index];
    return 115200;
}

int SerialSettings::dataBitsFor(int index) {
    if (index >= 0 && index <= 3)
        return 5 + index;
    return 7;
}

SerialSettings::StopBits SerialSettings::stopBitsFor(int index) {
    switch (index) {
    case 1:
        return StopBits::OneAndHalf;
    case 2:
        return StopBits::Two;
    default:
        return StopBits::One;
    }
}

QSerialPort::Parity SerialSettings::parityFor(int index) {
    switch (index) {
    case 1:
        return QSerialPort::OddParity;
    case 2:
        return QSerialPort::EvenParity;
    case 3:
        return QSerialPort::MarkParity;
    case 4:
        return QSerialPort::SpaceParity;
    default:
        return QSerialPort::NoParity;
    }
}

SerialSettings::Flow SerialSettings::flowFor(int index) {
    switch (index) {
    case 0:
        return Flow::Hardware;
    case 1:
        return Flow::Software;
    case 3:
        return Flow::Custom;
    default:
        return Flow::None;
    }
}
