#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QLabel>
#include <QScreen>
#include <QTest>

#include "AboutDlg.h"
#include "CAnnotatorDlg.h"
#include "CSegmentDlg.h"
#include "CTrackDlg.h"
#include "MainWindowFixture.h"
#include "ModalScript.h"
#include "ScrollHandling.h"
#include "TestVideo.h"

namespace fs = std::filesystem;

namespace {

constexpr int kWaitMs = 20000;

// The main window, active, with tracks A, B and C, A selected, and a clean
// history.
class Shortcuts : public MainWindowFixture {
protected:
    Shortcuts() : MainWindowFixture({.active = true, .tracksABC = true}) {}

    void SetUp() override
    {
        m_dir = fs::path(QUILL_TEST_DATA_DIR) / "shortcuts";
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        MainWindowFixture::SetUp();
    }

    const auto Segments(int track) { return Timeline().Tracks().GetTrack(track)->GetSegments(); }
    std::string Path(const char* name) const { return (m_dir / name).string(); }
    // As the user types: to whatever has the keyboard focus.
    // The tick recomputes the current segment (none at time 0 without a
    // video): choose it right before the key, once nothing runs in between.
    void PressOnSegment(int key, const Segment* segment)
    {
        Activate();
        ChooseSegment(0, segment);
        Press(key);
    }
    void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        Activate();
        QWidget* target = QApplication::focusWidget();
        QTest::keyClick(target != nullptr ? target : m_window.get(), static_cast<Qt::Key>(key), modifiers);
    }
    void Activate()
    {
        // Without a window manager nothing gives the window back its
        // activation when a dialog closes; a desktop does.
        if (!m_window->isActiveWindow()) {
            m_window->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
        }
    }
    void Focus(QWidget* widget)
    {
        widget->setFocus(Qt::OtherFocusReason);
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == widget; }, kWaitMs));
    }
    void LoadVideo()
    {
        static const std::string path = MakeTestVideo(QUILL_TEST_DATA_DIR, "shortcuts.mp4", 5.0, 160, 120);
        m_window->OpenVideo(path);
        ASSERT_TRUE(m_window->Movie().HasMovie());
        m_window->OnHScroll(SB_PAGELEFT, 0, Bar(kZoomBarId)); // the whole video in view, as the command does
    }
    MpvEngine& Engine() { return m_window->Player().Engine(); }

    fs::path m_dir;
};

TEST_F(Shortcuts, EditingKeysReachTheirCommandsOnceAndTheCaptionFollows)
{
    EXPECT_EQ(m_window->windowTitle(), QString("Quillmark"));
    Focus(qobject_cast<QPushButton*>(m_window->Control(kOpenVideoId)));

    Press(Qt::Key_I);
    Press(Qt::Key_O);
    ASSERT_EQ(Segments(0).size(), 1u);
    EXPECT_EQ(m_window->windowTitle(), QString("*Quillmark"));

    Press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(Segments(0).empty());
    EXPECT_EQ(m_window->windowTitle(), QString("Quillmark"));
    Press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Segments(0).size(), 1u);
    Press(Qt::Key_Z, Qt::ControlModifier);
    Press(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(Segments(0).size(), 1u);
    EXPECT_EQ(m_window->Editor().History().index(), 1);

    // F2 opens the segment dialog on the current segment, once.
    {
        ModalScript script;
        script.On<CSegmentDlg>([](CSegmentDlg& dialog) { dialog.reject(); });
        PressOnSegment(Qt::Key_F2, Segments(0)[0]);
        EXPECT_TRUE(script.AllRan());
        EXPECT_EQ(script.Seen().size(), 1u);
    }

    // Ctrl+S with no current file asks where, through the "Sauvegarde" dialog.
    QString title;
    {
        ModalScript script;
        script.On<QFileDialog>([&](QFileDialog& dialog) {
            title = dialog.windowTitle();
            auto* name = dialog.findChild<QLineEdit*>("fileNameEdit");
            name->setText(QString::fromStdString(Path("séance.xml")));
            QTest::keyClick(name, Qt::Key_Return);
        });
        Press(Qt::Key_S, Qt::ControlModifier);
        EXPECT_TRUE(script.AllRan());
    }
    EXPECT_EQ(title, QString("Sauvegarde"));
    ASSERT_TRUE(fs::exists(Path("séance.xml")));
    EXPECT_EQ(m_window->windowTitle(), QString("séance.xml — Quillmark"));

    // Delete removes the current segment; undo past the save brings the star.
    PressOnSegment(Qt::Key_Delete, Segments(0)[0]);
    EXPECT_TRUE(Segments(0).empty());
    EXPECT_EQ(Timeline().m_currentSegment, nullptr);
    EXPECT_EQ(m_window->windowTitle(), QString("*séance.xml — Quillmark"));
    Press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(m_window->windowTitle(), QString("séance.xml — Quillmark"));
    Press(Qt::Key_O);

    // Then Ctrl+S writes into that file without a dialog.
    fs::remove(Path("séance.xml"));
    bool dialogOpened = false;
    {
        ModalScript script(3000);
        script.On<QDialog>([&](QDialog& dialog) {
            dialogOpened = true;
            dialog.reject();
        });
        Press(Qt::Key_S, Qt::ControlModifier);
    }
    EXPECT_FALSE(dialogOpened);
    EXPECT_TRUE(fs::exists(Path("séance.xml")));
    EXPECT_EQ(m_window->windowTitle(), QString("séance.xml — Quillmark"));

    // The three dialogs of the other file keys, each once.
    const auto expectDialog = [&](int key, Qt::KeyboardModifiers modifiers, const char* expected) {
        ModalScript script;
        QString shown;
        script.On<QFileDialog>([&](QFileDialog& dialog) {
            shown = dialog.windowTitle();
            dialog.reject();
        });
        Press(key, modifiers);
        EXPECT_TRUE(script.AllRan()) << expected;
        EXPECT_EQ(shown, QString::fromUtf8(expected));
        EXPECT_EQ(script.Seen().size(), 1u);
    };
    expectDialog(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier, "Sauvegarde");
    expectDialog(Qt::Key_O, Qt::ControlModifier, "Ouverture");
    expectDialog(Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier, "Ouvrir une vidéo");
    EXPECT_EQ(Segments(0).size(), 2u) << "no letter reached the marks on the way";
}

