// ELAN files as ELAN writes them (dependent tiers, unaligned slots, several
// linguistic types, a media descriptor), and files built to hurt the reader.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FormatsTestSupport.h"
#include "Import.h"
#include "TimeValue.h"
#include "Timeline.h"

namespace {

const char* const kHead = R"(<?xml version="1.0" encoding="UTF-8"?>
<!-- written by hand the way ELAN writes -->
<ANNOTATION_DOCUMENT AUTHOR="" DATE="2023-04-01T10:00:00+02:00" FORMAT="3.0" VERSION="3.0" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance" xsi:noNamespaceSchemaLocation="http://www.mpi.nl/tools/elan/EAFv3.0.xsd">
    <HEADER MEDIA_FILE="" TIME_UNITS="milliseconds">
        <MEDIA_DESCRIPTOR MEDIA_URL="file:///home/u/entretien.mp4" MIME_TYPE="video/mp4" RELATIVE_MEDIA_URL="./entretien.mp4"/>
        <PROPERTY NAME="URN">urn:nl-mpi-tools-elan-eaf:0f3a</PROPERTY>
        <PROPERTY NAME="lastUsedAnnotationId">12</PROPERTY>
    </HEADER>
)";

const char* const kTypes = R"(
    <LINGUISTIC_TYPE GRAPHIC_REFERENCES="false" LINGUISTIC_TYPE_ID="default-lt" TIME_ALIGNABLE="true"/>
    <LINGUISTIC_TYPE CONSTRAINTS="Time_Subdivision" GRAPHIC_REFERENCES="false" LINGUISTIC_TYPE_ID="mots" TIME_ALIGNABLE="true"/>
    <LINGUISTIC_TYPE CONSTRAINTS="Included_In" GRAPHIC_REFERENCES="false" LINGUISTIC_TYPE_ID="gestes" TIME_ALIGNABLE="true"/>
    <LINGUISTIC_TYPE CONSTRAINTS="Symbolic_Association" GRAPHIC_REFERENCES="false" LINGUISTIC_TYPE_ID="traduction" TIME_ALIGNABLE="false"/>
    <LINGUISTIC_TYPE CONSTRAINTS="Symbolic_Subdivision" GRAPHIC_REFERENCES="false" LINGUISTIC_TYPE_ID="glose" TIME_ALIGNABLE="false"/>
    <CONSTRAINT DESCRIPTION="Time subdivision of parent annotation's time interval, no time gaps allowed within this interval" STEREOTYPE="Time_Subdivision"/>
    <CONSTRAINT DESCRIPTION="Symbolic subdivision of a parent annotation. Annotations refering to the same parent are ordered" STEREOTYPE="Symbolic_Subdivision"/>
    <CONSTRAINT DESCRIPTION="1-1 association with a parent annotation" STEREOTYPE="Symbolic_Association"/>
    <CONSTRAINT DESCRIPTION="Time alignable annotations within the parent annotation's time interval, gaps are allowed" STEREOTYPE="Included_In"/>
</ANNOTATION_DOCUMENT>
)";

std::string Aligned(const char* id, const char* from, const char* to, const char* value)
{
    return std::string("        <ANNOTATION><ALIGNABLE_ANNOTATION ANNOTATION_ID=\"") + id + "\" TIME_SLOT_REF1=\"" + from
        + "\" TIME_SLOT_REF2=\"" + to + "\"><ANNOTATION_VALUE>" + value
        + "</ANNOTATION_VALUE></ALIGNABLE_ANNOTATION></ANNOTATION>\n";
}

std::string Reference(const char* id, const char* to, const char* value)
{
    return std::string("        <ANNOTATION><REF_ANNOTATION ANNOTATION_ID=\"") + id + "\" ANNOTATION_REF=\"" + to
        + "\"><ANNOTATION_VALUE>" + value + "</ANNOTATION_VALUE></REF_ANNOTATION></ANNOTATION>\n";
}

