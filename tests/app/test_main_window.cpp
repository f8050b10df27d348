#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

#include "AboutDlg.h"
#include "CAnnotatorDlg.h"
#include "DialogUnits.h"
#include "MainWindowFixture.h"
#include "ModalScript.h"
#include "ModelScrollBar.h"
#include "ScrollHandling.h"
#include "TemplateWidgets.h"
#include "Templates.h"
#include "TestVideo.h"

namespace {

// Where the style draws the bar's right or down arrow, to click it as a user does.
QPoint AddArrowOf(const QScrollBar& bar)
{
    QStyleOptionSlider option;
    option.initFrom(&bar);
    option.orientation = bar.orientation();
    if (bar.orientation() == Qt::Horizontal)
        option.state |= QStyle::State_Horizontal;
    option.minimum = bar.minimum();
    option.maximum = bar.maximum();
    option.sliderPosition = bar.sliderPosition();
    option.sliderValue = bar.value();
    option.pageStep = bar.pageStep();
    option.singleStep = bar.singleStep();
    option.subControls = QStyle::SC_All;
    return bar.style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarAddLine, &bar).center();
}

class MainWindow : public MainWindowFixture {
protected:
    explicit MainWindow(WindowStart start = {}) : MainWindowFixture(start) {}

    void LoadVideo()
    {
        static const std::string path = MakeTestVideo(QUILL_TEST_DATA_DIR, "main-window.mp4", 3.0, 160, 120);
        m_window->OpenVideo(path);
        ASSERT_TRUE(m_window->Movie().HasMovie());
    }

    // The class names of the modal dialogs that `call` opens, each closed as
    // soon as it shows; one that never closes fails the test after 10 s.
    static std::vector<std::string> ModalsOpenedBy(const std::function<void()>& call)
    {
        ModalScript script(10000);
        script.On<QWidget>([](QWidget& modal) { modal.close(); });
        call();
        QCoreApplication::processEvents();
        EXPECT_FALSE(script.TimedOut());
        return script.Seen();
    }
};

} // namespace

TEST_F(MainWindow, CaptionFixedSizeAndControlsFollowTheTemplate)
{
    EXPECT_EQ(m_window->windowTitle(), QString("Quillmark"));
    const DialogTemplate& layout = FindDialogTemplate(102);
    const double scale = DialogScale(m_window.get());
    const QRect client = DialogUnitsToPixels(0, 0, layout.width, layout.height, scale);
    EXPECT_EQ(m_window->size(), client.size());
    EXPECT_EQ(m_window->minimumSize(), m_window->maximumSize());
    EXPECT_FALSE(m_window->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(m_window->windowFlags() & Qt::WindowMaximizeButtonHint);
    if (scale == 1.0 && DpiScale(m_window.get()) == 1.0) {
        EXPECT_EQ(m_window->size(), QSize(1012, 517));
        EXPECT_EQ(m_window->Control(kTimelineFrameId)->size(), QSize(750, 244));
    }

    for (const ControlTemplate& control : layout.controls) {
        QWidget* widget = m_window->Control(control.id);
        ASSERT_NE(widget, nullptr) << control.id;
        EXPECT_EQ(widget->geometry(), DialogUnitsToPixels(control.x, control.y, control.width, control.height, scale))
            << control.id;
        // The template's proportions, within a pixel of rounding.
        const QRect exact = widget->geometry();
        EXPECT_NEAR(exact.left(), control.x * 1.5 * scale, 1.0) << control.id;
        EXPECT_NEAR(exact.top(), control.y * 13.0 / 8.0 * scale, 1.0) << control.id;
        EXPECT_NEAR(exact.width(), control.width * 1.5 * scale, 1.0) << control.id;
        EXPECT_NEAR(exact.height(), control.height * 13.0 / 8.0 * scale, 1.0) << control.id;
        if (auto* button = qobject_cast<QPushButton*>(widget)) {
            EXPECT_EQ(button->text().toStdString(), control.text);
            EXPECT_FALSE(button->isDefault());
            // The whole text shows: the desktop's face is wider than the one
            // the layout was made for.
            const int margins = 2 * (button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button) +
                                     button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button));
            EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()), button->width() - margins)
                << control.text;
        }
    }
    EXPECT_EQ(Button(kOpenVideoId)->text(), QString("Ouvrir la vidéo annotée"));
}

