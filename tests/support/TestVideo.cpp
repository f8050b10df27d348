#include "TestVideo.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <sstream>
#include <system_error>

#include <QColor>
#include <QProcess>
#include <QStringList>

#include <unistd.h>

namespace {

constexpr int kMaxBits = 16;
constexpr int kFfmpegTimeoutMs = 120000;

int BlockSize(int width)
{
    return std::max(8, width / kMaxBits / 8 * 8);
}

// One block after the bits is always white, so that black is never read as 0.
int BitCount(int width)
{
    return std::min(kMaxBits, width / BlockSize(width) - 1);
}

// The filter that draws the frame number's blocks, as ReadFrameNumber reads
// them, into a stream labelled [band] to lay over the picture.
QString NumberBand(int width, const QString& rate, const QString& duration)
{
    const int block = BlockSize(width);
    return QString("color=c=black:s=%1x%2:r=%3:d=%4,format=gray,"
                   "geq=lum='if(gte(floor(X/%2),%5),255,255*mod(floor(N/pow(2,floor(X/%2))),2))'[band]")
        .arg((BitCount(width) + 1) * block)
        .arg(block)
        .arg(rate)
        .arg(duration)
        .arg(BitCount(width));
}

void RunFfmpeg(QStringList arguments, const std::filesystem::path& output)
{
    // ffmpeg picks the container from the extension, so the temporary name
    // keeps it; the rename makes the file appear whole to parallel tests.
    std::filesystem::path partial = output;
    partial.replace_filename(output.stem().string() + ".part" + std::to_string(::getpid()) + output.extension().string());
    arguments.prepend("-y");
    arguments.prepend("error");
    arguments.prepend("-v");
    arguments.append(QString::fromStdString(partial.string()));
    QProcess ffmpeg;
    ffmpeg.setProcessChannelMode(QProcess::MergedChannels);
    ffmpeg.start("ffmpeg", arguments);
    const bool finished = ffmpeg.waitForFinished(kFfmpegTimeoutMs);
    if (!finished || ffmpeg.exitStatus() != QProcess::NormalExit || ffmpeg.exitCode() != 0) {
        std::error_code ignored;
        std::filesystem::remove(partial, ignored);
        throw std::runtime_error("ffmpeg failed for " + output.string() + ": " + ffmpeg.readAll().toStdString());
    }
    std::filesystem::rename(partial, output);
}

bool Reusable(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error) && std::filesystem::file_size(path, error) > 0;
}

} // namespace

std::string MakeTestVideo(const std::string& dir, const std::string& name, double seconds, int width, int height)
{
    const std::filesystem::path path = std::filesystem::path(dir) / name;
    if (Reusable(path))
        return path.string();
    std::filesystem::create_directories(dir);

    const QString duration = QString::number(seconds, 'f', 3);
    const QString band = NumberBand(width, QString::number(kTestVideoFrameRate), duration);
    const QString graph = band + ";[0:v][band]overlay=0:0:shortest=1,format=yuv420p[v]";
    RunFfmpeg({"-f", "lavfi", "-i",
               QString("testsrc=size=%1x%2:rate=%3:duration=%4").arg(width).arg(height).arg(kTestVideoFrameRate).arg(duration),
               "-f", "lavfi", "-i", QString("sine=frequency=440:duration=%1").arg(duration), "-filter_complex", graph,
               "-map", "[v]", "-map", "1:a", "-c:v", "libx264", "-preset", "veryfast", "-crf", "16", "-g", "50",
               "-c:a", "aac", "-b:a", "32k", "-af", "volume=0.05", "-shortest"},
              path);
    return path.string();
}

std::string MakeTimedVideo(const std::string& dir, const std::string& name, double seconds, int width, int height,
                           FrameSpacing spacing, bool sound)
{
    const std::filesystem::path path = std::filesystem::path(dir) / name;
    if (Reusable(path))
        return path.string();
    std::filesystem::create_directories(dir);

    const QString rate = spacing == FrameSpacing::Ntsc ? "30000/1001" : "25";
    const QString duration = QString::number(seconds, 'f', 3);
    const QString band = NumberBand(width, rate, duration);
    // Frame N's time in milliseconds; the sine keeps successive gaps within 40 +- 20 ms.
    QString timing;
    if (spacing == FrameSpacing::Alternating)
        timing = ",settb=1/90000,setpts='(30*N+10*mod(N,2))/1000/TB'";
    if (spacing == FrameSpacing::Irregular)
        timing = ",settb=1/90000,setpts='(40*N+10*sin(2.9*N))/1000/TB'";
    const QString graph = band + ";[0:v][band]overlay=0:0:shortest=1,format=yuv420p" + timing + "[v]";
    QStringList arguments = {"-f", "lavfi", "-i",
                             QString("testsrc=size=%1x%2:rate=%3:duration=%4").arg(width).arg(height).arg(rate).arg(duration)};
    if (sound)
        arguments << "-f" << "lavfi" << "-i" << QString("sine=frequency=440:duration=%1").arg(duration);
    arguments << "-filter_complex" << graph << "-map" << "[v]";
    if (sound)
        arguments << "-map" << "1:a" << "-c:a" << "aac" << "-b:a" << "32k" << "-shortest";
    if (!timing.isEmpty())
        arguments << "-fps_mode" << "passthrough" << "-enc_time_base" << "1/90000";
    // A keyframe every half second or so, as camcorders write their streams.
    arguments << "-c:v" << "libx264" << "-preset" << "veryfast" << "-crf" << "16" << "-g" << "12";
    RunFfmpeg(arguments, path);
    return path.string();
}

