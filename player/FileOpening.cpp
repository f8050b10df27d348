#include "FileOpening.h"

#include <utility>

#include <mpv/client.h>

FileOpening::FileOpening(std::string path, uint64_t loadReply, uint64_t factsReply, AskProperty ask)
    : m_path(std::move(path)), m_loadReply(loadReply), m_factsReply(factsReply), m_ask(std::move(ask))
{
}

void FileOpening::Follow(const mpv_event& event)
{
    if (m_state != State::Waiting)
        return;
    // Still followed once the file is open: its first frame may show while
    // the core answers the questions about it.
    m_watch.Follow(event, m_loadReply);
    if (!m_facts) {
        switch (m_watch.GetState()) {
        case LoadWatch::State::Waiting:
            return;
        case LoadWatch::State::Opened:
            AskFacts();
            return;
        case LoadWatch::State::Failed:
            m_state = m_watch.NotMedia() ? State::NotAVideo : State::CannotOpen;
            return;
        }
    }
    // Answers may never come for a file that has ended or a core that has gone.
    const bool ended = event.event_id == MPV_EVENT_END_FILE
                       && static_cast<const mpv_event_end_file*>(event.data)->playlist_entry_id == m_watch.Entry();
    if (ended || event.event_id == MPV_EVENT_SHUTDOWN) {
        m_state = State::CannotOpen;
        return;
    }
    if (m_facts->Take(event) && m_facts->IsComplete())
        JudgeFacts();
}

void FileOpening::AskFacts()
{
    m_facts.emplace();
    m_facts->Send(m_ask, m_factsReply);
    // None could be asked (the core is going): nothing will come back.
    if (m_facts->IsComplete())
        JudgeFacts();
}

void FileOpening::JudgeFacts()
{
    m_state = m_facts->Facts().IsVideo() ? State::Opened : State::NotAVideo;
}

OpenedFile FileOpening::Opened() const
{
    return {m_path, m_watch.Entry(), m_facts ? m_facts->Facts() : FileFacts(), m_watch.Shown()};
}

PlayerError FileOpening::Error() const
{
    return m_state == State::NotAVideo ? PlayerError::NotAVideo(m_path) : PlayerError::CannotOpen(m_path);
}
