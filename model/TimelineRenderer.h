#pragma once

// What CTimeline::Draw needs of the drawing. The OpenGL implementation lives
// in the timeline library, which depends on this one and not the reverse.
class TimelineRenderer {
public:
    virtual ~TimelineRenderer() = default;
    virtual void InitFont() = 0;
    virtual void Draw() = 0;
};
