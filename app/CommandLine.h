#pragma once

#include <string>

#include <QStringList>

// What the window opens at start-up; every path absolute, in UTF-8, and
// empty when not given.
struct StartOptions {
    std::string video;
    std::string annotations;
    std::string folder;
};

// quillmark [--annotations FILE] [--folder DIR] [VIDEO]
struct CommandLine {
    // False when the program ends at once with `exitCode`: help, version or
    // a bad argument.
    bool run = true;
    int exitCode = 0;
    std::string out; // for the standard output
    std::string err; // for the standard error, in French
    StartOptions options;
};

inline constexpr int kBadArgumentStatus = 2;

// `arguments` starts with the program's name. Files and the folder must
// exist: a typing error is told on the terminal, not in a window.
CommandLine ParseCommandLine(const QStringList& arguments);
CommandLine ParseCommandLine(int argc, char** argv);

// Writes `out` and `err` to their streams and returns the exit status.
int ReportAndExit(const CommandLine& line);
