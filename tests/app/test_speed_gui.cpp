// The main window's playback speed and reaction delay: the speed keys on the
// real X keyboard (xdotool), the transport bar's menu, the companion
// following, none of it while a dialog is open; the marks allowing for the
// delay while the video plays, through undo and a save.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "CAnnotatorDlg.h"
#include "CDelayDlg.h"
#include "CTransportBar.h"
#include "MainWindowFixture.h"
#include "ModalScript.h"
#include "PlaybackSpeed.h"
#include "ScrollHandling.h"
#include "TestVideo.h"
#include "XdoTool.h"

namespace fs = std::filesystem;

namespace {

constexpr int kWaitMs = 10000;
constexpr double kFrameUnits = 4.0; // one frame of the test videos, in timeline units

QToolButton* SpeedButton(CQTControl& player)
{
    return player.TransportBar().findChild<QToolButton*>("speed");
}

class SpeedGui : public MainWindowFixture {
protected:
    SpeedGui() : MainWindowFixture({.active = true, .tracksABC = true}) {}

    void SetUp() override
    {
        MainWindowFixture::SetUp();
        if (HasFatalFailure())
            return;
        QObject::connect(&Engine(), &MpvEngine::SpeedChanged, m_window.get(), [this] { ++m_speedChanges; });
    }

    MpvEngine& Engine() { return m_window->Player().Engine(); }
    void Activate()
    {
        // Without a window manager nothing gives the window back its
        // activation when a dialog closes; a desktop does.
        if (!m_window->isActiveWindow()) {
            m_window->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
        }
    }
    void Focus(QWidget* widget)
    {
        Activate();
        widget->setFocus(Qt::OtherFocusReason);
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == widget; }, kWaitMs));
    }
    // A key as the X server sends it, Shift and all where the keyboard's
    // layout needs it ("plus" is Shift+= on the virtual display's).
    void Key(const char* keysym)
    {
        Activate();
        ASSERT_TRUE(Xdo({"key", "--clearmodifiers", keysym})) << keysym;
    }
    // As QTest types: to whatever has the focus.
    void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        Activate();
        QWidget* target = QApplication::focusWidget();
        QTest::keyClick(target != nullptr ? target : m_window.get(), static_cast<Qt::Key>(key), modifiers);
    }
    QPoint Center(QWidget* widget) const { return widget->mapToGlobal(widget->rect().center()); }

    void LoadVideo()
    {
        static const std::string path = MakeTestVideo(QUILL_TEST_DATA_DIR, "speed-window.mp4", 8.0, 160, 120);
        m_window->OpenVideo(path);
        ASSERT_TRUE(m_window->Movie().HasMovie());
        m_window->OnHScroll(SB_PAGELEFT, 0, Bar(kZoomBarId));
        // The ticks run here, so that nothing moves between a tick and a key.
        m_window->StopTimer();
    }
    double Tick()
    {
        m_window->OnTimer();
        return Timeline().m_currentTime;
    }
    // Ticks until the video has passed `ms`.
    bool PlayPast(int32_t ms)
    {
        Engine().SetPlaying(true);
        return QTest::qWaitFor([&] { return Tick() * 10.0 > ms && Engine().IsPlaying(); }, kWaitMs);
    }
    void SetDelay(int delayMs)
    {
        ModalScript script;
        script.On<CDelayDlg>([delayMs](CDelayDlg& dialog) {
            dialog.DelayEdit()->setText(QString::number(delayMs));
            QTest::keyClick(dialog.DelayEdit(), Qt::Key_Return);
        });
        QTest::mouseClick(Button(kDelayButtonId), Qt::LeftButton);
        ASSERT_TRUE(script.AllRan());
        ASSERT_EQ(m_window->ReactionDelayMs(), delayMs);
    }
    auto Segments(int track) const { return Timeline().Tracks().GetTrack(track)->GetSegments(); }

    int m_speedChanges = 0;
};

struct KeyStep {
    const char* keysym;
    double speed; // after the key
};

