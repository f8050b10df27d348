// Subtitles read back by real consumers: ffmpeg converts each export with
// the same cue times and texts, and mpv shows each cue over the video at a
// time inside its segment.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <sstream>
#include <string>
#include <vector>

#include <mpv/client.h>

#include "Export.h"
#include "FormatsTestSupport.h"
#include "TestVideo.h"

namespace {

struct Cue {
    long long start;
    long long end;
    std::vector<std::string> lines;

    bool operator==(const Cue&) const = default;
};

void PrintTo(const Cue& cue, std::ostream* out)
{
    *out << cue.start << " --> " << cue.end << " " << testing::PrintToString(cue.lines);
}

bool Blank(const std::string& text)
{
    return text.find_first_not_of(" \t\r\n\v\f") == std::string::npos;
}

std::string OneLine(std::string text)
{
    text.erase(0, text.find_first_not_of(" \t\r\n\v\f"));
    text.erase(text.find_last_not_of(" \t\r\n\v\f") + 1);
    std::replace(text.begin(), text.end(), '\n', ' ');
    std::replace(text.begin(), text.end(), '\r', ' ');
    return text;
}

// What each segment should show: "piste : titre" (either alone when the
// other is blank), then the comment's lines that are not blank; in start
// order, track order on ties.
std::vector<Cue> ExpectedCues(const std::vector<TrackData>& annotations)
{
    std::vector<Cue> cues;
    for (const TrackData& track : annotations) {
        for (const SegmentData& s : track.segments) {
            const Fixed bounds = Milliseconds(s);
            Cue cue{bounds.start, bounds.end, {}};
            if (!Blank(track.label) && !Blank(s.title))
                cue.lines.push_back(OneLine(track.label) + " : " + OneLine(s.title));
            else if (!Blank(track.label) || !Blank(s.title))
                cue.lines.push_back(OneLine(Blank(s.title) ? track.label : s.title));
            else
                cue.lines.push_back("(sans titre)");
            std::string comment = s.comment;
            std::replace(comment.begin(), comment.end(), '\r', '\n');
            std::istringstream lines(comment);
            for (std::string line; std::getline(lines, line);)
                if (!Blank(line))
                    cue.lines.push_back(line);
            cues.push_back(cue);
        }
    }
    std::stable_sort(cues.begin(), cues.end(), [](const Cue& a, const Cue& b) { return a.start < b.start; });
    return cues;
}

long long ParseTimestamp(const std::string& text)
{
    const long long h = std::stoll(text.substr(0, text.size() - 10));
    const std::string rest = text.substr(text.size() - 9);
    return ((h * 60 + std::stoll(rest.substr(0, 2))) * 60 + std::stoll(rest.substr(3, 2))) * 1000
        + std::stoll(rest.substr(6, 3));
}

// ffmpeg's SRT: a number, "start --> end", the text lines, a blank line.
std::vector<Cue> ParseSrt(std::string text)
{
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    std::vector<Cue> cues;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty())
            continue;
        std::string times;
        std::getline(lines, times);
        const size_t arrow = times.find(" --> ");
        if (arrow == std::string::npos)
            return {};
        Cue cue{ParseTimestamp(times.substr(0, arrow)), ParseTimestamp(times.substr(arrow + 5)), {}};
        while (std::getline(lines, line) && !line.empty())
            cue.lines.push_back(line);
        cues.push_back(cue);
    }
    return cues;
}

// SRT has no escaping: texts with markup would be read as markup.
std::vector<TrackData> WithoutMarkup(std::vector<TrackData> annotations)
{
    auto clean = [](std::string& text) {
        std::replace(text.begin(), text.end(), '<', '(');
        std::replace(text.begin(), text.end(), '{', '[');
    };
    for (TrackData& track : annotations) {
        clean(track.label);
        for (SegmentData& s : track.segments) {
            clean(s.title);
            clean(s.comment);
        }
    }
    return annotations;
}

// ffmpeg's SRT reader drops the white space around a line.
void TrimLines(std::vector<Cue>& cues)
{
    for (Cue& cue : cues)
        for (std::string& line : cue.lines) {
            line.erase(0, line.find_first_not_of(" \t"));
            line.erase(line.find_last_not_of(" \t") + 1);
        }
}

// ffmpeg's SRT writer escapes the braces that its subtitle renderer would
// read as style overrides.
void UnescapeBraces(std::vector<Cue>& cues)
{
    for (Cue& cue : cues)
        for (std::string& line : cue.lines)
            for (size_t at = line.find("\\{"); at != std::string::npos; at = line.find("\\{", at + 1))
                line.erase(at, 1);
}

} // namespace

