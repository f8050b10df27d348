#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "FileFormatFixture.h"
#include "TestTracks.h"
#include "TimeValue.h"
#include "Timeline.h"

namespace fs = std::filesystem;

namespace {

const char kXmlDeclaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

} // namespace

TEST(TimeValue, WriteTruncatesTowardZeroAndSaturates)
{
    const std::vector<std::pair<double, std::string>> cases = {
        {1.0, "100"},       {100.0, "10000"},   {12.349, "1234"},  {-0.5, "-50"},
        {0.29, "28"},       {0.3, "30"},        {0.0, "0"},        {-0.001, "0"},
        {1e300, "2147483647"}, {-1e300, "-2147483648"},
        {std::numeric_limits<double>::infinity(), "2147483647"},
        {-std::numeric_limits<double>::infinity(), "-2147483648"},
        {std::nan(""), "0"},
    };
    for (const auto& [time, text] : cases)
        EXPECT_EQ(FormatTimeValue(time), text) << time;
}

TEST(TimeValue, ReadTakesSpaceSignDigitsAndSaturates)
{
    const std::vector<std::pair<const char*, int32_t>> cases = {
        {"12.5", 12},   {"abc", 0},     {" 42", 42},   {"-3", -3},  {"+7", 7},     {"", 0},
        {"\t\n 5x", 5}, {"- 5", 0},     {"+", 0},      {"007", 7},  {"1e3", 1},
        {"2147483647", 2147483647},     {"2147483648", 2147483647},
        {"-2147483648", std::numeric_limits<int32_t>::min()},
        {"99999999999999999999999", 2147483647},
        {"-99999999999999999999999", std::numeric_limits<int32_t>::min()},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(ParseIntValue(text), value) << '"' << text << '"';
    EXPECT_EQ(ParseIntValue(nullptr), 0);
    EXPECT_DOUBLE_EQ(ParseTimeValue("12.5"), 0.12);
    EXPECT_DOUBLE_EQ(ParseTimeValue("-3"), -0.03);
}

TEST_F(FileFormat, SampleIsWrittenAsTheGoldenFile)
{
    ASSERT_TRUE(m_timeline.SaveFile(Path("sample.xml")));
    const std::string golden = std::string(kXmlDeclaration)
        + "<corps>\n"
          "  <piste libelle=\" \">\n"
          "    <segment debut=\"100\" fin=\"10000\">\n"
          "      <contenu titre=\"PL\" commentaire=\"" + CTimeline::kSampleComment + "\" video=\"0\"/>\n"
          "    </segment>\n"
          "  </piste>\n"
          "</corps>\n";
    EXPECT_EQ(Read(Path("sample.xml")), golden);
}

TEST_F(FileFormat, TracksSegmentsAndAttributesAreWrittenInOrder)
{
    TrackList tracks;
    Track* first = tracks.AppendTrack();
    first->SetLabel("Attaque");
    for (double start : {3.0, 1.0}) {
        auto s = std::make_unique<Segment>();
        s->SetBounds(start, start + 0.5);
        s->SetTitle("t" + std::to_string(static_cast<int>(start)));
        first->AppendSegment(std::move(s));
    }
    tracks.AppendTrack()->SetLabel("Vide");
    m_timeline.ReplaceTracks(std::move(tracks));
    ASSERT_TRUE(m_timeline.SaveFile(Path("order.xml")));
    EXPECT_EQ(Read(Path("order.xml")), std::string(kXmlDeclaration)
                                           + "<corps>\n"
                                             "  <piste libelle=\"Attaque\">\n"
                                             "    <segment debut=\"300\" fin=\"350\">\n"
                                             "      <contenu titre=\"t3\" commentaire=\" \" video=\"0\"/>\n"
                                             "    </segment>\n"
                                             "    <segment debut=\"100\" fin=\"150\">\n"
                                             "      <contenu titre=\"t1\" commentaire=\" \" video=\"0\"/>\n"
                                             "    </segment>\n"
                                             "  </piste>\n"
                                             "  <piste libelle=\"Vide\"/>\n"
                                             "</corps>\n");

    m_timeline.ReplaceTracks(TrackList());
    ASSERT_TRUE(m_timeline.SaveFile(Path("empty.xml")));
    EXPECT_EQ(Read(Path("empty.xml")), std::string(kXmlDeclaration) + "<corps/>\n");
    TrackList one;
    one.AppendTrack();
    m_timeline.ReplaceTracks(std::move(one));
    ASSERT_TRUE(m_timeline.LoadFile(Path("empty.xml")));
    EXPECT_EQ(m_timeline.Tracks().GetCount(), 0);
}

TEST_F(FileFormat, TextsComeBackByteForByte)
{
    const std::string label = "Défense à trois — « zone »";
    const std::string title = "Quote \" amp & lt < gt > apos '";
    const std::string comment = "ligne 1\nligne 2\ttab\r\nfin 日本語 🎥";
    TrackList tracks;
    tracks.AppendTrack()->SetLabel(label);
    tracks.GetTrack(0)->AppendSegment(MakeSegment(1.0, 100.0, title, comment, -12));
    m_timeline.ReplaceTracks(std::move(tracks));
    ASSERT_TRUE(m_timeline.SaveFile(Path("texts.xml")));

    CTimeline loaded;
    ASSERT_TRUE(loaded.LoadFile(Path("texts.xml")));
    ASSERT_EQ(loaded.Tracks().GetCount(), 1);
    EXPECT_EQ(loaded.Tracks().GetTrack(0)->GetLabel(), label);
    const Segment& back = *loaded.Tracks().GetTrack(0)->GetSegments().front();
    EXPECT_EQ(back.m_title, title);
    EXPECT_EQ(back.m_comment, comment);
    EXPECT_EQ(back.m_videoNumber, -12);
    EXPECT_EQ(back.m_start, 1.0);
    EXPECT_EQ(back.m_end, 100.0);
}

TEST_F(FileFormat, BytesXmlCannotCarryDoNotMakeTheFileUnreadable)
{
    TrackList tracks;
    tracks.AppendTrack()->SetLabel("esc\x1B");
    tracks.GetTrack(0)->AppendSegment(
        MakeSegment(1.0, 100.0, std::string("bell\x07 nul") + '\0' + "end \xC3 lone \xFF\xFE été",
                    CTimeline::kSampleComment));
    m_timeline.ReplaceTracks(std::move(tracks));
    ASSERT_TRUE(m_timeline.SaveFile(Path("bad.xml")));

    CTimeline loaded;
    RecordingPrompt prompt;
    loaded.SetUserPrompt(&prompt);
    ASSERT_TRUE(loaded.LoadFile(Path("bad.xml")));
    EXPECT_TRUE(prompt.texts.empty());
    const std::string fffd = "\xEF\xBF\xBD";
    EXPECT_EQ(loaded.Tracks().GetTrack(0)->GetLabel(), "esc" + fffd);
    const Segment& back = *loaded.Tracks().GetTrack(0)->GetSegments().front();
    EXPECT_EQ(back.m_title, "bell" + fffd + " nul" + fffd + "end " + fffd + " lone " + fffd + fffd + " été");
    EXPECT_EQ(back.m_comment, CTimeline::kSampleComment);
}

TEST_F(FileFormat, TimeReadAsHundredthsAndTruncatedOnWriteBack)
{
    LoadBody("<piste libelle='p'><segment debut='29' fin=' 42'><contenu/></segment></piste>");
    EXPECT_DOUBLE_EQ(OnlySegment().m_start, 0.29);
    EXPECT_DOUBLE_EQ(OnlySegment().m_end, 0.42);
    ASSERT_TRUE(m_timeline.SaveFile(Path("back.xml")));
    EXPECT_NE(Read(Path("back.xml")).find("debut=\"28\" fin=\"42\""), std::string::npos);

    LoadBody("<piste><segment debut='500' fin='100'/></piste>");
    EXPECT_EQ(OnlySegment().m_start, 5.0); // kept inverted, as stored
    EXPECT_EQ(OnlySegment().m_end, 1.0);
    m_timeline.m_currentTime = 3.0;
    EXPECT_EQ(m_timeline.Tracks().GetTrack(0)->FindSegmentAt(3.0), nullptr);
}

TEST_F(FileFormat, OnlyExactlyNamedElementsAreRead)
{
    LoadBody("text<!-- c --><?pi x?>"
             "<Piste libelle='no'/><autre/><segment debut='1' fin='2'/>"
             "<piste libelle='yes'>  <SEGMENT debut='1' fin='2'/><segment debut='100' fin='200'>"
             "<Contenu titre='no'/><contenu titre='t' commentaire='c' video='4'/><x/></segment>"
             "<!-- c --></piste>");
    ASSERT_EQ(m_timeline.Tracks().GetCount(), 1);
    const Track* track = m_timeline.Tracks().GetTrack(0);
    EXPECT_EQ(track->GetLabel(), "yes");
    ASSERT_EQ(track->GetSegments().size(), 1u);
    EXPECT_EQ(OnlySegment().m_title, "t");
    EXPECT_EQ(OnlySegment().m_comment, "c");
    EXPECT_EQ(OnlySegment().m_videoNumber, 4);
}

TEST_F(FileFormat, LastContenuDecidesAndNoneKeepsNewSegmentValues)
{
    LoadBody("<piste><segment debut='1' fin='2'><contenu titre='a' commentaire='b' video='1'/>"
             "<contenu titre='c' commentaire='d' video='2'/></segment><segment debut='1' fin='2'/></piste>");
    const auto& segments = m_timeline.Tracks().GetTrack(0)->GetSegments();
    ASSERT_EQ(segments.size(), 2u);
    EXPECT_EQ(segments[0]->m_title, "c");
    EXPECT_EQ(segments[0]->m_comment, "d");
    EXPECT_EQ(segments[0]->m_videoNumber, 2);
    EXPECT_EQ(segments[1]->m_title, " ");
    EXPECT_EQ(segments[1]->m_comment, " ");
    EXPECT_EQ(segments[1]->m_videoNumber, 0);
}

TEST_F(FileFormat, MissingAttributesKeepNewValues)
{
    LoadBody("<piste><segment><contenu/></segment></piste>");
    EXPECT_EQ(m_timeline.Tracks().GetTrack(0)->GetLabel(), " ");
    EXPECT_EQ(OnlySegment().m_start, 0.0);
    EXPECT_EQ(OnlySegment().m_end, 0.0);
    EXPECT_EQ(OnlySegment().m_title, " ");
    EXPECT_EQ(OnlySegment().m_comment, " ");
    EXPECT_EQ(OnlySegment().m_videoNumber, 0);
}

TEST_F(FileFormat, LoadKeepsSelectionAndViewButClearsCurrentSegment)
{
    m_timeline.m_selectedTrack = 3;
    m_timeline.m_markStart = 7.5;
    m_timeline.SetView(12, 100, 0);
    m_timeline.m_currentTime = 50.0;
    m_timeline.UpdateCurrentSegment();
    m_timeline.m_selectedTrack = 0;
    ASSERT_NE(m_timeline.UpdateCurrentSegment(), nullptr);
    m_timeline.m_selectedTrack = 3;
    LoadBody("<piste/>");
    EXPECT_EQ(m_timeline.m_currentSegment, nullptr);
    EXPECT_EQ(m_timeline.m_selectedTrack, 3);
    EXPECT_EQ(m_timeline.m_markStart, 7.5);
    EXPECT_EQ(m_timeline.ViewStart(), 12);
}

TEST_F(FileFormat, UnreadableOrForeignFilesLeaveEverythingInPlace)
{
    m_timeline.m_currentTime = 50.0;
    const Segment* current = m_timeline.UpdateCurrentSegment();
    const Track* sample = m_timeline.Tracks().GetTrack(0);
    const auto unchanged = [&] {
        return m_timeline.Tracks().GetCount() == 1 && m_timeline.Tracks().GetTrack(0) == sample
            && m_timeline.m_currentSegment == current && m_timeline.m_selectedTrack == 0;
    };

    EXPECT_FALSE(m_timeline.LoadFile(Path("missing.xml")));
    EXPECT_EQ(m_prompt.texts, (std::vector<std::string>{"le fichier n'a pas été ouvert"}));
    EXPECT_TRUE(unchanged());

    m_prompt.texts.clear();
    EXPECT_FALSE(m_timeline.LoadFile(Write("empty.xml", "")));
    EXPECT_EQ(m_prompt.texts.size(), 1u);
    EXPECT_TRUE(unchanged());

    // A foreign root is not reported; a declaration alone parses to no
    // document, which is.
    m_prompt.texts.clear();
    EXPECT_FALSE(m_timeline.LoadFile(Write("other.xml", "<body><piste libelle='x'/></body>")));
    EXPECT_FALSE(m_timeline.LoadFile(Write("corpsless.xml", "<Corps><piste/></Corps>")));
    EXPECT_TRUE(unchanged());
    EXPECT_TRUE(m_prompt.texts.empty());
    EXPECT_FALSE(m_timeline.LoadFile(Write("noroot.xml", "<?xml version='1.0'?>")));
    EXPECT_TRUE(unchanged());
    EXPECT_EQ(m_prompt.texts.size(), 1u);
}

TEST_F(FileFormat, FailedSaveReportsFalseAndLeavesOldFileUntouched)
{
    EXPECT_FALSE(m_timeline.SaveFile(Path("no/such/folder/a.xml")));
    EXPECT_FALSE(m_timeline.SaveFile(Write("plain", "x") + "/inside-a-file.xml"));

    const std::string target = Write("annotations.xml", "previous content");
    // Make the disk "full" part way through the write.
    TrackList many;
    for (int i = 0; i < 2000; ++i)
        many.AppendTrack()->SetLabel(std::string(40, 'x'));
    m_timeline.ReplaceTracks(std::move(many));
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = m_timeline.SaveFile(target);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_FALSE(written);
    EXPECT_EQ(Read(target), "previous content");
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(m_dir))
        left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"annotations.xml", "plain"})); // no temporary left behind

    ASSERT_TRUE(m_timeline.SaveFile(target));
    EXPECT_NE(Read(target).find("<corps>"), std::string::npos);
}

