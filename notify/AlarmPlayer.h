#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <optional>

typedef struct _Mix_Music Mix_Music;

// The alarm sound player, `PlayAlarma1`: one MP3 file, played through the
// SDL mixer's music stream. Every operation runs on the GUI thread; Play
// returns at once and the end of the sound comes back later as a completion
// notice, also on the GUI thread. Only one player may exist at a time: the
// mixer has a single music stream.
class AlarmPlayer : public QObject {
    Q_OBJECT
public:
    enum class Result { Successful, Superseded, Aborted, Failure };
    Q_ENUM(Result)

    explicit AlarmPlayer(QObject *parent = nullptr);
    ~AlarmPlayer() override; // closes the open file

    // Closes the open file, then opens fileName(). On failure throws AppError
    // with a text for the operator, and no file is open afterwards. The audio
    // device is opened at the first Open.
    void Open();
    // Plays from the current position; a sound at its end starts again from
    // the beginning, a stopped one goes on from where it stopped. Returns at
    // once. Asks for a completion notice unless setNotifyNext(false) was called
    // just before. A Play while playing supersedes the earlier request.
    void Play();
    // Pauses: the position stays where the sound stopped. Asks for no notice
    // unless setNotifyNext(true) was called just before. A pending notice of a
    // Play reports Aborted.
    void Stop();

    // One-shot choice for the next command only.
    void setNotifyNext(bool notify) { m_notifyNext = notify; }

    // Kept for the editor's alarm box; the operations do not depend on it.
    void setEnabled(bool enabled) { m_enabled = enabled; }
    bool isEnabled() const { return m_enabled; }
    // Takes effect at the next Open.
    void setFileName(const QString &path) { m_fileName = path; }
    QString fileName() const { return m_fileName; }

    bool isOpen() const { return m_music != nullptr; }
    bool isPlaying() const { return m_state == State::Playing; }
    double positionSeconds() const;
    double durationSeconds() const;

signals:
    void completionNotice(AlarmPlayer::Result result);

private:
    enum class State { Stopped, Playing, Paused, AtEnd };

    static void musicFinished(); // on the mixer's audio thread
    void onMusicFinished(quint64 generation);
    void ensureAudioDevice();
    void close();
    void requireOpen() const;
    void post(Result result);
    bool takeNotify(bool byDefault);

    Mix_Music *m_music = nullptr;
    State m_state = State::Stopped;
    QString m_fileName;
    bool m_enabled = false;
    bool m_pendingNotice = false;
    std::optional<bool> m_notifyNext;
    bool m_ownsAudio = false;
    // Bumped before every start from the beginning and after every halt, so
    // that a finished callback of an earlier run is recognised and dropped.
    std::atomic<quint64> m_generation{1};
    std::atomic<quint64> m_endedGeneration{0};

    static std::atomic<AlarmPlayer *> s_current;
};
