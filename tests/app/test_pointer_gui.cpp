// The real X pointer over the running window, driven with xdotool: presses
// select and seek, holding scrubs, right presses open the context menus and
// a chosen item reaches the window's command handler once.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QFrame>
#include <QMenu>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "CAnnotatorDlg.h"
#include "ControlPicture.h"
#include "MainWindowFixture.h"
#include "ModelScrollBar.h"
#include "ScrollHandling.h"
#include "TestVideo.h"
#include "XdoTool.h"

namespace {

constexpr int kWaitMs = 5000;
const QSize kVideoSize(160, 120);

QMenu* OpenMenu()
{
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

std::vector<std::string> Items(const QMenu& menu)
{
    std::vector<std::string> items;
    for (const QAction* action : menu.actions())
        items.push_back(action->text().toStdString());
    return items;
}

class PointerGui : public MainWindowFixture {
protected:
    PointerGui() : MainWindowFixture({.active = true}) {}

    void SetUp() override
    {
        MainWindowFixture::SetUp();
        if (HasFatalFailure())
            return;
        QObject::connect(m_window.get(), &CAnnotatorDlg::commandReceived, m_window.get(),
                         [this](int command) { m_commands.push_back(command); });
        // The editing handlers may open their dialogs: answer them, so that
        // the pointer is all this test waits on.
        QObject::connect(&m_dialogCloser, &QTimer::timeout, [] {
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        });
        m_dialogCloser.start(50);

        static const std::string video = MakeTestVideo(QUILL_TEST_DATA_DIR, "pointer-2s.mp4", 2.0, 160, 120);
        m_window->OpenVideo(video);
        ASSERT_TRUE(m_window->Movie().HasMovie());
        // 0 .. 100 in view: 5.7 pixels per time unit right of the labels.
        m_window->OnHScroll(SB_THUMBTRACK, 13, Bar(kZoomBarId));
        ASSERT_EQ(m_window->TimeBar().GetPage(), 100);
        ASSERT_EQ(m_window->TimeBar().GetPosition(), 0);
        ASSERT_EQ(m_window->Control(kTimelineFrameId)->size(), QSize(750, 244)) << "the positions below assume scale 1";

        AnnotationEditor& editor = m_window->Editor();
        editor.AddTrack();
        editor.AddTrack();
        m_segment = editor.CutSegment(1);
        editor.UpdateSegment(m_segment, {" ", " ", 30.0, 60.0});
    }

    void TearDown() override
    {
        Xdo({"mouseup", "1"});
        Xdo({"mouseup", "3"});
        MainWindowFixture::TearDown();
        m_dialogCloser.stop();
    }

    // Screen position of a pixel of the timeline area.
    QPoint OnTimeline(int x, int y) const { return m_window->Control(kTimelineFrameId)->mapToGlobal(QPoint(x, y)); }
    // The player shows the frame of `ms` and says it is there.
    bool ShowsTime(int32_t ms)
    {
        return QTest::qWaitFor(
            [&] { return m_window->Movie().GetTime() == ms && ShownFrame(m_window->Player(), kVideoSize) == ms / 40; },
            kWaitMs);
    }

    // Ticks run here instead of by the timer, with what they post handled.
    void TickByHand(int count)
    {
        m_window->StopTimer();
        for (int i = 0; i < count; ++i) {
            m_window->OnTimer();
            QCoreApplication::processEvents();
        }
    }

    const Segment* m_segment = nullptr; // owned by the window's timeline
    std::vector<int> m_commands;
    QTimer m_dialogCloser;
};

} // namespace

TEST_F(PointerGui, PressSelectsAndSeeksHoldingScrubsAndMenusSwallowTheNextPress)
{
    const CTimeline& timeline = Timeline();
    ASSERT_EQ(timeline.m_selectedTrack, 0);

    // Left press in row 1 at t = 50: the row is selected, the video shows 0.5 s.
    ASSERT_TRUE(MoveTo(OnTimeline(465, 40)));
    ASSERT_TRUE(Xdo({"mousedown", "1"}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return timeline.m_selectedTrack == 1; }, kWaitMs));
    EXPECT_TRUE(ShowsTime(500)) << m_window->Movie().GetTime();
    // Still held, the cursor moves to t = 70: the video follows.
    ASSERT_TRUE(MoveTo(OnTimeline(579, 40)));
    EXPECT_TRUE(ShowsTime(700)) << m_window->Movie().GetTime();
    ASSERT_TRUE(Xdo({"mouseup", "1"}));
    EXPECT_EQ(m_window->MouseState(), CAnnotatorDlg::MOUSE_IDLE);

