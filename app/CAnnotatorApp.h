#pragma once

#include <functional>
#include <memory>

#include "CommandLine.h"

class CAnnotatorDlg;

// Start-up and shut-down: the main window is built, run modally and destroyed
// here, and the process ends when that run returns.
class CAnnotatorApp {
public:
    using WindowFactory = std::function<std::unique_ptr<CAnnotatorDlg>()>;

    explicit CAnnotatorApp(StartOptions options = {});
    // Returns false: there is nothing left to run once the window has closed.
    bool InitInstance();
    // The process's exit status once InitInstance has returned: non-zero when
    // the window could not be built.
    int ExitCode() const { return m_exitCode; }
    // Tests stand in a window that fails to build.
    void SetWindowFactory(WindowFactory factory) { m_makeWindow = std::move(factory); }

    static const char* const kStartFailedText;

private:
    StartOptions m_options;
    WindowFactory m_makeWindow;
    int m_exitCode = 0;
};
