#include "notify/AlarmPlayer.h"

#include "common/AppError.h"

#include <QFile>
#include <QFileInfo>
#include <QtDebug>
#include <SDL.h>
#include <SDL_mixer.h>

std::atomic<AlarmPlayer *> AlarmPlayer::s_current{nullptr};

namespace {
// Players sharing the audio device; it is closed when the last one goes.
int s_audioUsers = 0;

QString sdlError() {
    return QString::fromUtf8(SDL_GetError());
}
} // namespace

AlarmPlayer::AlarmPlayer(QObject *parent) : QObject(parent) {
    AlarmPlayer *expected = nullptr;
    if (!s_current.compare_exchange_strong(expected, this))
        qWarning("AlarmPlayer: another player exists; the mixer has one music stream");
}

AlarmPlayer::~AlarmPlayer() {
    if (m_ownsAudio)
        Mix_HookMusicFinished(nullptr); // waits for a callback in progress
    m_pendingNotice = false;            // nobody is left to hear it
    close();
    AlarmPlayer *self = this;
    s_current.compare_exchange_strong(self, nullptr);
    if (m_ownsAudio && --s_audioUsers == 0) {
        Mix_CloseAudio();
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
}

void AlarmPlayer::ensureAudioDevice() {
    if (m_ownsAudio)
        return;
    if (s_audioUsers == 0) {
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1"); // Qt owns the process's signals
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
            throw AppError(
                QStringLiteral("No se pudo iniciar el sistema de sonido: %1").arg(sdlError()));
        Mix_Init(MIX_INIT_MP3);
        if (Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 2048) != 0) {
            const QString why = sdlError();
            Mix_Quit();
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            throw AppError(
                QStringLiteral("No se pudo abrir el dispositivo de sonido: %1").arg(why));
        }
    }
    ++s_audioUsers;
    m_ownsAudio = true;
    s_current = this;
    Mix_HookMusicFinished(&AlarmPlayer::musicFinished);
}

void AlarmPlayer::Open() {
    m_notifyNext.reset();
    close();
    if (m_fileName.isEmpty())
        throw AppError(QStringLiteral("No se ha indicado ningún archivo de sonido para la alarma"));
    const QFileInfo info(m_fileName);
    if (!info.isFile())
        throw AppError(
            QStringLiteral("No se encuentra el archivo de sonido \"%1\"").arg(m_fileName));
    if (!info.isReadable())
        throw AppError(
            QStringLiteral("No se puede leer el archivo de sonido \"%1\"").arg(m_fileName));
    ensureAudioDevice();
    Mix_Music *music = Mix_LoadMUS(QFile::encodeName(m_fileName).constData());
    if (music && Mix_MusicDuration(music) <= 0) {
        SDL_SetError("el archivo no contiene sonido");
        Mix_FreeMusic(music);
        music = nullptr;
    }
    if (!music)
        throw AppError(QStringLiteral("El archivo \"%1\" no es un sonido MP3 que se pueda "
                                      "reproducir.\r\nDetalle: %2")
                           .arg(m_fileName, sdlError()));
    m_music = music;
    m_state = State::Stopped;
}

void AlarmPlayer::close() {
    if (!m_music)
        return;
    if (m_state == State::Playing && m_pendingNotice)
        post(Result::Aborted);
    m_pendingNotice = false;
    Mix_HaltMusic(); // runs the finished callback at once, for this run
    ++m_generation;  // ...which makes that callback stale
    Mix_FreeMusic(m_music);
    m_music = nullptr;
    m_state = State::Stopped;
}

bool AlarmPlayer::takeNotify(bool byDefault) {
    const bool notify = m_notifyNext.value_or(byDefault);
    m_notifyNext.reset();
    return notify;
}

void AlarmPlayer::requireOpen() const {
    if (m_music)
        return;
    throw AppError(QStringLiteral("No hay ningún archivo de sonido abierto para la alarma"));
}

void AlarmPlayer::Play() {
    const bool notify = takeNotify(true);
    requireOpen();
    if (m_state == State::Playing) {
        // The sound goes on; only the request that will hear of its end changes.
        if (m_pendingNotice)
            post(Result::Superseded);
        m_pendingNotice = notify;
        return;
    }
    const bool endedWhileStopped =
        m_state == State::Paused && m_endedGeneration.load() == m_generation.load();
    if (m_state == State::Paused && !endedWhileStopped) {
        Mix_ResumeMusic();
    } else {
        // From the beginning: a new run, so callbacks of an earlier one are stale.
        ++m_generation;
        if (Mix_PlayMusic(m_music, 0) != 0) {
            m_state = State::AtEnd;
            if (notify)
                post(Result::Failure);
            throw AppError(
                QStringLiteral("No se pudo reproducir el sonido de alarma: %1").arg(sdlError()));
        }
    }
    m_state = State::Playing;
    m_pendingNotice = notify;
}

void AlarmPlayer::Stop() {
    const bool notify = takeNotify(false);
    requireOpen();
    if (m_state == State::Playing) {
        Mix_PauseMusic();
        m_state = State::Paused;
        if (m_pendingNotice)
            post(Result::Aborted);
        m_pendingNotice = false;
    }
    if (notify)
        post(Result::Successful);
}

double AlarmPlayer::positionSeconds() const {
    if (!m_music)
        return 0;
    if (m_state == State::AtEnd)
        return durationSeconds();
    if (m_state == State::Stopped)
        return 0;
    return qMax(0.0, Mix_GetMusicPosition(m_music));
}

double AlarmPlayer::durationSeconds() const {
    return m_music ? qMax(0.0, Mix_MusicDuration(m_music)) : 0;
}

void AlarmPlayer::post(Result result) {
    QMetaObject::invokeMethod(
        this, [this, result] { emit completionNotice(result); }, Qt::QueuedConnection);
}

void AlarmPlayer::musicFinished() {
    AlarmPlayer *player = s_current.load();
    if (!player)
        return;
    const quint64 generation = player->m_generation.load();
    player->m_endedGeneration.store(generation);
    QMetaObject::invokeMethod(
        player, [player, generation] { player->onMusicFinished(generation); },
        Qt::QueuedConnection);
}

void AlarmPlayer::onMusicFinished(quint64 generation) {
    if (generation != m_generation.load() || m_state != State::Playing)
        return; // an earlier run, or a run already stopped
    m_state = State::AtEnd;
    if (m_pendingNotice) {
        m_pendingNotice = false;
        emit completionNotice(Result::Successful);
    }
}