TEST_F(Shortcuts, NoneFiresWhileADialogIsOpen)
{
    m_window->Editor().CutSegment(0);
    const int index = m_window->Editor().History().index();
    bool onlyTheDialog = false;
    ModalScript script;
    script.On<CTrackDlg>([&](CTrackDlg& dialog) {
        QWidget* target = dialog.focusWidget() != nullptr ? dialog.focusWidget() : &dialog;
        for (int key : {Qt::Key_I, Qt::Key_O, Qt::Key_Delete, Qt::Key_Right, Qt::Key_Home})
            QTest::keyClick(target, static_cast<Qt::Key>(key));
        for (int key : {Qt::Key_Z, Qt::Key_Y, Qt::Key_S, Qt::Key_O})
            QTest::keyClick(target, static_cast<Qt::Key>(key), Qt::ControlModifier);
        onlyTheDialog = QApplication::activeModalWidget() == &dialog;
        // Space presses the dialog's own button, which closes it.
        QTest::keyClick(target, Qt::Key_Space);
    });
    m_window->OnCommand(kEditTrackCommand); // track "Modifier"
    EXPECT_TRUE(script.AllRan());
    EXPECT_EQ(script.Seen().size(), 1u);
    EXPECT_TRUE(onlyTheDialog) << "no dialog of a file key opened over it";
    EXPECT_EQ(Segments(0).size(), 1u);
    // The dialog opens on its button, so nothing was typed into the label.
    EXPECT_EQ(Timeline().Tracks().GetTrack(0)->GetLabel(), "A");
    EXPECT_EQ(m_window->Editor().History().index(), index) << "no undo, no new segment";
    EXPECT_EQ(m_window->windowTitle(), QString("*Quillmark")) << "no save";
}

