#include "MpvEngine.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <filesystem>
#include <optional>
#include <system_error>

#include <QTimer>

#include <mpv/client.h>

#include "PlaybackSpeed.h"

namespace {

enum ObservedProperty : uint64_t { kTimePos = 1, kPause, kMute, kEndReached, kDuration };
// The facts asked of a file being opened take four tags from kFactsReply on.
enum ReplyKind : uint64_t { kSeekReply = 1, kLoadReply = 2, kZeroReply = 3, kFactsReply = 8 };
// Formats without a declared frame rate are mostly streams (MPEG-TS) without
// an index, whose demuxer seeks land past the keyframe before the target; an
// exact seek started this much earlier still finds it.
constexpr double kUnindexedSeekLeadSeconds = 1.0;

std::string SecondsText(double seconds)
{
    // Locale-free, whatever LC_NUMERIC says.
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, seconds, std::chars_format::fixed, 6);
    return std::string(text, result.ptr);
}

} // namespace

MpvEngine::MpvEngine(Output output, const AudioOutput& audio, QObject* parent) : QObject(parent)
{
    // Refused under a numeric locale other than "C", which main() sets.
    m_mpv = mpv_create();
    if (m_mpv == nullptr)
        throw PlayerError::EngineUnavailable();
    Configure(output, audio);
    if (mpv_initialize(m_mpv) < 0) {
        mpv_terminate_destroy(m_mpv);
        m_mpv = nullptr;
        throw PlayerError::EngineUnavailable();
    }
    Observe();
    mpv_set_wakeup_callback(m_mpv, &MpvEngine::OnWakeup, this);
}

MpvEngine::~MpvEngine()
{
    // After this returns no wakeup runs, and queued drains die with the object.
    mpv_set_wakeup_callback(m_mpv, nullptr, nullptr);
    mpv_terminate_destroy(m_mpv);
}

void MpvEngine::Configure(Output output, const AudioOutput& audio)
{
    const char* const options[][2] = {
        {"vo", output == Output::Render ? "libmpv" : "null"},
        {"pause", "yes"},
        {"idle", "yes"},
        // Stay on the last frame at the end instead of unloading the file.
        {"keep-open", "yes"},
        {"hr-seek", "yes"},
        {"hwdec", "no"},
        {"gpu-hwdec-interop", "no"},
        {"audio-display", "no"},
        {"osd-level", "0"},
        {"config", "no"},
        {"load-scripts", "no"},
        {"ytdl", "no"},
        {"input-default-bindings", "no"},
        {"input-vo-keyboard", "no"},
        {"terminal", "no"},
    };
    for (const auto& option : options)
        mpv_set_option_string(m_mpv, option[0], option[1]);
    if (!audio.driver.empty())
        mpv_set_option_string(m_mpv, "ao", audio.driver.c_str());
}

void MpvEngine::Observe()
{
    mpv_observe_property(m_mpv, kTimePos, "time-pos", MPV_FORMAT_DOUBLE);
    mpv_observe_property(m_mpv, kPause, "pause", MPV_FORMAT_FLAG);
    mpv_observe_property(m_mpv, kMute, "mute", MPV_FORMAT_FLAG);
    mpv_observe_property(m_mpv, kEndReached, "eof-reached", MPV_FORMAT_FLAG);
    mpv_observe_property(m_mpv, kDuration, "duration", MPV_FORMAT_DOUBLE);
}

void MpvEngine::OnWakeup(void* self)
{
    auto* engine = static_cast<MpvEngine*>(self);
    if (engine->m_drainPosted.exchange(true))
        return;
    QMetaObject::invokeMethod(engine, &MpvEngine::DrainEvents, Qt::QueuedConnection);
}

void MpvEngine::Load(const std::string& path)
{
    if (path.empty()) {
        Unload();
        return;
    }
    StartOpening(path);
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(kLoadTimeoutMs);
    // The events a background load drains later, waited for here.
    while (m_opening) {
        const std::chrono::duration<double> left = deadline - Clock::now();
        if (left.count() <= 0.0)
            FailLoad(PlayerError::TooSlow(path));
        const mpv_event* event = mpv_wait_event(m_mpv, left.count());
        const auto error = FollowOpening(*event);
        HandleEvent(*event);
        if (error)
            FailLoad(*error);
    }
    emit StateChanged();
}

void MpvEngine::LoadInBackground(const std::string& path)
{
    if (path.empty()) {
        Unload();
        return;
    }
    StartOpening(path);
    const uint32_t generation = m_generation;
    QTimer::singleShot(kLoadTimeoutMs, this, [this, generation] {
        if (m_opening && m_generation == generation)
            FailOpening(PlayerError::TooSlow(m_opening->Path()));
    });
    emit StateChanged();
}

