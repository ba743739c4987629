#pragma once

#include "common/IntervalTimer.h"
#include "device/DeviceImage.h"

#include <QObject>
#include <array>
#include <memory>

class ComSerie;

// Reads the six registers once a second while the port is open. Each tick of
// Reloj_Principal starts a chain of six steps: Reloj_EscribeN sends request N,
// Reloj_LeeN takes what arrived 50 ms later. Every timer starts the next one
// before stopping itself, and every step checks the port first, so a chain
// once started always reaches the display timer, with or without traffic.
// A reply carries no register address: input left over from an earlier step
// is dropped before each request, and once a step of a chain got no valid
// reply, the later steps of that chain keep their registers, so that a late
// reply is never taken for another register's value.
class PollCycle : public QObject {
    Q_OBJECT
public:
    explicit PollCycle(ComSerie &port, QObject *parent = nullptr);

    DeviceImage &image() { return m_image; }
    const DeviceImage &image() const { return m_image; }

    // The timer the last read step starts (the display pass).
    void setDisplayTimer(IntervalTimer *timer) { m_displayTimer = timer; }

    IntervalTimer Reloj_Principal{QStringLiteral("Reloj_Principal"), 1000};
    IntervalTimer &Reloj_Escribe(int n) { return *m_write.at(n - 1); }
    IntervalTimer &Reloj_Lee(int n) { return *m_read.at(n - 1); }

    // Replies with "0103" but no hexadecimal value since the port was opened.
    int noisyReplies() const { return m_noisyReplies; }
    void resetNoiseCount() { m_noisyReplies = 0; }

    // Chains in a row without one valid reply after which the controller
    // counts as silent.
    static constexpr int kSilentChains = 3;
    bool silent() const { return m_silent; }
    // Forgets the silence count (at connect).
    void resetLinkWatch();

    void Reloj_PrincipalTimer();
    void Reloj_EscribeTimer(int n);
    void Reloj_LeeTimer(int n);

signals:
    // The port itself failed during a write or a read (device gone).
    void portFailed(const QString &reason);
    // A reply carried noise where the value belongs; the register was kept.
    void noisyReply(int countSoFar);
    // Three chains in a row brought no valid reply (silent true), or a valid
    // reply came again after that (silent false). The registers keep their
    // last values meanwhile.
    void silenceChanged(bool silent);

private:
    ComSerie &m_port;
    DeviceImage m_image;
    std::array<std::unique_ptr<IntervalTimer>, 6> m_write;
    std::array<std::unique_ptr<IntervalTimer>, 6> m_read;
    IntervalTimer *m_displayTimer = nullptr;
    int m_noisyReplies = 0;

    void answered();
    void chainEnded();
    bool m_answeredThisChain = false;
    // A step of this chain got no valid reply: its reply may still be on the
    // way and would be read as a later register's value, so the later steps
    // of the chain take none.
    bool m_chainTainted = false;
    int m_chainsWithoutReply = 0;
    bool m_silent = false;
};
