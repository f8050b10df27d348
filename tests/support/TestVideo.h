#pragma once

#include <string>
#include <vector>

#include <QImage>
#include <QRect>
#include <QSize>

// Frame rate of every test video.
constexpr int kTestVideoFrameRate = 25;

// Makes `dir`/`name` with ffmpeg once and returns its path: `seconds` of
// testsrc at `width`x`height`, 25 fps, H.264 with a quiet AAC sound track, in
// the container the extension names (.mp4, .mov, ...). The frame number is
// painted in binary along the top, lowest bit first, as black and white
// blocks ended by one white block (see ReadFrameNumber); `width` should be at
// least 32. Throws std::runtime_error when ffmpeg fails.
std::string MakeTestVideo(const std::string& dir, const std::string& name, double seconds, int width, int height);

// How the frames of a MakeTimedVideo clip are spaced.
enum class FrameSpacing {
    Even25,       // 40 ms
    Ntsc,         // 1001/30 ms, 29.97 fps
    Alternating,  // 40, 20, 40, 20 ... ms
    Irregular,    // between 20 and 60 ms, no pattern a rate could describe
};

// Like MakeTestVideo, frame numbers drawn the same way, with the frames
// spaced as `spacing` says, timestamps kept as they are (variable frame
// rate), and a quiet AAC sound track when `sound`.
std::string MakeTimedVideo(const std::string& dir, const std::string& name, double seconds, int width, int height,
                           FrameSpacing spacing, bool sound);

// The presentation time of each frame of `path`'s video in display order,
// in seconds on the container's clock, as ffprobe reads them. Throws std::runtime_error on failure.
std::vector<double> ProbeFrameTimes(const std::string& path);

// A sound file without any picture, made the same way.
std::string MakeTestAudio(const std::string& dir, const std::string& name, double seconds);

// Files a user may pick for a video that are none, made in `dir` under a
// name that starts with `prefix`: notes in a text file named like a video,
// an empty file, a sound without a picture, a still picture.
enum class NotAVideo { Text, Empty, Sound, Picture };
std::string MakeNotAVideo(const std::string& dir, const std::string& prefix, NotAVideo kind);

// The frame number a test video of `videoWidth` pixels shows, read from
// `image` where the video covers `videoArea`; -1 when the blocks cannot be
// read (no video there, or a blend of two frames).
int ReadFrameNumber(const QImage& image, const QRect& videoArea, int videoWidth);

// Where a player draws a video of size `video` inside `view`: scaled to fit
// with its aspect kept, centred.
QRect FitVideoRect(const QSize& view, const QSize& video);

// The frame number that `picture`, the whole picture of a player, shows of a
// test video of size `video` drawn as FitVideoRect says; -1 when unreadable.
int ReadShownFrame(const QImage& picture, const QSize& video);

// Whether `picture` is black all over, as a player with nothing to show
// draws it; a pixel in 7 each way is enough for a test video's large areas.
bool IsBlack(const QImage& picture);
