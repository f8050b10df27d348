#include "RecoveryCopy.h"

#include <charconv>
#include <vector>

#include "AtomicFile.h"
#include "TimeValue.h"
#include "TrackListReader.h"
#include "XmlFileReader.h"
#include "XmlStreamWriter.h"

namespace {

constexpr const char* kElement = "secours";
constexpr const char* kExactTimes = "temps";

template <class Number>
std::optional<Number> Parse(const std::optional<std::string>& text, std::chars_format format = {})
{
    if (!text)
        return std::nullopt;
    Number value{};
    const char* end = text->data() + text->size();
    std::from_chars_result read;
    if constexpr (std::is_floating_point_v<Number>)
        read = std::from_chars(text->data(), end, value, format);
    else
        read = std::from_chars(text->data(), end, value);
    if (read.ec != std::errc() || read.ptr != end)
        return std::nullopt;
    return value;
}

std::string Hexadecimal(double value)
{
    char text[64];
    const auto written = std::to_chars(text, text + sizeof text, value, std::chars_format::hex);
    return std::string(text, written.ptr);
}

// A time the file's hundredths give back as it was.
bool KeptByTheFile(double time)
{
    return ParseTimeValue(FormatTimeValue(time).c_str()) == time;
}

// The file keeps times to the hundredth, truncated, and a time read back
// from it is not always saved again as the same hundredth. The copy must
// save as the window would have: the segments whose times the file alone
// does not give back have them exactly here.
void WriteExactTimes(XmlStreamWriter& out, const TrackList& tracks)
{
    int trackIndex = 0;
    for (const Track* track : tracks) {
        int segmentIndex = 0;
        for (const Segment* segment : track->GetSegments()) {
            if (!KeptByTheFile(segment->m_start) || !KeptByTheFile(segment->m_end)) {
                out.StartElement(kExactTimes);
                out.Attribute("piste", std::to_string(trackIndex));
                out.Attribute("segment", std::to_string(segmentIndex));
                out.Attribute("debut", Hexadecimal(segment->m_start));
                out.Attribute("fin", Hexadecimal(segment->m_end));
                out.EndElement();
            }
            ++segmentIndex;
        }
        ++trackIndex;
    }
}

struct ExactTimes {
    int track;
    int segment;
    double start;
    double end;
};

// Reads the tracks as the program's own reader does, and the <secours>
// element that is the first child of the root <corps>, with its children.
class CopyReader final : public XmlElementHandler {
public:
    explicit CopyReader(RecoveryCopyRead& read) : m_read(read), m_tracks(read.tracks) {}

    void ElementStarted(const XmlStartTag& tag) override
    {
        if (m_depth == 1 && !m_childSeen && m_tracks.FoundCorps() && tag.IsNamed(kElement))
            m_inResume = ReadResume(tag);
        else if (m_depth == 2 && m_inResume && tag.IsNamed(kExactTimes))
            ReadExactTimes(tag);
        m_childSeen = m_childSeen || m_depth == 1;
        m_tracks.ElementStarted(tag);
        ++m_depth;
    }

    void ElementEnded() override
    {
        m_tracks.ElementEnded();
        if (--m_depth == 1)
            m_inResume = false;
    }

    // Whether the copy was whole: its <secours> element, and exact times
    // for segments that are there.
    bool Finish()
    {
        if (!m_foundResume || m_faulty)
            return false;
        for (const ExactTimes& exact : m_exact) {
            Track* track = m_read.tracks.GetTrack(exact.track);
            if (track == nullptr || exact.segment < 0
                || static_cast<size_t>(exact.segment) >= track->GetSegments().size())
                return false;
            Segment* segment = track->GetSegments()[static_cast<size_t>(exact.segment)];
            segment->m_start = exact.start;
            segment->m_end = exact.end;
        }
        return true;
    }

private:
    bool ReadResume(const XmlAttributes& tag)
    {
        const auto format = Parse<int64_t>(tag.Get("format"));
        const auto written = Parse<int64_t>(tag.Get("date"));
        const auto time = Parse<int64_t>(tag.Get("temps"));
        if (!format || *format < 1 || *format > kRecoveryFormat || !written || !time)
            return false;
        ResumePoint& resume = m_read.resume;
        resume.annotationFile = tag.Get("fichier").value_or("");
        resume.video = tag.Get("video").value_or("");
        resume.folder = tag.Get("dossier").value_or("");
        resume.timeMs = *time;
        const auto size = Parse<int64_t>(tag.Get("taille"));
        const auto modified = Parse<int64_t>(tag.Get("modifie"));
        const auto hash = tag.Get("empreinte");
        if (size && modified && hash)
            resume.known = KnownFile{*size, *modified, *hash};
        m_read.writtenMs = *written;
        m_foundResume = true;
        return true;
    }

