#pragma once

#include <cstdint>
#include <string>

#include <libxml/tree.h>

class XmlAttributes;
class XmlStreamWriter;

// One annotated interval of one track. Times are timeline times (player
// milliseconds / 10). The bounds are public because the file reader, the
// drawing and the lookups all read them directly; SetBounds keeps them
// ordered, a file may not.
class Segment {
public:
    Segment() = default;
    virtual ~Segment() = default;

    Segment(const Segment&) = delete;
    Segment& operator=(const Segment&) = delete;

    // Orders the bounds and widens an empty interval to one time unit.
    void SetBounds(double a, double b);
    void SetTitle(const std::string& title) { m_title = title; }
    void SetComment(const std::string& comment) { m_comment = comment; }

    // Writes a <segment> element with its <contenu> child.
    void WriteXml(XmlStreamWriter& out) const;
    // Reads a <segment> element; missing attributes keep their current value
    // (missing times read as 0).
    void ReadXml(xmlNodePtr element);
    // The parts of ReadXml, for a reader that meets the elements one by one:
    // the bounds from the <segment> element, the texts and video number
    // from one of its <contenu> children.
    void ReadBoundsXml(const XmlAttributes& segment);
    void ReadContentXml(const XmlAttributes& content);

    std::string m_title = " ";
    std::string m_comment = " ";
    int32_t m_videoNumber = 0;
    double m_start = 0.0;
    double m_end = 0.0;
};
