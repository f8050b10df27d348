// Annotation files and paths as users' disks present them: odd names, links,
// byte-order marks, huge texts, damage, and documents built to exhaust the
// reader.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <libxml/parser.h>

#include "FileFormatFixture.h"
#include "TestTracks.h"
#include "Timeline.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> Listing(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Two tracks, the first with two segments: enough to see a partial load.
void FillTwoTracks(CTimeline& timeline, const std::string& lastTitle = "t5")
{
    TrackList tracks;
    Track* first = tracks.AppendTrack();
    first->SetLabel("Attaque");
    first->AppendSegment(MakeSegment(1.0, 3.0, "t1"));
    first->AppendSegment(MakeSegment(5.0, 7.0, lastTitle));
    tracks.AppendTrack()->SetLabel("D\xC3\xA9" "fense");
    timeline.ReplaceTracks(std::move(tracks));
}

std::vector<std::string> Labels(const CTimeline& timeline)
{
    std::vector<std::string> labels;
    for (const auto& track : timeline.Tracks())
        labels.push_back(track->GetLabel());
    return labels;
}

// Track by track: label, then each segment's bounds, title, comment, video.
std::vector<std::string> Describe(const TrackList& tracks)
{
    std::vector<std::string> lines;
    for (const auto& track : tracks) {
        lines.push_back("piste " + track->GetLabel());
        for (const auto& s : track->GetSegments())
            lines.push_back(std::to_string(s->m_start) + " " + std::to_string(s->m_end) + " " + s->m_title + "|"
                            + s->m_comment + "|" + std::to_string(s->m_videoNumber));
    }
    return lines;
}

// What walking the finished document gives.
std::vector<std::string> DescribeWholeDocument(const std::string& content)
{
    xmlDocPtr doc = xmlReadMemory(content.data(), static_cast<int>(content.size()), nullptr, "UTF-8",
                                  XML_PARSE_RECOVER | XML_PARSE_NONET | XML_PARSE_HUGE | XML_PARSE_NOBLANKS
                                      | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    TrackList tracks;
    if (doc != nullptr && xmlDocGetRootElement(doc) != nullptr)
        tracks.ReadXml(xmlDocGetRootElement(doc)->children);
    xmlFreeDoc(doc);
    return Describe(tracks);
}

} // namespace

TEST_F(FileFormat, SaveToPathWithPercentEscapesWritesThatVeryFile)
{
    FillTwoTracks(m_timeline);
    // Read as a URI, the name would be "notes duA.xml" in the same folder.
    const std::string target = Path("notes%20du%41.xml");
    ASSERT_TRUE(m_timeline.SaveFile(target));
    EXPECT_EQ(Listing(m_dir), (std::vector<std::string>{"notes%20du%41.xml"}));

    CTimeline loaded;
    ASSERT_TRUE(loaded.LoadFile(target));
    EXPECT_EQ(Labels(loaded), Labels(m_timeline));
}

TEST_F(FileFormat, FileWithByteOrderMarkLoadsLikeWithout)
{
    FillTwoTracks(m_timeline);
    ASSERT_TRUE(m_timeline.SaveFile(Path("plain.xml")));
    const std::string marked = Write("marked.xml", "\xEF\xBB\xBF" + Read(Path("plain.xml")));

    CTimeline loaded;
    RecordingPrompt prompt;
    loaded.SetUserPrompt(&prompt);
    ASSERT_TRUE(loaded.LoadFile(marked));
    EXPECT_EQ(Labels(loaded), Labels(m_timeline));
    EXPECT_EQ(loaded.Tracks().GetTrack(0)->GetSegments().size(), 2u);
    EXPECT_TRUE(prompt.texts.empty());
    EXPECT_TRUE(prompt.informed.empty());
}

