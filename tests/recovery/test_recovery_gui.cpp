// Recovery in the program: the box offered at start, a recovered copy taken
// up by the window, the copy removed when the work is given up, the versions
// kept by its saves, a file changed elsewhere, and a state folder that cannot
// be written.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "CAnnotatorApp.h"
#include "FileDialogFixture.h"
#include "ModalDriver.h"
#include "RecoveryPrompt.h"
#include "RecoveryTestSupport.h"
#include "StateFolders.h"
#include "VersionStore.h"

namespace {

constexpr int kWaitMs = 30000;

QPushButton* ButtonNamed(QWidget* dialog, const char* text)
{
    for (QPushButton* button : dialog->findChildren<QPushButton*>())
        if (button->text() == QString::fromUtf8(text))
            return button;
    return nullptr;
}

// What the box showed when a step looked at it.
struct PromptSeen {
    QString caption;
    QStringList rows;
    int selected = -1;
    bool recoverEnabled = false;
    bool recoverIsDefault = false;
    bool deleteEnabled = false;
};

void Look(RecoveryPrompt& prompt, PromptSeen* seen)
{
    auto* list = prompt.findChild<QListWidget*>();
    seen->caption = prompt.windowTitle();
    seen->rows.clear();
    for (int row = 0; row < list->count(); ++row)
        seen->rows << list->item(row)->text();
    seen->selected = list->currentRow();
    seen->recoverEnabled = ButtonNamed(&prompt, RecoveryPrompt::kRecoverLabel)->isEnabled();
    seen->recoverIsDefault = ButtonNamed(&prompt, RecoveryPrompt::kRecoverLabel)->isDefault();
    seen->deleteEnabled = ButtonNamed(&prompt, RecoveryPrompt::kDeleteLabel)->isEnabled();
}

// Records the box, then acts on it.
ModalDriver::Step OnPrompt(PromptSeen* seen, std::function<void(RecoveryPrompt&)> act)
{
    return [seen, act](QWidget* modal) {
        auto* prompt = qobject_cast<RecoveryPrompt*>(modal);
        ASSERT_NE(prompt, nullptr) << modal->metaObject()->className();
        Look(*prompt, seen);
        act(*prompt);
    };
}

std::vector<std::string> Contents(const QStringList& files)
{
    std::vector<std::string> contents;
    for (const QString& file : files)
        contents.push_back(ReadFileContents(file.toStdString()));
    return contents;
}

// Presses a box's button, whatever it says.
ModalDriver::Step Answer(QMessageBox::StandardButton button)
{
    auto ignored = std::make_shared<QString>();
    return [button, ignored](QWidget* modal) { AnswerBox(button, ignored.get(), ignored.get())(modal); };
}

ModalDriver::Step Key(Qt::Key key)
{
    return [key](QWidget* modal) { QTest::keyClick(modal, key); };
}

class Recovery : public FileDialogFixture {
protected:
    Recovery() : FileDialogFixture("recovery-gui") {}

    void SetUp() override
    {
        // A state folder of each test's own, read when the window is built.
        const std::string state = (std::filesystem::path(QUILL_TEST_DATA_DIR) / "recovery-gui-state").string();
        std::filesystem::remove_all(state);
        qputenv("XDG_STATE_HOME", QByteArray::fromStdString(state));
        FileDialogFixture::SetUp();
    }

    // A copy left by a program that is gone.
    std::string LeaveCopy(const std::string& name, int tracks, const ResumePoint& resume, int64_t writtenMs)
    {
        MakeStateFolder(RecoveryFolder());
        TrackList list;
        for (int t = 0; t < tracks; ++t)
            list.AppendTrack()->AppendSegment(MakeSegment(10 * t + 1, 10 * t + 5, "copie " + name));
        const std::string path = QDir(RecoveryFolder()).filePath(QString::fromStdString(name + ".xml")).toStdString();
        EXPECT_TRUE(WriteRecoveryCopy(path, list, resume, writtenMs));
        return path;
    }

    QStringList CopiesLeft() const { return QDir(RecoveryFolder()).entryList({"*.xml"}, QDir::Files); }

    bool WaitForCopy()
    {
        return QTest::qWaitFor([this] {
            const QString path = m_window->Recovery().CopyPath();
            return !path.isEmpty() && ReadRecoveryCopy(path.toStdString()).readable;
        }, kWaitMs);
    }

