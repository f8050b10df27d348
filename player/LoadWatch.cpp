#include "LoadWatch.h"

#include <cstring>

#include <mpv/client.h>

namespace {

int64_t EntryOfReply(const mpv_event& event)
{
    const mpv_node& result = static_cast<const mpv_event_command*>(event.data)->result;
    if (result.format != MPV_FORMAT_NODE_MAP)
        return 0;
    for (int i = 0; i < result.u.list->num; ++i)
        if (std::strcmp(result.u.list->keys[i], "playlist_entry_id") == 0 && result.u.list->values[i].format == MPV_FORMAT_INT64)
            return result.u.list->values[i].u.int64;
    return 0;
}

} // namespace

void LoadWatch::Follow(const mpv_event& event, uint64_t loadReply)
{
    switch (event.event_id) {
    case MPV_EVENT_SHUTDOWN:
        OnShutdown();
        break;
    case MPV_EVENT_COMMAND_REPLY:
        if (event.reply_userdata == loadReply)
            OnReply(event.error, event.error < 0 ? 0 : EntryOfReply(event));
        break;
    case MPV_EVENT_START_FILE:
        OnStartFile(static_cast<const mpv_event_start_file*>(event.data)->playlist_entry_id);
        break;
    case MPV_EVENT_FILE_LOADED:
        OnFileLoaded();
        break;
    case MPV_EVENT_PLAYBACK_RESTART:
        OnPlaybackRestart();
        break;
    case MPV_EVENT_END_FILE: {
        const auto* end = static_cast<const mpv_event_end_file*>(event.data);
        OnEndFile(end->playlist_entry_id, end->error == MPV_ERROR_UNKNOWN_FORMAT);
        break;
    }
    default:
        break;
    }
}

void LoadWatch::OnReply(int error, int64_t entry)
{
    if (m_state != State::Waiting)
        return;
    if (error < 0) {
        Fail(false);
        return;
    }
    m_entry = entry;
    Settle();
}

void LoadWatch::OnStartFile(int64_t entry)
{
    m_lastStarted = entry;
}

void LoadWatch::OnFileLoaded()
{
    m_lastLoaded = m_lastStarted;
    if (m_state == State::Waiting)
        Settle();
}

void LoadWatch::OnPlaybackRestart()
{
    // Between a file's start and its load, a frame shown is the previous file's.
    if (m_lastLoaded == m_lastStarted)
        m_lastShown = m_lastLoaded;
}

void LoadWatch::OnEndFile(int64_t entry, bool unknownFormat)
{
    if (m_state != State::Waiting)
        return;
    m_ended[entry] = unknownFormat;
    Settle();
}

void LoadWatch::OnShutdown()
{
    if (m_state == State::Waiting)
        Fail(false);
}

void LoadWatch::Settle()
{
    if (!m_entry)
        return;
    // Ending before it was opened is a failure; ending afterwards is not ours to judge.
    if (const auto ended = m_ended.find(*m_entry); ended != m_ended.end()) {
        Fail(ended->second);
        return;
    }
    if (m_lastLoaded == *m_entry)
        m_state = State::Opened;
}

void LoadWatch::Fail(bool notMedia)
{
    m_state = State::Failed;
    m_notMedia = notMedia;
}
