#pragma once

#include <cstdint>
#include <optional>

#include "TimelineGeometry.h"

class CTimeline;
class Segment;

// Everything a timeline frame's picture is drawn from. Two frames with equal
// inputs on the same surface are the same picture, so a tick can skip one.
struct FrameInputs {
    PixelRect viewRect;
    int32_t viewStart = 0;
    int32_t viewSpan = 0;
    int32_t trackScroll = 0;
    int32_t selectedTrack = 0;
    // The time line's x as it goes to OpenGL: times that land on the same
    // float draw the same line.
    float timeX = 0.0f;
    const Segment* currentSegment = nullptr;
    // Stands for the tracks, their labels and segments.
    uint64_t revision = 0;
    // Changes whenever the surface lost its picture (created, resized).
    uint64_t surfaceGeneration = 0;

    bool operator==(const FrameInputs&) const = default;
    // True when `to` differs from `from` in the time line's place and the
    // current segment at most, as while a video plays: the two pictures
    // differ only in the columns the line and the highlight left and reached.
    static bool OnlyPlaybackMoved(const FrameInputs& from, const FrameInputs& to);

    // Read as the drawing would read them: the span raised to at least 1,
    // which later steps of the tick rely on even when nothing is drawn.
    static FrameInputs Read(CTimeline& timeline, uint64_t surfaceGeneration);
};

// Remembers the inputs of the picture on the surface.
class FrameSkip {
public:
    // False when `inputs` would draw the picture drawn last.
    bool NeedsDrawing(const FrameInputs& inputs) const { return !m_drawn || !(*m_drawn == inputs); }
    // What the picture on the surface was drawn from, when it is known.
    const std::optional<FrameInputs>& Drawn() const { return m_drawn; }
    void Drawn(const FrameInputs& inputs) { m_drawn = inputs; }
    // The picture is unknown (a frame was begun and not finished, or drawn
    // behind our back): the next frame is drawn whatever its inputs.
    void Forget() { m_drawn.reset(); }

private:
    std::optional<FrameInputs> m_drawn;
};