std::string Tier(const char* id, const char* type, const char* parent, const std::string& annotations)
{
    std::string tier = std::string("    <TIER LINGUISTIC_TYPE_REF=\"") + type + "\"";
    if (parent != nullptr)
        tier += std::string(" PARENT_REF=\"") + parent + "\"";
    return tier + " TIER_ID=\"" + id + "\">\n" + annotations + "    </TIER>\n";
}

std::string Slots(const std::vector<std::pair<const char*, const char*>>& slots)
{
    std::string order = "    <TIME_ORDER>\n";
    for (const auto& [id, value] : slots) {
        order += std::string("        <TIME_SLOT TIME_SLOT_ID=\"") + id + "\"";
        if (value != nullptr)
            order += std::string(" TIME_VALUE=\"") + value + "\"";
        order += "/>\n";
    }
    return order + "    </TIME_ORDER>\n";
}

// Track by track: "label", then "start end title|comment|video" with the
// stored integers of the bounds.
std::vector<std::string> Describe(const TrackList& tracks)
{
    std::vector<std::string> lines;
    for (const TrackData& track : DescribeTracks(tracks)) {
        lines.push_back(track.label);
        for (const SegmentData& s : track.segments)
            lines.push_back(FormatTimeValue(s.start) + " " + FormatTimeValue(s.end) + " " + s.title + "|" + s.comment
                            + "|" + std::to_string(s.video));
    }
    return lines;
}

struct HandWritten {
    const char* name;
    std::string content;
    std::vector<std::string> tracks;
    std::vector<std::string> notices;
};

std::vector<HandWritten> HandWrittenFiles()
{
    return {
        {"dependent tiers",
         kHead
             + Slots({{"ts1", "1000"}, {"ts2", nullptr}, {"ts3", nullptr}, {"ts4", "4000"}, {"ts5", "5000"},
                      {"ts6", "7500"}, {"ts7", "1200"}, {"ts8", "1800"}})
             + Tier("Locuteur A", "default-lt", nullptr,
                    Aligned("a1", "ts1", "ts4", "bonjour à tous") + Aligned("a2", "ts5", "ts6", "merci"))
             + Tier("Mots A", "mots", "Locuteur A",
                    Aligned("a3", "ts1", "ts2", "bonjour") + Aligned("a4", "ts2", "ts3", "à")
                        + Aligned("a5", "ts3", "ts4", "tous"))
             + Tier("Traduction", "traduction", "Locuteur A", Reference("a6", "a1", "hello everyone"))
             + Tier("Catégories", "traduction", "Mots A",
                    Reference("a7", "a3", "interj") + Reference("a8", "a5", "pron &amp; co"))
             + Tier("Glose", "glose", "Traduction", Reference("a9", "a6", "salut") + Reference("a10", "a6", "tous"))
             + Tier("Gestes", "gestes", "Locuteur A", Aligned("a11", "ts7", "ts8", "main levée"))
             + Tier("Vide", "default-lt", nullptr, "") + kTypes,
         {"Locuteur A",
          "10000 40000 bonjour à tous|Traduction : hello everyone\nGlose : salut\nGlose : tous|0",
          "50000 75000 merci||0",
          "Mots A", "10000 20000 bonjour|Catégories : interj|0", "20000 30000 à||0",
          "30000 40000 tous|Catégories : pron & co|0",
          "Gestes", "12000 18000 main levée||0",
          "Vide"},
         {"3 annotations sans temps ont été placées entre leurs voisines."}},
        {"slots before the first and after the last value",
         kHead + Slots({{"ts1", nullptr}, {"ts2", "2000"}, {"ts3", "2500"}, {"ts4", nullptr}})
             + Tier("T", "default-lt", nullptr, Aligned("a2", "ts2", "ts4", "après") + Aligned("a1", "ts1", "ts3", "avant"))
             + kTypes,
         {"T", "20000 25000 après||0", "20000 25000 avant||0"},
         {"2 annotations sans temps ont été placées entre leurs voisines."}},
        {"references to nothing",
         kHead + Slots({{"ts1", "100"}, {"ts2", "200"}})
             + Tier("T", "default-lt", nullptr,
                    Aligned("a1", "ts1", "ts2", "bon") + Aligned("a2", "ts1", "missing", "sans fin"))
             + Tier("R", "traduction", "T", Reference("a3", "a2", "orphelin") + Reference("a4", "a9", "perdu"))
             + kTypes,
         {"T", "1000 2000 bon||0"},
         {"3 annotations illisibles ont été ignorées."}},
        {"no linguistic types, times with spaces and past any file",
         kHead + Slots({{"ts1", " 300 "}, {"ts2", "99999999999999"}, {"ts3", "-5"}})
             + Tier("T", "inconnu", nullptr, Aligned("a1", "ts1", "ts2", "long") + Aligned("a2", "ts3", "ts1", "x"))
             + Tier("R", "inconnu", "T", Reference("a3", "a1", "note")) + "</ANNOTATION_DOCUMENT>\n",
         {"T", "3000 2147483647 long|R : note|0", "2147483647 3000 x||0"},
         {"1 annotations sans temps ont été placées entre leurs voisines."}},
    };
}

} // namespace

