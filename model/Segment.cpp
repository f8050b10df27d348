#include "Segment.h"

#include "TimeValue.h"
#include "XmlText.h"

void Segment::SetBounds(double a, double b)
{
    if (a == b)
        b = b + 1.0;
    if (a < b) {
        m_start = a;
        m_end = b;
    } else {
        m_start = b;
        m_end = a;
    }
}

xmlNodePtr Segment::WriteXml() const
{
    xmlNodePtr segment = xmlNewNode(nullptr, BAD_CAST "segment");
    SetXmlProp(segment, "debut", FormatTimeValue(m_start));
    SetXmlProp(segment, "fin", FormatTimeValue(m_end));
    xmlNodePtr content = xmlNewChild(segment, nullptr, BAD_CAST "contenu", nullptr);
    SetXmlProp(content, "titre", m_title);
    SetXmlProp(content, "commentaire", m_comment);
    SetXmlProp(content, "video", std::to_string(m_videoNumber));
    return segment;
}

void Segment::ReadXml(xmlNodePtr element)
{
    m_start = ParseTimeValue(XmlProp(element, "debut").value_or("").c_str());
    m_end = ParseTimeValue(XmlProp(element, "fin").value_or("").c_str());
    for (xmlNodePtr child = element->children; child != nullptr; child = child->next) {
        if (!IsElementNamed(child, "contenu"))
            continue;
        if (auto title = XmlProp(child, "titre"))
            m_title = std::move(*title);
        if (auto comment = XmlProp(child, "commentaire"))
            m_comment = std::move(*comment);
        if (auto video = XmlProp(child, "video"))
            m_videoNumber = ParseIntValue(video->c_str());
    }
}