    // Right press on row 1's segment at t = 40: seek, then its menu.
    ASSERT_TRUE(MoveTo(OnTimeline(408, 40)));
    ASSERT_TRUE(Xdo({"mousedown", "3"}));
    ASSERT_TRUE(QTest::qWaitFor([] { return OpenMenu() != nullptr; }, kWaitMs));
    ASSERT_TRUE(Xdo({"mouseup", "3"}));
    EXPECT_EQ(OpenMenu()->title().toStdString(), "Segment");
    EXPECT_EQ(Items(*OpenMenu()), (std::vector<std::string>{"Modifier", "Supprimer"}));
    EXPECT_EQ(OpenMenu()->geometry().topLeft(), OnTimeline(408, 40));
    EXPECT_EQ(timeline.m_currentSegment, m_segment);
    EXPECT_EQ(m_window->MouseState(), CAnnotatorDlg::MOUSE_MENU_SHOWN);
    EXPECT_TRUE(ShowsTime(400)) << m_window->Movie().GetTime();
    EXPECT_TRUE(QTest::qWaitFor([] { return QApplication::activeWindow() != nullptr; }, kWaitMs));
    EXPECT_EQ(QApplication::activeWindow(), m_window.get()) << "the menu leaves the window active";

    // The next press, in row 0 at t = 80, closes the menu and is swallowed.
    ASSERT_TRUE(MoveTo(OnTimeline(636, 10)));
    ASSERT_TRUE(Xdo({"mousedown", "1"}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_window->MouseState() == CAnnotatorDlg::MOUSE_WAIT_RELEASE; }, kWaitMs));
    EXPECT_EQ(timeline.m_selectedTrack, 1);
    EXPECT_EQ(m_window->Movie().GetTime(), 400);
    ASSERT_TRUE(Xdo({"mouseup", "1"}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_window->MouseState() == CAnnotatorDlg::MOUSE_IDLE; }, kWaitMs));
    EXPECT_EQ(OpenMenu(), nullptr);
    EXPECT_EQ(m_window->Movie().GetTime(), 400);
    EXPECT_TRUE(m_commands.empty()) << "closing a menu chooses nothing";

    // The press after that works again.
    ASSERT_TRUE(Xdo({"mousedown", "1"}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return timeline.m_selectedTrack == 0; }, kWaitMs));
    EXPECT_TRUE(ShowsTime(800)) << m_window->Movie().GetTime();
    ASSERT_TRUE(Xdo({"mouseup", "1"}));
}

