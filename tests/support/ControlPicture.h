#pragma once

#include <QSize>

#include "CQTControl.h"
#include "CVideoSurface.h"
#include "TestVideo.h"

// What a player control shows, read off its surface. Header only: the test
// support library does not link the player.

// The frame number of a test video of size `video`; -1 when unreadable
// (black, or a blend of two frames).
inline int ShownFrame(CQTControl& control, const QSize& video)
{
    return ReadShownFrame(control.Surface().GrabFrame(), video);
}

inline bool ShowsBlack(CQTControl& control)
{
    return IsBlack(control.Surface().GrabFrame());
}
