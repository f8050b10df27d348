// Reading while the parser goes: the tracks of any file, however damaged,
// are those of the whole document; what a load leaves behind in the
// process.

#include <gtest/gtest.h>

#include <libxml/encoding.h>
#include <libxml/globals.h>
#include <libxml/parser.h>

#include <cstdio>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "FileFormatFixture.h"
#include "Timeline.h"
#include "XmlFileReader.h"
#include "XmlText.h"

namespace {

// Track by track: label, then each segment's bounds (exactly), texts and
// video number.
std::vector<std::string> Describe(const TrackList& tracks)
{
    std::vector<std::string> lines;
    for (const auto& track : tracks) {
        lines.push_back("piste " + track->GetLabel());
        for (const auto& s : track->GetSegments()) {
            char bounds[64];
            std::snprintf(bounds, sizeof bounds, "%a %a ", s->m_start, s->m_end);
            lines.push_back(bounds + s->m_title + "|" + s->m_comment + "|" + std::to_string(s->m_videoNumber));
        }
    }
    return lines;
}

// What walking the finished document gives, or none when its root is not
// <corps>.
std::optional<std::vector<std::string>> DescribeWholeDocument(const std::string& content)
{
    xmlDocPtr doc = xmlReadMemory(content.data(), static_cast<int>(content.size()), nullptr, "UTF-8",
                                  XML_PARSE_RECOVER | XML_PARSE_NONET | XML_PARSE_HUGE | XML_PARSE_NOBLANKS
                                      | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    std::optional<std::vector<std::string>> described;
    xmlNodePtr root = doc != nullptr ? xmlDocGetRootElement(doc) : nullptr;
    if (root != nullptr && IsElementNamed(root, "corps")) {
        TrackList tracks;
        tracks.ReadXml(root->children);
        described = Describe(tracks);
    }
    xmlFreeDoc(doc);
    return described;
}

// The document with a few random cuts, losses, insertions of markup and
// copies of its own parts: the damage a parser recovers from in many ways.
std::string Damage(std::string document, std::mt19937& random)
{
    static const std::vector<std::string> pieces = {
        "<piste>", "</piste>", "<piste libelle='L'>", "<segment debut='5' fin='9'>", "</segment>",
        "<contenu titre='T'/>", "<contenu titre='T'>", "</contenu>", "<corps>", "</corps>", "<x>", "</x>", "</",
        "<", ">", "/>", "\"", "'", "=", " a=b ", " libelle='Q'", "<!--", "-->", "<![CDATA[", "]]>", "<?pi?>",
        "&amp;", "&#38;", "&#x26;", "&lt;", "&bogus;", "&#0;", "xmlns:q='u'", "q:", "p:", std::string(1, '\0'),
        "\xFF", "\xC3", "\n",
    };
    const unsigned edits = 1 + random() % 4;
    for (unsigned edit = 0; edit < edits; ++edit) {
        const size_t at = random() % (document.size() + 1);
        switch (random() % 5) {
        case 0:
            document.resize(at);
            break;
        case 1:
            document.erase(at, 1 + random() % 8);
            break;
        case 2: {
            const size_t from = random() % (document.size() + 1);
            document.insert(at, document.substr(from, random() % 200));
            break;
        }
        default:
            document.insert(at, pieces[random() % pieces.size()]);
        }
    }
    return document;
}

// Throws from the reading at the n-th element started or ended.
struct ThrowingHandler : XmlElementHandler {
    int left;
    explicit ThrowingHandler(int n) : left(n) {}
    void Count()
    {
        if (--left == 0)
            throw std::runtime_error("thrown");
    }
    void ElementStarted(const XmlStartTag&) override { Count(); }
    void ElementEnded() override { Count(); }
};

} // namespace

TEST_F(FileFormat, DamagedFilesGiveTheTracksOfTheWholeDocument)
{
    const std::string seg = "<segment debut='100' fin='200'><contenu titre='t&amp;&#38;&lt;' commentaire='c'"
                            " video='3'/></segment>";
    const std::vector<std::string> documents = {
        "<?xml version='1.0'?>\n<corps>\n<piste libelle='a'>" + seg + seg + "</piste>\n<piste libelle='b'/>"
            + "<piste libelle='c'>" + seg + "<segment debut='1' fin='2'/></piste></corps>",
        "<corps xmlns:q='urn:q'><q:piste q:libelle='n' libelle='m'>" + seg + "</q:piste><p:piste libelle='u'/>"
            + "<piste p:libelle='z' libelle='y'>" + seg + "<x>" + seg + "</x></piste></corps>",
        "<corps><piste libelle='a'>text<!-- c --><?pi x?><![CDATA[<segment/>]]>" + seg
            + "</piste><autre>" + seg + "</autre><piste libelle='d'>" + seg + seg + seg + "</piste></corps>",
        // Start tags that do not end: the parser drops each element there,
        // and what follows belongs to its parent.
        "<corps><piste libelle='a'><segment debut='1' fin='2'bad='x'><contenu titre='t'/></segment>" + seg
            + "</piste><piste libelle='b'>" + seg + "<segment debut='3' fin='4'/ >" + seg + "</piste></corps>",
    };
    for (unsigned seed = 0; seed < 1500; ++seed) {
        std::mt19937 random(seed);
        const std::string content
            = seed < documents.size() ? documents[seed] : Damage(documents[seed % documents.size()], random);
        const auto expected = DescribeWholeDocument(content);
        CTimeline loaded;
        RecordingPrompt prompt;
        loaded.SetUserPrompt(&prompt);
        const bool read = loaded.LoadFile(Write("damaged.xml", content));
        ASSERT_EQ(read, expected.has_value()) << "seed " << seed << ": " << content;
        if (read) {
            ASSERT_EQ(Describe(loaded.Tracks()), *expected) << "seed " << seed << ": " << content;
        }
    }
}

// The reading may throw (out of memory); libxml2's C frames must not be
// unwound, and nothing of the parse may be left behind.
TEST_F(FileFormat, ExceptionsFromTheReadingReachTheCallerAfterTheParse)
{
    // Ends through the end tags, through a start tag that does not end, and
    // at the end of an unclosed file.
    const std::string content = "<corps><piste libelle='a'><segment debut='1' fin='2'bad='x'><contenu/>"
                                "<segment debut='3' fin='4'/></piste><piste><segment>";
    const std::string path = Write("thrown.xml", content);
    const xmlStructuredErrorFunc handler = xmlStructuredError;
    constexpr int kEvents = 11;
    for (int n = 1; n <= kEvents; ++n) {
        ThrowingHandler throwing(n);
        EXPECT_THROW(ReadXmlFile(path, throwing), std::runtime_error) << n;
        EXPECT_EQ(xmlStructuredError, handler) << n;
    }
    ThrowingHandler past(kEvents + 1);
    EXPECT_TRUE(ReadXmlFile(path, past).read);
    LoadBody("<piste libelle='after'/>");
    EXPECT_EQ(m_timeline.Tracks().GetTrack(0)->GetLabel(), "after");
}

// libxml2's global state belongs to the whole process (another thread may
// be parsing): a load tears none of it down.
TEST_F(FileFormat, LoadLeavesTheXmlLibraryAsItFoundIt)
{
    ASSERT_EQ(xmlAddEncodingAlias("UTF-8", "QUILL-TEST-ALIAS"), 0);
    LoadBody("<piste libelle='a'/>");
    EXPECT_STREQ(xmlGetEncodingAlias("QUILL-TEST-ALIAS"), "UTF-8");
    xmlDelEncodingAlias("QUILL-TEST-ALIAS");
}
