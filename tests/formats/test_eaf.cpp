// ELAN files: the export checked rule by rule by a reader of its own
// (Python's xml.etree), export then import, files written the way ELAN
// writes them, and files built to hurt the reader.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "Export.h"
#include "FormatsTestSupport.h"
#include "Import.h"
#include "TimeValue.h"

namespace {

// The most segments of one track that cover a moment together: the fewest
// tiers that can hold them without overlaps.
int Depth(const TrackData& track)
{
    std::vector<std::pair<long long, int>> events;
    for (const SegmentData& s : track.segments) {
        events.push_back({Milliseconds(s).start, 1});
        events.push_back({Milliseconds(s).end, -1});
    }
    std::sort(events.begin(), events.end()); // an end before a start at the same time
    int depth = 0;
    int most = 1;
    for (const auto& [time, step] : events)
        most = std::max(most, depth += step);
    return most;
}

struct Listing {
    std::vector<std::string> violations;
    std::map<std::string, std::string> properties;
    std::vector<std::vector<std::string>> media;
    std::map<std::string, std::string> parentOf; // tier -> parent ("" for none)
    // aligned id -> tier, start, end, value
    std::map<std::string, std::vector<std::string>> aligned;
    // tier -> (annotation referred to -> value)
    std::map<std::string, std::map<std::string, std::string>> references;
};

Listing Check(const std::string& path)
{
    const ProcessRun run = RunProcess({"python3", ScriptPath("check_eaf.py"), path});
    EXPECT_EQ(run.status, 0) << run.err;
    Listing listing;
    std::istringstream lines(run.out);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string kind;
        words >> kind;
        std::vector<std::string> w;
        for (std::string word; words >> word;)
            w.push_back(word);
        if (kind == "violation")
            listing.violations.push_back(line);
        else if (kind == "property")
            listing.properties[DecodeHex(w.at(0))] = DecodeHex(w.at(1));
        else if (kind == "media")
            listing.media.push_back({DecodeHex(w.at(0)), DecodeHex(w.at(1)), DecodeHex(w.at(2))});
        else if (kind == "tier")
            listing.parentOf[DecodeHex(w.at(0))] = w.at(2) == "." ? "" : DecodeHex(w.at(2));
        else if (kind == "aligned")
            listing.aligned[w.at(1)] = {DecodeHex(w.at(0)), w.at(2), w.at(3), DecodeHex(w.at(4))};
        else if (kind == "ref")
            listing.references[DecodeHex(w.at(0))][w.at(2)] = DecodeHex(w.at(3));
    }
    return listing;
}

std::vector<std::vector<TrackData>> HardSets()
{
    auto hard = HardTexts();
    // Overlaps: nested, chained, touching (no overlap), the same interval twice.
    hard.push_back({"Gestes\tmains", {{100, 300, "a", "", 0}, {200, 400, "b", "", 0}, {300, 500, "c", "", 2},
                                      {120, 130, "d", "x", 0}, {100, 300, "e", "", 0}, {500, 600, "f", "", 0}}});
    hard.push_back({"", {{5, 5, "zéro", "", 0}, {-3, -1, "négatif", "", 0}}});
    return {hard, RandomTracks(7, 3, 120), RandomTracks(8, 2, 30)};
}

// Each imported track against the exported one: same label, the segments in
// start order with the bounds ELAN was given, every text and number kept.
void ExpectRoundTrip(const std::vector<TrackData>& exported, const TrackList& imported)
{
    const std::vector<TrackData> back = DescribeTracks(imported);
    ASSERT_EQ(back.size(), exported.size());
    for (size_t t = 0; t < exported.size(); ++t) {
        SCOPED_TRACE("track " + std::to_string(t + 1));
        EXPECT_EQ(back[t].label, exported[t].label);
        std::vector<SegmentData> expected = exported[t].segments;
        std::stable_sort(expected.begin(), expected.end(), [](const SegmentData& a, const SegmentData& b) {
            return Milliseconds(a).start < Milliseconds(b).start;
        });
        ASSERT_EQ(back[t].segments.size(), expected.size());
        for (size_t s = 0; s < expected.size(); ++s) {
            const SegmentData& was = expected[s];
            const SegmentData& is = back[t].segments[s];
            SCOPED_TRACE("segment " + std::to_string(s + 1) + " " + was.title);
            EXPECT_EQ(Stored(is.start), Milliseconds(was).start * 10);
            EXPECT_EQ(Stored(is.end), Milliseconds(was).end * 10);
            if (!Milliseconds(was).Altered()) {
                EXPECT_LE(std::abs(Stored(is.start) - Stored(was.start)), 5);
                EXPECT_LE(std::abs(Stored(is.end) - Stored(was.end)), 5);
            }
            EXPECT_EQ(is.title, was.title);
            EXPECT_EQ(is.comment, was.comment);
            EXPECT_EQ(is.video, was.video);
        }
    }
}

} // namespace

