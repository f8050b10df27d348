#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "AnnotationEditor.h"
#include "FileContents.h"
#include "FileCommands.h"
#include "Timeline.h"
#include "UserPrompt.h"

namespace fs = std::filesystem;

namespace {

class RecordingPrompt : public UserPrompt {
public:
    bool Confirm(const std::string& text) override
    {
        texts.push_back(text);
        if (during)
            during();
        return answer;
    }
    void Inform(const std::string& text) override
    {
        texts.push_back(text);
        if (during)
            during();
    }
    std::vector<std::string> texts;
    bool answer = true;
    std::function<void()> during;
};

// Stands in for the file dialog: hands out the queued answers in turn and
// records what was asked.
struct ScriptedChooser {
    std::vector<std::optional<std::string>> answers;
    std::vector<std::pair<FileDialogKind, std::string>> asked;

    FileCommands::Chooser Get()
    {
        return [this](FileDialogKind kind, const QString& title) -> std::optional<std::string> {
            asked.emplace_back(kind, title.toStdString());
            if (answers.empty())
                return std::nullopt;
            auto answer = answers.front();
            answers.erase(answers.begin());
            return answer;
        };
    }
};

class FileCommandsTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::path(QUILL_TEST_DATA_DIR) / "file-commands";
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        m_timeline.SetUserPrompt(&m_prompt);
        m_commands = std::make_unique<FileCommands>(m_timeline, m_editor, m_prompt, m_chooser.Get());
    }

    std::string Path(const std::string& name) const { return (m_dir / name).string(); }

    // A change as the editing commands make it.
    void Edit()
    {
        const Track* track = m_editor.AddTrack();
        m_editor.SetTrackLabel(track, "Élève — gestes");
        m_timeline.m_selectedTrack = m_timeline.Tracks().GetCount() - 1;
        const Segment* segment = m_editor.CutSegment(m_timeline.m_selectedTrack);
        m_editor.UpdateSegment(segment, {"Début « A »", "commentaire & <balise>", 12.3, 45.6});
    }

    fs::path m_dir;
    RecordingPrompt m_prompt;
    ScriptedChooser m_chooser;
    CTimeline m_timeline;
    AnnotationEditor m_editor{m_timeline};
    std::unique_ptr<FileCommands> m_commands;
};

} // namespace

TEST_F(FileCommandsTest, NothingIsAskedWhileTheSampleIsUntouched)
{
    EXPECT_FALSE(m_commands->HasUnsavedChanges());
    EXPECT_TRUE(m_commands->MayDiscardChanges());
    m_commands->OpenAnnotationFile(); // cancelled dialog
    EXPECT_TRUE(m_prompt.texts.empty());
    ASSERT_EQ(m_chooser.asked.size(), 1u);
    EXPECT_EQ(m_chooser.asked[0].first, FileDialogKind::Open);
    EXPECT_EQ(m_chooser.asked[0].second, "Ouverture");
}

TEST_F(FileCommandsTest, OpeningOverAChangeAsksFirstAndCancelKeepsEverything)
{
    Edit();
    m_prompt.answer = false;
    m_chooser.answers = {Path("never.xml")};
    m_commands->OpenAnnotationFile();
    ASSERT_EQ(m_prompt.texts.size(), 1u);
    EXPECT_EQ(m_prompt.texts[0],
              "Les annotations ont été modifiées et ne sont pas enregistrées. Continuer quand même ?");
    EXPECT_TRUE(m_chooser.asked.empty()) << "the dialog comes only after an OK";
    EXPECT_EQ(m_timeline.Tracks().GetCount(), 2);
    EXPECT_TRUE(m_commands->HasUnsavedChanges());

    // OK goes on to the dialog, and the loaded file is the new saved state.
    ASSERT_TRUE(m_timeline.SaveFile(Path("other.xml")));
    m_prompt.answer = true;
    m_chooser.answers = {Path("other.xml")};
    m_commands->OpenAnnotationFile();
    EXPECT_EQ(m_prompt.texts.size(), 2u);
    EXPECT_EQ(m_chooser.asked.size(), 1u);
    EXPECT_FALSE(m_commands->HasUnsavedChanges());
    EXPECT_TRUE(m_commands->MayDiscardChanges());
    EXPECT_EQ(m_prompt.texts.size(), 2u);
}

