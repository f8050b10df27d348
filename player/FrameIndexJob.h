#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "FrameTimes.h"

class QObject;

// Reads a file's frame times on a thread of its own and hands them to the
// GUI thread. Destroying the job stops the read and waits for the thread,
// which then stops within one packet; a result not yet handed over is dropped.
class FrameIndexJob {
public:
    using Done = std::function<void(std::shared_ptr<const FrameTimes>)>;

    // `done` runs on `context`'s thread, only if the times could be read and
    // this job still exists. `context` is not owned and must outlive the job
    // (its owner holds the job).
    FrameIndexJob(const std::string& path, QObject* context, Done done);
    ~FrameIndexJob();
    FrameIndexJob(const FrameIndexJob&) = delete;
    FrameIndexJob& operator=(const FrameIndexJob&) = delete;

private:
    // Shared with the queued hand-over, which may run after the job is gone.
    std::shared_ptr<std::atomic<bool>> m_stop = std::make_shared<std::atomic<bool>>(false);
    std::thread m_thread;
};
