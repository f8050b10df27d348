#pragma once

#include <optional>
#include <string>
#include <vector>

#include <QStringList>

struct ExportFormat;

// What the window opens at start-up; every path absolute, in UTF-8, and
// empty when not given.
struct StartOptions {
    std::string video;
    std::string annotations;
    std::string folder;
    // --reaction-delay: the delay for this run, in place of the remembered one.
    std::optional<int> reactionDelayMs;
};

// quillmark --export FORMAT [--output PATH] [--video FILE | --duration SECONDS]
//           [--force] FILE...: the annotations of each file written in that
// format, without any window. Paths are as the user typed them, the video's
// made absolute.
struct ExportRequest {
    const ExportFormat* format = nullptr;
    // Empty: beside each input; "-": the standard output; an existing
    // folder: into it; anything else: that file, for one input only.
    std::string output;
    std::string video;
    std::optional<double> durationSeconds;
    bool force = false;
    std::vector<std::string> inputs;
};

// quillmark [--annotations FILE] [--folder DIR] [--reaction-delay MS] [VIDEO],
// or an export.
struct CommandLine {
    // False when the program ends at once with `exitCode`: help, version or
    // a bad argument.
    bool run = true;
    int exitCode = 0;
    std::string out; // for the standard output
    std::string err; // for the standard error, in French
    StartOptions options;
    // Set when the program exports instead of opening its window.
    std::optional<ExportRequest> exportRequest;
};

inline constexpr int kBadArgumentStatus = 2;

// `arguments` starts with the program's name. Files and the folder must
// exist: a typing error is told on the terminal, not in a window.
CommandLine ParseCommandLine(const QStringList& arguments);
CommandLine ParseCommandLine(int argc, char** argv);

// Writes `out` and `err` to their streams and returns the exit status.
int ReportAndExit(const CommandLine& line);
