#pragma once

#include <QByteArray>

class ComSerie;
class QWidget;
class TFDM;

// The fixed command frames, each with its carriage return and line feed.
namespace CommandFrames {
QByteArray allOff();
// The frame that sets output 1..8; empty for any other number.
QByteArray output(int n);
} // namespace CommandFrames

// The command window's timing: the wait before the pulse, each of the two
// pauses between the frames, and the wait before the window closes.
// Benchmarks shorten it to run many pulses; the program keeps the defaults.
struct CommandTiming {
    int executeMs = 750;
    int pauseMs = 100;
    int closeMs = 750;
};

// Button n (1..8) of the main window: pulses output n through a modal
// command window while the port is connected; otherwise refuses with an
// error box and sends nothing. fdm may be null (nothing is recorded).
void commandButtonClick(QWidget *mainWindow, ComSerie &port, TFDM *fdm, int n,
                        const CommandTiming &timing = {});