TEST_F(Shortcuts, VideoKeysWorkWhateverHasTheFocusAndTypeNothing)
{
    LoadVideo();
    auto* endButton = qobject_cast<QPushButton*>(m_window->Control(kEndButtonId));
    auto* textBox = qobject_cast<QPlainTextEdit*>(m_window->Control(kSegmentTextId));

    // Space on a focused button plays instead of pressing the button.
    Focus(endButton);
    Press(Qt::Key_Space);
    EXPECT_TRUE(Engine().IsPlaying());
    ASSERT_TRUE(QTest::qWaitFor([&] { return Engine().Time() > 400; }, kWaitMs));
    Press(Qt::Key_Space);
    EXPECT_FALSE(Engine().IsPlaying());
    EXPECT_TRUE(Segments(0).empty()) << "the focused ] button was not pressed";

    // In the read-only text box the keys are commands, never text.
    Focus(textBox);
    const QString text = textBox->toPlainText();
    Press(Qt::Key_Home);
    EXPECT_EQ(Engine().Time(), 0);
    Press(Qt::Key_Right);
    const int32_t oneFrame = Engine().Time();
    EXPECT_GT(oneFrame, 0);
    EXPECT_LT(oneFrame, 100);
    Press(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(Engine().Time(), oneFrame + 1000);
    Press(Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(Engine().Time(), oneFrame);
    Press(Qt::Key_Left);
    EXPECT_EQ(Engine().Time(), 0);
    Press(Qt::Key_End);
    EXPECT_EQ(Engine().Time(), Engine().Duration());
    EXPECT_FALSE(Engine().IsPlaying());
    Press(Qt::Key_I);
    Press(Qt::Key_O);
    EXPECT_EQ(textBox->toPlainText(), text);
    EXPECT_EQ(Segments(0).size(), 1u);
}

TEST_F(Shortcuts, F1ListsTheShortcutsInTheAboutBox)
{
    QString listed;
    ModalScript script;
    script.On<CAboutDlg>([&](CAboutDlg& about) {
        if (auto* label = about.findChild<QLabel*>("shortcuts"))
            listed = label->text();
        about.accept();
    });
    Press(Qt::Key_F1);
    EXPECT_TRUE(script.AllRan());
    EXPECT_TRUE(listed.contains(QString::fromUtf8("Ctrl+Maj+Z, Ctrl+Y : Rétablir"))) << listed.toStdString();
    EXPECT_TRUE(listed.contains(QString::fromUtf8("I : Début du segment"))) << listed.toStdString();
}

// A session with the keyboard alone: play, cut two segments while the video
// runs and while it is paused, undo and redo, title one with F2.
TEST_F(Shortcuts, AKeyboardOnlyAnnotation)
{
    LoadVideo();
    Focus(qobject_cast<QPushButton*>(m_window->Control(kOpenVideoId)));
    const auto tickTime = [&] { return Timeline().m_currentTime; };
    Press(Qt::Key_Space);
    ASSERT_TRUE(QTest::qWaitFor([&] { return tickTime() >= 50.0; }, kWaitMs));
    Press(Qt::Key_I);
    const double firstStart = Timeline().m_markStart;
    ASSERT_TRUE(QTest::qWaitFor([&] { return tickTime() >= 150.0; }, kWaitMs));
    Press(Qt::Key_O);
    Press(Qt::Key_Space);
    ASSERT_EQ(Segments(0).size(), 1u);
    EXPECT_EQ(Segments(0)[0]->m_start, firstStart);
    EXPECT_GE(Segments(0)[0]->m_end, 150.0);

    Press(Qt::Key_End);
    for (int i = 0; i < 2; ++i)
        Press(Qt::Key_Left, Qt::ShiftModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return tickTime() > 250.0 && tickTime() < 350.0; }, kWaitMs));
    Press(Qt::Key_I);
    Press(Qt::Key_End);
    ASSERT_TRUE(QTest::qWaitFor([&] { return tickTime() > 450.0; }, kWaitMs));
    Press(Qt::Key_O);
    Press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Segments(0).size(), 1u);
    Press(Qt::Key_Y, Qt::ControlModifier);
    ASSERT_EQ(Segments(0).size(), 2u);

    // F2 on the segment under the time, a second before the end.
    Press(Qt::Key_Left, Qt::ShiftModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return tickTime() < 450.0 && Timeline().m_currentSegment != nullptr; }, kWaitMs));
    ModalScript script;
    script.On<CSegmentDlg>([](CSegmentDlg& dialog) {
        dialog.TitleEdit()->setText(QStringLiteral("Fin"));
        QTest::keyClick(dialog.OkButton(), Qt::Key_Return);
    });
    Press(Qt::Key_F2);
    EXPECT_TRUE(script.AllRan());
    EXPECT_EQ(Segments(0)[1]->m_title, "Fin");
    EXPECT_EQ(m_window->windowTitle(), QString("*Quillmark"));

    Activate();
    m_window->OnTimer(); // the last state drawn for the picture
    QCoreApplication::processEvents();
    QGuiApplication::primaryScreen()->grabWindow(0).save(QString(QUILL_TEST_DATA_DIR) + "/keyboard-only.png");
}

} // namespace
