#include "Subtitles.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "TimedSegments.h"
#include "TrackList.h"

namespace {

struct Cue {
    int64_t startMs;
    int64_t endMs;
    std::string text; // lines joined by "\n", never a blank one
};

// A label or title on the cue's first line: its own line breaks would start
// lines of their own, and a blank one would end the cue. The white space
// around it is dropped, as the readers drop it at the start of a cue.
std::string OneLine(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t\r\n\v\f");
    if (first == std::string::npos)
        return {};
    std::string line = text.substr(first, text.find_last_not_of(" \t\r\n\v\f") + 1 - first);
    std::replace_if(line.begin(), line.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    return line;
}

std::string CueText(const std::string& label, const Segment& segment)
{
    std::string text;
    if (!IsBlank(label) && !IsBlank(segment.m_title))
        text = OneLine(label) + " : " + OneLine(segment.m_title);
    else if (!IsBlank(segment.m_title))
        text = OneLine(segment.m_title);
    else if (!IsBlank(label))
        text = OneLine(label);
    else
        text = "(sans titre)";
    const std::string& comment = segment.m_comment;
    size_t begin = 0;
    while (begin <= comment.size()) {
        size_t end = comment.find_first_of("\r\n", begin);
        if (end == std::string::npos)
            end = comment.size();
        const std::string line = comment.substr(begin, end - begin);
        if (!IsBlank(line))
            text += "\n" + line;
        begin = end + 1;
    }
    return text;
}

std::vector<Cue> Cues(const TrackList& tracks, std::vector<std::string>& warnings)
{
    std::vector<Cue> cues;
    int trackIndex = 0;
    for (const auto& track : tracks) {
        for (const TimedSegment& timed : TimeTrack(*track, trackIndex, warnings))
            cues.push_back({timed.startMs, timed.endMs, CueText(track->GetLabel(), *timed.segment)});
        ++trackIndex;
    }
    // Stable: ties keep track order and then each track's own order.
    std::stable_sort(cues.begin(), cues.end(), [](const Cue& a, const Cue& b) { return a.startMs < b.startMs; });
    return cues;
}

// HH:MM:SS followed by `separator` and the milliseconds; hours go past 99
// rather than wrap.
std::string Timestamp(int64_t ms, char separator)
{
    char text[48];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld%c%03lld", static_cast<long long>(ms / 3600000),
                  static_cast<long long>(ms / 60000 % 60), static_cast<long long>(ms / 1000 % 60), separator,
                  static_cast<long long>(ms % 1000));
    return text;
}

std::string VttEscaped(const std::string& text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        if (c == '&')
            escaped += "&amp;";
        else if (c == '<')
            escaped += "&lt;";
        else if (c == '>')
            escaped += "&gt;";
        else
            escaped += c;
    }
    return escaped;
}

} // namespace

std::string WriteSrt(const TrackList& tracks, std::vector<std::string>& warnings)
{
    std::string out;
    long long number = 0;
    for (const Cue& cue : Cues(tracks, warnings)) {
        out += std::to_string(++number) + "\n";
        out += Timestamp(cue.startMs, ',') + " --> " + Timestamp(cue.endMs, ',') + "\n";
        out += cue.text + "\n\n";
    }
    return out;
}

std::string WriteVtt(const TrackList& tracks, std::vector<std::string>& warnings)
{
    std::string out = "WEBVTT\n\n";
    for (const Cue& cue : Cues(tracks, warnings)) {
        out += Timestamp(cue.startMs, '.') + " --> " + Timestamp(cue.endMs, '.') + "\n";
        out += VttEscaped(cue.text) + "\n\n";
    }
    return out;
}
