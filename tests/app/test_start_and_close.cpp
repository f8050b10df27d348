// The window's closing and starting through its dialogs: the question on
// close when work would be lost, the command line's files, and a player that
// cannot start.

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "CAnnotatorApp.h"
#include "CAnnotatorDlg.h"
#include "CommandLine.h"
#include "FileDialogFixture.h"
#include "ScrollHandling.h"
#include "ModalDriver.h"
#include "ModelScrollBar.h"
#include "PlayerError.h"

namespace {

class FileDialogs : public FileDialogFixture {
protected:
    FileDialogs() : FileDialogFixture("start-and-close") {}
};

} // namespace

TEST_F(FileDialogs, ClosingAsksOnlyWhenWorkWouldBeLost)
{
    Edit();
    QString caption, text;
    {
        ModalDriver driver({AnswerBox(QMessageBox::Cancel, &caption, &text)});
        m_window->close();
        EXPECT_TRUE(driver.AllAnswered());
    }
    EXPECT_EQ(caption, QString("Confirmation"));
    EXPECT_EQ(text, QString("Les annotations ont été modifiées et ne sont pas enregistrées. Continuer quand même ?"));
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_EQ(m_window->MouseState(), CAnnotatorDlg::MOUSE_IDLE);
    EXPECT_TRUE(m_window->IsTimerRunning());
    EXPECT_EQ(Timeline().Tracks().GetCount(), 2);

    {
        ModalDriver driver({TypeFileName(Path("fin.xml"))});
        Click(kSaveAnnotationId);
    }
    // The question would open, and be counted, before close() returns.
    ModalDriver none({});
    m_window->close();
    EXPECT_EQ(none.Unexpected(), 0) << "nothing to lose after a save";
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_EQ(m_window->MouseState(), CAnnotatorDlg::MOUSE_CLOSING);
}

TEST_F(FileDialogs, OkOnTheQuestionCloses)
{
    Edit();
    QString caption, text;
    ModalDriver driver({AnswerBox(QMessageBox::Ok, &caption, &text)});
    m_window->close();
    EXPECT_TRUE(driver.AllAnswered());
    EXPECT_EQ(driver.Unexpected(), 0) << driver.Seen();
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_EQ(m_window->MouseState(), CAnnotatorDlg::MOUSE_CLOSING);
}

TEST_F(FileDialogs, StartFilesOpenAsFromTheDialogs)
{
    Edit();
    {
        ModalDriver driver({TypeFileName(Path("depart.xml"))});
        Click(kSaveAnnotationId);
    }
    m_window->OnClose();
    m_window = std::make_unique<CAnnotatorDlg>(AudioOutput::Silent());
    m_window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));

    StartOptions options;
    options.video = s_short;
    options.annotations = Path("depart.xml");
    options.folder = m_dir.string();
    m_window->OnHScroll(SB_THUMBTRACK, 2, Bar(kZoomBarId));
    m_window->OpenStartFiles(options);
    EXPECT_EQ(Timeline().Tracks().GetCount(), 2);
    EXPECT_FALSE(m_window->HasUnsavedChanges()) << "the loaded file is the saved state";
    EXPECT_EQ(m_window->AnnotationFolder(), m_dir.string());
    EXPECT_EQ(m_window->TimeBar().GetMax(), 250);
    EXPECT_EQ(m_window->ZoomBar().GetPosition(), 1);
    EXPECT_TRUE(ErrorBoxes().isEmpty());
}

TEST_F(FileDialogs, APlayerThatCannotStartIsToldAndTheExitStatusSaysSo)
{
    CAnnotatorApp app;
    app.SetWindowFactory([]() -> std::unique_ptr<CAnnotatorDlg> { throw PlayerError::EngineUnavailable(); });
    QString caption, text;
    ModalDriver driver({AnswerBox(QMessageBox::Ok, &caption, &text)});
    EXPECT_FALSE(app.InitInstance());
    EXPECT_TRUE(driver.AllAnswered());
    EXPECT_NE(app.ExitCode(), 0);
    EXPECT_TRUE(text.startsWith("Quillmark n'a pas pu démarrer.")) << text.toStdString();
    EXPECT_TRUE(text.contains("Le lecteur vidéo n'a pas pu démarrer.")) << text.toStdString();
}

TEST_F(FileDialogs, TheApplicationOpensTheCommandLineFilesOnceTheWindowIsUp)
{
    {
        ModalDriver driver({TypeFileName(Path("ligne.xml"))});
        Edit();
        Click(kSaveAnnotationId);
    }
    StartOptions options;
    options.video = s_short;
    options.annotations = Path("ligne.xml");
    options.folder = m_dir.string();

    // Looks at the application's own window from inside its modal run,
    // then closes it.
    int tracks = -1;
    int timeMax = -1;
    std::string folder;
    QTimer poll;
    poll.setInterval(20);
    QElapsedTimer waited;
    waited.start();
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* window = qobject_cast<CAnnotatorDlg*>(widget);
            if (window == nullptr || window == m_window.get() || !window->isVisible())
                continue;
            if (window->TimeBar().GetMax() == 100 && !waited.hasExpired(10000))
                return; // not opened yet
            tracks = window->Timeline().Tracks().GetCount();
            timeMax = window->TimeBar().GetMax();
            folder = window->AnnotationFolder();
            poll.stop();
            window->close();
        }
    });
    poll.start();
    CAnnotatorApp app(options);
    app.SetWindowFactory([] { return std::make_unique<CAnnotatorDlg>(AudioOutput::Silent()); });
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(app.ExitCode(), 0);
    EXPECT_EQ(tracks, 2);
    EXPECT_EQ(timeMax, 250);
    EXPECT_EQ(folder, m_dir.string()) << "showing the window must not clear the folder given";
}
