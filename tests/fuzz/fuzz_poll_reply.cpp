// The reply reader of the poll cycle on arbitrary received text: it never
// fails, it agrees with the reading rule written out here on its own, and
// whatever follows the eleventh character never changes its result.
#include "device/PollFrames.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

bool isHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int hexValue(char c) {
    return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
}

// Characters counted from 1: 2-5 must read "0103"; 10-11 (or 10 alone when
// the text ends there) hold the value in hexadecimal digits.
PollFrames::Reply expected(const uint8_t *data, size_t size) {
    if (size < 10)
        return {};
    if (data[1] != '0' || data[2] != '1' || data[3] != '0' || data[4] != '3')
        return {};
    const size_t digits = size >= 11 ? 2 : 1;
    int value = 0;
    for (size_t i = 9; i < 9 + digits; ++i) {
        if (!isHex(char(data[i])))
            return {PollFrames::Outcome::BadDigits, 0};
        value = value * 16 + hexValue(char(data[i]));
    }
    return {PollFrames::Outcome::Value, value};
}

void check(bool ok) {
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray received(reinterpret_cast<const char *>(data), qsizetype(size));
    const PollFrames::Reply reply = PollFrames::parse(received);
    const PollFrames::Reply want = expected(data, size);
    check(reply.outcome == want.outcome);
    if (reply.outcome == PollFrames::Outcome::Value)
        check(reply.value == want.value && reply.value >= 0 && reply.value <= 255);
    // A text holding several replies yields the first one only.
    if (size >= 11) {
        const PollFrames::Reply head = PollFrames::parse(received.left(11));
        check(head.outcome == reply.outcome && head.value == reply.value);
    }
    return 0;
}