TEST_F(FileFormat, FiftyMegabyteTitleComesBackWhole)
{
    std::string title;
    const std::string piece = "Passe <d\xC3\xA9" "cisive> & \"relance\" ";
    while (title.size() < 50'000'000)
        title += piece;
    FillTwoTracks(m_timeline, title);
    ASSERT_TRUE(m_timeline.SaveFile(Path("huge.xml")));

    CTimeline loaded;
    RecordingPrompt prompt;
    loaded.SetUserPrompt(&prompt);
    ASSERT_TRUE(loaded.LoadFile(Path("huge.xml")));
    EXPECT_EQ(Labels(loaded), Labels(m_timeline)); // nothing after the title is lost
    ASSERT_EQ(loaded.Tracks().GetTrack(0)->GetSegments().size(), 2u);
    const std::string& back = loaded.Tracks().GetTrack(0)->GetSegments().back()->m_title;
    EXPECT_EQ(back.size(), title.size());
    EXPECT_TRUE(back == title);
    EXPECT_TRUE(prompt.texts.empty());
    EXPECT_TRUE(prompt.informed.empty());
}

TEST_F(FileFormat, DamagedFileLoadsWhatItCanAndSaysSo)
{
    FillTwoTracks(m_timeline);
    ASSERT_TRUE(m_timeline.SaveFile(Path("whole.xml")));
    const std::string whole = Read(Path("whole.xml"));
    const size_t second = whole.find("<piste libelle=\"D");
    ASSERT_NE(second, std::string::npos);
    std::string deep;
    for (int i = 0; i < 5000; ++i)
        deep += "<x>";

    const std::vector<std::pair<std::string, std::string>> damaged = {
        {"truncated", whole.substr(0, second + 10)},
        {"nul byte", whole.substr(0, second) + std::string(1, '\0') + whole.substr(second)},
        {"nested too deep", whole.substr(0, second) + deep + whole.substr(second)},
    };
    for (const auto& [what, content] : damaged) {
        CTimeline loaded;
        RecordingPrompt prompt;
        loaded.SetUserPrompt(&prompt);
        EXPECT_TRUE(loaded.LoadFile(Write("damaged.xml", content))) << what;
        ASSERT_GE(loaded.Tracks().GetCount(), 1) << what;
        EXPECT_EQ(loaded.Tracks().GetTrack(0)->GetLabel(), "Attaque") << what;
        EXPECT_EQ(loaded.Tracks().GetTrack(0)->GetSegments().size(), 2u) << what;
        EXPECT_EQ(prompt.informed, (std::vector<std::string>{CTimeline::kLoadDamagedText})) << what;
        EXPECT_TRUE(prompt.texts.empty()) << what;
    }

    // The same file whole says nothing.
    ASSERT_TRUE(m_timeline.LoadFile(Path("whole.xml")));
    EXPECT_EQ(m_timeline.Tracks().GetCount(), 2);
    EXPECT_TRUE(m_prompt.informed.empty());
    EXPECT_TRUE(m_prompt.texts.empty());
}

TEST_F(FileFormat, DamagedFileWithNothingReadableIsNotOpened)
{
    const Track* sample = m_timeline.Tracks().GetTrack(0);
    for (const std::string content : {"<?xml version='1.0'?>", "not xml at all", "\xEF\xBB\xBF"}) {
        m_prompt.texts.clear();
        EXPECT_FALSE(m_timeline.LoadFile(Write("nothing.xml", content))) << content;
        EXPECT_EQ(m_prompt.texts, (std::vector<std::string>{CTimeline::kLoadFailedText})) << content;
        EXPECT_TRUE(m_prompt.informed.empty());
        EXPECT_EQ(m_timeline.Tracks().GetTrack(0), sample);
    }
}