TEST_F(FileCommandsTest, ASaveMakesTheAnnotationsSavedAndAFailedOneDoesNot)
{
    Edit();
    m_chooser.answers = {Path("saved.xml")};
    m_commands->SaveAnnotationFile();
    ASSERT_EQ(m_chooser.asked.size(), 1u);
    EXPECT_EQ(m_chooser.asked[0].first, FileDialogKind::Save);
    EXPECT_EQ(m_chooser.asked[0].second, "Sauvegarde");
    EXPECT_TRUE(m_prompt.texts.empty());
    EXPECT_FALSE(m_commands->HasUnsavedChanges());

    Edit();
    m_chooser.answers = {Path("no-such-folder/saved.xml")};
    m_commands->SaveAnnotationFile();
    ASSERT_EQ(m_prompt.texts.size(), 1u);
    EXPECT_EQ(m_prompt.texts[0], "le fichier n'a pas été enregistré");
    EXPECT_TRUE(m_commands->HasUnsavedChanges()) << "a failed save must not pass for a saved state";
    EXPECT_FALSE(fs::exists(m_dir / "no-such-folder"));

    // A cancelled save dialog writes nothing and says nothing.
    m_commands->SaveAnnotationFile();
    EXPECT_EQ(m_prompt.texts.size(), 1u);
    EXPECT_TRUE(m_commands->HasUnsavedChanges());
}

TEST_F(FileCommandsTest, AFailedLoadIsToldOnceAndKeepsTheUnsavedState)
{
    Edit();
    m_prompt.answer = true;
    m_chooser.answers = {Path("missing.xml")};
    m_commands->OpenAnnotationFile();
    ASSERT_EQ(m_prompt.texts.size(), 2u);
    EXPECT_EQ(m_prompt.texts[1], "le fichier n'a pas été ouvert");
    EXPECT_EQ(m_timeline.Tracks().GetCount(), 2);
    EXPECT_TRUE(m_commands->HasUnsavedChanges());

    // A file of another kind changes nothing either.
    std::ofstream(Path("foreign.xml")) << "<?xml version='1.0'?><autre/>";
    EXPECT_FALSE(m_commands->LoadAnnotations(Path("foreign.xml")));
    EXPECT_TRUE(m_commands->HasUnsavedChanges());
}

// A box runs an event loop of its own, whose ticks and commands must not
// find a history that points into the tracks the load replaced.
TEST_F(FileCommandsTest, ALoadsBoxOpensOnceTheOldTracksHistoryIsGone)
{
    std::ofstream(Path("damaged.xml")) << "<?xml version='1.0'?><corps><piste libelle='A'><segment debut='0' "
                                          "fin='100'/></piste><piste libelle='B'><segment";
    Edit();
    int undoable = -1;
    m_prompt.during = [&] { undoable = m_editor.History().count(); };
    ASSERT_TRUE(m_commands->LoadAnnotations(Path("damaged.xml")));
    EXPECT_EQ(m_prompt.texts, std::vector<std::string>{CTimeline::kLoadDamagedText});
    EXPECT_EQ(undoable, 0);
}

TEST_F(FileCommandsTest, TheQuestionIsNotAskedAgainWhileItIsOpen)
{
    Edit();
    bool inner = true;
    m_prompt.during = [&] { inner = m_commands->MayDiscardChanges(); };
    EXPECT_TRUE(m_commands->MayDiscardChanges());
    EXPECT_EQ(m_prompt.texts.size(), 1u);
    EXPECT_FALSE(inner) << "a second close during the question must not close";

    // Asked again for the next action.
    m_prompt.during = nullptr;
    EXPECT_TRUE(m_commands->MayDiscardChanges());
    EXPECT_EQ(m_prompt.texts.size(), 2u);
}