TEST_F(MainWindow, FitsTheScreenAtTheLargestScaleThatDoes)
{
    const QRect available = m_window->screen()->availableGeometry();
    const QRect frame = m_window->frameGeometry();
    EXPECT_LE(frame.width(), 0.9 * available.width());
    EXPECT_LE(frame.height(), 0.9 * available.height());
    const double scale = DialogScale(m_window.get());
    ASSERT_GE(scale, DpiScale(m_window.get()));
    // One step larger would not fit, or the screen is too small for more
    // than the layout's own size.
    const DialogTemplate& layout = FindDialogTemplate(102);
    if (scale > DpiScale(m_window.get())) {
        EXPECT_TRUE(DialogUnitsToPixelsX(layout.width, scale + 0.01) > 0.9 * available.width() - 16 ||
                    DialogUnitsToPixelsY(layout.height, scale + 0.01) > 0.9 * available.height() - 48);
    }
    // The timeline's pixel extent is its frame's actual client area.
    EXPECT_EQ(Timeline().m_viewRect.Width(), m_window->Control(kTimelineFrameId)->width());
    EXPECT_EQ(Timeline().m_viewRect.Height(), m_window->Control(kTimelineFrameId)->height());
    // The modal dialogs come out at the same scale.
    CAboutDlg about(m_window.get());
    EXPECT_EQ(about.size(), DialogUnitsToPixels(0, 0, 235, 55, scale).size());
    EXPECT_EQ(m_window->TrackDialog().size(),
              DialogUnitsToPixels(0, 0, FindDialogTemplate(kTrackDialogId).width,
                                  FindDialogTemplate(kTrackDialogId).height, scale).size());
}

TEST_F(MainWindow, StartsWithTheBarsAndStateOfInitialisation)
{
    EXPECT_EQ(m_window->MouseState(), CAnnotatorDlg::MOUSE_IDLE);
    EXPECT_TRUE(m_window->IsTimerRunning());
    const ScrollBarModel& time = m_window->TimeBar();
    EXPECT_EQ(time.GetMin(), 0);
    EXPECT_EQ(time.GetMax(), 100);
    EXPECT_EQ(time.GetPage(), 100);
    EXPECT_EQ(time.GetPosition(), 0);
    EXPECT_EQ(m_window->ZoomBar().GetMax(), 100);
    EXPECT_EQ(m_window->ZoomBar().GetPosition(), 0);
    EXPECT_EQ(m_window->TrackBar().GetMax(), 400);
    EXPECT_EQ(m_window->TrackBar().GetPosition(), 0);
    EXPECT_EQ(Timeline().m_currentSegment, nullptr);
    EXPECT_EQ(m_window->ShownVideo(), 0);
    EXPECT_TRUE(m_window->AnnotationFolder().empty());
}

TEST_F(MainWindow, TickCopiesBarsAndPlayerTimeIntoTheTimeline)
{
    m_window->StopTimer(); // the ticks below are the only ones
    m_window->OnHScroll(SB_THUMBTRACK, 22, Bar(kZoomBarId));
    m_window->OnHScroll(SB_THUMBTRACK, 5, Bar(kTimeBarId));
    m_window->OnVScroll(SB_THUMBTRACK, 12, Bar(kTrackBarId));
    ASSERT_EQ(m_window->TimeBar().GetPage(), 36);
    m_window->OnTimer();
    EXPECT_EQ(Timeline().ViewSpan(), 36);
    EXPECT_EQ(Timeline().ViewStart(), 5);
    EXPECT_EQ(Timeline().TrackScroll(), 12);
    EXPECT_EQ(Timeline().m_currentTime, 0.0); // no video yet
    EXPECT_EQ(Timeline().m_fontReady, 1);

    LoadVideo();
    m_window->Movie().SetTime(1230);
    m_window->OnTimer();
    EXPECT_DOUBLE_EQ(Timeline().m_currentTime, 123.0);
}

