// Per-track statistics against figures worked out by hand.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Export.h"
#include "FormatsTestSupport.h"

namespace {

// Timeline times are hundredths of a second: 100 is 1 s. Every bound here is
// exact in binary, so the stored integers are the obvious ones.
std::vector<TrackData> Tracks()
{
    return {
        // Two overlapping, one touching the second, one apart.
        {"Chevauchements", {{100, 300, "", "", 0}, {200, 400, "", "", 0}, {400, 500, "", "", 0},
                            {50.25, 60.75, "", "", 0}}},
        {"Un seul", {{50, 175, "", "", 0}}},
        // Reversed (duration 0, a warning), ordinary, negative start.
        {"Inversés", {{300, 100, "", "", 0}, {200, 250, "", "", 0}, {-100, 50, "", "", 0}}},
        {"Vide", {}},
        // An even count whose middle values fall between two tenths of a
        // millisecond: halves go up.
        {"Pair", {{0, 0.25, "", "", 0}, {100, 100.5, "", "", 0}}},
        // Past the end of a 100 s video: not clipped.
        {"Hors vidéo", {{9000, 15000, "", "", 0}}},
    };
}

const char* const kHeader = "piste\tn\tduree_totale_s\tduree_couverte_s\tduree_moyenne_s\tecart_type_s\t"
                            "duree_min_s\tduree_mediane_s\tduree_max_s\tpart_de_la_video\n";

} // namespace

TEST(Statistics, MatchTheHandComputedTable)
{
    const auto tracks = BuildTracks(Tracks());
    const std::string rows[] = {
        "Chevauchements\t4\t5.1050\t4.1050\t1.2763\t0.9121\t0.1050\t1.5000\t2.0000\t",
        "Un seul\t1\t1.2500\t1.2500\t1.2500\t\t1.2500\t1.2500\t1.2500\t",
        "Inversés\t3\t2.0000\t2.0000\t0.6667\t0.7638\t0.0000\t0.5000\t1.5000\t",
        "Vide\t0\t0.0000\t0.0000\t\t\t\t\t\t",
        "Pair\t2\t0.0075\t0.0075\t0.0038\t0.0018\t0.0025\t0.0038\t0.0050\t",
        "Hors vidéo\t1\t60.0000\t60.0000\t60.0000\t\t60.0000\t60.0000\t60.0000\t",
    };
    const std::string shares[] = {"0.0411", "0.0125", "0.0200", "", "0.0001", "0.6000"};

    struct Duration {
        const char* name;
        std::optional<double> seconds;
        bool known;
    };
    for (const Duration& duration : {Duration{"100 s", 100.0, true}, Duration{"unknown", std::nullopt, false},
                                     Duration{"zero", 0.0, false}}) {
        SCOPED_TRACE(duration.name);
        ExportInputs inputs;
        inputs.videoSeconds = duration.seconds;
        const ExportResult result = Export(*FindExportFormat("stats"), *tracks, inputs);
        std::string expected = kHeader;
        for (size_t i = 0; i < std::size(rows); ++i)
            expected += rows[i] + (duration.known ? shares[i] : std::string()) + "\n";
        EXPECT_EQ(result.bytes, expected);
        EXPECT_EQ(result.warnings, (std::vector<std::string>{
                                       "piste 3 « Inversés », segment 1 : la fin (1.0000 s) précède le début "
                                       "(3.0000 s) ; durée comptée 0."}));
    }
}

TEST(Statistics, LabelsAreQuotedAsInTheSegmentsTable)
{
    const auto tracks = BuildTracks({{"a\tb \"c\"", {}}, {"=1+1", {}}});
    const std::string bytes = Export(*FindExportFormat("stats"), *tracks, {}).bytes;
    std::string expected = kHeader;
    expected += "\"a\tb \"\"c\"\"\"\t0\t0.0000\t0.0000\t\t\t\t\t\t\n";
    expected += "=1+1\t0\t0.0000\t0.0000\t\t\t\t\t\t\n";
    EXPECT_EQ(bytes, expected);
}
