// The recovery copy's file: what it keeps, that the program's reader and an
// older one open it as plain annotations, and which copies cannot be read.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include <libxml/parser.h>

#include "RecoveryCopy.h"
#include "RecoveryTestSupport.h"
#include "Timeline.h"

namespace {

const ResumePoint kResumePoints[] = {
    {},
    {"/home/léa/cours.xml", "/home/léa/cours.mp4", "/home/léa/plans", 123456, KnownFile{42, 1714560000123456789, "0f"}},
    {"/tmp/a \"b\" & <c>.xml", "/tmp/vidéo\nà la ligne.mp4", "", -5, std::nullopt},
    {"", "/v.mp4", "/", 2147483647, KnownFile{0, 0, ""}},
};

TEST(RecoveryCopy, KeepsTheAnnotationsAndWhereToResume)
{
    TestFolder folder;
    std::mt19937 random(28);
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const TrackList tracks = RandomTracks(random);
        const ResumePoint& resume = kResumePoints[round % std::size(kResumePoints)];
        ASSERT_TRUE(WriteRecoveryCopy(folder.Path("copy.xml"), tracks, resume, 1714560000000 + round));

        RecoveryCopyRead read = ReadRecoveryCopy(folder.Path("copy.xml"));
        ASSERT_TRUE(read.readable);
        EXPECT_EQ(read.resume, resume);
        EXPECT_EQ(read.writtenMs, 1714560000000 + round);
        EXPECT_EQ(CountSegments(read.tracks), CountSegments(tracks));
        // Saved again, the copy gives what a save before the kill would
        // have, times the file's hundredths would not give back included.
        const std::string expected = SavedBytes(tracks, folder.Path("expected.xml"));
        EXPECT_EQ(SavedBytes(read.tracks, folder.Path("recovered.xml")), expected);

        // "Ouvrir le fichier d'annotation" on a copy, and a Quillmark that
        // read through a tree: the annotations of a plain save, no more.
        CTimeline plain;
        ASSERT_TRUE(plain.LoadFile(folder.Path("expected.xml")));
        const std::string opensAs = SavedBytes(plain.Tracks(), folder.Path("plain.xml"));
        CTimeline opened;
        ASSERT_TRUE(opened.LoadFile(folder.Path("copy.xml")));
        EXPECT_EQ(SavedBytes(opened.Tracks(), folder.Path("opened.xml")), opensAs);
        xmlDocPtr doc = xmlReadFile(folder.Path("copy.xml").c_str(), nullptr, XML_PARSE_NONET);
        ASSERT_NE(doc, nullptr);
        TrackList older;
        older.ReadXml(xmlDocGetRootElement(doc)->children);
        xmlFreeDoc(doc);
        EXPECT_EQ(SavedBytes(older, folder.Path("older.xml")), opensAs);
    }
}

TEST(RecoveryCopy, TracksMadeFromTheirValuesSaveAsTheOriginal)
{
    TestFolder folder;
    std::mt19937 random(280);
    for (int round = 0; round < 20; ++round) {
        const TrackList tracks = RandomTracks(random);
        EXPECT_EQ(SavedBytes(TracksOf(ValuesOf(tracks)), folder.Path("copy.xml")), SavedBytes(tracks, folder.Path("o.xml")));
    }
}

// A copy from a newer Quillmark, a damaged one and files that are no copy
// at all can only be deleted.
TEST(RecoveryCopy, WhatCannotBeReadIsUnreadable)
{
    TestFolder folder;
    TrackList tracks;
    // A time the hundredths do not give back: its exact value is written.
    tracks.AppendTrack()->AppendSegment(MakeSegment(1, 16780.44, "titre"));
    ASSERT_TRUE(WriteRecoveryCopy(folder.Path("good.xml"), tracks, kResumePoints[1], 1));
    const std::string good = ReadFileContents(folder.Path("good.xml"));
    ASSERT_TRUE(ReadRecoveryCopy(folder.Path("good.xml")).readable);
    ASSERT_NE(good.find("<temps "), std::string::npos);
    const auto replaced = [&good](const std::string& from, const std::string& to) {
        const size_t at = good.find(from);
        return at == std::string::npos ? std::string("not found: ") + from : std::string(good).replace(at, from.size(), to);
    };

    const struct {
        const char* name;
        std::string bytes;
    } rows[] = {
        {"newer format", replaced("format=\"1\"", "format=\"2\"")},
        {"format zero", replaced("format=\"1\"", "format=\"0\"")},
        {"format not a number", replaced("format=\"1\"", "format=\"1a\"")},
        {"no format", replaced("format=\"1\"", "")},
        {"no time", replaced("temps=", "tempo=")},
        {"no date", replaced("date=", "jour=")},
        {"plain annotations", replaced("<secours", "<autre")},
        {"not the root's first child", replaced("<corps>", "<corps>\n  <piste libelle=\"x\"/>")},
        {"another root", "<?xml version=\"1.0\"?>\n<racine>\n  <secours format=\"1\" date=\"1\" temps=\"0\"/>\n</racine>\n"},
        {"exact times of no segment", replaced("segment=\"0\"", "segment=\"1\"")},
        {"exact times of no track", replaced("piste=\"0\"", "piste=\"-1\"")},
        {"exact times unreadable", replaced("fin=\"1.", "fin=\"z.")},
        {"cut short", good.substr(0, good.size() / 2)},
        {"not XML", "\x7F" "ELF\x02\x01\x01"},
        {"empty", ""},
        {"entities", "<?xml version=\"1.0\"?><!DOCTYPE corps [<!ENTITY a \"b\">]>" + good.substr(good.find("<corps>"))},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        WriteBytes(folder.Path("bad.xml"), row.bytes);
        const RecoveryCopyRead read = ReadRecoveryCopy(folder.Path("bad.xml"));
        EXPECT_FALSE(read.readable);
        EXPECT_EQ(read.tracks.GetCount(), 0);
    }
    EXPECT_FALSE(ReadRecoveryCopy(folder.Path("missing.xml")).readable);
}

} // namespace