TEST_F(MainWindow, TimeBarArrowMovesOneStepAndTheNextTickShowsIt)
{
    m_window->StopTimer(); // the ticks below are the only ones
    // A 10 s video, zoomed to a page of 200 at position 300.
    static const std::string path = MakeTestVideo(QUILL_TEST_DATA_DIR, "main-window-10s.mp4", 10.0, 160, 120);
    m_window->OpenVideo(path);
    ModelScrollBar* bar = Bar(kTimeBarId);
    ASSERT_EQ(m_window->TimeBar().GetMax(), 1000);
    m_window->OnHScroll(SB_THUMBTRACK, 24, Bar(kZoomBarId));
    ASSERT_EQ(m_window->TimeBar().GetPage(), 190);
    m_window->OnHScroll(SB_THUMBTRACK, 300, bar);
    bar->setSingleStep(37); // Qt's own step must not be the one taken
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, AddArrowOf(*bar));
    EXPECT_EQ(m_window->TimeBar().GetPosition(), 310);
    EXPECT_EQ(bar->value(), 310);
    EXPECT_NE(Timeline().ViewStart(), 310);
    m_window->OnTimer();
    EXPECT_EQ(Timeline().ViewStart(), 310);
    EXPECT_EQ(Timeline().ViewSpan(), 190);
}

TEST_F(MainWindow, SegmentTextFollowsTheTimeAndIsLeftAloneWhileItStands)
{
    m_window->StopTimer(); // the ticks below are the only ones
    auto* edit = qobject_cast<QPlainTextEdit*>(m_window->Control(kSegmentTextId));
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(edit->isReadOnly());
    LoadVideo();
    m_window->Movie().SetTime(500);
    m_window->OnTimer();
    EXPECT_EQ(edit->toPlainText().toStdString(), std::string(CTimeline::kSampleComment) + "  |  ");
    EXPECT_EQ(Timeline().m_lastTime, 50.0);
    EXPECT_NE(Timeline().m_currentSegment, nullptr);

    edit->setPlainText("unchanged");
    m_window->OnTimer();
    EXPECT_EQ(edit->toPlainText(), QString("unchanged"));

    m_window->Movie().SetTime(2000); // 200.0: past the sample segment
    m_window->OnTimer();
    EXPECT_EQ(edit->toPlainText(), QString());
    EXPECT_EQ(Timeline().m_currentSegment, nullptr);
}

// With the keyboard, so that the box can have the focus.
class CommentBox : public MainWindow {
protected:
    CommentBox() : MainWindow({.active = true}) {}
};

// The tick sets the comments at each frame while the video plays. The same
// comments set again undo what was done to the box (scrolled, the cursor
// moved, text selected) as they always have; with nothing to undo, the box
// is left alone rather than laid out and repainted.
TEST_F(CommentBox, TheSameCommentsAgainResetTheBoxOrLeaveItAlone)
{
    m_window->StopTimer(); // the ticks below are the only ones
    auto* box = qobject_cast<QPlainTextEdit*>(m_window->Control(kSegmentTextId));
    ASSERT_NE(box, nullptr);
    LoadVideo();
    const Segment* sample = Timeline().Tracks().GetTrack(0)->GetSegments()[0];
    std::string comment;
    for (int line = 0; line < 60; ++line)
        comment += "Ligne " + std::to_string(line) + "\n";
    m_window->Editor().UpdateSegment(sample, {sample->m_title, comment, sample->m_start, sample->m_end});

    struct Row {
        const char* name;
        std::function<void(QPlainTextEdit&)> act;
        bool setAgain;
    };
    const std::vector<Row> rows = {
        {"nothing done", [](QPlainTextEdit&) {}, false},
        {"scrolled", [](QPlainTextEdit& edit) { edit.verticalScrollBar()->setValue(edit.verticalScrollBar()->maximum()); },
         true},
        {"cursor moved",
         [](QPlainTextEdit& edit) {
             QTextCursor cursor = edit.textCursor();
             cursor.setPosition(10);
             edit.setTextCursor(cursor);
         },
         true},
        {"text selected", [](QPlainTextEdit& edit) { edit.selectAll(); }, true},
        {"focused", [](QPlainTextEdit& edit) { edit.setFocus(); }, true},
    };
    int32_t time = 500;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        m_window->setFocus();
        m_window->Movie().SetTime(time += 40);
        m_window->OnTimer();
        ASSERT_EQ(box->toPlainText().toStdString(), comment + "  |  ");
        row.act(*box);
        int sets = 0;
        const QMetaObject::Connection counting =
            QObject::connect(box->document(), &QTextDocument::contentsChange, [&sets] { ++sets; });
        m_window->Movie().SetTime(time += 40);
        m_window->OnTimer();
        QObject::disconnect(counting);
        EXPECT_EQ(sets > 0, row.setAgain);
        EXPECT_EQ(box->toPlainText().toStdString(), comment + "  |  ");
        EXPECT_EQ(box->verticalScrollBar()->value(), 0);
        EXPECT_EQ(box->textCursor().position(), 0);
        EXPECT_FALSE(box->textCursor().hasSelection());
    }
}

