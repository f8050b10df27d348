// Saving: what a save may replace, the modes it leaves, and the bytes it
// writes.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <filesystem>
#include <limits>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <libxml/encoding.h>
#include <libxml/tree.h>
#include <libxml/xmlIO.h>
#include <libxml/xmlsave.h>

#include "AtomicFile.h"
#include "FileFormatFixture.h"
#include "TimeValue.h"
#include "Timeline.h"
#include "XmlText.h"

namespace fs = std::filesystem;

namespace {

std::atomic<int> g_umaskCalls{0};

size_t OpenDescriptors()
{
    return static_cast<size_t>(std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()));
}

mode_t ModeOf(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

// The bytes that libxml2 writes for the tree of the tracks, as the program
// wrote every annotation file until it wrote them out as a stream.
std::string LibxmlSerialisation(const TrackList& tracks)
{
    xmlDocPtr doc = xmlNewDoc(BAD_CAST "1.0");
    xmlNodePtr corps = xmlNewNode(nullptr, BAD_CAST "corps");
    xmlDocSetRootElement(doc, corps);
    const auto set = [](xmlNodePtr node, const char* name, const std::string& value) {
        xmlSetProp(node, BAD_CAST name, BAD_CAST XmlSafeText(value).c_str());
    };
    for (const auto& track : tracks) {
        xmlNodePtr piste = xmlNewChild(corps, nullptr, BAD_CAST "piste", nullptr);
        set(piste, "libelle", track->GetLabel());
        for (const auto& s : track->GetSegments()) {
            xmlNodePtr segment = xmlNewChild(piste, nullptr, BAD_CAST "segment", nullptr);
            set(segment, "debut", FormatTimeValue(s->m_start));
            set(segment, "fin", FormatTimeValue(s->m_end));
            xmlNodePtr contenu = xmlNewChild(segment, nullptr, BAD_CAST "contenu", nullptr);
            set(contenu, "titre", s->m_title);
            set(contenu, "commentaire", s->m_comment);
            set(contenu, "video", std::to_string(s->m_videoNumber));
        }
    }
    std::string bytes;
    const auto append = [](void* context, const char* buffer, int length) {
        static_cast<std::string*>(context)->append(buffer, static_cast<size_t>(length));
        return length;
    };
    xmlOutputBufferPtr out = xmlOutputBufferCreateIO(append, nullptr, &bytes, xmlFindCharEncodingHandler("UTF-8"));
    xmlSaveFormatFileTo(out, doc, "UTF-8", 1);
    xmlFreeDoc(doc);
    return bytes;
}

// Texts made of what escaping and the XML character rules treat apart:
// markup, white space, control characters, every length of UTF-8 sequence,
// and byte sequences that are not UTF-8 or not XML characters.
std::string RandomText(std::mt19937& random)
{
    static const std::vector<std::string> pieces = {
        "a", "Zz", " ", "\t", "\n", "\r", "\r\n", "\"", "'", "&", "<", ">", "=", ";", "&amp;", "&#38;", "]]>",
        "\x7F", std::string(1, '\0'), "\x01", "\x0B", "\x1B", "\x1F", "\xC3\xA9", "\xE2\x82\xAC",
        "\xE6\x97\xA5", "\xF0\x9F\x8E\xA5", "\xEF\xBF\xBD", "\xC2\x85", "\x80", "\xC3", "\xFF", "\xFE",
        "\xC0\x80", "\xE0\x80\x80", "\xED\xA0\x80", "\xEF\xBF\xBE", "\xEF\xBF\xBF", "\xF4\x90\x80\x80",
        "\xF8\x88\x80\x80\x80", "\xE2\x82", "\xF0\x9F\x8E",
    };
    std::string text;
    const size_t count = random() % 12;
    for (size_t i = 0; i < count; ++i)
        text += pieces[random() % pieces.size()];
    return text;
}

double RandomTime(std::mt19937& random)
{
    static const std::vector<double> special = {
        0.0, -0.0, 0.29, 0.3, -0.5, 1e300, -1e300, std::nan(""),
        std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
    };
    if (random() % 4 == 0)
        return special[random() % special.size()];
    return std::uniform_real_distribution<double>(-1e6, 1e8)(random);
}

} // namespace

// Every call of this program to umask, counted. The mask can only be read
// by setting it, and a thread creating a file meanwhile (the player's do)
// would create it under the wrong mask.
extern "C" mode_t umask(mode_t mask) noexcept
{
    ++g_umaskCalls;
    return static_cast<mode_t>(::syscall(SYS_umask, mask));
}

