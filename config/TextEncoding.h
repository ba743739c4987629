#pragma once

#include <QByteArray>
#include <QString>

// The two encodings a settings file can come in: UTF-8, or the Windows ANSI
// code page (Windows-1252) of files written by the original Windows program.
namespace TextEncoding {

enum class Encoding { Utf8, Windows1252 };

bool isValidUtf8(const QByteArray &bytes);
QString decode(const QByteArray &bytes, Encoding encoding);
QByteArray encode(const QString &text, Encoding encoding);

} // namespace TextEncoding
