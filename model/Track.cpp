#include "Track.h"

#include <algorithm>

#include "XmlStreamWriter.h"
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

void Track::InsertSegment(std::size_t index, std::unique_ptr<Segment> segment)
{
    if (!segment)
        return;
    index = std::min(index, m_segments.size());
    m_segments.insert(m_segments.begin() + static_cast<std::ptrdiff_t>(index), std::move(segment));
}

std::unique_ptr<Segment> Track::TakeSegment(const Segment* segment, std::size_t* index)
{
    if (segment == nullptr)
        return nullptr;
    auto it = std::find_if(m_segments.begin(), m_segments.end(),
                           [segment](const auto& held) { return held.get() == segment; });
    if (it == m_segments.end())
        return nullptr;
    if (index != nullptr)
        *index = static_cast<std::size_t>(it - m_segments.begin());
    auto taken = std::move(*it);
    m_segments.erase(it);
    return taken;
}

const Segment* Track::FindSegmentAt(double t) const
{
    if (!(t > 0))
        return nullptr;
    for (const auto& segment : m_segments) {
        if (segment->m_start <= t && t <= segment->m_end)
            return segment.get();
    }
    return nullptr;
}

void Track::WriteXml(XmlStreamWriter& out) const
{
    out.StartElement("piste");
    out.Attribute("libelle", m_label);
    for (const auto& segment : m_segments)
        segment->WriteXml(out);
    out.EndElement();
}

void Track::ReadXml(xmlNodePtr element)
{
    ReadLabelXml(XmlNodeAttributes(element));
    for (xmlNodePtr child = element->children; child != nullptr; child = child->next) {
        if (!IsElementNamed(child, "segment"))
            continue;
        auto segment = std::make_unique<Segment>();
        segment->ReadXml(child);
        AppendSegment(std::move(segment));
    }
}

void Track::ReadLabelXml(const XmlAttributes& element)
{
    if (auto label = element.Get("libelle"))
        m_label = std::move(*label);
}
