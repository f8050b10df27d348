#include "MainWindowFixture.h"

#include <filesystem>
#include <fstream>

#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "ModelScrollBar.h"

void MainWindowFixture::SetUp()
{
    m_window = std::make_unique<CAnnotatorDlg>(AudioOutput::Silent());
    m_window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
    if (m_start.active) {
        m_window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
    }
    if (m_start.tracksABC) {
        AnnotationEditor& editor = m_window->Editor();
        for (const char* label : {"A", "B", "C"})
            editor.SetTrackLabel(editor.AddTrack(), label);
        editor.DeleteTrack(0);
        editor.ForgetHistory();
        ASSERT_EQ(Timeline().m_selectedTrack, 0);
    }
}

void MainWindowFixture::TearDown()
{
    if (m_window == nullptr)
        return;
    // Failure boxes a test left open; they belong to the window.
    for (QMessageBox* box : m_window->findChildren<QMessageBox*>())
        box->close();
    if (m_window->isVisible())
        m_window->OnClose();
    m_window.reset();
}

ModelScrollBar* MainWindowFixture::Bar(MainControlId id) const
{
    return qobject_cast<ModelScrollBar*>(m_window->Control(id));
}

QPushButton* MainWindowFixture::Button(MainControlId id) const
{
    return qobject_cast<QPushButton*>(m_window->Control(id));
}

PointerSample MainWindowFixture::Sample(int x, int y, bool left, bool right) const
{
    PointerSample sample;
    sample.windowActive = true;
    sample.cursorX = x;
    sample.cursorY = y;
    sample.frame = {0, 0, Timeline().m_viewRect.Width(), Timeline().m_viewRect.Height()};
    sample.leftDown = left;
    sample.rightDown = right;
    return sample;
}

void MainWindowFixture::Click(int x, int y)
{
    m_window->HandlePointer(Sample(x, y, true, false));
    m_window->HandlePointer(Sample(x, y, false, false));
}

void MainWindowFixture::SelectTrack(int row)
{
    Click(10, row * TimelineGeometry::kRowHeight + 12 - Timeline().TrackScroll());
    ASSERT_EQ(Timeline().m_selectedTrack, row);
}

void MainWindowFixture::ChooseSegment(int row, const Segment* segment)
{
    // The view the pointer maps through is the one the last tick copied.
    m_window->OnTimer();
    SelectTrack(row);
    int x = TimelineGeometry::kLabelWidth + 1;
    for (; x < Timeline().m_viewRect.Width() - 1; ++x) {
        const double time = Timeline().TimeAtX(x).value_or(0.0);
        if (time > 0.0 && time >= segment->m_start && time <= segment->m_end)
            break;
    }
    const int y = row * TimelineGeometry::kRowHeight + 12 - Timeline().TrackScroll();
    m_window->HandlePointer(Sample(x, y, false, true));
    m_window->HandlePointer(Sample(x, y, false, false));
    ASSERT_EQ(Timeline().m_currentSegment, segment) << "no pixel of the view shows the segment";
    // The click that closes the menu, which the pointer step swallows.
    if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget()))
        menu->close();
    Click(x, y);
    ASSERT_EQ(m_window->MouseState(), CAnnotatorDlg::MOUSE_IDLE);
}

void MainWindowFixture::OpenAnnotations(const std::string& name, const std::string& xml)
{
    const std::string path = std::string(QUILL_TEST_DATA_DIR) + "/" + name;
    std::ofstream(path, std::ios::binary) << xml;
    StartOptions options;
    options.annotations = path;
    m_window->OpenStartFiles(options);
}
