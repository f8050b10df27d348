#include <memory>
#include <string>

#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QTest>
#include <QToolButton>
#include <QWidget>

#include <gtest/gtest.h>

#include "CMovieDriver.h"
#include "CQTControl.h"
#include "ControlPicture.h"
#include "CTransportBar.h"
#include "CVideoSurface.h"
#include "PlayerError.h"
#include "TestVideo.h"

namespace {

constexpr int kWaitMs = 5000;
const QSize kVideoSize(320, 240);

std::string Clip()
{
    static const std::string path =
        MakeTestVideo(QUILL_TEST_DATA_DIR, "control-clip.mp4", 4.0, kVideoSize.width(), kVideoSize.height());
    return path;
}

std::string Companion()
{
    static const std::string path = MakeTestVideo(QUILL_TEST_DATA_DIR, "annotation7.mov", 2.0, 160, 120);
    return path;
}

template <class T>
T* Part(CQTControl& control, const char* name)
{
    T* part = control.findChild<T*>(name);
    EXPECT_NE(part, nullptr) << name;
    return part;
}

// A window holding the two players at the main window's sizes.
class Control : public testing::Test {
protected:
    void SetUp() override
    {
        m_window = std::make_unique<QWidget>();
        m_window->resize(640, 260);
        m_player = new CQTControl(AudioOutput::Silent(), m_window.get());
        m_player->setGeometry(12, 16, 301, 216);
        m_companion = new CQTControl(AudioOutput::Silent(), m_window.get());
        m_companion->setGeometry(320, 12, 298, 219);
        m_edit = new QLineEdit(m_window.get());
        m_edit->setGeometry(12, 236, 100, 20);
        m_window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
        m_window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
    }

    int PlayerFrame() { return ShownFrame(*m_player, kVideoSize); }

    std::unique_ptr<QWidget> m_window;
    CQTControl* m_player = nullptr;    // owned by the window
    CQTControl* m_companion = nullptr; // owned by the window
    QLineEdit* m_edit = nullptr;       // owned by the window
};

} // namespace

TEST_F(Control, PictureShowsTheFrameCoveringTheTimeSetAndTheTransportBarSaysIt)
{
    m_player->SetSource(Clip());
    CMovieDriver movie;
    movie.Attach(m_player->GetMovie());
    movie.SetProperty1082(100);
    EXPECT_NEAR(movie.GetDuration(), 4000, 25);
    EXPECT_TRUE(QTest::qWaitFor([&] { return PlayerFrame() == 0; }, kWaitMs));

    movie.SetTime(3210);
    EXPECT_EQ(movie.GetTime(), 3210);
    EXPECT_TRUE(QTest::qWaitFor([&] { return PlayerFrame() == 80; }, kWaitMs)) << PlayerFrame();
    EXPECT_EQ(movie.GetTime(), 3210);
    EXPECT_GT(m_player->Surface().PresentedFrames(), 0u);

    auto* time = Part<QLabel>(*m_player, "time");
    EXPECT_EQ(time->text().toStdString(), "0:00:03.210 / 0:00:04.000");
    auto* slider = Part<QSlider>(*m_player, "position");
    EXPECT_EQ(slider->maximum(), movie.GetDuration());
    EXPECT_EQ(slider->value(), 3210);

    // The picture at 3.2 s with its transport bar, for whoever checks by eye.
    movie.SetTime(3200);
    ASSERT_TRUE(QTest::qWaitFor([&] { return PlayerFrame() == 80 && !m_player->Engine().SeekInFlight(); },
                                kWaitMs));
    QTest::qWait(50);
    m_window->grab().save(QString(QUILL_TEST_DATA_DIR) + "/player-paused-3200.png");
}

