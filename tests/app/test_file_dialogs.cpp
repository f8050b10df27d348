// The file commands through the real file dialogs and message boxes, as a
// user drives them: the dialog is found once shown, the name typed, Enter.
// Videos, then annotation files saved and opened.

#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include <QFileDialog>
#include <QMessageBox>
#include <QTest>

#include "CAnnotatorDlg.h"
#include "FileContents.h"
#include "FileDialogFixture.h"
#include "FileSizeLimit.h"
#include "ModalDriver.h"
#include "ModelScrollBar.h"
#include "ScrollHandling.h"

namespace fs = std::filesystem;

namespace {

class FileDialogs : public FileDialogFixture {
protected:
    FileDialogs() : FileDialogFixture("file-dialogs") {}
};

} // namespace

TEST_F(FileDialogs, AVideoSetsTheTimeRangeFromItsDuration)
{
    DialogSeen seen;
    ModalDriver driver({TypeFileName(s_short, &seen)});
    Click(kOpenVideoId);
    EXPECT_TRUE(driver.AllAnswered());
    EXPECT_EQ(driver.Unexpected(), 0) << driver.Seen();

    EXPECT_EQ(seen.title, QString("Ouvrir une vidéo"));
    EXPECT_EQ(seen.mode, QFileDialog::AcceptOpen);
    EXPECT_EQ(seen.fileMode, QFileDialog::ExistingFile);
    EXPECT_TRUE(seen.qtDialog);
    EXPECT_TRUE(seen.defaultSuffix.isEmpty());
    EXPECT_TRUE(seen.proposedName.isEmpty());
    for (const QString& filter : seen.filters)
        EXPECT_TRUE(filter.contains("(*)") || filter == "*") << filter.toStdString();
    EXPECT_EQ(seen.parent, m_window.get());
    EXPECT_TRUE(seen.modal);

    ASSERT_TRUE(m_window->Movie().HasMovie());
    EXPECT_EQ(m_window->Movie().GetDuration(), 2500);
    const ScrollBarModel& time = m_window->TimeBar();
    EXPECT_EQ(time.GetMin(), 0);
    EXPECT_EQ(time.GetMax(), 250);
    EXPECT_EQ(Bar(kTimeBarId)->maximum(), time.GetMax() - time.GetPage() + 1) << "the widget shows the model";
    // The zoom stayed at 0 and the page covers the new range.
    EXPECT_EQ(m_window->ZoomBar().GetPosition(), 0);
    EXPECT_EQ(time.GetPage(), ZoomPage(251, 0));
    EXPECT_TRUE(ErrorBoxes().isEmpty());
}

TEST_F(FileDialogs, ACancelledVideoDialogStillStepsTheZoom)
{
    m_window->OnHScroll(SB_THUMBTRACK, 5, Bar(kZoomBarId));
    ASSERT_EQ(m_window->TimeBar().GetPage(), ZoomPage(101, 5));
    ModalDriver driver({CancelDialog()});
    Click(kOpenVideoId);
    EXPECT_TRUE(driver.AllAnswered());
    EXPECT_FALSE(m_window->Movie().HasMovie());
    EXPECT_EQ(m_window->Player().GetMovie(), nullptr);
    EXPECT_EQ(m_window->ZoomBar().GetPosition(), 4);
    EXPECT_EQ(Bar(kZoomBarId)->value(), 4);
    EXPECT_EQ(m_window->TimeBar().GetMax(), 100);
    EXPECT_EQ(m_window->TimeBar().GetPage(), ZoomPage(101, 4));
}

TEST_F(FileDialogs, ASecondVideoReplacesTheMovie)
{
    {
        ModalDriver driver({TypeFileName(s_short)});
        Click(kOpenVideoId);
    }
    std::weak_ptr<CQTMovie> first = m_window->Player().GetMovie();
    ASSERT_FALSE(first.expired());
    {
        ModalDriver driver({TypeFileName(s_long)});
        Click(kOpenVideoId);
        EXPECT_TRUE(driver.AllAnswered());
    }
    EXPECT_TRUE(first.expired()) << "the first movie object is released";
    EXPECT_EQ(m_window->Movie().GetDuration(), 4000);
    EXPECT_EQ(m_window->TimeBar().GetMax(), 400);
    m_window->Movie().SetTime(3000);
    m_window->OnTimer();
    EXPECT_DOUBLE_EQ(Timeline().m_currentTime, 300.0);
}

TEST_F(FileDialogs, AFileThatIsNotAVideoIsReportedAndTheWindowGoesOn)
{
    {
        ModalDriver driver({TypeFileName(s_short)});
        Click(kOpenVideoId);
    }
    m_window->OnHScroll(SB_THUMBTRACK, 3, Bar(kZoomBarId));
    const std::string junk = Path("notes de séance.mp4");
    std::ofstream(junk) << "ceci n'est pas une vidéo\n";
    {
        ModalDriver driver({TypeFileName(junk)});
        Click(kOpenVideoId);
        EXPECT_TRUE(driver.AllAnswered());
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return !ErrorBoxes().isEmpty(); }, 2000));
    ASSERT_EQ(ErrorBoxes().size(), 1);
    const std::string text = ErrorBoxes()[0]->text().toStdString();
    EXPECT_NE(text.find("Impossible d'ouvrir la vidéo"), std::string::npos) << text;
    EXPECT_NE(text.find(junk), std::string::npos) << text;
    EXPECT_EQ(m_window->TimeBar().GetMax(), 250) << "the time bar keeps its range";
    EXPECT_EQ(m_window->ZoomBar().GetPosition(), 3) << "the handler ended at the failing step";
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_TRUE(m_window->IsTimerRunning());

    // The player is still usable.
    ModalDriver driver({TypeFileName(s_long)});
    Click(kOpenVideoId);
    EXPECT_EQ(m_window->TimeBar().GetMax(), 400);
}