TEST_F(FileCommandsTest, SaveLoadSaveIsByteForByte)
{
    m_chooser.answers = {Path("sample.xml"), Path("sample.xml"), Path("sample-again.xml")};
    m_commands->SaveAnnotationFile();
    m_commands->OpenAnnotationFile();
    m_commands->SaveAnnotationFile();
    EXPECT_EQ(ReadFileContents(Path("sample.xml")), ReadFileContents(Path("sample-again.xml")));
    EXPECT_NE(ReadFileContents(Path("sample.xml")).find("titre=\"PL\""), std::string::npos);

    Edit();
    m_chooser.answers = {Path("edited.xml"), Path("edited.xml"), Path("edited-again.xml")};
    m_commands->SaveAnnotationFile();
    m_commands->OpenAnnotationFile();
    m_commands->SaveAnnotationFile();
    const std::string edited = ReadFileContents(Path("edited.xml"));
    EXPECT_EQ(edited, ReadFileContents(Path("edited-again.xml")));
    EXPECT_NE(edited.find("Élève — gestes"), std::string::npos);
    EXPECT_NE(edited.find("commentaire &amp; &lt;balise&gt;"), std::string::npos);
    EXPECT_TRUE(m_prompt.texts.empty());
}

TEST_F(FileCommandsTest, SaveGoesToTheCurrentFileOnceThereIsOne)
{
    EXPECT_EQ(m_commands->CurrentFile(), "");
    // None yet: the save dialog, and a cancelled one leaves none.
    m_commands->SaveToCurrentFile();
    ASSERT_EQ(m_chooser.asked.size(), 1u);
    EXPECT_EQ(m_chooser.asked[0].first, FileDialogKind::Save);
    EXPECT_EQ(m_commands->CurrentFile(), "");

    Edit();
    m_chooser.answers = {Path("first.xml")};
    m_commands->SaveToCurrentFile();
    EXPECT_EQ(m_commands->CurrentFile(), Path("first.xml"));
    EXPECT_FALSE(m_commands->HasUnsavedChanges());

    // Then no dialog: straight into that file.
    m_editor.DeleteTrack(0);
    m_commands->SaveToCurrentFile();
    EXPECT_EQ(m_chooser.asked.size(), 2u);
    EXPECT_FALSE(m_commands->HasUnsavedChanges());
    CTimeline reread;
    ASSERT_TRUE(reread.LoadFile(Path("first.xml")));
    EXPECT_EQ(reread.Tracks().GetCount(), 1);

    // A failed save keeps the file it was meant for, and the unsaved work.
    Edit();
    m_chooser.answers = {Path("no-such-folder/x.xml")};
    m_commands->SaveAnnotationFile();
    EXPECT_EQ(m_commands->CurrentFile(), Path("first.xml"));
    EXPECT_TRUE(m_commands->HasUnsavedChanges());

    // A load makes its file the current one; a failed load does not.
    ASSERT_TRUE(m_commands->LoadAnnotations(Path("first.xml")));
    EXPECT_FALSE(m_commands->LoadAnnotations(Path("missing.xml")));
    EXPECT_EQ(m_commands->CurrentFile(), Path("first.xml"));
}

TEST_F(FileCommandsTest, UndoingPastASaveIsUnsavedWorkAndALoadForgetsTheHistory)
{
    Edit();
    m_chooser.answers = {Path("saved.xml")};
    m_commands->SaveAnnotationFile();
    m_editor.Undo();
    EXPECT_TRUE(m_commands->HasUnsavedChanges());
    m_prompt.answer = false;
    EXPECT_FALSE(m_commands->MayDiscardChanges());
    m_editor.Redo();
    EXPECT_FALSE(m_commands->HasUnsavedChanges());

    Edit();
    ASSERT_TRUE(m_commands->LoadAnnotations(Path("saved.xml")));
    EXPECT_FALSE(m_commands->HasUnsavedChanges());
    EXPECT_FALSE(m_editor.History().canUndo()) << "its commands refer to tracks the load destroyed";
    EXPECT_FALSE(m_editor.History().canRedo());
}

TEST(WindowCaption, NamesTheFileAndStarsUnsavedWork)
{
    EXPECT_EQ(WindowCaption("", false), QString("Quillmark"));
    EXPECT_EQ(WindowCaption("", true), QString("*Quillmark"));
    EXPECT_EQ(WindowCaption("/tmp/séance 3/nom.xml", false), QString("nom.xml — Quillmark"));
    EXPECT_EQ(WindowCaption("/tmp/séance 3/nom.xml", true), QString("*nom.xml — Quillmark"));
}