TEST(EafExport, EveryRuleHoldsAndEverySegmentIsThere)
{
    const std::string folder = FreshFolder("eaf-export");
    int setNumber = 0;
    for (const auto& annotations : HardSets()) {
        for (const bool withVideo : {true, false}) {
            SCOPED_TRACE("set " + std::to_string(setNumber) + (withVideo ? " with video" : " without video"));
            const auto tracks = BuildTracks(annotations);
            ExportInputs inputs;
            inputs.date = "2024-03-05T14:07:00+01:00";
            if (withVideo) {
                inputs.videoPath = "/données/vidéos/séance 1#.mp4";
                inputs.outputFolder = "/données/annotations";
            }
            const ExportResult result = Export(*FindExportFormat("eaf"), *tracks, inputs);
            const std::string path = folder + "/out.eaf";
            WriteFileBytes(path, result.bytes);
            const Listing listing = Check(path);
            EXPECT_TRUE(listing.violations.empty()) << ::testing::PrintToString(listing.violations);
            EXPECT_NE(result.bytes.find("DATE=\"2024-03-05T14:07:00+01:00\""), std::string::npos);

            if (withVideo) {
                EXPECT_EQ(listing.media, (std::vector<std::vector<std::string>>{
                                             {"file:///donn%C3%A9es/vid%C3%A9os/s%C3%A9ance%201%23.mp4",
                                              "video/mp4", "../vid%C3%A9os/s%C3%A9ance%201%23.mp4"}}));
            } else {
                EXPECT_TRUE(listing.media.empty());
            }

            // Every segment once, on a tier of its own track, with the bounds
            // ELAN can carry, its comment and video number on tiers hanging
            // from that tier.
            std::multiset<std::vector<std::string>> expected;
            std::multiset<std::vector<std::string>> found;
            size_t warned = 0;
            for (size_t t = 0; t < annotations.size(); ++t) {
                const std::string prefix = "quillmark:piste:" + std::to_string(t + 1) + ":";
                EXPECT_EQ(listing.properties.at(prefix + "libelle"), annotations[t].label);
                std::set<std::string> tiers;
                std::set<std::string> commentTiers;
                std::set<std::string> videoTiers;
                for (int k = 1; listing.properties.count(prefix + "tier:" + std::to_string(k)) != 0; ++k) {
                    tiers.insert(listing.properties.at(prefix + "tier:" + std::to_string(k)));
                    commentTiers.insert(listing.properties.at(prefix + "commentaires:" + std::to_string(k)));
                    const auto video = listing.properties.find(prefix + "video:" + std::to_string(k));
                    if (video != listing.properties.end())
                        videoTiers.insert(video->second);
                }
                EXPECT_EQ(static_cast<int>(tiers.size()), Depth(annotations[t])) << annotations[t].label;
                // A label that is neither blank nor taken names its tier.
                const bool taken = std::any_of(annotations.begin(), annotations.begin() + static_cast<long>(t),
                                               [&](const TrackData& s) { return s.label == annotations[t].label; });
                if (annotations[t].label.find_first_not_of(" \t\r\n\v\f") != std::string::npos && !taken) {
                    EXPECT_EQ(listing.properties.at(prefix + "tier:1"), annotations[t].label);
                }
                for (const SegmentData& s : annotations[t].segments) {
                    const Fixed fixed = Milliseconds(s);
                    expected.insert({std::to_string(t), std::to_string(fixed.start), std::to_string(fixed.end),
                                     s.title, s.comment, s.video != 0 ? std::to_string(s.video) : ""});
                    warned += fixed.Changes();
                }
                for (const auto& [id, fields] : listing.aligned) {
                    if (tiers.count(fields[0]) == 0)
                        continue;
                    std::string comment;
                    std::string video;
                    for (const auto& [tier, values] : listing.references) {
                        if (listing.parentOf.at(tier) != fields[0] || values.count(id) == 0)
                            continue;
                        if (commentTiers.count(tier) != 0)
                            comment = values.at(id);
                        else if (videoTiers.count(tier) != 0)
                            video = values.at(id);
                    }
                    found.insert({std::to_string(t), fields[1], fields[2], fields[3], comment, video});
                }
            }
            EXPECT_EQ(found, expected);
            EXPECT_EQ(result.warnings.size(), warned) << ::testing::PrintToString(result.warnings);
        }
        ++setNumber;
    }
}

TEST(EafExport, ImportGivesBackTheTracksInOrder)
{
    const std::string folder = FreshFolder("eaf-round-trip");
    for (const auto& annotations : HardSets()) {
        const auto tracks = BuildTracks(annotations);
        const std::string path = folder + "/round.eaf";
        WriteFileBytes(path, Export(*FindExportFormat("eaf"), *tracks, {}).bytes);
        const ImportResult imported = ImportFile(path);
        ASSERT_EQ(imported.status, ImportResult::Status::Read);
        EXPECT_TRUE(imported.notices.empty()) << ::testing::PrintToString(imported.notices);
        ExpectRoundTrip(annotations, *imported.tracks);
    }
}

TEST(EafExport, WarningsNameEachSegmentChanged)
{
    const auto tracks = BuildTracks({{"Main", {{300, 100, "", "", 0}, {-50, 20, "", "", 0}, {7, 7, "", "", 0}}}});
    const ExportResult result = Export(*FindExportFormat("eaf"), *tracks, {});
    EXPECT_EQ(result.warnings,
              (std::vector<std::string>{
                  "piste 1 « Main », segment 1 : la fin (1.0000 s) précède le début (3.0000 s) ; bornes remises dans l'ordre.",
                  "piste 1 « Main », segment 2 : temps négatif (-0.5000 s) écrit 0.",
                  "piste 1 « Main », segment 3 : durée nulle, portée à 1 ms."}));
}