TEST_F(MainWindow, AfterCloseNoTickRunsAndBothPlayersAreEmpty)
{
    m_window->StopTimer(); // the ticks below are the only ones
    LoadVideo();
    m_window->OnTimer();
    m_window->close();
    EXPECT_EQ(m_window->MouseState(), CAnnotatorDlg::MOUSE_CLOSING);
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_EQ(m_window->Player().GetMovie(), nullptr);
    EXPECT_EQ(m_window->CompanionPlayer().GetMovie(), nullptr);

    const int32_t span = Timeline().ViewSpan();
    m_window->OnHScroll(SB_THUMBTRACK, 90, Bar(kZoomBarId));
    ASSERT_NE(m_window->TimeBar().GetPage(), span);
    m_window->OnTimer();
    EXPECT_EQ(Timeline().ViewSpan(), span);
}

TEST_F(MainWindow, EnterAndEscapeDoNotEndTheWindow)
{
    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
        QTest::keyClick(m_window.get(), key);
        QTest::keyClick(m_window->Control(kSegmentTextId), key);
        QTest::keyClick(Button(kOpenVideoId), key);
    }
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_EQ(m_window->result(), 0);
    EXPECT_EQ(m_window->MouseState(), CAnnotatorDlg::MOUSE_IDLE);
}

TEST_F(MainWindow, OnlyTheAboutSystemCommandOpensTheAboutBox)
{
    using Names = std::vector<std::string>;
    EXPECT_EQ(ModalsOpenedBy([this] { m_window->OnSysCommand(0xF010, 0); }), Names{}); // move
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_EQ(ModalsOpenedBy([this] { m_window->OnSysCommand(16 | 0x7, 0); }), Names{"CAboutDlg"});
    EXPECT_EQ(ModalsOpenedBy([this] { QTest::keyClick(m_window.get(), Qt::Key_F1); }), Names{"CAboutDlg"});
}

TEST_F(MainWindow, FailuresShowWithoutStoppingTheTickAndAreNotStacked)
{
    const auto boxes = [this] { return m_window->findChildren<QMessageBox*>(); };
    // Returns at once: a box that waited for the user would hang this test.
    m_window->ReportError("Impossible d'ouvrir la vid\xC3\xA9o : /nulle/part.mov");
    m_window->ReportError("Impossible d'ouvrir la vid\xC3\xA9o : /nulle/part.mov");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes().empty() && boxes()[0]->isVisible(); }, 5000));
    ASSERT_EQ(boxes().size(), 1);
    EXPECT_EQ(boxes()[0]->text(), QString::fromUtf8("Impossible d'ouvrir la vid\xC3\xA9o : /nulle/part.mov"));
    EXPECT_TRUE(boxes()[0]->isVisible());
    EXPECT_TRUE(m_window->IsTimerRunning());

    // Two failures by turns, as a tick can have them, give two boxes, not more.
    for (int tick = 0; tick < 3; ++tick) {
        m_window->ReportError("Erreur d'application interne.");
        m_window->ReportError("Impossible d'ouvrir la vid\xC3\xA9o : /nulle/part.mov");
    }
    EXPECT_EQ(boxes().size(), 2);

    for (QMessageBox* box : boxes())
        box->close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return boxes().empty(); }, 5000)) << "closed boxes delete themselves";
    m_window->ReportError("Erreur d'application interne.");
    EXPECT_EQ(boxes().size(), 1) << "a dismissed failure shows again when it happens again";
}

TEST_F(MainWindow, LoadFailureIsAskedInAConfirmationBox)
{
    QString caption, text;
    ModalScript script(10000);
    script.On<QMessageBox>([&](QMessageBox& box) {
        caption = box.windowTitle();
        text = box.text();
        box.button(QMessageBox::Cancel)->click();
    });
    StartOptions options;
    options.annotations = "/no/such/file.xml";
    m_window->OpenStartFiles(options);
    EXPECT_TRUE(script.AllRan());
    EXPECT_EQ(caption, QString("Confirmation"));
    EXPECT_EQ(text, QString("le fichier n'a pas été ouvert"));
    EXPECT_EQ(Timeline().Tracks().GetCount(), 1);
}
