#pragma once

#include <QSerialPort>
#include <QString>

// The line parameters of the controller's port, as the stored list indexes
// choose them. Handed to ComSerie before it opens.
struct SerialSettings {
    enum class StopBits { One, OneAndHalf, Two };
    // Custom keeps the individual line settings as they are: all handshaking
    // off, DTR and RTS disabled.
    enum class Flow { Hardware, Software, None, Custom };

    QString portName = QStringLiteral("COM1");
    qint32 baudRate = 115200;
    int dataBits = 7;
    StopBits stopBits = StopBits::One;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    Flow flow = Flow::None;

    // Stored indexes to parameters; an index outside its list takes the
    // "other" value: COM1, 115200, 7 bits, 1 stop bit, no parity, no flow.
    static QString portNameFor(int index);
    static qint32 baudRateFor(int index);
    static int dataBitsFor(int index);
    static StopBits stopBitsFor(int index);
    static QSerialPort::Parity parityFor(int index);
    static Flow flowFor(int index);
};
