#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include <libxml/tree.h>

#include "OwnedView.h"
#include "Segment.h"

class XmlAttributes;
class XmlStreamWriter;

// Segments in the order they were added; never sorted, searched front to back.
using SegmentList = std::vector<std::unique_ptr<Segment>>;
// The segments as a reader sees them: a const track's are const.
using ConstSegments = OwnedView<const Segment, Segment>;
using Segments = OwnedView<Segment, Segment>;

// One row of the timeline.
class Track {
public:
    Track() = default;
    virtual ~Track() = default;

    Track(const Track&) = delete;
    Track& operator=(const Track&) = delete;

    void SetLabel(const std::string& label) { m_label = label; }
    const std::string& GetLabel() const { return m_label; }

    // Takes ownership; a null segment is ignored.
    void AppendSegment(std::unique_ptr<Segment> segment);
    // Removes and destroys that very segment if this track holds it.
    void RemoveSegment(const Segment* segment);
    // Puts `segment` at `index` (clamped to the list); a null one is ignored.
    void InsertSegment(std::size_t index, std::unique_ptr<Segment> segment);
    // Takes that very segment out of the list without destroying it, telling
    // where it stood; null when this track does not hold it.
    std::unique_ptr<Segment> TakeSegment(const Segment* segment, std::size_t* index = nullptr);
    // First segment, in insertion order, whose inclusive bounds hold t; none
    // for t <= 0.
    const Segment* FindSegmentAt(double t) const;

    ConstSegments GetSegments() const { return ConstSegments(m_segments); }
    Segments GetSegments() { return Segments(m_segments); }

    // Writes the <piste> element with its segments.
    void WriteXml(XmlStreamWriter& out) const;
    // Reads a <piste> element: the label, then each <segment> child in turn.
    void ReadXml(xmlNodePtr element);
    // The label alone, for a reader that meets the elements one by one.
    void ReadLabelXml(const XmlAttributes& element);

private:
    std::string m_label = " ";
    SegmentList m_segments;
};
