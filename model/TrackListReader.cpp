#include "TrackListReader.h"

#include "TrackList.h"
#include "XmlText.h"

namespace {

bool IsRootCorps(xmlNodePtr node)
{
    return node != nullptr && IsElementNamed(node, "corps") && node->parent != nullptr
        && node->parent->type == XML_DOCUMENT_NODE;
}

bool IsTrackElement(xmlNodePtr node)
{
    return node != nullptr && IsElementNamed(node, "piste") && IsRootCorps(node->parent);
}

} // namespace

void TrackListReader::ElementClosed(xmlNodePtr element)
{
    if (IsTrackElement(element->parent)) {
        if (IsElementNamed(element, "segment"))
            TrackFor(element->parent)->ReadSegmentXml(element);
        ReleaseXmlNode(element);
        return;
    }
    if (IsTrackElement(element)) {
        TrackFor(element);
        m_piste = nullptr;
        m_track = nullptr;
        ReleaseXmlNode(element);
        return;
    }
    // Skipped by the reading anyway.
    if (IsRootCorps(element->parent))
        ReleaseXmlNode(element);
}

void TrackListReader::Finish(xmlNodePtr root)
{
    for (xmlNodePtr node = root->children; node != nullptr; node = node->next) {
        if (!IsElementNamed(node, "piste"))
            continue;
        if (node != m_piste) {
            m_tracks.AppendTrack()->ReadXml(node);
            continue;
        }
        for (xmlNodePtr child = node->children; child != nullptr; child = child->next) {
            if (IsElementNamed(child, "segment"))
                m_track->ReadSegmentXml(child);
        }
    }
}

Track* TrackListReader::TrackFor(xmlNodePtr piste)
{
    if (piste == m_piste)
        return m_track;
    m_piste = piste;
    m_track = m_tracks.AppendTrack();
    m_track->ReadLabelXml(piste);
    return m_track;
}
