// Tables written by the export and ELAN files opened as annotations: they
// belong to no file afterwards and count as unsaved, while every other file
// is handled as the annotation file always was.

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "AnnotationEditor.h"
#include "Export.h"
#include "FileContents.h"
#include "FileCommands.h"
#include "TestTracks.h"
#include "Timeline.h"
#include "UserPrompt.h"

namespace fs = std::filesystem;

namespace {

// Each box as "?text" (OK and Cancel) or "!text" (OK only), with what the
// window held while it was open.
class BoxRecorder : public UserPrompt {
public:
    explicit BoxRecorder(const AnnotationEditor& editor) : m_editor(editor) {}
    bool Confirm(const std::string& text) override { return Record("?" + text); }
    void Inform(const std::string& text) override { Record("!" + text); }

    std::vector<std::string> boxes;
    // The history's length while each box was open.
    std::vector<int> historyDuring;

private:
    bool Record(const std::string& box)
    {
        boxes.push_back(box);
        historyDuring.push_back(m_editor.History().count());
        return true;
    }
    const AnnotationEditor& m_editor;
};

enum class Outcome {
    Imported, // the tracks replaced, no current file, unsaved
    Loaded,   // the program's own file: current, saved
    Refused,  // nothing changed
};

struct FileCase {
    const char* name;
    std::string bytes;
    Outcome outcome;
    std::vector<std::string> boxes;
    int tracks = 0; // when imported or loaded
};

std::string ExportedTable()
{
    TrackList tracks;
    for (const char* label : {"Gestes\tmains", "Regards « ça »"}) {
        Track* track = tracks.AppendTrack();
        track->SetLabel(label);
        track->AppendSegment(MakeSegment(12.0, 5.5, "=titre", "deux\nlignes", 3));
    }
    return Export(*FindExportFormat("tsv"), tracks, {}).bytes;
}

std::string Eaf(const std::string& timeSlots, const std::string& annotations)
{
    std::string eaf = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<ANNOTATION_DOCUMENT AUTHOR=\"\" DATE=\"2023-04-01T10:00:00+02:00\" FORMAT=\"3.0\" VERSION=\"3.0\">\n"
                      "<HEADER MEDIA_FILE=\"\" TIME_UNITS=\"milliseconds\"/>\n<TIME_ORDER>";
    eaf += timeSlots + "</TIME_ORDER>\n<TIER LINGUISTIC_TYPE_REF=\"lt\" TIER_ID=\"Locuteur\">" + annotations;
    return eaf + "</TIER>\n<LINGUISTIC_TYPE LINGUISTIC_TYPE_ID=\"lt\" TIME_ALIGNABLE=\"true\"/>\n</ANNOTATION_DOCUMENT>\n";
}

std::string Aligned(const char* id, const char* from, const char* to)
{
    return std::string("<ANNOTATION><ALIGNABLE_ANNOTATION ANNOTATION_ID=\"") + id + "\" TIME_SLOT_REF1=\"" + from
        + "\" TIME_SLOT_REF2=\"" + to + "\"><ANNOTATION_VALUE>oui</ANNOTATION_VALUE></ALIGNABLE_ANNOTATION></ANNOTATION>";
}

std::vector<FileCase> FileCases()
{
    const std::string table = ExportedTable();
    const std::string header = table.substr(0, table.find('\n') + 1);
    std::string nearHeader = header;
    nearHeader.replace(nearHeader.rfind("video"), 5, "videos");
    const char* const notOpened = "?le fichier n'a pas été ouvert";
    const std::string untimed = Eaf("<TIME_SLOT TIME_SLOT_ID=\"ts1\" TIME_VALUE=\"1000\"/><TIME_SLOT TIME_SLOT_ID=\"ts2\"/>"
                                    "<TIME_SLOT TIME_SLOT_ID=\"ts3\" TIME_VALUE=\"3000\"/>",
                                    Aligned("a1", "ts1", "ts2") + Aligned("a2", "ts2", "ts3"));
    return {
        {"exported.tsv", table, Outcome::Imported, {}, 2},
        {"tableur.tsv", "\xEF\xBB\xBF" + header.substr(0, header.size() - 1) + "\r\nA\t1\t1\t0.1\t0.2\t0.1\tt\tc\t0\r\nx\ty\r\n",
         Outcome::Imported, {"!1 ligne illisible du tableau a été ignorée."}, 1},
        {"en-tete seul.tsv", header, Outcome::Imported, {}, 0},
        {"presque.tsv", nearHeader + "A\t1\t1\t0.1\t0.2\t0.1\tt\tc\t0\n", Outcome::Refused, {notOpened}},
        {"sans temps.eaf", untimed, Outcome::Imported, {"!2 annotations sans temps ont été placées entre leurs voisines."}, 1},
        {"entites.eaf",
         "<?xml version=\"1.0\"?>\n<!DOCTYPE ANNOTATION_DOCUMENT [<!ENTITY x \"xxxxxxxxxx\">]>\n"
         "<ANNOTATION_DOCUMENT>&x;</ANNOTATION_DOCUMENT>\n",
         Outcome::Refused, {notOpened}},
        {"autre.xml", "<?xml version='1.0'?><autre/>", Outcome::Refused, {}},
        {"vide.tsv", "", Outcome::Refused, {notOpened}},
        {"annotations.xml",
         "<?xml version='1.0'?><corps><piste libelle='A'/><piste libelle='B'/><piste libelle='C'/></corps>",
         Outcome::Loaded, {}, 3},
    };
}

class FileImports : public testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::path(QUILL_TEST_DATA_DIR) / "file-imports";
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        m_timeline.SetUserPrompt(&m_prompt);
        m_commands = std::make_unique<FileCommands>(m_timeline, m_editor, m_prompt,
                                                    [this](FileDialogKind kind, const QString&) {
                                                        m_asked.push_back(kind);
                                                        return m_answer;
                                                    });
    }
    void TearDown() override { m_timeline.SetUserPrompt(nullptr); }

    std::string Write(const std::string& name, const std::string& bytes)
    {
        const std::string path = (m_dir / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    fs::path m_dir;
    CTimeline m_timeline;
    AnnotationEditor m_editor{m_timeline};
    BoxRecorder m_prompt{m_editor};
    std::vector<FileDialogKind> m_asked;
    std::optional<std::string> m_answer; // the file dialogs' answer; none cancels
    std::unique_ptr<FileCommands> m_commands;
};

} // namespace