TEST_F(FileFormat, SaveIntoReadOnlyFolderFailsWithoutDamage)
{
    const std::string target = Write("kept.xml", "previous content");
    fs::permissions(m_dir, fs::perms::owner_read | fs::perms::owner_exec);
    // Root ignores folder permissions: the save runs as a user who has them.
    const auto saved = AsUnprivilegedUser([&] { return m_timeline.SaveFile(target); });
    ASSERT_TRUE(saved.has_value());
    EXPECT_FALSE(*saved);
    EXPECT_EQ(Read(target), "previous content");
    EXPECT_EQ(FileNames(), (std::vector<std::string>{"kept.xml"}));
    // No one, root included, may create files in /proc.
    EXPECT_FALSE(m_timeline.SaveFile("/proc/quillmark-annotations.xml"));
    EXPECT_FALSE(fs::exists("/proc/quillmark-annotations.xml"));
}

TEST_F(FileFormat, SaveKeepsPermissionsAndSymbolicLinks)
{
    const std::string real = Write("real.xml", "old");
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink(real, Path("link.xml"));
    ASSERT_TRUE(m_timeline.SaveFile(Path("link.xml")));
    EXPECT_TRUE(fs::is_symlink(Path("link.xml")));
    EXPECT_NE(Read(real).find("<corps>"), std::string::npos);
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}
