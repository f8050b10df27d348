#include "FileFacts.h"

#include <mpv/client.h>

namespace {

// In request order; the reply tag is the base plus the index.
struct Request {
    const char* name;
    mpv_format format;
};
constexpr Request kRequests[] = {
    {"duration", MPV_FORMAT_DOUBLE},
    {"current-tracks/video/image", MPV_FORMAT_FLAG},
    {"vid", MPV_FORMAT_INT64},
    {"container-fps", MPV_FORMAT_DOUBLE},
};
constexpr int kRequestCount = sizeof kRequests / sizeof kRequests[0];

void* Field(FileFacts& facts, int index)
{
    switch (index) {
    case 0:
        return &facts.duration;
    case 1:
        return &facts.image;
    case 2:
        return &facts.videoTrack;
    default:
        return &facts.fps;
    }
}

} // namespace

void FileFactsRequest::Send(const AskProperty& ask, uint64_t replyBase)
{
    // A property the file lacks leaves its field at 0.
    m_facts = FileFacts();
    m_replyBase = replyBase;
    m_pending = 0;
    for (int i = 0; i < kRequestCount; ++i)
        if (ask(replyBase + i, kRequests[i].name, kRequests[i].format))
            ++m_pending;
}

bool FileFactsRequest::Take(const mpv_event& event)
{
    if (event.event_id != MPV_EVENT_GET_PROPERTY_REPLY || event.reply_userdata < m_replyBase
        || event.reply_userdata >= m_replyBase + kRequestCount || m_pending == 0)
        return false;
    const int index = static_cast<int>(event.reply_userdata - m_replyBase);
    const auto* property = static_cast<const mpv_event_property*>(event.data);
    if (event.error >= 0 && property != nullptr && property->format == kRequests[index].format) {
        switch (kRequests[index].format) {
        case MPV_FORMAT_DOUBLE:
            *static_cast<double*>(Field(m_facts, index)) = *static_cast<const double*>(property->data);
            break;
        case MPV_FORMAT_FLAG:
            *static_cast<int*>(Field(m_facts, index)) = *static_cast<const int*>(property->data);
            break;
        default:
            *static_cast<int64_t*>(Field(m_facts, index)) = *static_cast<const int64_t*>(property->data);
            break;
        }
    }
    --m_pending;
    return true;
}