TEST_F(FileFormat, SaveGivesNewFilesTheUmaskModeWithoutTouchingTheUmask)
{
    const mode_t before = ::umask(022);
    const std::vector<std::pair<mode_t, mode_t>> masks = {{022, 0644}, {027, 0640}, {077, 0600}, {0, 0666}};
    for (const auto& [mask, mode] : masks) {
        ::umask(mask);
        g_umaskCalls = 0;
        const std::string target = Path("new-" + std::to_string(mask) + ".xml");
        ASSERT_TRUE(m_timeline.SaveFile(target)) << mask;
        EXPECT_EQ(ModeOf(target), mode) << mask;
        // An existing file keeps its own mode, whatever the mask.
        ::chmod(target.c_str(), 0604);
        ASSERT_TRUE(m_timeline.SaveFile(target)) << mask;
        EXPECT_EQ(ModeOf(target), 0604u) << mask;
        EXPECT_EQ(g_umaskCalls, 0) << mask;
    }
    ::umask(before);
}

TEST_F(FileFormat, WriteProtectedFileIsNotReplaced)
{
    const fs::perms readOnly = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
    const std::string target = Write("finished.xml", "previous content");
    fs::permissions(target, readOnly);
    fs::create_symlink("finished.xml", Path("link.xml"));
    for (const std::string& path : {target, Path("link.xml")}) {
        const auto saved = AsUnprivilegedUser([&] { return m_timeline.SaveFile(path); });
        ASSERT_TRUE(saved.has_value()) << path;
        EXPECT_FALSE(*saved) << path;
        EXPECT_EQ(Read(target), "previous content") << path;
        EXPECT_EQ(FileNames(), (std::vector<std::string>{"finished.xml", "link.xml"})) << path; // no temporary
    }

    // Root may write any file: it replaces this one as it always has, and
    // the file stays write-protected.
    if (::geteuid() != 0)
        return;
    ASSERT_TRUE(m_timeline.SaveFile(target));
    EXPECT_NE(Read(target).find("<corps>"), std::string::npos);
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all, readOnly);
}

// The core that exports and recovery copies write through: any bytes, all
// or nothing, whatever way the writing fails.
TEST_F(FileFormat, AtomicWriteReplacesWholeOrNotAtAll)
{
    std::string binary;
    for (int i = 0; i < 3'000'000; ++i)
        binary += static_cast<char>(i * 7 % 256);
    const std::string target = Write("out.bin", "previous content");
    for (const std::string& bytes : {std::string(), std::string("abc"), binary}) {
        ASSERT_TRUE(WriteFileAtomically(target, bytes)) << bytes.size();
        EXPECT_TRUE(Read(target) == bytes) << bytes.size();
    }

    Write("out.bin", "previous content");
    const size_t descriptors = OpenDescriptors();
    const std::vector<std::pair<std::string, FileContentWriter>> failures = {
        {"refused", [](int fd) { return WriteAllBytes(fd, "part", 4) && false; }},
        {"thrown", [](int fd) -> bool {
             WriteAllBytes(fd, "part", 4);
             throw std::runtime_error("thrown");
         }},
    };
    for (const auto& [what, write] : failures) {
        bool written = true;
        try {
            written = WriteFileAtomically(target, write);
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(what, error.what());
            written = false;
        }
        EXPECT_FALSE(written) << what;
        EXPECT_EQ(Read(target), "previous content") << what;
        EXPECT_EQ(FileNames(), (std::vector<std::string>{"out.bin"})) << what;
        EXPECT_EQ(OpenDescriptors(), descriptors) << what;
    }
}

// The stream written straight to the file is, byte for byte, what libxml2
// wrote from a tree: files saved before and after read and compare alike.
TEST_F(FileFormat, SaveWritesTheBytesLibxml2WroteFromATree)
{
    const std::vector<int> videos = {0, 7, -12, std::numeric_limits<int>::max(), std::numeric_limits<int>::min()};
    for (unsigned seed = 0; seed < 40; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(seed);
        TrackList built;
        const size_t tracks = seed == 0 ? 0 : random() % 8;
        for (size_t t = 0; t < tracks; ++t) {
            Track* track = built.AppendTrack();
            track->SetLabel(RandomText(random));
            const size_t segments = random() % 6;
            for (size_t i = 0; i < segments; ++i) {
                auto segment = std::make_unique<Segment>();
                segment->m_start = RandomTime(random);
                segment->m_end = RandomTime(random);
                segment->SetTitle(RandomText(random));
                segment->SetComment(RandomText(random));
                segment->m_videoNumber = random() % 2 ? static_cast<int>(random()) : videos[random() % videos.size()];
                track->AppendSegment(std::move(segment));
            }
        }
        // Texts longer than what the writer buffers, markup and errors across
        // each boundary.
        if (seed % 20 == 19) {
            std::string huge;
            while (huge.size() < 2'500'000)
                huge += RandomText(random);
            built.InsertTrack(0, std::make_unique<Track>());
            built.GetTrack(0)->SetLabel(huge);
        }
        m_timeline.ReplaceTracks(std::move(built));
        ASSERT_TRUE(m_timeline.SaveFile(Path("streamed.xml")));
        EXPECT_TRUE(Read(Path("streamed.xml")) == LibxmlSerialisation(m_timeline.Tracks()));
    }
}