TEST_F(FileFormat, DocumentTypesThatDeclareAnythingAreRefused)
{
    Write("secret.txt", "secret");
    std::string references;
    for (int i = 0; i < 3000; ++i)
        references += "&e;";
    std::string defaults;
    for (int i = 0; i < 20'000; ++i)
        defaults += " a" + std::to_string(i) + " CDATA 'x'";
    std::string segments;
    for (int i = 0; i < 50'000; ++i)
        segments += "<segment/>";
    const std::vector<std::pair<std::string, std::string>> documents = {
        // About 100 KB that would expand to 300 MB when the label is read.
        {"internal", "<!DOCTYPE corps [<!ENTITY e '" + std::string(100'000, 'a') + "'>]><corps><piste libelle='"
                         + references + "'/></corps>"},
        {"external", "<!DOCTYPE corps [<!ENTITY e SYSTEM 'file://" + Path("secret.txt")
                         + "'>]><corps><piste libelle='&e;'/></corps>"},
        {"parameter", "<!DOCTYPE corps [<!ENTITY % p '<!ENTITY e \"x\">'> %p;]><corps><piste libelle='&e;'/></corps>"},
        {"unparsed", "<!DOCTYPE corps [<!NOTATION n SYSTEM 'n'><!ENTITY e SYSTEM 'f' NDATA n>]><corps><piste/></corps>"},
        // Twenty thousand defaults checked at each of fifty thousand elements.
        {"attribute defaults", "<!DOCTYPE corps [<!ATTLIST segment" + defaults + ">]><corps><piste>" + segments
                                   + "</piste></corps>"},
        {"element", "<!DOCTYPE corps [<!ELEMENT corps ANY>]><corps><piste/></corps>"},
    };
    const Track* sample = m_timeline.Tracks().GetTrack(0);
    for (const auto& [what, content] : documents) {
        m_prompt.texts.clear();
        EXPECT_FALSE(m_timeline.LoadFile(Write("entities.xml", "<?xml version='1.0'?>" + content))) << what;
        EXPECT_EQ(m_prompt.texts, (std::vector<std::string>{CTimeline::kLoadFailedText})) << what;
        EXPECT_EQ(m_timeline.Tracks().GetCount(), 1) << what;
        EXPECT_EQ(m_timeline.Tracks().GetTrack(0), sample) << what;
    }

    // A document type without entities, and the predefined ones, still read.
    LoadBody("<piste libelle='&lt;&amp;&gt;&#233;'/>");
    EXPECT_EQ(m_timeline.Tracks().GetTrack(0)->GetLabel(), "<&>\xC3\xA9");
    ASSERT_TRUE(m_timeline.LoadFile(Write("doctype.xml", "<!DOCTYPE corps><corps><piste libelle='d'/></corps>")));
    EXPECT_EQ(Labels(m_timeline), (std::vector<std::string>{"d"}));
}

TEST_F(FileFormat, FilesBuiltToStallTheParserAreRefused)
{
    // Under 1 MB each; read, they would take the parser seconds to minutes.
    std::string attributes;
    for (int i = 0; i < 100'000; ++i)
        attributes += " a" + std::to_string(i) + "=''";
    std::string declarations;
    std::string close;
    for (int depth = 0; depth < 500; ++depth) {
        declarations += "<e";
        for (int i = 0; i < 60; ++i)
            declarations += " xmlns:p" + std::to_string(depth * 60 + i) + " = 'u'";
        declarations += ">";
        close += "</e>";
    }
    std::string lookups;
    while (lookups.size() < 350'000)
        lookups += "<p0:a/>";
    const std::vector<std::pair<std::string, std::string>> documents = {
        {"attributes", "<corps><piste libelle='lu'><segment/></piste><piste" + attributes + "/></corps>"},
        {"namespaces", "<corps>" + declarations + lookups + close + "<piste/></corps>"},
    };
    for (const auto& [what, content] : documents) {
        ASSERT_LT(content.size(), 1'000'000u) << what;
        m_prompt.texts.clear();
        EXPECT_FALSE(m_timeline.LoadFile(Write("stall.xml", content))) << what;
        EXPECT_EQ(m_prompt.texts, (std::vector<std::string>{CTimeline::kLoadFailedText})) << what;
        EXPECT_EQ(m_timeline.Tracks().GetTrack(0)->GetLabel(), " ") << what; // the sample, untouched
    }

    // A hundred thousand faults, each one formatted and copied by the
    // library: what comes before them is read, and the file said damaged.
    std::string faults;
    while (faults.size() < 900'000)
        faults += "<a b='' b=''/>";
    CTimeline loaded;
    RecordingPrompt prompt;
    loaded.SetUserPrompt(&prompt);
    EXPECT_TRUE(loaded.LoadFile(Write("faults.xml", "<corps><piste libelle='lu'/><piste>" + faults
                                                         + "</piste><piste libelle='fin'/></corps>")));
    ASSERT_GE(loaded.Tracks().GetCount(), 1);
    EXPECT_EQ(loaded.Tracks().GetTrack(0)->GetLabel(), "lu");
    EXPECT_EQ(prompt.informed, (std::vector<std::string>{CTimeline::kLoadDamagedText}));

    // Quoted values may hold '=' and '>' without being counted; a few
    // namespaces are fine.
    const std::string many(5000, '=');
    LoadBody("<!-- " + many + " --><piste libelle='" + many + ">" + many + "' xmlns='u' xmlns:x='v'/>");
    EXPECT_EQ(m_timeline.Tracks().GetTrack(0)->GetLabel(), many + ">" + many);
}

TEST_F(FileFormat, SaveThroughDanglingLinkCreatesTargetAndKeepsLink)
{
    fs::create_directory(m_dir / "real");
    fs::create_symlink("real/notes.xml", Path("link.xml"));
    fs::create_symlink("link.xml", Path("chain.xml"));
    ASSERT_TRUE(m_timeline.SaveFile(Path("chain.xml")));
    EXPECT_TRUE(fs::is_symlink(Path("chain.xml")));
    EXPECT_TRUE(fs::is_symlink(Path("link.xml")));
    EXPECT_NE(Read(Path("real/notes.xml")).find("<corps>"), std::string::npos);
    EXPECT_EQ(Listing(m_dir / "real"), (std::vector<std::string>{"notes.xml"}));

    // A loop of links names no file: nothing is written, both links stay.
    fs::create_symlink("b.xml", Path("a.xml"));
    fs::create_symlink("a.xml", Path("b.xml"));
    EXPECT_FALSE(m_timeline.SaveFile(Path("a.xml")));
    EXPECT_TRUE(fs::is_symlink(Path("a.xml")));
    EXPECT_TRUE(fs::is_symlink(Path("b.xml")));
}

TEST_F(FileFormat, LongestFileNamesCanBeSaved)
{
    for (size_t length : {248u, 255u}) {
        const std::string name = std::string(length - 4, 'n') + ".xml";
        ASSERT_TRUE(m_timeline.SaveFile(Path(name))) << length;
        EXPECT_NE(Read(Path(name)).find("<corps>"), std::string::npos);
        fs::remove(Path(name));
        EXPECT_TRUE(Listing(m_dir).empty()) << length; // no temporary left behind
    }
}

TEST_F(FileFormat, ReadingWhileParsingGivesWhatTheWholeDocumentHolds)
{
    const std::string seg = "<segment debut='100' fin='200'><contenu titre='a' commentaire='b' video='3'/></segment>";
    const std::vector<std::string> documents = {
        "<corps><piste libelle='1'>" + seg + seg + "</piste><piste libelle='2'/><piste libelle='3'>" + seg
            + "</piste></corps>",
        // Elements in the wrong places, skipped whole.
        "<corps><autre><piste libelle='no'>" + seg + "</piste></autre>" + seg + "<piste libelle='yes'><x>" + seg
            + "</x><!-- c -->text" + seg + "<piste libelle='inner'/></piste></corps>",
        // Damage: unclosed at the end, mismatched end tags, a stray end tag.
        "<corps><piste libelle='1'>" + seg + "<segment debut='5' fin='6'><contenu titre='cut'",
        "<corps><piste libelle='1'>" + seg + "<segment debut='7'></piste>" + seg + "</segment><piste libelle='2'>"
            + seg + "</corps>",
        "<corps><piste libelle='1'></x>" + seg + "</piste></segment><piste libelle='2'>" + seg + "</piste></corps>",
        // A segment whose content comes after an unclosed child.
        "<corps><piste libelle='1'><segment debut='1' fin='2'><y><contenu titre='inside'/></segment></piste></corps>",
    };
    for (const auto& content : documents) {
        CTimeline loaded;
        RecordingPrompt prompt;
        loaded.SetUserPrompt(&prompt);
        loaded.LoadFile(Write("streamed.xml", content));
        EXPECT_EQ(Describe(loaded.Tracks()), DescribeWholeDocument(content)) << content;
    }
}
