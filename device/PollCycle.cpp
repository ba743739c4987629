#include "device/PollCycle.h"

#include "device/ComSerie.h"
#include "device/PollFrames.h"

PollCycle::PollCycle(ComSerie &port, QObject *parent) : QObject(parent), m_port(port) {
    connect(&Reloj_Principal, &QTimer::timeout, this, &PollCycle::Reloj_PrincipalTimer);
    for (int n = 1; n <= 6; ++n) {
        m_write[n - 1] =
            std::make_unique<IntervalTimer>(QStringLiteral("Reloj_Escribe%1").arg(n), 50);
        m_read[n - 1] = std::make_unique<IntervalTimer>(QStringLiteral("Reloj_Lee%1").arg(n), 50);
        connect(m_write[n - 1].get(), &QTimer::timeout, this, [this, n] { Reloj_EscribeTimer(n); });
        connect(m_read[n - 1].get(), &QTimer::timeout, this, [this, n] { Reloj_LeeTimer(n); });
    }
}

void PollCycle::Reloj_PrincipalTimer() {
    if (m_port.connected())
        Reloj_Escribe(1).start();
}

void PollCycle::Reloj_EscribeTimer(int n) {
    if (n == 1)
        m_chainTainted = false;
    // A reply carries no register address: one that missed its own read step
    // is dropped here, never taken as the value of the next register.
    if (m_port.connected() && (!m_port.discardInput() || !m_port.writeText(PollFrames::request(n))))
        emit portFailed(m_port.errorString());
    Reloj_Lee(n).start();
    Reloj_Escribe(n).stop();
}

void PollCycle::Reloj_LeeTimer(int n) {
    if (m_port.connected()) {
        QByteArray received;
        if (!m_port.readText(received)) {
            emit portFailed(m_port.errorString());
        } else {
            const PollFrames::Reply reply = PollFrames::parse(received);
            if (reply.outcome == PollFrames::Outcome::Value && !m_chainTainted) {
                m_image.reg(n) = reply.value;
                answered();
            } else if (reply.outcome != PollFrames::Outcome::Value) {
                m_chainTainted = true;
            }
            if (reply.outcome == PollFrames::Outcome::BadDigits) {
                // Noise on the line: keep the register and go on; the window
                // shows a count instead of a box per reply.
                emit noisyReply(++m_noisyReplies);
            }
        }
    }
    if (n == 6 && m_port.connected())
        chainEnded();
    if (n < 6)
        Reloj_Escribe(n + 1).start();
    else if (m_displayTimer)
        m_displayTimer->start();
    Reloj_Lee(n).stop();
}

void PollCycle::resetLinkWatch() {
    m_answeredThisChain = false;
    m_chainsWithoutReply = 0;
    m_silent = false;
}

void PollCycle::answered() {
    m_answeredThisChain = true;
    m_chainsWithoutReply = 0;
    if (m_silent) {
        m_silent = false;
        emit silenceChanged(false);
    }
}

void PollCycle::chainEnded() {
    if (!m_answeredThisChain && ++m_chainsWithoutReply == kSilentChains) {
        m_silent = true;
        emit silenceChanged(true);
    }
    m_answeredThisChain = false;
}