TEST_F(PointerGui, ItemChosenFromTheTrackMenuReachesTheCommandHandlerOnce)
{
    // Right press in the label column of row 2.
    ASSERT_TRUE(MoveTo(OnTimeline(100, 60)));
    ASSERT_TRUE(Xdo({"mousedown", "3"}));
    ASSERT_TRUE(QTest::qWaitFor([] { return OpenMenu() != nullptr; }, kWaitMs));
    ASSERT_TRUE(Xdo({"mouseup", "3"}));
    QMenu* menu = OpenMenu();
    EXPECT_EQ(menu->title().toStdString(), "Piste");
    EXPECT_EQ(Items(*menu), (std::vector<std::string>{"Ajouter", "Supprimer", "Modifier", "Monter", "Descendre"}));
    EXPECT_EQ(Timeline().m_selectedTrack, 2);
    EXPECT_EQ(m_window->MouseState(), CAnnotatorDlg::MOUSE_MENU_SHOWN);

    // Onto "Ajouter", which lies over the label column; the left press there
    // is swallowed.
    QAction* add = menu->actions().value(0);
    ASSERT_NE(add, nullptr);
    const QPoint item = menu->mapToGlobal(menu->actionGeometry(add).center());
    ASSERT_LT(m_window->Control(kTimelineFrameId)->mapFromGlobal(item).x(), 180);
    ASSERT_TRUE(MoveTo(item));
    ASSERT_TRUE(QTest::qWaitFor([&] { return menu->activeAction() == add; }, kWaitMs));
    ASSERT_TRUE(Xdo({"mousedown", "1"}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_window->MouseState() == CAnnotatorDlg::MOUSE_WAIT_RELEASE; }, kWaitMs));
    // The right button too: a menu is asked for again, and none opens beside
    // the one that is open.
    ASSERT_TRUE(Xdo({"mousedown", "3"}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_window->MouseState() == CAnnotatorDlg::MOUSE_MENU_SHOWN; }, kWaitMs));
    EXPECT_EQ(OpenMenu(), menu);
    int shown = 0;
    for (const QMenu* child : m_window->findChildren<QMenu*>())
        shown += child->isVisible() ? 1 : 0;
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(m_commands.empty());

    // Releasing a button over the item chooses it, whichever button.
    ASSERT_TRUE(Xdo({"mouseup", "3"}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !m_commands.empty(); }, kWaitMs));
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_window->MouseState() == CAnnotatorDlg::MOUSE_WAIT_RELEASE; }, kWaitMs))
        << "the left button is still down";
    ASSERT_TRUE(Xdo({"mouseup", "1"}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_window->MouseState() == CAnnotatorDlg::MOUSE_IDLE; }, kWaitMs));
    // Some more ticks, each with its posted commands handled: the command
    // does not come again.
    TickByHand(10);
    EXPECT_EQ(m_commands, std::vector<int>{kAddTrackCommand});
    EXPECT_EQ(OpenMenu(), nullptr);
}

TEST_F(PointerGui, NothingHappensWhileABoxIsInFront)
{
    m_dialogCloser.stop();
    m_window->ReportError("Erreur de test.");
    auto* box = m_window->findChild<QMessageBox*>(CAnnotatorDlg::kErrorBoxName);
    ASSERT_NE(box, nullptr);
    // In front, but not over the point pressed: the press reaches the window.
    box->move(m_window->mapToGlobal(QPoint(m_window->width(), 0)));
    box->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(box));

    ASSERT_TRUE(MoveTo(OnTimeline(465, 40)));
    m_window->StopTimer();
    ASSERT_TRUE(Xdo({"mousedown", "3"}));
    // Several ticks that would see the press, if they looked.
    ASSERT_TRUE(QTest::qWaitFor([] { return QGuiApplication::mouseButtons().testFlag(Qt::RightButton); }, kWaitMs));
    TickByHand(5);
    // A window manager may give the window behind the box the keyboard on
    // that press: it is still not in front while the box blocks it.
    m_window->activateWindow();
    // Qt may keep the keyboard on the box instead: the same test then.
    (void)QTest::qWaitFor([&] { return QApplication::activeWindow() == m_window.get(); }, 1000);
    TickByHand(5);
    ASSERT_TRUE(Xdo({"mouseup", "3"}));
    EXPECT_EQ(Timeline().m_selectedTrack, 0);
    EXPECT_EQ(m_window->Movie().GetTime(), 0);
    EXPECT_EQ(m_window->MouseState(), CAnnotatorDlg::MOUSE_IDLE);
    EXPECT_EQ(OpenMenu(), nullptr);
    box->close();
    m_dialogCloser.start(50);
}
