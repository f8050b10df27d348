#pragma once

// Seek accuracy on each kind of file, ours against bare mpv, in one run: a
// seek counts as a hit when the frame covering the requested time reaches
// the screen, and is timed until then. Read back from the picture.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <QElapsedTimer>
#include <QImage>

#include "TestVideo.h"

namespace seek_accuracy {

constexpr int kVideoWidth = 320;
constexpr int kVideoHeight = 240;
constexpr int kTargets = 40;
// A seek whose frame has not shown by then is a miss.
constexpr int kSettleMs = 600;

struct Kind {
    const char* label;
    const char* file;
    FrameSpacing spacing;
    bool sound;
};

inline const std::vector<Kind>& Kinds()
{
    static const std::vector<Kind> kinds = {
        {"MP4 25 fps", "acc-even25.mp4", FrameSpacing::Even25, true},
        {"MKV 29.97 fps (ms timestamps)", "acc-ntsc.mkv", FrameSpacing::Ntsc, true},
        {"MKV 40/20 ms alternating", "acc-alternating.mkv", FrameSpacing::Alternating, false},
        {"MP4 irregular 20-60 ms", "acc-irregular.mp4", FrameSpacing::Irregular, true},
        {"MPEG-TS irregular, no rate", "acc-irregular.ts", FrameSpacing::Irregular, true},
    };
    return kinds;
}

inline std::string Clip(const Kind& kind)
{
    const std::string dir = (std::filesystem::temp_directory_path() / "quillmark-bench-clips").string();
    return MakeTimedVideo(dir, kind.file, 6.0, kVideoWidth, kVideoHeight, kind.spacing, kind.sound);
}

// The frame covering `ms`, from frame times on the player's clock.
inline int CoveringFrame(const std::vector<double>& times, int ms)
{
    const auto after = std::upper_bound(times.begin(), times.end(), ms / 1000.0 + 1e-6);
    return std::max(0, static_cast<int>(after - times.begin()) - 1);
}

inline int FrameIn(const QImage& picture)
{
    return ReadFrameNumber(picture, FitVideoRect(picture.size(), QSize(kVideoWidth, kVideoHeight)), kVideoWidth);
}

struct Score {
    int hits = 0;
    int seeks = 0;
    double totalMs = 0.0;
};

// `seek` asks for a time; `spin` runs the loop until its predicate holds or
// gives up; `shown` reads the frame now on screen.
inline Score Measure(const std::vector<double>& times, int durationMs, const std::function<void(int)>& seek,
                     const std::function<bool(const std::function<bool()>&)>& spin,
                     const std::function<int()>& shown)
{
    std::mt19937 random(22);
    std::uniform_int_distribution<int> pick(0, durationMs - 1);
    Score score;
    for (int i = 0; i < kTargets; ++i) {
        const int ms = pick(random);
        const int expected = CoveringFrame(times, ms);
        QElapsedTimer timer;
        timer.start();
        seek(ms);
        bool hit = false;
        spin([&] {
            hit = shown() == expected;
            return hit || timer.elapsed() > kSettleMs;
        });
        ++score.seeks;
        if (hit) {
            ++score.hits;
            score.totalMs += static_cast<double>(timer.nsecsElapsed()) / 1e6;
        }
        // Whatever happened, the next seek starts from a settled player.
        const qint64 settle = timer.elapsed();
        spin([&] { return timer.elapsed() > std::max<qint64>(settle, 0) + 60; });
    }
    return score;
}

inline void Print(const char* kind, const char* who, const Score& score)
{
    std::printf("  %-32s %-30s %3d/%d exact, %6.1f ms to the right frame\n", kind, who, score.hits, score.seeks,
                score.hits > 0 ? score.totalMs / score.hits : 0.0);
}

} // namespace seek_accuracy
