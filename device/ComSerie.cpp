#include "device/ComSerie.h"

#include "device/PortMap.h"

#include <QElapsedTimer>

#include <termios.h>

ComSerie::ComSerie(QObject *parent) : QObject(parent) {
    m_resolve = [](const QString &name) { return PortMap::defaultDevicePath(name); };
    connect(&m_port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) {
        if (e == QSerialPort::ResourceError)
            m_resourceLost = true;
    });
}

ComSerie::~ComSerie() {
    // No notifications while the window that owns the port is being destroyed.
    blockSignals(true);
    close();
}

void ComSerie::setDeviceResolver(std::function<QString(const QString &)> resolver) {
    m_resolve = std::move(resolver);
}

QString ComSerie::devicePath() const {
    return m_resolve(m_settings.portName);
}

QSerialPort::StopBits ComSerie::effectiveStopBits(SerialSettings::StopBits stop, int dataBits) {
    switch (stop) {
    case SerialSettings::StopBits::Two:
        return QSerialPort::TwoStop;
    case SerialSettings::StopBits::OneAndHalf:
        // The UART sends 1.5 stop bits for "two" at 5 data bits.
        return dataBits == 5 ? QSerialPort::TwoStop : QSerialPort::OneStop;
    case SerialSettings::StopBits::One:
        break;
    }
    return QSerialPort::OneStop;
}

bool ComSerie::open() {
    if (m_port.isOpen()) {
        m_errorString = QStringLiteral("El puerto ya esta abierto");
        return false;
    }
    const QString path = devicePath();
    m_port.setPortName(path);
    // Every parameter is set before open(): a pseudo-terminal refuses some
    // of them once open. Parity is set each time so that nothing of an
    // earlier mark or space setting lingers.
    m_port.setBaudRate(m_settings.baudRate);
    m_port.setDataBits(static_cast<QSerialPort::DataBits>(m_settings.dataBits));
    m_port.setStopBits(effectiveStopBits(m_settings.stopBits, m_settings.dataBits));
    m_port.setParity(m_settings.parity);
    switch (m_settings.flow) {
    case SerialSettings::Flow::Hardware:
        m_port.setFlowControl(QSerialPort::HardwareControl);
        break;
    case SerialSettings::Flow::Software:
        m_port.setFlowControl(QSerialPort::SoftwareControl);
        break;
    case SerialSettings::Flow::None:
    case SerialSettings::Flow::Custom:
        m_port.setFlowControl(QSerialPort::NoFlowControl);
        break;
    }
    m_port.setReadBufferSize(kBufferSize);
    m_resourceLost = false;

    if (!m_port.open(QIODevice::ReadWrite)) {
        const auto error = m_port.error();
        m_errorString = QStringLiteral("%1: %2").arg(path, m_port.errorString());
        if (error == QSerialPort::PermissionError)
            m_errorString += QStringLiteral(" (el puerto esta ocupado o sin permiso)");
        else if (error == QSerialPort::DeviceNotFoundError)
            m_errorString += QStringLiteral(" (no existe el dispositivo)");
        m_port.clearError();
        return false;
    }
#ifdef CMSPAR
    // Qt sets the mark/space flag but never clears it: a line left on mark
    // or space by an earlier program would send "even" as space parity.
    if (m_settings.parity != QSerialPort::MarkParity &&
        m_settings.parity != QSerialPort::SpaceParity) {
        termios tio{};
        if (::tcgetattr(m_port.handle(), &tio) == 0 && (tio.c_cflag & CMSPAR)) {
            tio.c_cflag &= ~CMSPAR;
            ::tcsetattr(m_port.handle(), TCSANOW, &tio);
        }
    }
#endif
    // DTR is disabled in every mode, RTS too unless it does the handshake.
    // A pseudo-terminal has no modem lines: those calls fail there harmlessly.
    m_port.setDataTerminalReady(false);
    if (m_settings.flow != SerialSettings::Flow::Hardware)
        m_port.setRequestToSend(false);
    m_port.clearError();
    m_errorString.clear();
    emit afterOpen();
    return true;
}

void ComSerie::close() {
    if (!m_port.isOpen())
        return;
    m_port.close();
    m_port.clearError();
    emit afterClose();
}

bool ComSerie::portFailed() {
    const auto error = m_port.error();
    if (m_resourceLost || error == QSerialPort::ResourceError || error == QSerialPort::WriteError ||
        error == QSerialPort::ReadError) {
        m_errorString =
            QStringLiteral("El dispositivo serie dejo de responder (%1)").arg(m_port.errorString());
        return true;
    }
    return false;
}

bool ComSerie::writeText(const QByteArray &text) {
    if (!m_port.isOpen()) {
        m_errorString = QStringLiteral("El puerto no esta abierto");
        return false;
    }
    if (portFailed())
        return false;
    const int timeoutMs = 1000 + 100 * int(text.size());
    if (m_port.write(text) < 0) {
        m_errorString = m_port.errorString();
        return false;
    }
    QElapsedTimer clock;
    clock.start();
    while (m_port.bytesToWrite() > 0) {
        const int left = timeoutMs - int(clock.elapsed());
        if (left <= 0)
            break; // write time-out: what was sent is not examined
        if (!m_port.waitForBytesWritten(left) && m_port.error() != QSerialPort::TimeoutError)
            break;
        if (portFailed())
            return false;
    }
    if (portFailed())
        return false;
    m_port.clearError();
    return true;
}

bool ComSerie::readText(QByteArray &text, int maxChars) {
    text.clear();
    if (!m_port.isOpen()) {
        m_errorString = QStringLiteral("El puerto no esta abierto");
        return false;
    }
    // Pull in whatever the driver holds, without waiting for more.
    m_port.waitForReadyRead(0);
    if (portFailed())
        return false;
    m_port.clearError();
    text = m_port.read(maxChars);
    return true;
}

bool ComSerie::discardInput() {
    if (!m_port.isOpen()) {
        m_errorString = QStringLiteral("El puerto no esta abierto");
        return false;
    }
    if (portFailed())
        return false;
    // Qt's own buffer and the driver's input queue alike.
    m_port.clear(QSerialPort::Input);
    if (portFailed())
        return false;
    m_port.clearError();
    return true;
}
