#include "Track.h"

#include <algorithm>

#include "XmlText.h"

void Track::AppendSegment(std::unique_ptr<Segment> segment)
{
    if (segment)
        m_segments.push_back(std::move(segment));
}

void Track::RemoveSegment(const Segment* segment)
{
    if (segment == nullptr)
        return;
    auto it = std::find_if(m_segments.begin(), m_segments.end(),
                           [segment](const auto& held) { return held.get() == segment; });
    if (it != m_segments.end())
        m_segments.erase(it);
}

Segment* Track::FindSegmentAt(double t) const
{
    if (!(t > 0))
        return nullptr;
    for (const auto& segment : m_segments) {
        if (segment->m_start <= t && t <= segment->m_end)
            return segment.get();
    }
    return nullptr;
}

xmlNodePtr Track::WriteXml() const
{
    xmlNodePtr track = xmlNewNode(nullptr, BAD_CAST "piste");
    SetXmlProp(track, "libelle", m_label);
    for (const auto& segment : m_segments)
        xmlAddChild(track, segment->WriteXml());
    return track;
}

void Track::ReadXml(xmlNodePtr element)
{
    ReadLabelXml(element);
    for (xmlNodePtr child = element->children; child != nullptr; child = child->next) {
        if (IsElementNamed(child, "segment"))
            ReadSegmentXml(child);
    }
}

void Track::ReadLabelXml(xmlNodePtr element)
{
    if (auto label = XmlProp(element, "libelle"))
        m_label = std::move(*label);
}

void Track::ReadSegmentXml(xmlNodePtr element)
{
    auto segment = std::make_unique<Segment>();
    segment->ReadXml(element);
    AppendSegment(std::move(segment));
}
