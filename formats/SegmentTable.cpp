#include "SegmentTable.h"

#include "StoredTime.h"
#include "TrackList.h"

namespace {

const char* const kColumns[] = {"piste", "piste_n", "segment_n", "debut_s", "fin_s", "duree_s",
                                "titre", "commentaires", "video"};

} // namespace

const std::string& SegmentTableHeader()
{
    static const std::string header = [] {
        std::string line;
        for (const char* column : kColumns)
            line += (line.empty() ? "" : "\t") + std::string(column);
        return line;
    }();
    return header;
}

std::string WriteSegmentTable(const TrackList& tracks, const TableDialect& dialect)
{
    std::string out;
    TableText table(dialect, out);
    for (const char* column : kColumns)
        table.Text(column);
    table.EndRow();
    size_t size = 0;
    for (const auto& track : tracks)
        for (const auto& segment : track->GetSegments())
            size += track->GetLabel().size() + segment->m_title.size() + segment->m_comment.size() + 64;
    table.Reserve(size);
    long long trackNumber = 0;
    for (const auto& track : tracks) {
        ++trackNumber;
        long long segmentNumber = 0;
        for (const auto& segment : track->GetSegments()) {
            const int64_t start = StoredTime(segment->m_start);
            const int64_t end = StoredTime(segment->m_end);
            table.Text(track->GetLabel());
            table.Integer(trackNumber);
            table.Integer(++segmentNumber);
            table.Seconds(start);
            table.Seconds(end);
            table.Seconds(end - start);
            table.Text(segment->m_title);
            table.Text(segment->m_comment);
            table.Integer(segment->m_videoNumber);
            table.EndRow();
        }
    }
    return out;
}