TEST_F(FileImports, EachKindOfFileOpensAsItShould)
{
    const std::string saved = Write("avant.xml", "<?xml version='1.0'?><corps><piste libelle='avant'/></corps>");
    for (const FileCase& file : FileCases()) {
        SCOPED_TRACE(file.name);
        // Saved annotations with a history, as after some work and a save.
        ASSERT_TRUE(m_commands->LoadAnnotations(saved));
        EXPECT_FALSE(m_commands->HasUnsavedChanges()) << "a load after an import is saved work";
        m_editor.AddTrack();
        m_editor.MarkSaved();
        m_prompt.boxes.clear();
        m_prompt.historyDuring.clear();
        const uint64_t revision = m_timeline.Revision();
        const std::string path = Write(file.name, file.bytes);

        const bool opened = m_commands->LoadAnnotations(path);

        EXPECT_EQ(m_prompt.boxes, file.boxes);
        switch (file.outcome) {
        case Outcome::Imported:
            EXPECT_TRUE(opened);
            EXPECT_EQ(m_timeline.Tracks().GetCount(), file.tracks);
            EXPECT_EQ(m_commands->CurrentFile(), "") << "a save must never write XML over it";
            EXPECT_TRUE(m_commands->HasUnsavedChanges());
            EXPECT_EQ(m_editor.History().count(), 0);
            for (int during : m_prompt.historyDuring)
                EXPECT_EQ(during, 0) << "a box's event loop must find no history into the old tracks";
            break;
        case Outcome::Loaded:
            EXPECT_TRUE(opened);
            EXPECT_EQ(m_timeline.Tracks().GetCount(), file.tracks);
            EXPECT_EQ(m_commands->CurrentFile(), path);
            EXPECT_FALSE(m_commands->HasUnsavedChanges());
            EXPECT_EQ(m_editor.History().count(), 0);
            break;
        case Outcome::Refused:
            EXPECT_FALSE(opened);
            EXPECT_EQ(m_timeline.Revision(), revision) << "the annotations stay as they were";
            EXPECT_EQ(m_commands->CurrentFile(), saved);
            EXPECT_FALSE(m_commands->HasUnsavedChanges());
            EXPECT_EQ(m_editor.History().count(), 1);
            break;
        }
    }
}

TEST_F(FileImports, AfterAnImportTheNextSaveAsksForANameAndAnEditUndoneIsStillUnsaved)
{
    const std::string table = Write("tableau.tsv", ExportedTable());
    ASSERT_TRUE(m_commands->LoadAnnotations(table));
    m_editor.AddTrack();
    m_editor.Undo();
    EXPECT_TRUE(m_commands->HasUnsavedChanges()) << "the imported annotations were never saved";

    m_commands->SaveToCurrentFile(); // the dialog, cancelled
    EXPECT_EQ(m_asked, std::vector<FileDialogKind>{FileDialogKind::Save});
    EXPECT_EQ(m_commands->CurrentFile(), "");
    EXPECT_EQ(m_prompt.boxes, std::vector<std::string>{});

    // Closing asks; a save under a new name makes them saved.
    EXPECT_TRUE(m_commands->MayDiscardChanges());
    EXPECT_EQ(m_prompt.boxes.size(), 1u);
    m_answer = (m_dir / "repris.xml").string();
    m_commands->SaveToCurrentFile();
    EXPECT_EQ(m_commands->CurrentFile(), (m_dir / "repris.xml").string());
    EXPECT_FALSE(m_commands->HasUnsavedChanges());
    EXPECT_EQ(ReadFileContents(table), ExportedTable()) << "the table is untouched";
}