TEST_F(Control, EmptySourceTurnsThePictureBlackAndTheBarIdle)
{
    m_player->SetSource(Clip());
    const CQTMoviePtr movie = m_player->GetMovie();
    movie->SetTime(2000);
    ASSERT_TRUE(QTest::qWaitFor([&] { return PlayerFrame() == 50; }, kWaitMs));
    m_player->SetSource("");
    EXPECT_EQ(m_player->GetMovie(), nullptr);
    EXPECT_EQ(movie->GetTime(), 0);
    EXPECT_TRUE(ShowsBlack(*m_player));
    EXPECT_FALSE(Part<QToolButton>(*m_player, "playPause")->isEnabled());
    EXPECT_EQ(Part<QLabel>(*m_player, "time")->text().toStdString(), "0:00:00.000 / 0:00:00.000");
}

TEST_F(Control, FailedSourceLeavesTheControlEmptyBlackAndUsable)
{
    m_player->SetSource(Clip());
    const std::string missing = std::string(QUILL_TEST_DATA_DIR) + "/manquante.mp4";
    try {
        m_player->SetSource(missing);
        FAIL() << "no error";
    } catch (const PlayerError& error) {
        EXPECT_NE(std::string(error.what()).find("Impossible d'ouvrir la vidéo : " + missing), std::string::npos);
    }
    EXPECT_EQ(m_player->GetMovie(), nullptr);
    EXPECT_TRUE(ShowsBlack(*m_player));
    m_player->SetSource(Clip());
    m_player->GetMovie()->SetTime(1000);
    EXPECT_TRUE(QTest::qWaitFor([&] { return PlayerFrame() == 25; }, kWaitMs));
}

TEST_F(Control, TransportButtonsPlayStepAndMute)
{
    m_player->SetSource(Clip());
    MpvEngine& engine = m_player->Engine();
    auto* play = Part<QToolButton>(*m_player, "playPause");
    EXPECT_EQ(play->toolTip(), QString("Lecture"));
    QTest::mouseClick(play, Qt::LeftButton);
    EXPECT_TRUE(engine.IsPlaying());
    EXPECT_EQ(play->toolTip(), QString("Pause"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return engine.Time() > 200; }, kWaitMs));
    QTest::mouseClick(play, Qt::LeftButton);
    EXPECT_FALSE(engine.IsPlaying());

    engine.Seek(1000);
    QTest::mouseClick(Part<QToolButton>(*m_player, "stepForward"), Qt::LeftButton);
    EXPECT_EQ(engine.Time(), 1040);
    EXPECT_TRUE(QTest::qWaitFor([&] { return PlayerFrame() == 26; }, kWaitMs));
    QTest::mouseClick(Part<QToolButton>(*m_player, "stepBack"), Qt::LeftButton);
    QTest::mouseClick(Part<QToolButton>(*m_player, "stepBack"), Qt::LeftButton);
    EXPECT_EQ(engine.Time(), 960);
    EXPECT_TRUE(QTest::qWaitFor([&] { return PlayerFrame() == 24; }, kWaitMs));

    auto* mute = Part<QToolButton>(*m_player, "mute");
    QTest::mouseClick(mute, Qt::LeftButton);
    EXPECT_TRUE(engine.IsMuted());
    EXPECT_EQ(mute->toolTip(), QString::fromUtf8("Rétablir le son"));
    QTest::mouseClick(mute, Qt::LeftButton);
    EXPECT_FALSE(engine.IsMuted());
}

TEST_F(Control, SliderScrubsExactly)
{
    m_player->SetSource(Clip());
    MpvEngine& engine = m_player->Engine();
    auto* slider = Part<QSlider>(*m_player, "position");
    slider->setSliderDown(true);
    for (int position : {500, 2600, 1234}) {
        slider->setSliderPosition(position);
        EXPECT_EQ(engine.Time(), position);
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return PlayerFrame() == 30; }, kWaitMs));
    // While held, the knob is not pulled back by the player.
    EXPECT_EQ(slider->sliderPosition(), 1234);
    slider->setSliderDown(false);

    slider->triggerAction(QSlider::SliderPageStepAdd);
    EXPECT_EQ(engine.Time(), 4000);
    EXPECT_TRUE(QTest::qWaitFor([&] { return PlayerFrame() == 99; }, kWaitMs));
}

