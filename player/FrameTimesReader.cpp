#include "FrameTimesReader.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/mathematics.h>
}

namespace {

struct InputCloser {
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};

struct PacketFreer {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};

int Interrupt(void* stop)
{
    return static_cast<const std::atomic<bool>*>(stop)->load() ? 1 : 0;
}

} // namespace

std::optional<FrameTimes> ReadFrameTimes(const std::string& path, const std::atomic<bool>& stop)
{
    // Named as a file, so that a name like "http:x.mp4" is never taken for a protocol.
    std::error_code error;
    const std::string url = "file:" + std::filesystem::absolute(path, error).string();
    if (error)
        return std::nullopt;
    AVFormatContext* raw = avformat_alloc_context();
    if (raw == nullptr)
        return std::nullopt;
    // Lets a file change or shutdown cut a long read short.
    raw->interrupt_callback.callback = &Interrupt;
    raw->interrupt_callback.opaque = const_cast<std::atomic<bool>*>(&stop);
    if (avformat_open_input(&raw, url.c_str(), nullptr, nullptr) < 0)
        return std::nullopt; // the context is freed on failure
    const std::unique_ptr<AVFormatContext, InputCloser> input(raw);
    if (avformat_find_stream_info(input.get(), nullptr) < 0)
        return std::nullopt;
    const int video = av_find_best_stream(input.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (video < 0 || (input->streams[video]->disposition & AV_DISPOSITION_ATTACHED_PIC) != 0)
        return std::nullopt;
    for (unsigned i = 0; i < input->nb_streams; ++i)
        if (static_cast<int>(i) != video)
            input->streams[i]->discard = AVDISCARD_ALL;

    const AVRational timeBase = input->streams[video]->time_base;
    const AVRational nanoseconds{1, 1'000'000'000};
    std::vector<int64_t> starts;
    const std::unique_ptr<AVPacket, PacketFreer> packet(av_packet_alloc());
    if (!packet)
        return std::nullopt;
    while (av_read_frame(input.get(), packet.get()) >= 0) {
        const bool ours = packet->stream_index == video;
        const bool discarded = (packet->flags & AV_PKT_FLAG_DISCARD) != 0;
        const int64_t pts = packet->pts;
        av_packet_unref(packet.get());
        if (stop)
            return std::nullopt;
        if (!ours || discarded)
            continue;
        // Without a timestamp per frame the times would be guesses again.
        if (pts == AV_NOPTS_VALUE)
            return std::nullopt;
        starts.push_back(av_rescale_q(pts, timeBase, nanoseconds));
    }
    if (stop || starts.empty())
        return std::nullopt;
    return FrameTimes(std::move(starts));
}
