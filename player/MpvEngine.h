#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include <QObject>

#include "AudioOutput.h"
#include "FileOpening.h"
#include "FrameIndex.h"
#include "PlaybackClock.h"
#include "PlayerError.h"

struct mpv_handle;
struct mpv_event;

// One libmpv core driven from the GUI thread. Every call returns at once
// except Load, which waits (bounded) for the file to open. mpv's events are drained on the GUI thread through a
// queued call posted by its wakeup callback.
class MpvEngine : public QObject {
    Q_OBJECT
public:
    // Render: frames go to a render context (see MpvRenderContext), which must
    // exist before a file is loaded. Headless: no video output at all.
    enum class Output { Render, Headless };
    static constexpr int kLoadTimeoutMs = 5000;

    // Throws PlayerError when libmpv cannot start.
    MpvEngine(Output output, const AudioOutput& audio, QObject* parent = nullptr);
    ~MpvEngine() override;
    MpvEngine(const MpvEngine&) = delete;
    MpvEngine& operator=(const MpvEngine&) = delete;

    // Replaces the file; throws PlayerError (naming `path`) when it cannot be
    // played, leaving the engine empty. "" unloads.
    void Load(const std::string& path);
    // Like Load, but returns as soon as the file is asked for, so that the
    // caller's loop goes on while it opens. A file that is not there throws
    // at once; any later failure is emitted once through LoadFailed, and the
    // engine is then empty. A later load or unload drops this one silently.
    void LoadInBackground(const std::string& path);
    void Unload();
    bool IsLoaded() const { return m_loaded; }
    bool IsOpening() const { return m_opening.has_value(); }

    int32_t Duration() const { return m_clock.Duration(); }
    // Cheap: read from what the engine last reported.
    int32_t Time() const { return m_clock.Time(); }
    // Exact seek, clamped to the file; Time() reports `ms` from now on.
    void Seek(int32_t ms);
    // Pauses and shows the frame `delta` frames away.
    void StepFrames(int delta);
    bool SeekInFlight() const { return m_clock.SeekInFlight(); }
    bool AtEnd() const { return m_clock.AtEnd(); }
    double FrameRate() const { return m_clock.FrameRate(); }
    // The file's frame times have been read (in the background, after each
    // load); seeks and steps are frame-exact on any frame spacing from then.
    bool HasFrameTimes() const { return m_clock.HasFrameTimes(); }

    // At the end the core stops by itself, before it reports the pause.
    bool IsPlaying() const { return m_loaded && !m_paused && !m_clock.AtEnd(); }
    void SetPlaying(bool playing);
    void TogglePlaying() { SetPlaying(!IsPlaying()); }
    bool IsMuted() const { return m_muted; }
    void SetMuted(bool muted);
    int32_t Volume() const { return m_volume; }
    void SetVolume(int32_t percent);
    // Playback speed, clamped to the steps' range (PlaybackSpeed.h). Kept
    // across loads; times stay video times whatever the speed.
    double Speed() const { return m_speed; }
    void SetSpeed(double speed);

    // The core drops the video track when its render context goes; a new
    // render context brings it back with this.
    void RestoreVideo();

    // For creating the render context on this core, and for tests.
    mpv_handle* Handle() const { return m_mpv; }

    void DrainEvents();

signals:
    // Load state, time, pause, mute or end state may have changed.
    void StateChanged();
    // A file asked for with LoadInBackground could not be played; the text
    // is the one Load would have thrown.
    void LoadFailed(const QString& text);
    // The speed has changed, to `speed`.
    void SpeedChanged(double speed);

private:
    static void OnWakeup(void* self);
    void Configure(Output output, const AudioOutput& audio);
    void Observe();
    // Asks the core for the file; throws PlayerError when it cannot even ask.
    void StartOpening(const std::string& path);
    // Follows the file being opened; the engine takes it once it is open.
    // Gives the error when it has failed, and the opening is then over.
    std::optional<PlayerError> FollowOpening(const mpv_event& event);
    void TakeOpenedFile(const OpenedFile& file);
    [[noreturn]] void FailLoad(const PlayerError& error);
    void FailOpening(const PlayerError& error);
    // Gives up the file opening or open, once it has failed.
    void DropFile();
    void ForgetFile();
    void Stop();
    bool HandleEvent(const mpv_event& event);
    void SendSeek(double seconds);
    void SetFlag(const char* name, bool value);
    uint64_t ReplyId(uint64_t kind) const;

    mpv_handle* m_mpv = nullptr;
    PlaybackClock m_clock;
    bool m_loaded = false;
    int64_t m_entry = 0;
    int64_t m_videoTrack = 0;
    // Bumped per load so that replies meant for an earlier file are ignored.
    uint32_t m_generation = 0;
    bool m_shutDown = false;
    // The file asked for, until the engine has taken it or given it up.
    std::optional<FileOpening> m_opening;
    FrameIndex m_frameIndex;
    bool m_paused = true;
    bool m_muted = false;
    int32_t m_volume = 100;
    double m_speed = 1.0;
    std::atomic<bool> m_drainPosted{false};
};