TEST_F(Control, KeysActOnlyWhileTheControlHasTheFocus)
{
    m_player->SetSource(Clip());
    MpvEngine& engine = m_player->Engine();
    m_edit->setFocus();
    QTest::keyClick(m_edit, Qt::Key_Space);
    EXPECT_FALSE(engine.IsPlaying());

    // A click on the picture gives the control the focus.
    QTest::mouseClick(&m_player->Surface(), Qt::LeftButton);
    EXPECT_TRUE(m_player->hasFocus());
    QTest::keyClick(m_player, Qt::Key_Space);
    EXPECT_TRUE(engine.IsPlaying());
    QTest::keyClick(m_player, Qt::Key_Space);
    EXPECT_FALSE(engine.IsPlaying());

    engine.Seek(2000);
    QTest::keyClick(m_player, Qt::Key_Right);
    EXPECT_EQ(engine.Time(), 2040);
    QTest::keyClick(m_player, Qt::Key_Left);
    QTest::keyClick(m_player, Qt::Key_Left);
    EXPECT_EQ(engine.Time(), 1960);
}

TEST_F(Control, CompanionSwitchesFilesWhileTheMainPlayerGoesOn)
{
    m_player->SetSource(Clip());
    m_player->GetMovie()->SetTime(3000);
    for (int round = 0; round < 3; ++round) {
        CQTMoviePtr released = m_companion->GetMovie();
        released.reset();
        m_companion->SetSource(round == 1 ? Clip() : Companion());
        ASSERT_NE(m_companion->GetMovie(), nullptr);
    }
    m_companion->GetMovie()->SetTime(1000);
    EXPECT_TRUE(QTest::qWaitFor([&] { return ShownFrame(*m_companion, QSize(160, 120)) == 25; }, kWaitMs));
    EXPECT_TRUE(QTest::qWaitFor([&] { return PlayerFrame() == 75; }, kWaitMs));
    m_companion->SetSource("");
    EXPECT_EQ(m_player->GetMovie()->GetTime(), 3000);
}

TEST_F(Control, MovieHeldPastTheWindowIsStale)
{
    CMovieDriver driver;
    m_player->SetSource(Clip());
    driver.Attach(m_player->GetMovie());
    m_companion->SetSource(Companion());
    const CQTMoviePtr companionMovie = m_companion->GetMovie();
    m_window.reset();
    EXPECT_EQ(driver.GetTime(), 0);
    EXPECT_EQ(driver.GetDuration(), 0);
    driver.SetTime(500);
    EXPECT_EQ(companionMovie->GetDuration(), 0);
}

TEST_F(Control, PictureSurvivesAMoveToAnotherWindow)
{
    m_player->SetSource(Clip());
    m_player->GetMovie()->SetTime(1200);
    ASSERT_TRUE(QTest::qWaitFor([&] { return PlayerFrame() == 30; }, kWaitMs));
    QWidget other;
    other.resize(320, 240);
    m_player->setParent(&other);
    m_player->setGeometry(0, 0, 301, 216);
    other.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
    m_player->show();
    // A new GL context: the same frame comes back, and seeking goes on.
    EXPECT_TRUE(QTest::qWaitFor([&] { return PlayerFrame() == 30; }, kWaitMs)) << PlayerFrame();
    EXPECT_EQ(m_player->GetMovie()->GetTime(), 1200);
    m_player->GetMovie()->SetTime(2400);
    EXPECT_TRUE(QTest::qWaitFor([&] { return PlayerFrame() == 60; }, kWaitMs)) << PlayerFrame();
    m_player->setParent(m_window.get());
}

TEST(ControlUnshown, SourceSetBeforeTheFirstShowPlaysOnceShown)
{
    QWidget window;
    window.resize(320, 240);
    auto* control = new CQTControl(AudioOutput::Silent(), &window);
    control->setGeometry(0, 0, 301, 216);
    control->SetSource(Clip());
    ASSERT_NE(control->GetMovie(), nullptr);
    EXPECT_NEAR(control->GetMovie()->GetDuration(), 4000, 25);
    control->GetMovie()->SetTime(2000);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_TRUE(QTest::qWaitFor([&] { return ShownFrame(*control, kVideoSize) == 50; }, kWaitMs))
        << ShownFrame(*control, kVideoSize);
}