    std::string Saved(const std::string& name)
    {
        return SavedBytes(Timeline().Tracks(), Path(name));
    }
};

TEST_F(Recovery, TheBoxListsNewestFirstAndRecoversTheSelectedOne)
{
    const QDateTime noon(QDate(2024, 5, 1), QTime(12, 30));
    LeaveCopy("older", 1, {"/travail/cours.xml", "/travail/cours.mp4", "/travail", 0, {}}, noon.toMSecsSinceEpoch());
    LeaveCopy("newer", 2, {"", "", "", 0, {}}, noon.addSecs(60).toMSecsSinceEpoch());
    LeaveCopy("one", 1, {"/travail/un.xml", "", "", 0, {}}, noon.addSecs(-60).toMSecsSinceEpoch());

    PromptSeen seen;
    std::optional<FoundCopy> chosen;
    {
        ModalDriver driver({OnPrompt(&seen, [](RecoveryPrompt& prompt) { QTest::keyClick(&prompt, Qt::Key_Return); })});
        chosen = OfferRecovery(RecoveryFolder());
        EXPECT_TRUE(driver.AllAnswered());
    }
    EXPECT_EQ(seen.caption, QString("Récupération"));
    EXPECT_EQ(seen.rows, (QStringList{"sans nom — sans vidéo — 01/05/2024 12:31 — 2 pistes, 2 segments",
                                      "cours.xml — cours.mp4 — 01/05/2024 12:30 — 1 piste, 1 segment",
                                      "un.xml — sans vidéo — 01/05/2024 12:29 — 1 piste, 1 segment"}));
    EXPECT_EQ(seen.selected, 0);
    EXPECT_TRUE(seen.recoverIsDefault);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->claim->CopyPath(), QDir(RecoveryFolder()).filePath("newer.xml"));
    EXPECT_EQ(ClaimOrphanCopies(RecoveryFolder()).size(), 2u) << "the others stay for a later start";
    EXPECT_EQ(CopiesLeft().size(), 3);
}

// Escape, the close box and "Plus tard" keep every copy.
TEST_F(Recovery, LaterKeepsEveryCopy)
{
    LeaveCopy("a", 1, {}, 1000);
    LeaveCopy("b", 1, {}, 2000);
    const ModalDriver::Step ways[] = {
        Key(Qt::Key_Escape),
        [](QWidget* modal) { modal->close(); },
        [](QWidget* modal) { ButtonNamed(modal, RecoveryPrompt::kLaterLabel)->click(); },
    };
    for (const auto& way : ways) {
        ModalDriver driver({way});
        EXPECT_FALSE(OfferRecovery(RecoveryFolder()));
        EXPECT_TRUE(driver.AllAnswered());
        EXPECT_EQ(CopiesLeft().size(), 2);
    }
}