TEST_F(FileDialogs, SaveAndOpenRoundTripByteForByte)
{
    DialogSeen save, open;
    {
        ModalDriver driver({TypeFileName(Path("exemple.xml"), &save)});
        Click(kSaveAnnotationId);
        EXPECT_TRUE(driver.AllAnswered());
    }
    EXPECT_EQ(save.title, QString("Sauvegarde"));
    EXPECT_EQ(save.mode, QFileDialog::AcceptSave);
    EXPECT_TRUE(save.qtDialog);
    EXPECT_TRUE(save.defaultSuffix.isEmpty());
    EXPECT_TRUE(save.proposedName.isEmpty());
    EXPECT_EQ(save.parent, m_window.get());
    ASSERT_TRUE(fs::exists(Path("exemple.xml"))) << "a new file can be saved";

    Edit();
    EXPECT_TRUE(m_window->HasUnsavedChanges());
    {
        // The file exists now: the dialog asks before replacing it.
        QString caption, text;
        ModalDriver driver(
            {TypeFileName(Path("exemple.xml")), AnswerBox(QMessageBox::Yes, &caption, &text)});
        Click(kSaveAnnotationId);
        EXPECT_TRUE(driver.AllAnswered());
        EXPECT_EQ(driver.Unexpected(), 0) << driver.Seen();
    }
    EXPECT_FALSE(m_window->HasUnsavedChanges());
    const std::string saved = ReadFileContents(Path("exemple.xml"));
    EXPECT_NE(saved.find("Séquence « B »"), std::string::npos);

    while (Timeline().Tracks().GetCount() > 0)
        m_window->Editor().DeleteTrack(0);
    {
        QString caption, text;
        ModalDriver driver({AnswerBox(QMessageBox::Ok, &caption, &text), TypeFileName(Path("exemple.xml"), &open)});
        Click(kOpenAnnotationId);
        EXPECT_TRUE(driver.AllAnswered());
        EXPECT_EQ(driver.Unexpected(), 0) << driver.Seen();
        EXPECT_EQ(caption, QString("Confirmation"));
    }
    EXPECT_EQ(open.title, QString("Ouverture"));
    EXPECT_EQ(open.mode, QFileDialog::AcceptOpen);
    EXPECT_EQ(open.fileMode, QFileDialog::ExistingFile);
    EXPECT_EQ(Timeline().Tracks().GetCount(), 2);
    EXPECT_FALSE(m_window->HasUnsavedChanges());

    {
        ModalDriver driver({TypeFileName(Path("copie élève.xml"))});
        Click(kSaveAnnotationId);
    }
    EXPECT_EQ(ReadFileContents(Path("copie élève.xml")), saved);
}

TEST_F(FileDialogs, ASaveThatFailsIsReportedAndKeepsTheEarlierFile)
{
    const std::string kept = Path("kept.xml");
    std::ofstream(kept) << "previous content";
    Edit();
    QString replaceCaption, replaceText, caption, text;
    // Replacing the earlier file is confirmed in the dialog first.
    ModalDriver driver({TypeFileName(kept), AnswerBox(QMessageBox::Yes, &replaceCaption, &replaceText),
                        AnswerBox(QMessageBox::Ok, &caption, &text)});
    {
        // The file cannot grow past its first bytes, for root too.
        FileSizeLimit limit(64);
        ASSERT_TRUE(limit.Applied());
        Click(kSaveAnnotationId);
    }
    EXPECT_TRUE(driver.AllAnswered());
    EXPECT_EQ(driver.Unexpected(), 0) << driver.Seen();
    EXPECT_EQ(caption, QString("Confirmation"));
    EXPECT_EQ(text, QString("le fichier n'a pas été enregistré"));
    EXPECT_EQ(ReadFileContents(kept), "previous content");
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(m_dir))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"kept.xml"}) << "no partial file left behind";
    EXPECT_TRUE(m_window->HasUnsavedChanges());
}

TEST_F(FileDialogs, AFileThatCannotBeReadIsToldOnce)
{
    std::ofstream(Path("vide.xml")).flush();
    QString caption, text;
    ModalDriver driver({TypeFileName(Path("vide.xml")), AnswerBox(QMessageBox::Ok, &caption, &text)});
    Click(kOpenAnnotationId);
    // Every box of the command, blocking or not, opens before it returns.
    EXPECT_TRUE(driver.AllAnswered());
    EXPECT_EQ(driver.Unexpected(), 0) << "told once";
    EXPECT_TRUE(ErrorBoxes().isEmpty());
    EXPECT_EQ(caption, QString("Confirmation"));
    EXPECT_EQ(text, QString("le fichier n'a pas été ouvert"));
    EXPECT_EQ(Timeline().Tracks().GetCount(), 1);
    EXPECT_FALSE(m_window->HasUnsavedChanges());
}