std::vector<double> ProbeFrameTimes(const std::string& path)
{
    QProcess ffprobe;
    ffprobe.start("ffprobe", {"-v", "error", "-select_streams", "v:0", "-show_entries",
                              "frame=best_effort_timestamp_time", "-of", "default=nw=1",
                              QString::fromStdString(path)});
    if (!ffprobe.waitForFinished(kFfmpegTimeoutMs) || ffprobe.exitCode() != 0)
        throw std::runtime_error("ffprobe failed for " + path);
    std::istringstream lines(ffprobe.readAllStandardOutput().toStdString());
    std::vector<double> times;
    for (std::string line; std::getline(lines, line);) {
        const auto equals = line.find('=');
        if (equals == std::string::npos || line.substr(equals + 1) == "N/A")
            continue;
        // Locale-free, whatever LC_NUMERIC says.
        double value = 0.0;
        const char* text = line.c_str() + equals + 1;
        if (std::from_chars(text, line.c_str() + line.size(), value).ec != std::errc())
            continue;
        times.push_back(value);
    }
    if (times.empty())
        throw std::runtime_error("ffprobe found no frame in " + path);
    return times;
}

std::string MakeTestAudio(const std::string& dir, const std::string& name, double seconds)
{
    const std::filesystem::path path = std::filesystem::path(dir) / name;
    if (Reusable(path))
        return path.string();
    std::filesystem::create_directories(dir);
    RunFfmpeg({"-f", "lavfi", "-i", QString("sine=frequency=440:duration=%1").arg(seconds, 0, 'f', 3), "-c:a", "aac"},
              path);
    return path.string();
}

int ReadFrameNumber(const QImage& image, const QRect& videoArea, int videoWidth)
{
    if (image.isNull() || videoArea.isEmpty() || videoWidth <= 0)
        return -1;
    const double scale = static_cast<double>(videoArea.width()) / videoWidth;
    const int block = BlockSize(videoWidth);
    const int y = videoArea.top() + static_cast<int>(std::lround(block / 2.0 * scale));
    // Level of block `index`: 0 black, 1 white, -1 neither.
    const auto blockLevel = [&](int index) {
        const int x = videoArea.left() + static_cast<int>(std::lround((index * block + block / 2.0) * scale));
        if (!image.rect().contains(x, y))
            return -1;
        const int level = qGray(image.pixel(x, y));
        return level <= 64 ? 0 : level >= 192 ? 1 : -1;
    };
    const int bits = BitCount(videoWidth);
    if (blockLevel(bits) != 1)
        return -1;
    int number = 0;
    for (int bit = 0; bit < bits; ++bit) {
        const int level = blockLevel(bit);
        if (level < 0)
            return -1;
        number |= level << bit;
    }
    return number;
}

QRect FitVideoRect(const QSize& view, const QSize& video)
{
    if (view.isEmpty() || video.isEmpty())
        return {};
    const QSize fitted = video.scaled(view, Qt::KeepAspectRatio);
    return QRect(QPoint((view.width() - fitted.width()) / 2, (view.height() - fitted.height()) / 2), fitted);
}

int ReadShownFrame(const QImage& picture, const QSize& video)
{
    return ReadFrameNumber(picture, FitVideoRect(picture.size(), video), video.width());
}

bool IsBlack(const QImage& picture)
{
    for (int y = 0; y < picture.height(); y += 7)
        for (int x = 0; x < picture.width(); x += 7)
            if (qGray(picture.pixel(x, y)) > 16)
                return false;
    return true;
}

std::string MakeNotAVideo(const std::string& dir, const std::string& prefix, NotAVideo kind)
{
    const auto write = [&](const std::string& name, const std::string& content) {
        const std::string path = dir + "/" + prefix + name;
        std::ofstream(path, std::ios::binary) << content;
        return path;
    };
    switch (kind) {
    case NotAVideo::Text:
        return write("notes.mp4", "ceci n'est pas une vid\xC3\xA9o\n");
    case NotAVideo::Empty:
        return write("empty.mov", "");
    case NotAVideo::Sound:
        return MakeTestAudio(dir, prefix + "sound.m4a", 1.0);
    case NotAVideo::Picture: {
        const std::string path = dir + "/" + prefix + "still.png";
        QImage image(64, 48, QImage::Format_RGB32);
        image.fill(Qt::blue);
        image.save(QString::fromStdString(path));
        return path;
    }
    }
    return {};
}