TEST_F(Recovery, DeleteAsksThenRemovesTheSelectedOneAndUnreadableOnesCanOnlyBeDeleted)
{
    LeaveCopy("a", 1, {"/x/a.xml", "", "", 0, {}}, 3000);
    const std::string newer = LeaveCopy("newer", 1, {}, 2000);
    const std::string text = ReadFileContents(newer);
    WriteBytes(newer, std::string(text).replace(text.find("format=\"1\""), 10, "format=\"2\""));
    const std::string damaged = LeaveCopy("damaged", 1, {}, 1000);
    WriteBytes(damaged, ReadFileContents(damaged).substr(0, 120));
    // An unreadable copy is dated by its file.
    for (const auto& [file, ms] : {std::pair{newer, 2000}, std::pair{damaged, 1000}}) {
        QFile touched(QString::fromStdString(file));
        ASSERT_TRUE(touched.open(QIODevice::ReadWrite));
        touched.setFileTime(QDateTime::fromMSecsSinceEpoch(ms), QFileDevice::FileModificationTime);
    }

    PromptSeen first, unreadable, afterCancel, afterDelete;
    QString caption, question;
    {
    // One step for the box: the driver answers the questions it opens.
    ModalDriver driver({
        OnPrompt(&first, [&](RecoveryPrompt& prompt) {
            prompt.findChild<QListWidget*>()->setCurrentRow(1);
            Look(prompt, &unreadable);
            // Enter cannot recover what cannot be read.
            QTest::keyClick(&prompt, Qt::Key_Return);
            ButtonNamed(&prompt, RecoveryPrompt::kDeleteLabel)->click();
            Look(prompt, &afterCancel);
            ButtonNamed(&prompt, RecoveryPrompt::kDeleteLabel)->click();
            Look(prompt, &afterDelete);
            QTest::keyClick(&prompt, Qt::Key_Escape);
        }),
        AnswerBox(QMessageBox::Cancel, &caption, &question),
        Answer(QMessageBox::Ok),
    });
    EXPECT_FALSE(OfferRecovery(RecoveryFolder()));
    EXPECT_TRUE(driver.AllAnswered()) << driver.Seen();
    }

    ASSERT_EQ(first.rows.size(), 3);
    EXPECT_TRUE(first.rows[0].startsWith("a.xml — sans vidéo — ")) << first.rows[0].toStdString();
    EXPECT_TRUE(first.recoverEnabled);
    EXPECT_EQ(first.rows[1], "illisible — " + QDateTime::fromMSecsSinceEpoch(2000).toString("dd/MM/yyyy HH:mm"));
    EXPECT_EQ(first.rows[2], "illisible — " + QDateTime::fromMSecsSinceEpoch(1000).toString("dd/MM/yyyy HH:mm"));
    EXPECT_FALSE(unreadable.recoverEnabled);
    EXPECT_EQ(caption, QString("Confirmation"));
    EXPECT_EQ(question, QString("Supprimer définitivement ces annotations non enregistrées ?"));
    EXPECT_EQ(afterCancel.rows, first.rows) << "Cancel deletes nothing";
    EXPECT_EQ(afterDelete.rows, (QStringList{first.rows[0], first.rows[2]}));
    EXPECT_EQ(afterDelete.selected, 1);
    EXPECT_TRUE(afterDelete.deleteEnabled) << "the row that takes the deleted one's place can go too";
    EXPECT_EQ(CopiesLeft(), (QStringList{"a.xml", "damaged.xml"}));

    // The last one deleted, the box goes and the start goes on.
    ModalDriver last({
        [](QWidget* modal) {
            ButtonNamed(modal, RecoveryPrompt::kDeleteLabel)->click();
            ButtonNamed(modal, RecoveryPrompt::kDeleteLabel)->click();
        },
        Answer(QMessageBox::Ok),
        Answer(QMessageBox::Ok),
    });
    EXPECT_FALSE(OfferRecovery(RecoveryFolder()));
    EXPECT_TRUE(last.AllAnswered()) << last.Seen();
    EXPECT_TRUE(CopiesLeft().isEmpty());
}

// What a crash leaves is taken up where it was: the annotations as unsaved
// work on their file, the video at its time, the folder; Ctrl+S then saves
// over the unchanged file without a question.
TEST_F(Recovery, ARecoveredCopyResumesWhereItsWindowWas)
{
    StartOptions options;
    options.video = s_long;
    options.folder = m_dir.string();
    WriteBytes(Path("cours.xml"), "<?xml version=\"1.0\"?>\n<corps><piste libelle=\"A\"/></corps>\n");
    options.annotations = Path("cours.xml");
    m_window->OpenStartFiles(options);
    m_window->Movie().SetTime(1500);
    Edit();
    ASSERT_TRUE(WaitForCopy());
    const std::string before = ReadFileContents(Path("cours.xml"));
    const std::string expected = Saved("expected.xml");
    const int32_t time = m_window->Movie().GetTime();

    // Gone without a word, as a killed program goes.
    m_window->OnClose();
    m_window.reset();
    std::vector<FoundCopy> found = ClaimOrphanCopies(RecoveryFolder());
    ASSERT_EQ(found.size(), 1u);
    m_window = std::make_unique<CAnnotatorDlg>(AudioOutput::Silent());
    m_window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
    ASSERT_TRUE(m_window->ResumeRecovered(std::move(found[0])));

    EXPECT_EQ(m_window->windowTitle(), QString("*cours.xml — Quillmark"));
    EXPECT_TRUE(m_window->HasUnsavedChanges());
    EXPECT_EQ(Saved("recovered.xml"), expected);
    EXPECT_EQ(m_window->AnnotationFolder(), m_dir.string());
    EXPECT_EQ(m_window->Player().Source(), s_long);
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_window->Movie().GetTime() == time; }, kWaitMs))
        << m_window->Movie().GetTime() << " for " << time;
    EXPECT_EQ(ReadFileContents(Path("cours.xml")), before);

    ModalDriver none({});
    m_window->OnSaveToCurrentFile();
    EXPECT_EQ(none.Unexpected(), 0) << none.Seen();
    EXPECT_EQ(ReadFileContents(Path("cours.xml")), expected);
    EXPECT_EQ(m_window->windowTitle(), QString("cours.xml — Quillmark"));
    EXPECT_TRUE(QTest::qWaitFor([this] { return CopiesLeft().isEmpty(); }, kWaitMs)) << "saved: the copy goes";
}