TEST_F(SpeedGui, EachKeyReachesTheSpeedOnceWhateverHasTheFocus)
{
    // Down to the slowest step and past it, up to the fastest and past it,
    // and back with Backspace; the keypad's keys count as well.
    const std::vector<KeyStep> steps = {
        {"minus", 0.75},     {"minus", 0.5}, {"KP_Subtract", 0.25}, {"minus", 0.1},   {"minus", 0.1},
        {"plus", 0.25},      {"equal", 0.5}, {"BackSpace", 1.0},    {"BackSpace", 1.0}, {"KP_Add", 1.25},
        {"plus", 1.5},       {"plus", 2.0},  {"equal", 4.0},        {"plus", 4.0},    {"BackSpace", 1.0},
    };
    auto* textBox = qobject_cast<QPlainTextEdit*>(m_window->Control(kSegmentTextId));
    const QString text = textBox->toPlainText();
    const std::vector<QWidget*> focus = {Button(kOpenVideoId), textBox, Button(kDelayButtonId)};
    int changes = 0;
    double speed = Engine().Speed();
    ASSERT_EQ(speed, 1.0);
    for (std::size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE(std::to_string(i) + ": " + steps[i].keysym);
        Focus(focus[i % focus.size()]);
        Key(steps[i].keysym);
        // Nothing to wait for after a key that changes nothing: the keys
        // arrive in order, and the wait after the next change covers it.
        if (steps[i].speed == speed)
            continue;
        ++changes;
        speed = steps[i].speed;
        ASSERT_TRUE(QTest::qWaitFor([&] { return Engine().Speed() == speed && m_speedChanges == changes; }, kWaitMs))
            << Engine().Speed() << " after " << m_speedChanges << " changes";
        EXPECT_EQ(SpeedButton(m_window->Player())->text().toStdString(), SpeedText(speed));
        EXPECT_EQ(m_window->CompanionPlayer().Engine().Speed(), speed) << "the companion follows";
    }
    EXPECT_EQ(textBox->toPlainText(), text) << "no key typed into the text box";
    EXPECT_TRUE(Segments(0).empty());
    EXPECT_FALSE(m_window->HasUnsavedChanges());
    // The companion plays at the main player's speed, and shows none of its own.
    EXPECT_FALSE(SpeedButton(m_window->CompanionPlayer())->isVisible());
    EXPECT_TRUE(SpeedButton(m_window->Player())->isVisible());
}

TEST_F(SpeedGui, TheBarsMenuSetsTheSpeedOnceAndShowsIt)
{
    LoadVideo();
    QToolButton* button = SpeedButton(m_window->Player());
    EXPECT_EQ(button->text(), QString::fromUtf8("×1"));
    ASSERT_TRUE(ClickAt(Center(button)));
    ASSERT_TRUE(QTest::qWaitFor([] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()) != nullptr; },
                                kWaitMs));
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    std::vector<std::string> items;
    QAction* half = nullptr;
    for (QAction* action : menu->actions()) {
        items.push_back(action->text().toStdString());
        EXPECT_EQ(action->isChecked(), action->text() == QString::fromUtf8("×1")) << items.back();
        if (action->text() == QString::fromUtf8("×0.5"))
            half = action;
    }
    EXPECT_EQ(items, (std::vector<std::string>{"×0.1", "×0.25", "×0.5", "×0.75", "×1", "×1.25", "×1.5", "×2", "×4"}));
    ASSERT_NE(half, nullptr);
    ASSERT_TRUE(ClickAt(menu->mapToGlobal(menu->actionGeometry(half).center())));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Engine().Speed() == 0.5; }, kWaitMs));
    EXPECT_TRUE(QTest::qWaitFor([] { return QApplication::activePopupWidget() == nullptr; }, kWaitMs));
    EXPECT_EQ(button->text(), QString::fromUtf8("×0.5"));
    EXPECT_TRUE(half->isChecked());
    EXPECT_EQ(m_window->CompanionPlayer().Engine().Speed(), 0.5);

    // Playing at half speed, for the picture of the bar.
    ASSERT_TRUE(PlayPast(1000));
    Engine().SetPlaying(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Engine().IsPlaying(); }, kWaitMs));
    Engine().Seek(3200);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Engine().SeekInFlight(); }, kWaitMs));
    m_window->OnTimer();
    m_window->Player().TransportBar().grab().save(QString(QUILL_TEST_DATA_DIR) + "/transport-bar-half-speed.png");
    EXPECT_EQ(m_speedChanges, 1) << "one click, one change";

    // Another video plays at the speed chosen.
    static const std::string other = MakeTestVideo(QUILL_TEST_DATA_DIR, "speed-window-other.mp4", 2.0, 160, 120);
    m_window->OpenVideo(other);
    ASSERT_TRUE(m_window->Movie().HasMovie());
    EXPECT_EQ(Engine().Speed(), 0.5);
    EXPECT_EQ(button->text(), QString::fromUtf8("×0.5"));
    EXPECT_EQ(m_speedChanges, 1);
}

