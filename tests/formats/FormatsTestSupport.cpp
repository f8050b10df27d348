#include "FormatsTestSupport.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <stdexcept>

#include "TimeValue.h"

extern char** environ;

namespace fs = std::filesystem;

long long Stored(double t)
{
    return std::stoll(FormatTimeValue(t));
}

Fixed Milliseconds(const SegmentData& s)
{
    long long a = Stored(s.start);
    long long b = Stored(s.end);
    Fixed fixed;
    fixed.reversed = b < a;
    if (fixed.reversed)
        std::swap(a, b);
    fixed.negative = a < 0;
    auto ms = [](long long n) { return std::max(0LL, std::llround(static_cast<double>(n) / 10.0)); };
    fixed.start = ms(a);
    fixed.end = ms(b);
    fixed.empty = fixed.start == fixed.end;
    if (fixed.empty)
        ++fixed.end;
    return fixed;
}

std::unique_ptr<TrackList> BuildTracks(const std::vector<TrackData>& annotations)
{
    auto tracks = std::make_unique<TrackList>();
    for (const TrackData& entry : annotations) {
        Track* track = tracks->AppendTrack();
        track->SetLabel(entry.label);
        for (const SegmentData& s : entry.segments) {
            auto segment = std::make_unique<Segment>();
            segment->m_start = s.start;
            segment->m_end = s.end;
            segment->m_title = s.title;
            segment->m_comment = s.comment;
            segment->m_videoNumber = s.video;
            track->AppendSegment(std::move(segment));
        }
    }
    return tracks;
}

std::vector<TrackData> DescribeTracks(const TrackList& tracks)
{
    std::vector<TrackData> annotations;
    for (const auto& track : tracks) {
        TrackData entry{track->GetLabel(), {}};
        for (const auto& s : track->GetSegments())
            entry.segments.push_back({s->m_start, s->m_end, s->m_title, s->m_comment, s->m_videoNumber});
        annotations.push_back(entry);
    }
    return annotations;
}

std::vector<TrackData> HardTexts()
{
    return {
        {"Gestes\tmains", {
            {100.0, 250.0, "tab\there", "line\nbreak", 3},
            {260.0, 300.0, "say \"hi\"", "cr\ronly\r\nand crlf", 0},
            {310.0, 320.5, "a, b; c", "", 0},
        }},
        {"", {
            {0.0, 5.0, "", " ", 0},
            {12.34, 56.78, "=SUM(A1:A3)", "+1", 7},
            {20.0, 21.0, "-moins", "@arobase", -2},
        }},
        {"Élève « ça va » 🎬", {
            {1000.0, 1001.0, "café crème 😀", "ligne 1\n\nligne 3", 0},
            {1e6, 1e6 + 0.01, "\"", "\"\"", 1},
            {0.29, 0.57, " ", "  espaces  ", 0},
        }},
        {" ", {}},
        {"<x & y>", {{-0.5, 0.25, "<b>gras</b> & {\\an8}", "a > b", 0}}},
    };
}

std::vector<TrackData> RandomTracks(unsigned seed, int tracks, int count)
{
    static const char* const kPieces[] = {
        "a", "Z", "0", " ", "\t", "\n", "\r", "\r\n", "\"", "'", ",", ";", "é", "Ç", "ü", "€", "🎬", "😀",
        "=", "+", "-", "@", "<", ">", "&", "NA", "007", "  ", "\\", "|",
    };
    std::mt19937 random(seed);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    auto text = [&] {
        std::string s;
        for (int i = pick(7); i > 0; --i)
            s += kPieces[pick(static_cast<int>(std::size(kPieces)))];
        return s;
    };
    std::vector<TrackData> annotations(static_cast<size_t>(tracks));
    for (auto& entry : annotations)
        entry.label = text();
    for (int i = 0; i < count; ++i) {
        double start = pick(100000) / 100.0 * (pick(2) == 0 ? 1 : 37.3);
        double end = start + pick(5000) / 7.0;
        switch (pick(10)) {
        case 0: std::swap(start, end); break;
        case 1: start = -start; break;
        case 2: end = start; break;
        default: break;
        }
        annotations[static_cast<size_t>(pick(tracks))].segments.push_back(
            {start, end, text(), text(), pick(4) == 0 ? pick(20) - 5 : 0});
    }
    return annotations;
}

namespace {

void Append(int fd, std::string& to, bool& open)
{
    char buffer[65536];
    const ssize_t count = ::read(fd, buffer, sizeof buffer);
    if (count > 0)
        to.append(buffer, static_cast<size_t>(count));
    else if (count == 0 || errno != EINTR)
        open = false;
}

} // namespace

ProcessRun RunProcess(const std::vector<std::string>& argv, const std::vector<std::string>& unset,
                      const std::vector<std::string>& set)
{
    ProcessRun run;
    int out[2];
    int err[2];
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0)
        return run;
    std::vector<std::string> environment;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry(*e);
        bool keep = true;
        for (const std::string& name : unset)
            keep = keep && entry.rfind(name + "=", 0) != 0;
        for (const std::string& added : set)
            keep = keep && entry.rfind(added.substr(0, added.find('=') + 1), 0) != 0;
        if (keep)
            environment.push_back(entry);
    }
    environment.insert(environment.end(), set.begin(), set.end());
    std::vector<char*> envp;
    for (auto& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::vector<std::string> args = argv;
    std::vector<char*> argp;
    for (auto& arg : args)
        argp.push_back(arg.data());
    argp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    pid_t pid = 0;
    const int spawned = ::posix_spawnp(&pid, argp[0], &actions, nullptr, argp.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    if (spawned != 0) {
        ::close(out[0]);
        ::close(err[0]);
        return run;
    }
    bool outOpen = true;
    bool errOpen = true;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while ((outOpen || errOpen) && std::chrono::steady_clock::now() < deadline) {
        pollfd fds[2] = {{outOpen ? out[0] : -1, POLLIN, 0}, {errOpen ? err[0] : -1, POLLIN, 0}};
        if (::poll(fds, 2, 1000) <= 0)
            continue;
        if (fds[0].revents != 0)
            Append(out[0], run.out, outOpen);
        if (fds[1].revents != 0)
            Append(err[0], run.err, errOpen);
    }
    if (outOpen || errOpen)
        ::kill(pid, SIGKILL);
    ::close(out[0]);
    ::close(err[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string DecodeHex(const std::string& token)
{
    std::string bytes;
    for (size_t i = 1; i + 1 < token.size(); i += 2)
        bytes += static_cast<char>(std::stoi(token.substr(i, 2), nullptr, 16));
    return bytes;
}

std::vector<std::vector<std::string>> DecodeHexRows(const std::string& printed)
{
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(printed);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream tokens(line);
        std::vector<std::string> row;
        std::string token;
        while (tokens >> token)
            row.push_back(DecodeHex(token));
        rows.push_back(row);
    }
    return rows;
}

void WriteFileBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << bytes;
    if (!file)
        throw std::runtime_error("cannot write " + path);
}

std::string FreshFolder(const std::string& name)
{
    const fs::path folder = fs::path(QUILL_TEST_DATA_DIR) / name;
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder.string();
}

std::string ScriptPath(const std::string& name)
{
    return (fs::path(QUILL_FORMATS_SCRIPTS) / name).string();
}
