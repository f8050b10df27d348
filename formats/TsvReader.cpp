#include "TsvReader.h"

#include <charconv>
#include <limits>
#include <vector>

#include "SegmentTable.h"
#include "StoredTime.h"

namespace {

constexpr size_t kColumnCount = 9;
// Track numbers name positions: a row of a hostile table claiming track two
// billion must not make two billion empty tracks before it.
constexpr int64_t kMaxTrackNumber = 1 << 16;

// Splits delimited records as Python's csv module writes them: a field that
// begins with a quote runs to the next lone quote, "" inside standing for
// one; a record ends at a line break outside quotes ("\r\n" counts once).
class RecordReader {
public:
    explicit RecordReader(const std::string& bytes, size_t start) : m_bytes(bytes), m_at(start) {}

    bool Next(std::vector<std::string>& fields)
    {
        fields.clear();
        if (m_at >= m_bytes.size())
            return false;
        std::string field;
        while (true) {
            field.clear();
            const bool more = ReadField(field);
            fields.push_back(std::move(field));
            if (!more)
                return true;
        }
    }

private:
    // True when another field of the same record follows.
    bool ReadField(std::string& field)
    {
        if (m_at < m_bytes.size() && m_bytes[m_at] == '"') {
            ++m_at;
            while (m_at < m_bytes.size()) {
                const char c = m_bytes[m_at++];
                if (c != '"') {
                    field += c;
                } else if (m_at < m_bytes.size() && m_bytes[m_at] == '"') {
                    field += '"';
                    ++m_at;
                } else {
                    break;
                }
            }
        }
        // Unquoted text, or what follows a closing quote, up to the next tab
        // or line end, kept as it is.
        while (m_at < m_bytes.size()) {
            const char c = m_bytes[m_at++];
            if (c == '\t')
                return true;
            if (c == '\n')
                return false;
            if (c == '\r') {
                if (m_at < m_bytes.size() && m_bytes[m_at] == '\n')
                    ++m_at;
                return false;
            }
            field += c;
        }
        return false;
    }

    const std::string& m_bytes;
    size_t m_at;
};

// "-12.3400" (up to four decimals, "." or ",") as stored units.
std::optional<int64_t> ParseSeconds(const std::string& text)
{
    size_t at = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (negative)
        ++at;
    const size_t point = text.find_first_of(".,", at);
    const std::string whole = text.substr(at, point == std::string::npos ? std::string::npos : point - at);
    const std::string fraction = point == std::string::npos ? "" : text.substr(point + 1);
    if (whole.empty() || fraction.size() > 4 || whole.size() > 12)
        return std::nullopt;
    int64_t units = 0;
    for (const char c : whole + fraction + std::string(4 - fraction.size(), '0')) {
        if (c < '0' || c > '9')
            return std::nullopt;
        units = units * 10 + (c - '0');
    }
    return negative ? -units : units;
}

std::optional<int64_t> ParseInteger(const std::string& text)
{
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

size_t HeaderEnd(const std::string& bytes)
{
    const size_t start = bytes.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
    const std::string& header = SegmentTableHeader();
    if (bytes.compare(start, header.size(), header) != 0)
        return 0;
    const size_t after = start + header.size();
    if (bytes.compare(after, 1, "\n") == 0)
        return after + 1;
    if (bytes.compare(after, 2, "\r\n") == 0 || after == bytes.size())
        return std::min(after + 2, bytes.size());
    return 0;
}

} // namespace

bool StartsWithSegmentTableHeader(const std::string& bytes)
{
    return HeaderEnd(bytes) != 0;
}

std::optional<ImportedTracks> ReadSegmentTable(const std::string& bytes)
{
    const size_t start = HeaderEnd(bytes);
    if (start == 0)
        return std::nullopt;
    ImportedTracks imported;
    TrackList& tracks = *imported.tracks;
    RecordReader reader(bytes, start);
    std::vector<std::string> fields;
    long long unreadable = 0;
    while (reader.Next(fields)) {
        if (fields.size() == 1 && fields[0].empty())
            continue; // a blank line, as a spreadsheet may leave at the end
        const bool complete = fields.size() == kColumnCount;
        const auto trackNumber = complete ? ParseInteger(fields[1]) : std::nullopt;
        const auto begin = complete ? ParseSeconds(fields[3]) : std::nullopt;
        const auto end = complete ? ParseSeconds(fields[4]) : std::nullopt;
        const auto video = complete ? ParseInteger(fields[8]) : std::nullopt;
        if (!trackNumber || !begin || !end || !video || *trackNumber < 1 || *trackNumber > kMaxTrackNumber
            || *video < std::numeric_limits<int32_t>::min() || *video > std::numeric_limits<int32_t>::max()) {
            ++unreadable;
            continue;
        }
        // Tracks without segments have no rows; the positions of the others
        // are kept all the same. Rows may come in any order (a table sorted
        // in a spreadsheet): each track keeps its rows' order.
        while (tracks.GetCount() < *trackNumber)
            tracks.AppendTrack();
        Track* track = tracks.GetTrack(static_cast<int>(*trackNumber) - 1);
        if (track->GetSegments().empty())
            track->SetLabel(fields[0]); // the first row's
        auto segment = std::make_unique<Segment>();
        segment->m_start = TimeFromStored(*begin);
        segment->m_end = TimeFromStored(*end);
        segment->m_title = fields[6];
        segment->m_comment = fields[7];
        segment->m_videoNumber = static_cast<int32_t>(*video);
        track->AppendSegment(std::move(segment));
    }
    if (unreadable > 0)
        imported.notices.push_back(std::to_string(unreadable)
                                   + (unreadable == 1 ? " ligne illisible du tableau a été ignorée."
                                                      : " lignes illisibles du tableau ont été ignorées."));
    return imported;
}
