#pragma once

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "CAnnotatorDlg.h"
#include "ResourceIds.h"

class ModelScrollBar;
class QPushButton;

// What the window holds and whether it has the keyboard when a test starts.
struct WindowStart {
    // Keys and the X pointer's presses reach the active window only.
    bool active = false;
    // Tracks A, B and C, none with segments, A selected, in place of the
    // window's own first track, with nothing in the history.
    bool tracksABC = false;
};

// The main window, shown and exposed before each test and closed after it
// straight through its closing steps: the question about unsaved work has
// tests of its own, and one left open here would hang the run.
//
// Tests change what the window holds as a user does: through its commands,
// its controls, the pointer step of its tick and its start-up files.
class MainWindowFixture : public testing::Test {
protected:
    explicit MainWindowFixture(WindowStart start = {}) : m_start(start) {}

    void SetUp() override;
    void TearDown() override;

    const CTimeline& Timeline() const { return m_window->Timeline(); }
    ModelScrollBar* Bar(MainControlId id) const;
    QPushButton* Button(MainControlId id) const;

    // A left press and release at pixel (x, y) of the timeline area, handed
    // to the tick's pointer step as if the pointer were there.
    void Click(int x, int y);
    // The same on the row's label: selects it.
    void SelectTrack(int row);
    // A right press on `segment`, which the track at `row` holds, then a
    // click that closes its menu: the segment is the current one until the
    // next tick.
    void ChooseSegment(int row, const Segment* segment);
    // Writes `xml` as an annotation file and opens it as the command line's.
    void OpenAnnotations(const std::string& name, const std::string& xml);

    std::unique_ptr<CAnnotatorDlg> m_window;

private:
    PointerSample Sample(int x, int y, bool left, bool right) const;

    WindowStart m_start;
};
