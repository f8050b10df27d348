#include <vector>

#include <QApplication>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include "ModelScrollBar.h"
#include "ScrollHandling.h"

namespace {

// Reaches the sub-control rectangles the style draws, to click them.
class ProbedBar : public ModelScrollBar {
public:
    using ModelScrollBar::ModelScrollBar;

    QPoint CentreOf(QStyle::SubControl part)
    {
        QStyleOptionSlider option;
        initStyleOption(&option);
        return style()->subControlRect(QStyle::CC_ScrollBar, &option, part, this).center();
    }
};

void SendMouse(QWidget* target, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, QPointF(pos), QPointF(target->mapToGlobal(pos)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

void Click(QWidget* target, QPoint pos)
{
    SendMouse(target, QEvent::MouseButtonPress, pos, Qt::LeftButton, Qt::LeftButton);
    SendMouse(target, QEvent::MouseButtonRelease, pos, Qt::LeftButton, Qt::NoButton);
}

// A time bar and a zoom bar wired the way the main window wires them.
class ScrollBarWidget : public testing::Test {
protected:
    void SetUp() override
    {
        m_window.resize(400, 80);
        m_time.setParent(&m_window);
        m_time.setGeometry(10, 10, 300, 18);
        m_zoom.setParent(&m_window);
        m_zoom.setGeometry(10, 40, 120, 18);
        m_time.Model().Set(0, 1000, 0, 500);
        m_time.SyncFromModel();
        m_zoom.Model().Set(0, 100, 0, 0);
        m_zoom.SyncFromModel();
        for (ProbedBar* bar : {&m_time, &m_zoom}) {
            QObject::connect(bar, &ModelScrollBar::scrolled, [this, bar](int code, int position) {
                m_codes.push_back(code);
                HandleHScroll(code, position, bar->Model(), m_zoom.Model(), m_time.Model());
                m_time.SyncFromModel();
            });
        }
        m_window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_window));
    }

    void SetTimeRange(int max, int page, int position)
    {
        m_time.Model().Set(0, max, page, position);
        m_time.SyncFromModel();
    }

    void DragThumb(ProbedBar& bar, int dx)
    {
        const QPoint start = bar.CentreOf(QStyle::SC_ScrollBarSlider);
        SendMouse(&bar, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
        for (int step = 1; step <= 4; ++step)
            SendMouse(&bar, QEvent::MouseMove, start + QPoint(dx * step / 4, 0), Qt::NoButton, Qt::LeftButton);
        SendMouse(&bar, QEvent::MouseButtonRelease, start + QPoint(dx, 0), Qt::LeftButton, Qt::NoButton);
    }

    QWidget m_window;
    ProbedBar m_time{Qt::Horizontal};
    ProbedBar m_zoom{Qt::Horizontal};
    std::vector<int> m_codes;
};

TEST_F(ScrollBarWidget, ArrowsAndPageAreasMoveByTheRuleStepNotQts)
{
    m_time.setPageStep(250);
    m_time.setSingleStep(37);
    Click(&m_time, m_time.CentreOf(QStyle::SC_ScrollBarAddLine));
    EXPECT_EQ(m_time.Model().GetPosition(), 510);
    EXPECT_EQ(m_time.value(), 510);
    EXPECT_EQ(m_codes, (std::vector<int>{SB_LINERIGHT, SB_ENDSCROLL}));

    Click(&m_time, m_time.CentreOf(QStyle::SC_ScrollBarSubLine));
    Click(&m_time, m_time.CentreOf(QStyle::SC_ScrollBarSubLine));
    EXPECT_EQ(m_time.Model().GetPosition(), 490);

    m_codes.clear();
    Click(&m_time, m_time.CentreOf(QStyle::SC_ScrollBarAddPage));
    EXPECT_EQ(m_time.Model().GetPosition(), 500);
    EXPECT_EQ(m_time.value(), 500);
    EXPECT_EQ(m_codes, (std::vector<int>{SB_PAGERIGHT, SB_ENDSCROLL}));
    EXPECT_EQ(m_time.pageStep(), 0) << "the model's page, not what was set behind its back";
}

TEST_F(ScrollBarWidget, ShortRangeIgnoresArrowsButFollowsTheDraggedThumb)
{
    SetTimeRange(99, 0, 20);
    Click(&m_time, m_time.CentreOf(QStyle::SC_ScrollBarAddLine));
    Click(&m_time, m_time.CentreOf(QStyle::SC_ScrollBarAddPage));
    EXPECT_EQ(m_time.Model().GetPosition(), 20);
    EXPECT_EQ(m_time.value(), 20);

    m_codes.clear();
    DragThumb(m_time, 60);
    const int dragged = m_time.Model().GetPosition();
    EXPECT_GT(dragged, 20);
    EXPECT_EQ(m_time.value(), dragged);
    ASSERT_GE(m_codes.size(), 3u);
    EXPECT_EQ(m_codes.front(), SB_THUMBTRACK);
    EXPECT_EQ(m_codes[m_codes.size() - 2], SB_THUMBPOSITION);
    EXPECT_EQ(m_codes.back(), SB_ENDSCROLL);
}

TEST_F(ScrollBarWidget, ThumbSizeAndTravelFollowTheModelsPage)
{
    SetTimeRange(100, 100, 0);
    EXPECT_EQ(m_time.minimum(), 0);
    EXPECT_EQ(m_time.maximum(), 1) << "a full page leaves positions 0 and 1";
    EXPECT_EQ(m_time.pageStep(), 100);

    DragThumb(m_time, 200);
    EXPECT_EQ(m_time.Model().GetPosition(), 1);
    EXPECT_EQ(m_time.value(), 1);

    SetTimeRange(1000, 0, 1000);
    EXPECT_EQ(m_time.maximum(), 1000);
    EXPECT_EQ(m_time.value(), 1000);
}

TEST_F(ScrollBarWidget, ZoomArrowRecomputesTheTimeBarsPageAndThumb)
{
    SetTimeRange(100, 100, 0);
    Click(&m_zoom, m_zoom.CentreOf(QStyle::SC_ScrollBarAddLine));
    EXPECT_EQ(m_zoom.Model().GetPosition(), 1);
    EXPECT_EQ(m_time.Model().GetPage(), 96);
    EXPECT_EQ(m_time.pageStep(), 96);
    EXPECT_EQ(m_time.maximum(), 5);

    // Releasing the arrow (end of scrolling) re-applies the rule; with the
    // time bar pushed to its end meanwhile, nothing drifts.
    m_time.Model().SetPosition(5);
    m_time.SyncFromModel();
    Click(&m_zoom, m_zoom.CentreOf(QStyle::SC_ScrollBarSubLine));
    EXPECT_EQ(m_zoom.Model().GetPosition(), 0);
    EXPECT_EQ(m_time.Model().GetPage(), 101);
    EXPECT_EQ(m_time.Model().GetPosition(), 0);
    EXPECT_EQ(m_time.value(), 0);
}

TEST_F(ScrollBarWidget, OneWheelNotchIsOneStep)
{
    const QPoint centre = m_time.rect().center();
    QWheelEvent down(QPointF(centre), QPointF(m_time.mapToGlobal(centre)), QPoint(), QPoint(0, -120), Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&m_time, &down);
    EXPECT_EQ(m_time.Model().GetPosition(), 510);
    EXPECT_EQ(m_time.value(), 510);

    QWheelEvent half(QPointF(centre), QPointF(m_time.mapToGlobal(centre)), QPoint(), QPoint(0, 60), Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&m_time, &half);
    EXPECT_EQ(m_time.Model().GetPosition(), 510) << "half a notch waits for the other half";
    QApplication::sendEvent(&m_time, &half);
    EXPECT_EQ(m_time.Model().GetPosition(), 500);
}

TEST(ModelScrollBarAlone, WithoutAHandlerTheModelStaysTheTruth)
{
    ModelScrollBar bar(Qt::Vertical);
    bar.resize(18, 200);
    bar.Model().Set(0, 400, 0, 0);
    bar.SyncFromModel();
    bar.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&bar));
    bar.triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(bar.value(), 0);
    EXPECT_EQ(bar.Model().GetPosition(), 0);
}

} // namespace
