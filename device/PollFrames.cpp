#include "device/PollFrames.h"

#include <array>

namespace PollFrames {

QByteArray request(int step) {
    static const std::array<const char *, 6> kFrames = {":01030000FF1810D6", ":01030000FF1910D5",
                                                        ":01030000FF1A10D4", ":01030000FF1B10D3",
                                                        ":01030000FF1C10D2", ":01030000FF1D10D1"};
    return QByteArray(kFrames.at(step - 1)) + "\r\n";
}

Reply parse(const QByteArray &received) {
    const QByteArray head = received.mid(1, 4);
    const QByteArray digits = received.mid(9, 2);
    if (digits.isEmpty() || head != "0103")
        return {};
    bool ok = false;
    const int value = digits.toInt(&ok, 16);
    // toInt accepts a sign or blanks; the reply's value is hex digits only.
    for (const char c : digits) {
        const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        ok = ok && hex;
    }
    if (!ok)
        return {Outcome::BadDigits, 0};
    return {Outcome::Value, value};
}

} // namespace PollFrames