void MpvEngine::StartOpening(const std::string& path)
{
    ForgetFile();
    if (m_shutDown)
        FailLoad(PlayerError::CannotOpen(path));

    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    if (error || !std::filesystem::exists(absolute, error))
        FailLoad(PlayerError::NotFound(path));
    if (!std::filesystem::is_regular_file(absolute, error))
        FailLoad(PlayerError::NotAVideo(path));

    // Commands go asynchronously, hence in order: a synchronous one would
    // overtake the seeks and stops still queued for the previous file.
    // A new file starts paused, whatever the last one was doing.
    SetFlag("pause", true);
    m_paused = true;
    // An absolute path is never taken for a protocol or an option.
    const std::string target = absolute.string();
    const char* command[] = {"loadfile", target.c_str(), "replace", nullptr};
    ++m_generation;
    if (mpv_command_async(m_mpv, ReplyId(kLoadReply), command) < 0)
        FailLoad(PlayerError::CannotOpen(path));
    // Asked without waiting: the core may itself be waiting for this thread
    // to draw the first frame.
    m_opening.emplace(path, ReplyId(kLoadReply), ReplyId(kFactsReply),
                      [mpv = m_mpv](uint64_t reply, const char* name, mpv_format format) {
                          return mpv_get_property_async(mpv, reply, name, format) >= 0;
                      });
}

std::optional<PlayerError> MpvEngine::FollowOpening(const mpv_event& event)
{
    m_opening->Follow(event);
    switch (m_opening->GetState()) {
    case FileOpening::State::Waiting:
        return std::nullopt;
    case FileOpening::State::Opened: {
        const OpenedFile file = m_opening->Opened();
        m_opening.reset();
        TakeOpenedFile(file);
        return std::nullopt;
    }
    default: {
        const PlayerError error = m_opening->Error();
        m_opening.reset();
        return error;
    }
    }
}

void MpvEngine::TakeOpenedFile(const OpenedFile& file)
{
    const FileFacts& facts = file.facts;
    m_entry = file.entry;
    m_videoTrack = facts.videoTrack;
    m_loaded = true;
    m_clock.StartFile(PlaybackClock::ToMilliseconds(facts.duration), facts.fps, file.shown);
    double lead = facts.fps > 0.0 ? 0.0 : kUnindexedSeekLeadSeconds;
    mpv_set_property_async(m_mpv, 0, "hr-seek-demuxer-offset", MPV_FORMAT_DOUBLE, &lead);
    m_frameIndex.Start(file.path, this, [this](std::shared_ptr<const FrameTimes> times) {
        m_clock.SetFrameTimes(std::move(times));
        emit StateChanged();
    });
    mpv_get_property_async(m_mpv, ReplyId(kZeroReply), "demuxer-start-time", MPV_FORMAT_DOUBLE);
    // The restart that reads the frame times once the first frame is shown
    // has already gone by.
    if (file.shown)
        m_frameIndex.ReadNow();
}

void MpvEngine::FailLoad(const PlayerError& error)
{
    DropFile();
    throw error;
}

void MpvEngine::FailOpening(const PlayerError& error)
{
    DropFile();
    emit LoadFailed(QString::fromStdString(error.what()));
}

void MpvEngine::DropFile()
{
    m_opening.reset();
    m_entry = 0;
    Stop();
    emit StateChanged();
}

void MpvEngine::Unload()
{
    // A file still opening is stopped too, or it would show up after all.
    const bool wasLoaded = m_loaded || m_opening;
    ForgetFile();
    if (!wasLoaded)
        return;
    Stop();
    emit StateChanged();
}

void MpvEngine::ForgetFile()
{
    m_frameIndex.Reset();
    m_opening.reset();
    m_loaded = false;
    m_entry = 0;
    m_clock.Reset();
}

void MpvEngine::Stop()
{
    // The core ends the file on its own time; the end event is recognised
    // as the old file's and ignored.
    const char* command[] = {"stop", nullptr};
    mpv_command_async(m_mpv, 0, command);
}

void MpvEngine::Seek(int32_t ms)
{
    if (!m_loaded)
        return;
    if (const auto seconds = m_clock.RequestSeek(ms))
        SendSeek(*seconds);
    emit StateChanged();
}

void MpvEngine::StepFrames(int delta)
{
    if (!m_loaded)
        return;
    SetPlaying(false);
    Seek(m_clock.StepTarget(delta));
}

void MpvEngine::SetPlaying(bool playing)
{
    if (!m_loaded || playing == IsPlaying())
        return;
    // Playing from the end starts over, as any player does.
    if (playing && m_clock.AtEnd())
        Seek(0);
    m_paused = !playing;
    SetFlag("pause", m_paused);
    emit StateChanged();
}

void MpvEngine::RestoreVideo()
{
    if (!m_loaded || m_videoTrack <= 0)
        return;
    int64_t track = m_videoTrack;
    mpv_set_property_async(m_mpv, 0, "vid", MPV_FORMAT_INT64, &track);
}

