#pragma once

#include <QSurfaceFormat>

// What the timeline needs of the platform's OpenGL: a context that still has
// the fixed-function pipeline, inside a widget the platform can compose.
namespace GLSupport {

// Compatibility profile, double-buffered RGB, nothing else: the drawing uses
// no depth, stencil, alpha or multisampling. Applications set it as the
// default format before the QApplication exists.
QSurfaceFormat CompatibilityFormat();

// True when a compatibility-profile context can be created and made current
// on a platform that can host OpenGL widgets. Creating a QOpenGLWidget where
// this is false ends in a crash on the first paint.
bool CanCreateCompatibilityContext();

} // namespace GLSupport
