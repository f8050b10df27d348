// The segments tables as analysis tools read them: Python's csv module reads
// every field back as text, and the TSV table opens back as annotations.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Export.h"
#include "FormatsTestSupport.h"
#include "Import.h"

namespace {

const std::vector<std::string> kColumns = {"piste", "piste_n", "segment_n", "debut_s", "fin_s",
                                           "duree_s", "titre", "commentaires", "video"};

// A time field as stored units: exactly four decimals after the format's
// decimal point.
long long UnitsOf(const std::string& field, char point)
{
    const size_t at = field.find(point);
    EXPECT_NE(at, std::string::npos) << field;
    EXPECT_EQ(field.size() - at, 5u) << field;
    std::string digits = field;
    digits.erase(at, 1);
    return std::stoll(digits);
}

std::vector<std::vector<std::string>> ReadWithPython(const std::string& path, const char* dialect)
{
    const ProcessRun run = RunProcess({"python3", ScriptPath("read_table.py"), path, dialect});
    EXPECT_EQ(run.status, 0) << run.err;
    return DecodeHexRows(run.out);
}

struct TableCase {
    const char* format;
    char point;
    const char* lineEnd;
    bool byteOrderMark;
    bool guarded;
};

class SegmentTables : public testing::TestWithParam<TableCase> {};

} // namespace

