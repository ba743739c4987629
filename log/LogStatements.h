#pragma once

#include "device/DeviceImage.h"
#include "view/InputState.h"

#include <QString>
#include <QStringList>
#include <array>
#include <optional>

// The texts of the statements that store the logs, composed by
// concatenation with double-quoted strings, and the logger's change test.
namespace LogStatements {

// "Si" for an input that is on, "-" for one that is off.
QString bitText(bool on);

// The two lines that store one Lectura snapshot: the sixteen inputs and the
// six registers as they stand.
QStringList lecturaInsert(const InputState &inputs, const DeviceImage &image);

// The two lines that record a command sent to output 1..8.
QStringList escrituraInsert(int output);

// True when any register differs from the stored word; no stored row counts
// as different.
bool registersChanged(const DeviceImage &image, const std::optional<std::array<qint64, 6>> &stored);

} // namespace LogStatements