TEST_F(Recovery, AFileChangedElsewhereIsAskedAboutOnceAndCancelLeavesIt)
{
    StartOptions options;
    WriteBytes(Path("cours.xml"), "<?xml version=\"1.0\"?>\n<corps><piste libelle=\"A\"/></corps>\n");
    options.annotations = Path("cours.xml");
    m_window->OpenStartFiles(options);
    Edit();
    const std::string elsewhere = "<?xml version=\"1.0\"?>\n<corps><piste libelle=\"B\"/></corps>\n";
    WriteBytes(Path("cours.xml"), elsewhere);

    QString caption, text;
    {
        ModalDriver driver({AnswerBox(QMessageBox::Cancel, &caption, &text)});
        m_window->OnSaveToCurrentFile();
        EXPECT_TRUE(driver.AllAnswered());
        EXPECT_EQ(driver.Unexpected(), 0) << driver.Seen();
    }
    EXPECT_EQ(caption, QString("Confirmation"));
    EXPECT_EQ(text, QString("Le fichier a été modifié par un autre programme depuis son ouverture. L'enregistrer quand même ?"));
    EXPECT_EQ(ReadFileContents(Path("cours.xml")), elsewhere);
    EXPECT_TRUE(VersionStore(VersionsFolder()).VersionsOf(Path("cours.xml")).isEmpty()) << "Cancel saves nothing";
    EXPECT_TRUE(m_window->HasUnsavedChanges());

    {
        ModalDriver driver({Answer(QMessageBox::Ok)});
        m_window->OnSaveToCurrentFile();
        EXPECT_TRUE(driver.AllAnswered());
        EXPECT_EQ(driver.Unexpected(), 0) << driver.Seen();
    }
    EXPECT_EQ(ReadFileContents(Path("cours.xml")), Saved("expected.xml"));
    EXPECT_EQ(Contents(VersionStore(VersionsFolder()).VersionsOf(Path("cours.xml"))), std::vector{elsewhere})
        << "the other program's work is kept";
    Edit();
    ModalDriver none({});
    m_window->OnSaveToCurrentFile();
    EXPECT_EQ(none.Unexpected(), 0) << "its own save is no change elsewhere";
}

TEST_F(Recovery, TwelveSavesKeepTheTenNewestVersions)
{
    {
        ModalDriver driver({TypeFileName(Path("cours.xml"))});
        m_window->OnSaveAnnotationFile();
    }
    std::vector<std::string> replaced;
    for (int save = 0; save < 12; ++save) {
        m_window->Editor().SetTrackLabel(Timeline().Tracks().GetTrack(0), "version " + std::to_string(save));
        replaced.push_back(ReadFileContents(Path("cours.xml")));
        m_window->OnSaveToCurrentFile();
    }
    const QStringList versions = VersionStore(VersionsFolder()).VersionsOf(Path("cours.xml"));
    std::vector<std::string> kept;
    for (const QString& version : versions)
        kept.push_back(ReadFileContents(version.toStdString()));
    EXPECT_EQ(kept, std::vector<std::string>(replaced.begin() + 2, replaced.end()));
    EXPECT_EQ(QDir(m_dir).entryList(QDir::Files | QDir::Hidden), QStringList{"cours.xml"})
        << "nothing lasting beside the user's file";
}

// Refusing the question keeps the copy with the work; giving the work up, or
// ending with nothing unsaved, removes it.
TEST_F(Recovery, ClosingRemovesTheCopyOnlyWhenTheWorkIsGivenUp)
{
    Edit();
    ASSERT_TRUE(WaitForCopy());
    {
        ModalDriver driver({Answer(QMessageBox::Cancel)});
        m_window->close();
    }
    EXPECT_EQ(CopiesLeft().size(), 1);
    {
        ModalDriver driver({Answer(QMessageBox::Ok)});
        m_window->close();
    }
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_TRUE(CopiesLeft().isEmpty());
}

