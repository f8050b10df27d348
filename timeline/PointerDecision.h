#pragma once

#include <cstdint>
#include <optional>

#include "TimelineGeometry.h"

class CTimeline;
class Segment;

// What the main window reads of the pointer once per tick.
struct PointerSample {
    // The main window is the active window: no dialog, box or other program
    // in front of it.
    bool windowActive = false;
    // Cursor position in screen pixels.
    int cursorX = 0;
    int cursorY = 0;
    // The timeline frame's rectangle in screen pixels, right and bottom
    // exclusive.
    PixelRect frame;
    // Button state as of the last input event processed.
    bool leftDown = false;
    bool rightDown = false;
};

// The pointer's interaction state, the main window's m_mouseState.
enum MouseState : int {
    MOUSE_IDLE = 0,
    MOUSE_MENU_SHOWN = 1,
    MOUSE_WAIT_RELEASE = 2,
    MOUSE_CLOSING = 4,
};

enum class PointerMenu { None, Track, Segment };

// What one tick's polling does. Only a sample strictly inside the frame
// while the window is active is polled; any other leaves everything alone.
struct PointerDecision {
    bool polled = false;
    // Timeline pixels of the cursor, from the area's top-left corner.
    int x = 0;
    int y = 0;
    // Select the row under y and take the time under x.
    bool select = false;
    // Take the time under x without selecting (the segment menu's lookup).
    bool takeTime = false;
    // Seek the player there, in player units.
    std::optional<int32_t> seek;
    PointerMenu menu = PointerMenu::None;
    // The segment the segment menu is for; not owned.
    const Segment* segment = nullptr;
    int state = MOUSE_IDLE;
};

// Decides one tick's polling from the sample, the state before and the
// timeline as the tick's drawing left it. Changes nothing.
PointerDecision DecidePointer(const PointerSample& sample, int state, const CTimeline& timeline);

// Carries out the decision's part in the timeline: the selection, the time
// under the cursor and the menu's segment. The seek, the state and the menu
// are the window's.
void ApplyPointerDecision(const PointerDecision& decision, CTimeline& timeline);

// trunc(time x 10) in player units, held within their range.
int32_t PlayerTimeOf(double time);
