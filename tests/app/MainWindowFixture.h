#pragma once

#include <memory>

#include <gtest/gtest.h>

#include "CAnnotatorDlg.h"

// What the window holds and whether it has the keyboard when a test starts.
struct WindowStart {
    // Keys and the X pointer's presses reach the active window only.
    bool active = false;
    // Tracks A, B and C, none with segments, A selected, in place of the
    // window's own first track.
    bool tracksABC = false;
};

// The main window, shown and exposed before each test and closed after it
// straight through its closing steps: the question about unsaved work has
// tests of its own, and one left open here would hang the run.
class MainWindowFixture : public testing::Test {
protected:
    explicit MainWindowFixture(WindowStart start = {}) : m_start(start) {}

    void SetUp() override;
    void TearDown() override;

    CTimeline& Timeline() { return m_window->m_timeline; }

    std::unique_ptr<CAnnotatorDlg> m_window;

private:
    WindowStart m_start;
};