// With the delay dialog open, the speed keys are typed into its field and a
// click on the bar's speed is refused; the window's speed stays as it was.
TEST_F(SpeedGui, NeitherKeysNorClicksReachTheSpeedWhileADialogIsOpen)
{
    QToolButton* speed = SpeedButton(m_window->Player());
    const QPoint speedAt = Center(speed);
    QString typed;
    ModalScript script;
    script.On<CDelayDlg>([&](CDelayDlg& dialog) {
        QLineEdit* field = dialog.DelayEdit();
        for (const char* keysym : {"minus", "plus", "equal", "BackSpace", "KP_Subtract"})
            EXPECT_TRUE(Xdo({"key", "--clearmodifiers", keysym})) << keysym;
        // Then a click on the speed, and a key whose arrival says the click
        // came before it.
        EXPECT_TRUE(ClickAt(speedAt));
        EXPECT_TRUE(Xdo({"key", "--clearmodifiers", "5"}));
        EXPECT_TRUE(QTest::qWaitFor([&] { return field->text().endsWith('5'); }, kWaitMs)) << field->text().toStdString();
        typed = field->text();
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << "no speed menu over the dialog";
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    ASSERT_TRUE(ClickAt(Center(Button(kDelayButtonId))));
    ASSERT_TRUE(QTest::qWaitFor([&] { return script.AllRan() && QApplication::activeModalWidget() == nullptr; }, kWaitMs));
    EXPECT_EQ(typed, QString("-+-5")) << "= was typed, then taken back by Backspace";
    EXPECT_EQ(Engine().Speed(), 1.0);
    EXPECT_EQ(m_speedChanges, 0);
    EXPECT_EQ(m_window->ReactionDelayMs(), 0) << "Escape keeps the delay";
    EXPECT_EQ(Button(kDelayButtonId)->text(), QString::fromUtf8("Délai : 0 ms"));

    // Back in the window, the same keys work again.
    Key("minus");
    EXPECT_TRUE(QTest::qWaitFor([&] { return Engine().Speed() == 0.75; }, kWaitMs));
}

struct MarkCase {
    const char* label;
    double speed;
    bool playing;
    double delayUnits; // expected delay at the marks, in timeline units
};

class DelayedMarks : public SpeedGui, public testing::WithParamInterface<MarkCase> {};

// "[" and "]" take the tick's time less the delay in real time while the
// video plays; the segment goes through undo, redo and a save as any other.
TEST_P(DelayedMarks, TakeTheTickTimeLessTheDelay)
{
    const MarkCase& c = GetParam();
    LoadVideo();
    SetDelay(300);
    EXPECT_EQ(Button(kDelayButtonId)->text(), QString::fromUtf8("Délai : 300 ms"));
    Engine().SetSpeed(c.speed);
    Focus(Button(kOpenVideoId));

    if (c.playing)
        ASSERT_TRUE(PlayPast(600));
    else
        Engine().Seek(1210);
    const double startTick = Tick();
    const int32_t startPlayer = Engine().Time();
    Press(Qt::Key_I);
    EXPECT_EQ(Timeline().m_markStart, startTick - c.delayUnits);
    EXPECT_NEAR(Timeline().m_markStart * 10.0, startPlayer - c.delayUnits * 10.0, kFrameUnits * 10.0);

    if (c.playing)
        ASSERT_TRUE(QTest::qWaitFor([&] { return Tick() > startTick + 40.0; }, kWaitMs));
    else
        Engine().Seek(2500);
    const double endTick = Tick();
    Press(Qt::Key_O);
    Engine().SetPlaying(false);
    ASSERT_EQ(Segments(0).size(), 1u);
    const double start = startTick - c.delayUnits;
    const double end = endTick - c.delayUnits;
    EXPECT_EQ(Segments(0)[0]->m_start, start);
    EXPECT_EQ(Segments(0)[0]->m_end, end);
    EXPECT_TRUE(m_window->HasUnsavedChanges());

    Press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(Segments(0).empty());
    Press(Qt::Key_Y, Qt::ControlModifier);
    ASSERT_EQ(Segments(0).size(), 1u);
    EXPECT_EQ(Segments(0)[0]->m_start, start);
    EXPECT_EQ(Segments(0)[0]->m_end, end);

    const fs::path file = fs::path(QUILL_TEST_DATA_DIR) / (std::string("delayed-marks-") + c.label + ".xml");
    fs::remove(file);
    ModalScript save;
    save.On<QFileDialog>([&](QFileDialog& dialog) {
        auto* name = dialog.findChild<QLineEdit*>("fileNameEdit");
        name->setText(QString::fromStdString(file.string()));
        QTest::keyClick(name, Qt::Key_Return);
    });
    Press(Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(save.AllRan());
    EXPECT_FALSE(m_window->HasUnsavedChanges());
    CTimeline saved;
    ASSERT_TRUE(saved.LoadFile(file.string()));
    ASSERT_EQ(saved.Tracks().GetTrack(0)->GetSegments().size(), 1u);
    // The file keeps a hundredth of a time unit.
    EXPECT_NEAR(saved.Tracks().GetTrack(0)->GetSegments()[0]->m_start, start, 0.01);
    EXPECT_NEAR(saved.Tracks().GetTrack(0)->GetSegments()[0]->m_end, end, 0.01);
}

INSTANTIATE_TEST_SUITE_P(Table, DelayedMarks,
                         testing::Values(MarkCase{"playing_at_1", 1.0, true, 30.0},
                                         MarkCase{"playing_at_half", 0.5, true, 15.0},
                                         MarkCase{"paused", 1.0, false, 0.0},
                                         MarkCase{"paused_at_half", 0.5, false, 0.0}),
                         [](const auto& info) { return std::string(info.param.label); });

// Near the start a delayed mark stops at 0: the largest delay leaves two
// seconds to press in after playback starts.
TEST_F(SpeedGui, ADelayedMarkNearTheStartStopsAtZero)
{
    LoadVideo();
    SetDelay(2000);
    Focus(Button(kOpenVideoId));
    Engine().Seek(100);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Engine().SeekInFlight(); }, kWaitMs));
    Engine().SetPlaying(true);
    const double tick = Tick();
    Press(Qt::Key_I);
    ASSERT_LT(tick, 200.0) << "the press came more than two seconds into playback";
    EXPECT_EQ(Timeline().m_markStart, 0.0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Tick() > 250.0; }, kWaitMs));
    const double end = Timeline().m_currentTime;
    Press(Qt::Key_O);
    ASSERT_EQ(Segments(0).size(), 1u);
    EXPECT_EQ(Segments(0)[0]->m_start, 0.0);
    EXPECT_EQ(Segments(0)[0]->m_end, end - 200.0);
}

} // namespace
