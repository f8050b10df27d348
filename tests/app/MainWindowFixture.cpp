#include "MainWindowFixture.h"

#include <QMessageBox>
#include <QTest>

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
        Timeline().m_tracks.RemoveAll();
        for (const char* label : {"A", "B", "C"})
            Timeline().m_tracks.AppendTrack()->SetLabel(label);
        Timeline().m_selectedTrack = 0;
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
