// Entry point of every test that needs widgets, OpenGL or the players.
#include <QApplication>
#include <QSurfaceFormat>
#include <QTemporaryDir>
#include <QThreadPool>

#include <gtest/gtest.h>

#if defined(QUILL_SANITIZED_BUILD)
#include <sanitizer/lsan_interface.h>
#define QUILL_LEAK_CHECKS 1
#else
#define QUILL_LEAK_CHECKS 0
#endif

#include "CTimelineView.h"
#include "GlDriverPin.h"
#include "ProcessSetUp.h"

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    // The windows' recovery copies and versions go to a folder of this run's
    // own: none is left in the user's, and none of an earlier run is found.
    const QTemporaryDir state;
    qputenv("XDG_STATE_HOME", state.path().toUtf8());
    // What a test makes the window remember goes here, never into the
    // user's own settings nor into the next test program's; QSettings reads
    // the variable once, so before anything uses it.
    QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit());
    // The compatibility profile has to be the default before the application
    // exists, or the widgets' shared context lacks the fixed-function pipeline.
    QSurfaceFormat::setDefaultFormat(CTimelineView::SurfaceFormat());
    QApplication application(argc, argv);
    // As the program's main sets the process up.
    SetUpPlayerProcess();
    const int result = RUN_ALL_TESTS();
    PinGlDriversForLeakReports();
#if QUILL_LEAK_CHECKS
    // Leaks are looked for now, with every thread idle, and not again at
    // exit: there the libraries' threads end while the checker stops them,
    // and it has crashed on one of them after every test had passed. Qt's
    // pooled threads may still be running a job or ending theirs; they are
    // ended first, so that no thread comes or goes during the check.
    QThreadPool::globalInstance()->waitForDone();
    __lsan_do_leak_check();
#endif
    return result;
}