TEST_P(SegmentTables, PythonReadsEveryFieldAsTheProgramHoldsIt)
{
    const TableCase& table = GetParam();
    const ExportFormat* format = FindExportFormat(table.format);
    ASSERT_NE(format, nullptr);
    const std::string folder = FreshFolder(std::string("tables-") + table.format);
    const std::vector<std::pair<std::string, std::vector<TrackData>>> sets = {
        {"hard texts", HardTexts()},
        {"random 1", RandomTracks(1, 4, 60)},
        {"random 2", RandomTracks(2, 1, 40)},
        {"no segments", {{"seule", {}}}},
    };
    for (const auto& [name, annotations] : sets) {
        SCOPED_TRACE(name);
        const auto tracks = BuildTracks(annotations);
        const ExportResult result = Export(*format, *tracks, {});
        EXPECT_TRUE(result.warnings.empty());
        const std::string path = folder + "/table" + format->suffix;
        WriteFileBytes(path, result.bytes);

        EXPECT_EQ(result.bytes.rfind("\xEF\xBB\xBF", 0) == 0, table.byteOrderMark);
        const std::string end = table.lineEnd;
        EXPECT_EQ(result.bytes.compare(result.bytes.size() - end.size(), end.size(), end), 0);
        const size_t header = result.bytes.find("video");
        EXPECT_EQ(result.bytes.compare(header + 5, end.size(), end), 0);

        const auto rows = ReadWithPython(path, table.format);
        ASSERT_FALSE(rows.empty());
        EXPECT_EQ(rows[0], kColumns);
        // A guarded text comes back with the apostrophe the README tells of.
        auto text = [&](const std::string& original, std::string field) {
            const bool formula = !original.empty() && std::string("=+-@").find(original[0]) != std::string::npos;
            if (table.guarded && formula) {
                EXPECT_EQ(field.substr(0, 1), "'") << original;
                field.erase(0, 1);
            }
            return field;
        };
        size_t row = 1;
        for (size_t t = 0; t < annotations.size(); ++t) {
            for (size_t s = 0; s < annotations[t].segments.size(); ++s, ++row) {
                SCOPED_TRACE("track " + std::to_string(t + 1) + " segment " + std::to_string(s + 1));
                ASSERT_LT(row, rows.size());
                const auto& fields = rows[row];
                ASSERT_EQ(fields.size(), kColumns.size());
                const SegmentData& segment = annotations[t].segments[s];
                EXPECT_EQ(text(annotations[t].label, fields[0]), annotations[t].label);
                EXPECT_EQ(fields[1], std::to_string(t + 1));
                EXPECT_EQ(fields[2], std::to_string(s + 1));
                EXPECT_EQ(UnitsOf(fields[3], table.point), Stored(segment.start));
                EXPECT_EQ(UnitsOf(fields[4], table.point), Stored(segment.end));
                EXPECT_EQ(UnitsOf(fields[5], table.point), Stored(segment.end) - Stored(segment.start));
                EXPECT_EQ(text(segment.title, fields[6]), segment.title);
                EXPECT_EQ(text(segment.comment, fields[7]), segment.comment);
                EXPECT_EQ(fields[8], std::to_string(segment.video));
            }
        }
        EXPECT_EQ(row, rows.size());
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, SegmentTables,
                         testing::Values(TableCase{"tsv", '.', "\n", false, false},
                                         TableCase{"csv", '.', "\r\n", false, false},
                                         TableCase{"csv-fr", ',', "\r\n", true, true}),
                         [](const auto& info) { return std::string(info.param.format == std::string("csv-fr") ? "csv_fr" : info.param.format); });

TEST(SegmentTableImport, ReopenedTableExportsTheSameBytes)
{
    const ExportFormat& tsv = *FindExportFormat("tsv");
    const std::string folder = FreshFolder("tables-import");
    for (unsigned seed = 0; seed < 6; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        auto annotations = seed == 0 ? HardTexts() : RandomTracks(seed, 1 + static_cast<int>(seed), 80);
        // Times whose stored integer is not what * 0.01 gives back.
        annotations[0].segments.push_back({0.29, 0.57, "t", "c", 0});
        const auto tracks = BuildTracks(annotations);
        const std::string exported = Export(tsv, *tracks, {}).bytes;
        const std::string path = folder + "/table.tsv";
        WriteFileBytes(path, exported);

        const ImportResult imported = ImportFile(path);
        ASSERT_EQ(imported.status, ImportResult::Status::Read);
        EXPECT_TRUE(imported.notices.empty());
        EXPECT_EQ(Export(tsv, *imported.tracks, {}).bytes, exported);
        // Labels of tracks with segments, and of empty ones between them.
        for (int t = 0; t < imported.tracks->GetCount(); ++t) {
            if (!imported.tracks->GetTrack(t)->GetSegments().empty() || annotations[static_cast<size_t>(t)].label == " ") {
                EXPECT_EQ(imported.tracks->GetTrack(t)->GetLabel(), annotations[static_cast<size_t>(t)].label);
            }
        }
    }
}

TEST(SegmentTableImport, OnlyTheExactHeaderMakesATable)
{
    const std::string folder = FreshFolder("tables-header");
    const std::string header = "piste\tpiste_n\tsegment_n\tdebut_s\tfin_s\tduree_s\ttitre\tcommentaires\tvideo";
    const std::string row = "A\t1\t1\t1.0000\t2.0000\t1.0000\tt\tc\t0";
    const std::vector<std::pair<std::string, bool>> files = {
        {header + "\n" + row + "\n", true},
        {header + "\r\n" + row + "\r\n", true},
        {"\xEF\xBB\xBF" + header + "\n" + row + "\n", true},
        {header, true},
        {header + "\textra\n" + row + "\n", false},
        {header + "\t\n", false},
        {"PISTE" + header.substr(5) + "\n", false},
        {" " + header + "\n", false},
        {"<corps><piste libelle='A'/></corps>", false},
        {"", false},
    };
    for (const auto& [content, table] : files) {
        SCOPED_TRACE(content);
        WriteFileBytes(folder + "/f.tsv", content);
        const ImportResult result = ImportFile(folder + "/f.tsv");
        EXPECT_EQ(result.status, table ? ImportResult::Status::Read : ImportResult::Status::NotForeign);
    }
}

TEST(SegmentTableImport, UnreadableRowsAreLeftOutAndCounted)
{
    const std::string folder = FreshFolder("tables-rows");
    const std::string header = "piste\tpiste_n\tsegment_n\tdebut_s\tfin_s\tduree_s\ttitre\tcommentaires\tvideo\n";
    const std::string good = "B\t2\t1\t-0.0050\t2.5\t0\tt\t\"a\tb\"\t4\n";
    const std::vector<std::string> bad = {
        "A\t1\t1\t1.0000\t2.0000\t1.0000\tt\tc\n",          // a field short
        "A\t1\t1\t1.0000\t2.0000\t1.0000\tt\tc\t0\tx\n",    // one too many
        "A\tun\t1\t1.0000\t2.0000\t1.0000\tt\tc\t0\n",      // track not a number
        "A\t0\t1\t1.0000\t2.0000\t1.0000\tt\tc\t0\n",       // no track 0
        "A\t99999999\t1\t1.0000\t2.0000\t1.0000\tt\tc\t0\n", // past any window's rows
        "A\t1\t1\t1.00001\t2.0000\t1.0000\tt\tc\t0\n",      // five decimals
        "A\t1\t1\t1e3\t2.0000\t1.0000\tt\tc\t0\n",
        "A\t1\t1\t1.0000\t2.0000\t1.0000\tt\tc\t1.5\n",
        "A\t1\t1\t1.0000\t2.0000\t1.0000\tt\tc\t99999999999\n",
    };
    std::string content = header;
    for (const std::string& line : bad)
        content += line + good;
    WriteFileBytes(folder + "/rows.tsv", content + "\n");
    const ImportResult result = ImportFile(folder + "/rows.tsv");
    ASSERT_EQ(result.status, ImportResult::Status::Read);
    EXPECT_EQ(result.notices, (std::vector<std::string>{"9 lignes illisibles du tableau ont été ignorées."}));
    ASSERT_EQ(result.tracks->GetCount(), 2);
    EXPECT_EQ(result.tracks->GetTrack(0)->GetLabel(), " "); // no row: the program's own blank label
    const auto annotations = DescribeTracks(*result.tracks);
    ASSERT_EQ(annotations[1].segments.size(), bad.size());
    for (const SegmentData& s : annotations[1].segments) {
        EXPECT_EQ(Stored(s.start), -50);
        EXPECT_EQ(Stored(s.end), 25000);
        EXPECT_EQ(s.comment, "a\tb");
        EXPECT_EQ(s.video, 4);
    }
}
