#include "TrackList.h"

#include <algorithm>
#include <utility>

#include "XmlStreamWriter.h"
#include "XmlText.h"

Track* TrackList::AppendTrack()
{
    m_tracks.push_back(std::make_unique<Track>());
    return m_tracks.back().get();
}

const Track* TrackList::GetTrack(int position) const
{
    return IsPosition(position) ? m_tracks[static_cast<size_t>(position)].get() : nullptr;
}

Track* TrackList::GetTrack(int position)
{
    return IsPosition(position) ? m_tracks[static_cast<size_t>(position)].get() : nullptr;
}

void TrackList::RemoveTrack(int position)
{
    if (IsPosition(position))
        m_tracks.erase(m_tracks.begin() + position);
}

void TrackList::InsertTrack(int position, std::unique_ptr<Track> track)
{
    if (!track)
        return;
    position = std::clamp(position, 0, GetCount());
    m_tracks.insert(m_tracks.begin() + position, std::move(track));
}

std::unique_ptr<Track> TrackList::TakeTrack(int position)
{
    if (!IsPosition(position))
        return nullptr;
    auto track = std::move(m_tracks[static_cast<size_t>(position)]);
    m_tracks.erase(m_tracks.begin() + position);
    return track;
}

void TrackList::MoveTrackUp(int position)
{
    if (position < 1 || !IsPosition(position))
        return;
    std::swap(m_tracks[static_cast<size_t>(position) - 1], m_tracks[static_cast<size_t>(position)]);
}

void TrackList::MoveTrackDown(int position)
{
    if (!IsPosition(position) || !IsPosition(position + 1))
        return;
    std::swap(m_tracks[static_cast<size_t>(position)], m_tracks[static_cast<size_t>(position) + 1]);
}

void TrackList::WriteXml(XmlStreamWriter& out) const
{
    out.StartElement("corps");
    for (const auto& track : m_tracks)
        track->WriteXml(out);
    out.EndElement();
}

void TrackList::ReadXml(xmlNodePtr first)
{
    for (xmlNodePtr node = first; node != nullptr; node = node->next) {
        if (IsElementNamed(node, "piste"))
            AppendTrack()->ReadXml(node);
    }
}