void MpvEngine::SetMuted(bool muted)
{
    m_muted = muted;
    SetFlag("mute", muted);
    emit StateChanged();
}

void MpvEngine::SetVolume(int32_t percent)
{
    m_volume = std::clamp(percent, 0, 100);
    double volume = m_volume;
    mpv_set_property_async(m_mpv, 0, "volume", MPV_FORMAT_DOUBLE, &volume);
}

void MpvEngine::SetSpeed(double speed)
{
    speed = ClampSpeed(speed);
    if (speed == m_speed)
        return;
    // The filter first: in between, mpv's own filter would mute the sound
    // below its range.
    const std::string filter = TempoFilter(speed);
    if (filter != TempoFilter(m_speed)) {
        const char* chain = filter.c_str();
        mpv_set_property_async(m_mpv, 0, "af", MPV_FORMAT_STRING, &chain);
    }
    m_speed = speed;
    mpv_set_property_async(m_mpv, 0, "speed", MPV_FORMAT_DOUBLE, &speed);
    emit SpeedChanged(m_speed);
    emit StateChanged();
}

void MpvEngine::DrainEvents()
{
    m_drainPosted = false;
    bool changed = false;
    for (;;) {
        const mpv_event* event = mpv_wait_event(m_mpv, 0);
        if (event->event_id == MPV_EVENT_NONE)
            break;
        if (m_opening) {
            if (const auto error = FollowOpening(*event))
                FailOpening(*error);
            changed = true;
        }
        changed = HandleEvent(*event) || changed;
        // A core that has shut down repeats that event for ever.
        if (m_shutDown)
            break;
    }
    if (changed)
        emit StateChanged();
}

bool MpvEngine::HandleEvent(const mpv_event& event)
{
    switch (event.event_id) {
    case MPV_EVENT_PROPERTY_CHANGE: {
        const auto* property = static_cast<const mpv_event_property*>(event.data);
        if (property->format == MPV_FORMAT_DOUBLE) {
            const double value = *static_cast<const double*>(property->data);
            if (event.reply_userdata == kTimePos)
                m_clock.OnPosition(value);
            if (event.reply_userdata == kDuration)
                m_clock.OnDuration(value);
            return true;
        }
        if (property->format != MPV_FORMAT_FLAG)
            return false;
        const bool value = *static_cast<const int*>(property->data) != 0;
        if (event.reply_userdata == kPause)
            m_paused = value;
        if (event.reply_userdata == kMute)
            m_muted = value;
        if (event.reply_userdata == kEndReached)
            m_clock.OnEndReached(value);
        return true;
    }
    case MPV_EVENT_PLAYBACK_RESTART:
        if (!m_loaded)
            return false;
        m_frameIndex.ReadNow();
        if (const auto seconds = m_clock.OnRestart())
            SendSeek(*seconds);
        return true;
    case MPV_EVENT_GET_PROPERTY_REPLY: {
        const auto* property = static_cast<const mpv_event_property*>(event.data);
        if (event.reply_userdata != ReplyId(kZeroReply) || event.error < 0 || property->format != MPV_FORMAT_DOUBLE)
            return false;
        m_frameIndex.SetZero(*static_cast<const double*>(property->data));
        return false;
    }
    case MPV_EVENT_COMMAND_REPLY:
        if (event.reply_userdata != ReplyId(kSeekReply) || event.error >= 0 || !m_loaded)
            return false;
        if (const auto seconds = m_clock.OnSeekFailed())
            SendSeek(*seconds);
        return true;
    case MPV_EVENT_END_FILE: {
        const auto* end = static_cast<const mpv_event_end_file*>(event.data);
        if (m_entry == 0 || end->playlist_entry_id != m_entry)
            return false;
        // The file went away under the player (a read error, say).
        m_loaded = false;
        m_entry = 0;
        m_clock.Reset();
        return true;
    }
    case MPV_EVENT_SHUTDOWN:
        m_shutDown = true;
        m_loaded = false;
        m_entry = 0;
        m_clock.Reset();
        return true;
    default:
        return false;
    }
}

void MpvEngine::SendSeek(double seconds)
{
    const std::string target = SecondsText(seconds);
    const char* command[] = {"seek", target.c_str(), "absolute+exact", nullptr};
    if (mpv_command_async(m_mpv, ReplyId(kSeekReply), command) < 0)
        if (const auto next = m_clock.OnSeekFailed())
            SendSeek(*next);
}

void MpvEngine::SetFlag(const char* name, bool value)
{
    int flag = value ? 1 : 0;
    mpv_set_property_async(m_mpv, 0, name, MPV_FORMAT_FLAG, &flag);
}

uint64_t MpvEngine::ReplyId(uint64_t kind) const
{
    return (static_cast<uint64_t>(m_generation) << 8) | kind;
}
