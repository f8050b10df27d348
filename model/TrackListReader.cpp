#include "TrackListReader.h"

#include <memory>

#include "TrackList.h"

void TrackListReader::ElementStarted(const XmlStartTag& tag)
{
    Role role = Role::Skipped;
    if (m_open.empty()) {
        if (!m_rootSeen && tag.IsNamed("corps")) {
            role = Role::Corps;
            m_foundCorps = true;
        }
        m_rootSeen = true;
    } else if (m_open.back() == Role::Corps && tag.IsNamed("piste")) {
        role = Role::Piste;
        m_track = m_tracks.AppendTrack();
        m_track->ReadLabelXml(tag);
    } else if (m_open.back() == Role::Piste && tag.IsNamed("segment")) {
        role = Role::Segment;
        auto segment = std::make_unique<Segment>();
        segment->ReadBoundsXml(tag);
        m_segment = segment.get();
        m_track->AppendSegment(std::move(segment));
    } else if (m_open.back() == Role::Segment && tag.IsNamed("contenu")) {
        m_segment->ReadContentXml(tag);
    }
    m_open.push_back(role);
}

void TrackListReader::ElementEnded()
{
    if (!m_open.empty())
        m_open.pop_back();
}
