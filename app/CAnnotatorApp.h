#pragma once

// Start-up and shut-down: the main window is built, run modally and destroyed
// here, and the process ends when that run returns.
class CAnnotatorApp {
public:
    CAnnotatorApp() = default;
    // Returns false: there is nothing left to run once the window has closed.
    bool InitInstance();
};
