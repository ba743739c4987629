#pragma once

#include "device/SerialSettings.h"

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <functional>

// The serial port to the controller. Setters only record while the port is
// closed; open() applies everything. afterOpen and afterClose are emitted
// inside open() and close(), before they return. Failures come back as
// false plus errorString().
class ComSerie : public QObject {
    Q_OBJECT
public:
    static constexpr int kBufferSize = 1024;

    explicit ComSerie(QObject *parent = nullptr);
    ~ComSerie() override;

    void setPortName(const QString &name) { m_settings.portName = name; }
    void setBaudRate(qint32 baud) { m_settings.baudRate = baud; }
    void setDataBits(int bits) { m_settings.dataBits = bits; }
    void setStopBits(SerialSettings::StopBits stop) { m_settings.stopBits = stop; }
    void setParity(QSerialPort::Parity parity) { m_settings.parity = parity; }
    void setFlowControl(SerialSettings::Flow flow) { m_settings.flow = flow; }
    const SerialSettings &settings() const { return m_settings; }

    // Turns a port name (COM1..COM6) into a device path; by default the
    // fixed mapping without Config.ini.
    void setDeviceResolver(std::function<QString(const QString &)> resolver);
    QString devicePath() const;

    bool open();
    void close();
    bool connected() const { return m_port.isOpen(); }

    // Sends all of text, waiting at most 1000 ms + 100 ms per character.
    // False when the port itself failed (a device that has gone away).
    bool writeText(const QByteArray &text);
    // Whatever has arrived, up to maxChars, without waiting. False when the
    // port itself failed.
    bool readText(QByteArray &text, int maxChars = kBufferSize);
    // Drops everything received and not yet read. False when the port
    // itself failed.
    bool discardInput();

    QString errorString() const { return m_errorString; }

    // What a pseudo-terminal or UART gives for the requested stop bits with
    // the given data bits: Linux has 1.5 stop bits only with 5 data bits.
    static QSerialPort::StopBits effectiveStopBits(SerialSettings::StopBits stop, int dataBits);

signals:
    void afterOpen();
    void afterClose();

private:
    bool portFailed();

    QSerialPort m_port;
    SerialSettings m_settings;
    std::function<QString(const QString &)> m_resolve;
    QString m_errorString;
    bool m_resourceLost = false;
};