TEST(EafImport, FilesWrittenTheWayElanWritesThem)
{
    const std::string folder = FreshFolder("eaf-hand");
    for (const HandWritten& file : HandWrittenFiles()) {
        SCOPED_TRACE(file.name);
        WriteFileBytes(folder + "/f.eaf", file.content);
        const ImportResult result = ImportFile(folder + "/f.eaf");
        ASSERT_EQ(result.status, ImportResult::Status::Read);
        EXPECT_EQ(Describe(*result.tracks), file.tracks);
        EXPECT_EQ(result.notices, file.notices);
    }
}

TEST(EafImport, HostileFilesAreRefusedOrReadWithinBounds)
{
    const std::string folder = FreshFolder("eaf-hostile");
    WriteFileBytes(folder + "/secret.txt", "secret");
    const std::string root = "<ANNOTATION_DOCUMENT FORMAT='3.0'>";
    std::string references;
    for (int i = 0; i < 3000; ++i)
        references += "&e;";
    std::string attributes;
    for (int i = 0; i < 100'000; ++i)
        attributes += " a" + std::to_string(i) + "=''";
    const std::vector<std::pair<std::string, std::string>> refused = {
        {"entities", "<!DOCTYPE ANNOTATION_DOCUMENT [<!ENTITY e '" + std::string(100'000, 'a') + "'>]>" + root
                         + "<TIER TIER_ID='" + references + "'/></ANNOTATION_DOCUMENT>"},
        {"external entity", "<!DOCTYPE ANNOTATION_DOCUMENT [<!ENTITY e SYSTEM 'file://" + folder
                                + "/secret.txt'>]>" + root + "<TIER TIER_ID='&e;'/></ANNOTATION_DOCUMENT>"},
        {"external document type", "<!DOCTYPE ANNOTATION_DOCUMENT SYSTEM 'http://127.0.0.1:9/eaf.dtd' [<!ELEMENT x ANY>]>"
                                       + root + "</ANNOTATION_DOCUMENT>"},
        {"attributes", root + "<TIER" + attributes + "/></ANNOTATION_DOCUMENT>"},
        {"no root", "<!DOCTYPE ANNOTATION_DOCUMENT>"},
    };
    for (const auto& [what, content] : refused) {
        SCOPED_TRACE(what);
        WriteFileBytes(folder + "/h.eaf", "<?xml version='1.0'?>" + content);
        EXPECT_EQ(ImportFile(folder + "/h.eaf").status, ImportResult::Status::Failed);
    }

    // Chains of references: a loop, and one far longer than any tier stack.
    std::string chain = Aligned("a0", "ts1", "ts2", "base");
    std::string links;
    for (int i = 1; i <= 20'000; ++i)
        links += Reference(("a" + std::to_string(i)).c_str(), ("a" + std::to_string(i - 1)).c_str(), "v");
    const std::string looped = kHead + Slots({{"ts1", "100"}, {"ts2", "200"}}) + Tier("T", "default-lt", nullptr, chain)
        + Tier("L", "traduction", "T", Reference("b1", "b2", "x") + Reference("b2", "b1", "y"))
        + Tier("C", "traduction", "T", links) + kTypes;
    WriteFileBytes(folder + "/loop.eaf", looped);
    const ImportResult loop = ImportFile(folder + "/loop.eaf");
    ASSERT_EQ(loop.status, ImportResult::Status::Read);
    ASSERT_EQ(loop.tracks->GetCount(), 1);
    ASSERT_EQ(loop.tracks->GetTrack(0)->GetSegments().size(), 1u);
    ASSERT_EQ(loop.notices.size(), 1u);
    EXPECT_EQ(loop.notices[0].substr(loop.notices[0].find(' ')), " annotations illisibles ont été ignorées.");

    // A hundred thousand faults, which the library formats one by one: what
    // comes before them is read, and the file said damaged.
    std::string faults;
    while (faults.size() < 900'000)
        faults += "<a b='' b=''/>";
    WriteFileBytes(folder + "/faults.eaf", kHead + Slots({{"ts1", "100"}, {"ts2", "200"}})
                                                + Tier("T", "default-lt", nullptr, Aligned("a1", "ts1", "ts2", "lu"))
                                                + "<TIER TIER_ID='x'>" + faults + "</TIER></ANNOTATION_DOCUMENT>");
    const ImportResult flooded = ImportFile(folder + "/faults.eaf");
    ASSERT_EQ(flooded.status, ImportResult::Status::Read);
    ASSERT_GE(flooded.tracks->GetCount(), 1);
    ASSERT_EQ(flooded.tracks->GetTrack(0)->GetSegments().size(), 1u);
    EXPECT_EQ(flooded.tracks->GetTrack(0)->GetSegments()[0]->m_title, "lu");
    EXPECT_EQ(flooded.notices.front(), CTimeline::kLoadDamagedText);

    // Damage: what comes before it is read, and the file said damaged.
    const std::string whole = HandWrittenFiles()[0].content;
    WriteFileBytes(folder + "/cut.eaf", whole.substr(0, whole.find("<TIER LINGUISTIC_TYPE_REF=\"traduction\"")));
    const ImportResult cut = ImportFile(folder + "/cut.eaf");
    ASSERT_EQ(cut.status, ImportResult::Status::Read);
    EXPECT_EQ(cut.tracks->GetCount(), 2);
    ASSERT_FALSE(cut.notices.empty());
    EXPECT_EQ(cut.notices[0], CTimeline::kLoadDamagedText);
}

TEST(EafImport, OnlyTheRootMakesAnElanFile)
{
    const std::string folder = FreshFolder("eaf-root");
    const std::vector<std::pair<std::string, ImportResult::Status>> files = {
        {"<ANNOTATION_DOCUMENT/>", ImportResult::Status::Read},
        {"\xEF\xBB\xBF<?xml version='1.0'?>\n<!-- <corps> -->\n<!DOCTYPE ANNOTATION_DOCUMENT>\n<ANNOTATION_DOCUMENT>"
         "</ANNOTATION_DOCUMENT>", ImportResult::Status::Read},
        {"<corps><piste libelle='ANNOTATION_DOCUMENT'/></corps>", ImportResult::Status::NotForeign},
        {"<ANNOTATION_DOCUMENTS/>", ImportResult::Status::NotForeign},
        {"<eaf:ANNOTATION_DOCUMENT xmlns:eaf='u'/>", ImportResult::Status::NotForeign},
    };
    for (const auto& [content, status] : files) {
        SCOPED_TRACE(content);
        WriteFileBytes(folder + "/f.eaf", content);
        EXPECT_EQ(ImportFile(folder + "/f.eaf").status, status);
    }
    // A folder, and a file that is not there, are left to the caller.
    EXPECT_EQ(ImportFile(folder).status, ImportResult::Status::NotForeign);
    EXPECT_EQ(ImportFile(folder + "/absent.eaf").status, ImportResult::Status::NotForeign);
}
