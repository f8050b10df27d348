// Entry point for player tests with widgets and an OpenGL context.
#include <clocale>

#include <QApplication>
#include <QSurfaceFormat>

#include <gtest/gtest.h>

#include "GlDriverPin.h"
#include "MpvEngine.h"

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    // Must precede the application object, as in the program.
    QSurfaceFormat format;
    format.setVersion(2, 1);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    QSurfaceFormat::setDefaultFormat(format);
    QApplication application(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    MpvEngine::SetAudioOutput("null");
    const int result = RUN_ALL_TESTS();
    PinGlDriversForLeakReports();
    return result;
}
