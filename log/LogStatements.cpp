#include "log/LogStatements.h"

namespace LogStatements {

QString bitText(bool on) {
    return on ? QStringLiteral("Si") : QStringLiteral("-");
}

QStringList lecturaInsert(const InputState &inputs, const DeviceImage &image) {
    QString values = QStringLiteral("values(datetime(\"now\",\"localtime\"),\"");
    values += bitText(inputs.isOn(1));
    for (int n = 2; n <= 16; ++n)
        values += QStringLiteral("\",\"") + bitText(inputs.isOn(n));
    values += QStringLiteral("\",");
    values += QString::number(image.reg(1));
    for (int n = 2; n <= 6; ++n)
        values += u',' + QString::number(image.reg(n));
    values += QStringLiteral(");");
    return {QStringLiteral("insert into Lectura "
                           "(Fecha,bit1,bit2,bit3,bit4,bit5,bit6,bit7,bit8,bit9,bit10,bit11,bit12,"
                           "bit13,bit14,bit15,bit16,word1,word2,word3,word4,word5,word6)"),
            values};
}

QStringList escrituraInsert(int output) {
    QString values = QStringLiteral("Values(datetime(\"now\",\"localtime\")");
    for (int n = 1; n <= 8; ++n)
        values += QStringLiteral(",\"") + bitText(n == output) + u'"';
    values += QStringLiteral(");");
    return {QStringLiteral("Insert into Escritura (Fecha,Bit1,Bit2,Bit3,Bit4,Bit5,Bit6,Bit7,Bit8)"),
            values};
}

bool registersChanged(const DeviceImage &image,
                      const std::optional<std::array<qint64, 6>> &stored) {
    if (!stored)
        return true;
    for (int n = 1; n <= 6; ++n)
        if (qint64(image.reg(n)) != (*stored)[n - 1])
            return true;
    return false;
}

} // namespace LogStatements