TEST(Subtitles, FfmpegReadsTheSameCues)
{
    const std::string folder = FreshFolder("subtitles-ffmpeg");
    for (const char* name : {"srt", "vtt"}) {
        const bool srt = std::string(name) == "srt";
        const std::vector<std::vector<TrackData>> sets = {HardTexts(), RandomTracks(3, 3, 50), RandomTracks(4, 1, 20)};
        for (size_t set = 0; set < sets.size(); ++set) {
            SCOPED_TRACE(std::string(name) + " set " + std::to_string(set));
            const auto annotations = srt ? WithoutMarkup(sets[set]) : sets[set];
            const auto tracks = BuildTracks(annotations);
            const std::string path = folder + "/out." + name;
            WriteFileBytes(path, Export(*FindExportFormat(name), *tracks, {}).bytes);
            const ProcessRun run = RunProcess({"ffmpeg", "-v", "error", "-i", path, "-f", "srt", "-"});
            ASSERT_EQ(run.status, 0) << run.err;
            EXPECT_EQ(run.err, "");
            std::vector<Cue> read = ParseSrt(run.out);
            std::vector<Cue> expected = ExpectedCues(annotations);
            if (srt) {
                TrimLines(read);
                TrimLines(expected);
            } else {
                UnescapeBraces(read);
            }
            EXPECT_EQ(read, expected);
        }
    }
}

namespace {

// libmpv with no picture or sound output, the subtitle file added to the
// video, as a viewer opening both would see them.
class SubtitlePlayer {
public:
    SubtitlePlayer(const std::string& video, const std::string& subtitles) : m_mpv(mpv_create())
    {
        for (const auto& [name, value] : {std::pair{"vo", "null"}, {"ao", "null"}, {"pause", "yes"},
                                          {"config", "no"}, {"terminal", "no"}, {"sub-auto", "no"},
                                          {"hr-seek", "yes"}, {"keep-open", "yes"}})
            mpv_set_option_string(m_mpv, name, value);
        m_ready = mpv_initialize(m_mpv) >= 0;
        const char* load[] = {"loadfile", video.c_str(), nullptr};
        m_ready = m_ready && mpv_command(m_mpv, load) >= 0 && WaitFor(MPV_EVENT_FILE_LOADED);
        const char* add[] = {"sub-add", subtitles.c_str(), "select", nullptr};
        m_ready = m_ready && mpv_command(m_mpv, add) >= 0;
    }
    ~SubtitlePlayer() { mpv_terminate_destroy(m_mpv); }
    SubtitlePlayer(const SubtitlePlayer&) = delete;
    SubtitlePlayer& operator=(const SubtitlePlayer&) = delete;

    bool Ready() const { return m_ready; }

    // The text shown at `ms` once it holds every line wanted, or what it
    // held when the wait ran out.
    std::string TextAt(long long ms, const std::vector<std::string>& wanted)
    {
        const std::string target = std::to_string(ms / 1000.0);
        const char* seek[] = {"seek", target.c_str(), "absolute+exact", nullptr};
        if (mpv_command(m_mpv, seek) < 0)
            return "(seek refused)";
        std::string text;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < deadline) {
            text = SubText();
            if (std::all_of(wanted.begin(), wanted.end(),
                            [&](const std::string& line) { return text.find(line) != std::string::npos; }))
                return text;
            mpv_wait_event(m_mpv, 0.1);
        }
        return text;
    }

private:
    std::string SubText()
    {
        char* text = mpv_get_property_string(m_mpv, "sub-text");
        std::string copy = text != nullptr ? text : "";
        mpv_free(text);
        return copy;
    }

    bool WaitFor(mpv_event_id id)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (std::chrono::steady_clock::now() < deadline) {
            const mpv_event* event = mpv_wait_event(m_mpv, 1.0);
            if (event->event_id == id)
                return true;
            if (event->event_id == MPV_EVENT_END_FILE)
                return false;
        }
        return false;
    }

    mpv_handle* m_mpv;
    bool m_ready = false;
};

} // namespace

TEST(Subtitles, PlayerShowsEachCueOverTheVideo)
{
    const std::string folder = FreshFolder("subtitles-player");
    const std::string video = MakeTestVideo(QUILL_TEST_DATA_DIR, "subtitles-clip.mp4", 6.0, 160, 120);
    // Hundredths of a second; two cues overlap, one segment is reversed.
    const std::vector<TrackData> annotations = {
        {"Jeu", {{50, 150, "passe décisive", "côté gauche\r\nsur deux lignes", 0}, {200, 300, "tir & but", "", 0},
                 {330, 320, "", "court \"très\"", 0}}},
        {"Arbitre", {{100, 140, "faute", " ", 0}, {400, 520, "carton > jaune", "2e ; 😀", 0}}},
        {" ", {{450, 460, "sans piste", "", 0}}},
    };
    const auto tracks = BuildTracks(annotations);
    for (const char* name : {"srt", "vtt"}) {
        SCOPED_TRACE(name);
        const std::string path = folder + "/cues." + name;
        WriteFileBytes(path, Export(*FindExportFormat(name), *tracks, {}).bytes);
        SubtitlePlayer player(video, path);
        ASSERT_TRUE(player.Ready());
        for (const Cue& cue : ExpectedCues(annotations)) {
            const long long middle = (cue.start + cue.end) / 2;
            const std::string shown = player.TextAt(middle, cue.lines);
            for (const std::string& line : cue.lines)
                EXPECT_NE(shown.find(line), std::string::npos) << "at " << middle << " ms: " << shown;
        }
    }
}
