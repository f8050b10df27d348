#pragma once

#include <QApplication>

// The application object of the benchmarks that show widgets or play
// videos, set up as the program's main() sets up its own, so that what they
// measure runs as it does there: the program's default surface format and
// numbers read with a point.
class BenchApplication : public QApplication {
public:
    BenchApplication(int& argc, char** argv);

private:
    // The default format has to be set before the application exists, or
    // the widgets' shared context lacks the fixed-function pipeline.
    static int& WithProgramSurfaceFormat(int& argc);
};