    void ReadExactTimes(const XmlAttributes& tag)
    {
        const auto track = Parse<int>(tag.Get("piste"));
        const auto segment = Parse<int>(tag.Get("segment"));
        const auto start = Parse<double>(tag.Get("debut"), std::chars_format::hex);
        const auto end = Parse<double>(tag.Get("fin"), std::chars_format::hex);
        if (!track || !segment || !start || !end)
            m_faulty = true;
        else
            m_exact.push_back({*track, *segment, *start, *end});
    }

    RecoveryCopyRead& m_read;
    TrackListReader m_tracks;
    std::vector<ExactTimes> m_exact;
    int m_depth = 0;
    bool m_childSeen = false;
    bool m_inResume = false;
    bool m_foundResume = false;
    bool m_faulty = false;
};

} // namespace

bool WriteRecoveryCopy(const std::string& path, const TrackList& tracks, const ResumePoint& resume,
                       int64_t writtenMs, const std::function<void()>& written)
{
    return WriteFileAtomically(path, [&](int fd) {
        XmlStreamWriter out(fd);
        out.StartElement("corps");
        out.StartElement(kElement);
        out.Attribute("format", std::to_string(kRecoveryFormat));
        out.Attribute("date", std::to_string(writtenMs));
        out.Attribute("fichier", resume.annotationFile);
        out.Attribute("video", resume.video);
        out.Attribute("dossier", resume.folder);
        out.Attribute("temps", std::to_string(resume.timeMs));
        if (resume.known) {
            out.Attribute("taille", std::to_string(resume.known->size));
            out.Attribute("modifie", std::to_string(resume.known->modifiedNs));
            out.Attribute("empreinte", resume.known->hash);
        }
        WriteExactTimes(out, tracks);
        out.EndElement();
        for (const Track* track : tracks)
            track->WriteXml(out);
        out.EndElement();
        if (!out.Finish())
            return false;
        if (written)
            written();
        return true;
    });
}

RecoveryCopyRead ReadRecoveryCopy(const std::string& path)
{
    RecoveryCopyRead read;
    CopyReader reader(read);
    const XmlFileRead parsed = ReadXmlFile(path, reader);
    read.readable = parsed.read && !parsed.damaged && reader.Finish();
    if (!read.readable) {
        read.tracks.RemoveAll();
        read.resume = {};
    }
    return read;
}

int CountSegments(const TrackList& tracks)
{
    int count = 0;
    for (const Track* track : tracks)
        count += static_cast<int>(track->GetSegments().size());
    return count;
}

AnnotationValues ValuesOf(const TrackList& tracks)
{
    AnnotationValues values;
    values.reserve(static_cast<size_t>(tracks.GetCount()));
    for (const Track* track : tracks) {
        TrackValues& into = values.emplace_back();
        into.label = track->GetLabel();
        into.segments.reserve(track->GetSegments().size());
        for (const Segment* segment : track->GetSegments())
            into.segments.push_back({segment->m_title, segment->m_comment, segment->m_videoNumber, segment->m_start,
                                     segment->m_end});
    }
    return values;
}

TrackList TracksOf(AnnotationValues values)
{
    TrackList tracks;
    for (TrackValues& track : values) {
        Track* into = tracks.AppendTrack();
        into->SetLabel(track.label);
        for (SegmentValues& fields : track.segments) {
            auto segment = std::make_unique<Segment>();
            segment->m_title = std::move(fields.title);
            segment->m_comment = std::move(fields.comment);
            segment->m_videoNumber = fields.videoNumber;
            segment->m_start = fields.start;
            segment->m_end = fields.end;
            into->AppendSegment(std::move(segment));
        }
    }
    return tracks;
}
