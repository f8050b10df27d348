#pragma once

#include <fstream>
#include <random>
#include <string>

#include <QDir>
#include <QTemporaryDir>

#include "AtomicFile.h"
#include "FileContents.h"
#include "TestTracks.h"
#include "TrackList.h"
#include "XmlStreamWriter.h"

// A folder of the test's own, removed after it.
class TestFolder {
public:
    std::string Root() const { return m_dir.path().toStdString(); }
    std::string Path(const std::string& name) const { return QDir(m_dir.path()).filePath(QString::fromStdString(name)).toStdString(); }
    QString QPath(const std::string& name) const { return QString::fromStdString(Path(name)); }

private:
    QTemporaryDir m_dir;
};

inline void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// The bytes a save of `tracks` writes.
inline std::string SavedBytes(const TrackList& tracks, const std::string& scratch)
{
    WriteFileAtomically(scratch, [&tracks](int fd) {
        XmlStreamWriter out(fd);
        tracks.WriteXml(out);
        return out.Finish();
    });
    return ReadFileContents(scratch);
}

// Tracks of texts a user types and a file may hold: accents, quotes, markup
// characters, line breaks, empty texts and controls XML cannot carry.
inline TrackList RandomTracks(std::mt19937& random)
{
    static const char* const kTexts[] = {" ", "", "Arrêt", "L'élève « dit » \"oui\"", "a < b & c > d",
                                         "ligne\nsuivante\tet\r", "\x01\x7F", "🎬 plan", "\xC3"};
    const auto pick = [&random](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    TrackList tracks;
    const int trackCount = pick(5);
    for (int t = 0; t < trackCount; ++t) {
        Track* track = tracks.AppendTrack();
        track->SetLabel(kTexts[pick(std::size(kTexts))]);
        const int segmentCount = pick(6);
        for (int s = 0; s < segmentCount; ++s) {
            const double start = pick(100000) * 0.37 - 10.0;
            track->AppendSegment(MakeSegment(start, start + pick(5000) * 0.01, kTexts[pick(std::size(kTexts))],
                                             kTexts[pick(std::size(kTexts))], pick(12) - 1));
        }
    }
    return tracks;
}