// Failures of the copies and of the versions are told once a series: a box
// for the first, none again until a write has succeeded. The save goes on.
TEST_F(Recovery, AStateFolderThatCannotBeWrittenIsToldOnceASeries)
{
    m_window.reset();
    const QString state = QuillmarkStateFolder();
    QDir().mkpath(QFileInfo(state).path());
    WriteBytes(state.toStdString(), "");
    m_window = std::make_unique<CAnnotatorDlg>(AudioOutput::Silent());
    m_window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
    {
        ModalDriver driver({TypeFileName(Path("cours.xml"))});
        m_window->OnSaveAnnotationFile();
    }

    Edit();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !ErrorBoxes().isEmpty(); }, kWaitMs));
    const std::string expected = "La copie de secours n'a pas pu être écrite : « " + state.toStdString() + " » n'est pas un dossier";
    EXPECT_EQ(ErrorBoxes()[0]->text().toStdString(), expected);
    ErrorBoxes()[0]->close();
    ASSERT_TRUE(QTest::qWaitFor([this] { return ErrorBoxes().isEmpty(); }, kWaitMs));

    // A save with no version to keep is no write that ends the series; the
    // version that fails next is within it. The saves are made.
    {
        ModalDriver driver({TypeFileName(Path("autre.xml"))});
        m_window->OnSaveAnnotationFile();
    }
    Edit();
    m_window->OnSaveToCurrentFile();
    EXPECT_EQ(ReadFileContents(Path("autre.xml")), Saved("expected.xml"));
    EXPECT_FALSE(m_window->HasUnsavedChanges());
    EXPECT_TRUE(ErrorBoxes().isEmpty()) << "a box would be open by now";

    // A copy written ends the series; the next failure is told again.
    QFile::remove(state);
    Edit();
    ASSERT_TRUE(WaitForCopy());
    m_window->Recovery().Flush();
    WriteBytes(VersionsFolder().toStdString(), "");
    m_window->OnSaveToCurrentFile();
    ASSERT_EQ(ErrorBoxes().size(), 1);
    EXPECT_EQ(ErrorBoxes()[0]->text().toStdString(),
              "La copie de secours n'a pas pu être écrite : « " + VersionsFolder().toStdString() + " » n'est pas un dossier");
}

// The box comes before the window; a recovered copy stands in for the
// command line's files, which open as usual otherwise.
TEST_F(Recovery, TheApplicationOffersCopiesFirstAndOpensTheStartFilesUnlessOneIsRecovered)
{
    m_window->OnClose();
    m_window.reset();
    WriteBytes(Path("ligne.xml"), "<?xml version=\"1.0\"?>\n<corps><piste libelle=\"L\"/><piste libelle=\"M\"/></corps>\n");
    StartOptions options;
    options.annotations = Path("ligne.xml");

    for (const bool recover : {true, false}) {
        SCOPED_TRACE(recover ? "recovered" : "later");
        LeaveCopy("left", 3, {Path("autre.xml"), "", "", 0, {}}, 1000);
        int tracks = -1;
        QString caption;
        bool answered = false;
        QTimer poll;
        poll.setInterval(20);
        // The window runs modally too: the box is answered here, once.
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* prompt = qobject_cast<RecoveryPrompt*>(QApplication::activeModalWidget());
            if (prompt != nullptr && !answered) {
                answered = true;
                const Qt::Key key = recover ? Qt::Key_Return : Qt::Key_Escape;
                QTimer::singleShot(0, prompt, [prompt, key] { QTest::keyClick(prompt, key); });
                return;
            }
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                auto* window = qobject_cast<CAnnotatorDlg*>(widget);
                if (window == nullptr || !window->isVisible() || window->Timeline().Tracks().GetCount() == 1)
                    continue;
                tracks = window->Timeline().Tracks().GetCount();
                caption = window->windowTitle();
                poll.stop();
                window->OnClose();
            }
        });
        poll.start();
        CAnnotatorApp app(options);
        app.SetWindowFactory([] { return std::make_unique<CAnnotatorDlg>(AudioOutput::Silent()); });
        app.InitInstance();
        EXPECT_TRUE(answered);
        EXPECT_EQ(tracks, recover ? 3 : 2);
        EXPECT_EQ(caption, recover ? QString("*autre.xml — Quillmark") : QString("ligne.xml — Quillmark"));
        for (const QString& copy : CopiesLeft())
            QFile::remove(QDir(RecoveryFolder()).filePath(copy));
    }
}

} // namespace
