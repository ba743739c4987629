#pragma once

#include <QByteArray>

// The controller's register reads: six fixed request texts and the rule
// that takes a value out of whatever the port received.
namespace PollFrames {

// Request of step 1..6, with its CR LF: ":01030000FF1810D6" ... ":01030000FF1D10D1".
QByteArray request(int step);

enum class Outcome {
    Value,     // characters 2-5 are "0103" and 10-11 hold hex digits
    NoValue,   // too short, or not a read reply: the register keeps its value
    BadDigits, // a read reply whose value characters are not hexadecimal (noise)
};

struct Reply {
    Outcome outcome = Outcome::NoValue;
    int value = 0;
};

// Characters counted from 1: 2-5 must be "0103"; 10-11 are the value, one
// digit when the text stops at character 10. Further replies are ignored.
Reply parse(const QByteArray &received);

} // namespace PollFrames
