#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include "CAnnotatorDlg.h"
#include "MainWindowFixture.h"
#include "ModalScript.h"
#include "ModelScrollBar.h"
#include "ScrollHandling.h"
#include "TestVideo.h"

namespace {

constexpr int kWaitMs = 20000;

void Retype(QLineEdit* edit, const QString& text)
{
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

// The main window with tracks A, B and C, none with segments, A selected.
class Editing : public MainWindowFixture {
protected:
    Editing() : MainWindowFixture({.tracksABC = true}) {}

    const Track* TrackAt(int position) { return Timeline().Tracks().GetTrack(position); }
    // Cut with "]", then given its bounds and title in the segment dialog.
    const Segment* AddSegment(int position, double start, double end, const std::string& title = " ")
    {
        AnnotationEditor& editor = m_window->Editor();
        const Segment* added = editor.CutSegment(position);
        editor.UpdateSegment(added, {title, " ", start, end});
        return added;
    }
    std::vector<std::string> Labels()
    {
        std::vector<std::string> labels;
        for (const auto& track : Timeline().Tracks())
            labels.push_back(track->GetLabel());
        return labels;
    }

    void LoadVideo()
    {
        static const std::string path = MakeTestVideo(QUILL_TEST_DATA_DIR, "editing.mp4", 5.0, 160, 120);
        m_window->OpenVideo(path);
        ASSERT_TRUE(m_window->Movie().HasMovie());
        // The whole video in view, as the command does.
        m_window->OnHScroll(SB_PAGELEFT, 0, Bar(kZoomBarId));
    }
    void Play() { m_window->Player().Engine().SetPlaying(true); }
    // Waits, ticking as the window does, until the tick's time reaches `time`.
    bool WaitForTime(double time)
    {
        return QTest::qWaitFor([&] { return Timeline().m_currentTime >= time; }, kWaitMs);
    }
    void SaveScreen(const char* name)
    {
        QScreen* screen = QGuiApplication::primaryScreen();
        screen->grabWindow(0).save(QString(QUILL_TEST_DATA_DIR) + "/" + name);
    }
};

TEST_F(Editing, MenuCommandsAddMoveAndDeleteTracks)
{
    m_window->OnCommand(kAddTrackCommand);
    EXPECT_EQ(Labels(), (std::vector<std::string>{"A", "B", "C", " "}));
    EXPECT_EQ(Timeline().m_selectedTrack, 0);

    SelectTrack(2);
    m_window->OnCommand(kMoveTrackUpCommand); // "Monter"
    EXPECT_EQ(Labels(), (std::vector<std::string>{"A", "C", "B", " "}));
    m_window->OnCommand(kMoveTrackDownCommand); // "Descendre"
    EXPECT_EQ(Labels(), (std::vector<std::string>{"A", "C", " ", "B"}));
    EXPECT_EQ(Timeline().m_selectedTrack, 2);

    const Segment* segment = AddSegment(2, 1.0, 5.0);
    EXPECT_EQ(TrackAt(2)->GetLabel(), " ");
    ChooseSegment(2, segment);
    m_window->OnCommand(kDeleteSegmentCommand); // segment "Supprimer", no question
    EXPECT_TRUE(TrackAt(2)->GetSegments().empty());
    EXPECT_EQ(Timeline().m_currentSegment, nullptr);
}

TEST_F(Editing, DeleteTrackAsksInTheWindowsConfirmationBox)
{
    ChooseSegment(1, AddSegment(1, 1.0, 5.0));
    QString caption, text;
    QMessageBox::Icon icon = QMessageBox::Warning;
    QWidget* owner = nullptr;
    ModalScript cancel;
    cancel.On<QMessageBox>([&](QMessageBox& box) {
        caption = box.windowTitle();
        text = box.text();
        icon = box.icon();
        owner = box.parentWidget();
        EXPECT_EQ(box.standardButtons(), QMessageBox::Ok | QMessageBox::Cancel);
        box.button(QMessageBox::Cancel)->click();
    });
    m_window->OnDeleteTrack();
    EXPECT_TRUE(cancel.AllRan());
    EXPECT_EQ(caption, QString("Confirmation"));
    EXPECT_EQ(text, QString("Etes-vous certain de vouloir supprimer cette piste ?"));
    EXPECT_EQ(icon, QMessageBox::NoIcon);
    EXPECT_EQ(owner, m_window.get());
    EXPECT_EQ(Labels(), (std::vector<std::string>{"A", "B", "C"}));

    ModalScript escape;
    escape.On<QMessageBox>([](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); });
    m_window->OnDeleteTrack();
    EXPECT_EQ(Labels(), (std::vector<std::string>{"A", "B", "C"}));

    ModalScript ok;
    ok.On<QMessageBox>([](QMessageBox& box) { box.button(QMessageBox::Ok)->click(); });
    m_window->OnDeleteTrack();
    EXPECT_TRUE(ok.AllRan());
    EXPECT_EQ(Labels(), (std::vector<std::string>{"A", "C"}));
    EXPECT_EQ(Timeline().m_selectedTrack, 1);
    EXPECT_EQ(Timeline().m_currentSegment, nullptr);
}

// The label goes to the track the command started with, and Escape, as the
// only way out of the track dialog there is no way to lose what was typed.
TEST_F(Editing, TrackLabelGoesToTheTrackTakenAtTheStart)
{
    SelectTrack(1);
    const uint64_t revision = Timeline().Revision();
    ModalScript script;
    script.On<CTrackDlg>([this](CTrackDlg& dialog) {
        EXPECT_EQ(dialog.NameEdit()->text(), QString("B"));
        SelectTrack(2); // a click elsewhere, as far as the command knows
        Retype(dialog.NameEdit(), "Regards");
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    m_window->OnEditTrack();
    EXPECT_TRUE(script.AllRan());
    EXPECT_EQ(Labels(), (std::vector<std::string>{"A", "Regards", "C"}));
    EXPECT_EQ(Timeline().Revision(), revision + 1);

    // Untouched, the label is stored again unchanged: no change to save.
    ModalScript untouched;
    untouched.On<CTrackDlg>([](CTrackDlg& dialog) { QTest::mouseClick(dialog.OkButton(), Qt::LeftButton); });
    m_window->OnEditTrack();
    EXPECT_TRUE(untouched.AllRan());
    EXPECT_EQ(Labels(), (std::vector<std::string>{"A", "Regards", "C"}));
    EXPECT_EQ(Timeline().Revision(), revision + 1);
}

TEST_F(Editing, CommandsOnNoTrackOrNoSegmentOpenNothing)
{
    // The selection names no track once the selected track is gone.
    SelectTrack(2);
    m_window->Editor().DeleteTrack(2);
    ASSERT_EQ(Timeline().m_selectedTrack, 2);
    bool opened = false;
    ModalScript script;
    script.On<QDialog>([&](QDialog& dialog) {
        opened = true;
        dialog.close();
    });
    const uint64_t revision = Timeline().Revision();
    m_window->OnEditTrack();
    m_window->OnMarkEnd();
    m_window->OnDeleteSegment();
    SelectTrack(0);
    ASSERT_EQ(Timeline().m_currentSegment, nullptr);
    m_window->OnEditSegment();
    EXPECT_FALSE(opened);
    EXPECT_EQ(Timeline().Revision(), revision);
    EXPECT_EQ(Labels(), (std::vector<std::string>{"A", "B"}));
}

class SegmentEditing : public Editing {
protected:
    void SetUp() override
    {
        Editing::SetUp();
        LoadSegment(3);
    }

    // Tracks A, B and C from a file, A holding segment "PL" from 20 to 40
    // with video `video`, chosen with the pointer.
    void LoadSegment(int video)
    {
        OpenAnnotations("segment-editing.xml",
                        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<corps><piste libelle=\"A\"><segment debut=\"2000\" "
                        "fin=\"4000\"><contenu titre=\"PL\" commentaire=\"Premier\" video=\"" +
                            std::to_string(video) +
                            "\"/></segment></piste><piste libelle=\"B\"/><piste libelle=\"C\"/></corps>\n");
        ASSERT_EQ(Labels(), (std::vector<std::string>{"A", "B", "C"}));
        m_segment = TrackAt(0)->GetSegments()[0];
        ChooseSegment(0, m_segment);
    }

    void ExpectUnchanged()
    {
        EXPECT_EQ(m_segment->m_title, "PL");
        EXPECT_EQ(m_segment->m_comment, "Premier");
        EXPECT_EQ(m_segment->m_start, 20.0);
        EXPECT_EQ(m_segment->m_end, 40.0);
        EXPECT_EQ(m_segment->m_videoNumber, 3);
    }

    const Segment* m_segment = nullptr;
};

TEST_F(SegmentEditing, ConfirmedBoundsAreOrderedAndAnEmptyOneWidened)
{
    ModalScript script;
    script.On<CSegmentDlg>([](CSegmentDlg& dialog) {
        EXPECT_EQ(dialog.StartEdit()->text(), QString("20"));
        EXPECT_EQ(dialog.EndEdit()->text(), QString("40"));
        Retype(dialog.TitleEdit(), "Titre");
        Retype(dialog.StartEdit(), "30");
        Retype(dialog.EndEdit(), "10");
        QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    });
    m_window->OnEditSegment();
    EXPECT_EQ(m_segment->m_title, "Titre");
    EXPECT_EQ(m_segment->m_start, 10.0);
    EXPECT_EQ(m_segment->m_end, 30.0);
    EXPECT_EQ(m_segment->m_videoNumber, 3);

    ModalScript same;
    same.On<CSegmentDlg>([](CSegmentDlg& dialog) {
        Retype(dialog.StartEdit(), "12");
        Retype(dialog.EndEdit(), "12");
        QTest::keyClick(dialog.EndEdit(), Qt::Key_Return);
    });
    ChooseSegment(0, m_segment);
    m_window->OnEditSegment();
    EXPECT_EQ(m_segment->m_start, 12.0);
    EXPECT_EQ(m_segment->m_end, 13.0);
}

TEST_F(SegmentEditing, EscapeLeavesTheSegment)
{
    const uint64_t revision = Timeline().Revision();
    ModalScript script;
    script.On<CSegmentDlg>([](CSegmentDlg& dialog) {
        Retype(dialog.TitleEdit(), "perdu");
        Retype(dialog.StartEdit(), "1");
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    m_window->OnEditSegment();
    EXPECT_TRUE(script.AllRan());
    ExpectUnchanged();
    EXPECT_EQ(Timeline().Revision(), revision);
}

// A rejected end has already taken the comment, the title and the start into
// the dialog; Cancel must not hand them to the segment.
TEST_F(SegmentEditing, CancelAfterRejectedNumberLeavesSegmentUnchanged)
{
    const uint64_t revision = Timeline().Revision();
    ModalScript script;
    script
        .On<CSegmentDlg>([](CSegmentDlg& dialog) {
            dialog.CommentEdit()->setPlainText("Autre");
            Retype(dialog.TitleEdit(), "Autre titre");
            Retype(dialog.StartEdit(), "1");
            Retype(dialog.EndEdit(), "12,5");
            QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
        })
        .On<QMessageBox>([](QMessageBox& box) { box.button(QMessageBox::Ok)->click(); })
        .On<CSegmentDlg>([](CSegmentDlg& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); });
    m_window->OnEditSegment();
    EXPECT_TRUE(script.AllRan());
    ExpectUnchanged();
    EXPECT_EQ(Timeline().Revision(), revision);
}

// Bounds far beyond any video are numbers and are kept; the drawing, which
// hands times to OpenGL as floats, still draws the bar to the edge.
TEST_F(SegmentEditing, FarBoundsAreKeptAndDrawnToTheEdge)
{
    ModalScript script;
    script.On<CSegmentDlg>([](CSegmentDlg& dialog) {
        Retype(dialog.StartEdit(), "50");
        Retype(dialog.EndEdit(), "1e300");
        QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    });
    m_window->OnEditSegment();
    EXPECT_EQ(m_segment->m_start, 50.0);
    EXPECT_EQ(m_segment->m_end, 1e300);
    const Segment* other = AddSegment(1, -1e300, 1e-300);
    AddSegment(2, -1e300, 1e300);
    EXPECT_EQ(other->m_start, -1e300);

    m_window->OnTimer();
    m_window->OnTimer(); // the first still highlights the edited segment
    const QImage frame = m_window->View().GrabFrame();
    frame.save(QString(QUILL_TEST_DATA_DIR) + "/editing-far-bounds.png");
    ASSERT_FALSE(frame.isNull());
    const QRgb green = qRgb(0, 255, 0);
    // Time 50 lies halfway between the label column and the right edge.
    const int start = 180 + (Timeline().m_viewRect.Width() - 180) / 2;
    EXPECT_EQ(frame.pixel(frame.width() - 3, 12), green) << "row A at the right edge";
    EXPECT_EQ(frame.pixel(start + 5, 12), green) << "row A just after its start";
    EXPECT_NE(frame.pixel(start - 10, 12), green) << "row A before its start";
    EXPECT_EQ(frame.pixel(300, 25 * 2 + 12), green) << "row C, both bounds far away";
    EXPECT_EQ(frame.pixel(frame.width() - 3, 25 * 2 + 12), green);
    EXPECT_NE(frame.pixel(300, 25 + 12), green) << "row B ends before the area";
}

// The tick goes on under the dialog and moves the current segment on with
// the video; the edit still goes to the segment the command started with.
TEST_F(SegmentEditing, EditGoesToItsSegmentWhileTheVideoMovesOn)
{
    // No companion video: its absence would be reported over the dialog.
    LoadSegment(0);
    LoadVideo();
    const Segment* next = AddSegment(0, 60.0, 400.0, "Suivant");
    ASSERT_TRUE(QTest::qWaitFor([&] { return Timeline().m_currentSegment == nullptr; }, kWaitMs));
    m_window->Movie().SetTime(250);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Timeline().m_currentSegment == m_segment; }, kWaitMs));
    Play();
    bool movedOn = false;
    ModalScript script;
    script.On<CSegmentDlg>(
        [&](CSegmentDlg& dialog) {
            movedOn = true;
            // The pointer over the timeline is left alone meanwhile.
            EXPECT_NE(QApplication::activeWindow(), m_window.get());
            Retype(dialog.TitleEdit(), "Pendant la lecture");
            QTest::keyClick(dialog.TitleEdit(), Qt::Key_Return);
        },
        [&] { return Timeline().m_currentSegment == next; });
    m_window->OnEditSegment();
    EXPECT_TRUE(movedOn);
    EXPECT_EQ(m_segment->m_title, "Pendant la lecture");
    EXPECT_EQ(next->m_title, "Suivant");
}

// Play, "[" at about 1 s and "]" at about 3 s with the real buttons: the
// segment runs between the player's times at the two clicks.
TEST_F(Editing, MarkButtonsCutASegmentOutOfThePlayingVideo)
{
    LoadVideo();
    SelectTrack(1);
    Play();
    ASSERT_TRUE(WaitForTime(100.0));
    m_window->OnTimer(); // the tick's time is the player's time now
    const double start = m_window->Movie().GetTime() * 0.1;
    QTest::mouseClick(Button(kStartButtonId), Qt::LeftButton);
    EXPECT_EQ(Timeline().m_markStart, start);
    EXPECT_GE(start, 100.0);

    ASSERT_TRUE(WaitForTime(300.0));
    m_window->OnTimer();
    const double end = m_window->Movie().GetTime() * 0.1;
    QTest::mouseClick(Button(kEndButtonId), Qt::LeftButton);

    const auto segments = TrackAt(1)->GetSegments();
    ASSERT_EQ(segments.size(), 1u);
    EXPECT_EQ(segments[0]->m_start, start);
    EXPECT_EQ(segments[0]->m_end, end);
    EXPECT_LT(start, end);
    EXPECT_TRUE(TrackAt(0)->GetSegments().empty());
    EXPECT_TRUE(TrackAt(2)->GetSegments().empty());
    EXPECT_TRUE(m_window->HasUnsavedChanges());

    // A few more cuts from the same mark and from new ones, for the picture.
    ASSERT_TRUE(WaitForTime(350.0));
    QTest::mouseClick(Button(kEndButtonId), Qt::LeftButton);
    SelectTrack(2);
    QTest::mouseClick(Button(kStartButtonId), Qt::LeftButton);
    ASSERT_TRUE(WaitForTime(420.0));
    QTest::mouseClick(Button(kEndButtonId), Qt::LeftButton);
    EXPECT_EQ(TrackAt(1)->GetSegments().size(), 2u);
    EXPECT_EQ(TrackAt(1)->GetSegments()[1]->m_start, start);
    EXPECT_EQ(TrackAt(2)->GetSegments().size(), 1u);
    ASSERT_TRUE(WaitForTime(440.0)); // a few frames drawn since the last cut
    SaveScreen("editing-cuts.png");

    // The segment dialog over the running video, for the picture too.
    m_window->Movie().SetTime(1500);
    Play();
    ChooseSegment(1, segments[0]);
    ModalScript script;
    script.On<CSegmentDlg>([this](CSegmentDlg& dialog) {
        // The video runs on under the dialog.
        EXPECT_TRUE(WaitForTime(Timeline().m_currentTime + 20.0));
        SaveScreen("editing-segment-dialog.png");
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    m_window->OnEditSegment();
}

} // namespace
