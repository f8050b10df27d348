#include "Segment.h"

#include "TimeValue.h"
#include "XmlStreamWriter.h"
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

void Segment::WriteXml(XmlStreamWriter& out) const
{
    out.StartElement("segment");
    out.Attribute("debut", FormatTimeValue(m_start));
    out.Attribute("fin", FormatTimeValue(m_end));
    out.StartElement("contenu");
    out.Attribute("titre", m_title);
    out.Attribute("commentaire", m_comment);
    out.Attribute("video", std::to_string(m_videoNumber));
    out.EndElement();
    out.EndElement();
}

void Segment::ReadXml(xmlNodePtr element)
{
    ReadBoundsXml(XmlNodeAttributes(element));
    for (xmlNodePtr child = element->children; child != nullptr; child = child->next) {
        if (IsElementNamed(child, "contenu"))
            ReadContentXml(XmlNodeAttributes(child));
    }
}

void Segment::ReadBoundsXml(const XmlAttributes& segment)
{
    m_start = ParseTimeValue(segment.Get("debut").value_or("").c_str());
    m_end = ParseTimeValue(segment.Get("fin").value_or("").c_str());
}

void Segment::ReadContentXml(const XmlAttributes& content)
{
    if (auto title = content.Get("titre"))
        m_title = std::move(*title);
    if (auto comment = content.Get("commentaire"))
        m_comment = std::move(*comment);
    if (auto video = content.Get("video"))
        m_videoNumber = ParseIntValue(video->c_str());
}
