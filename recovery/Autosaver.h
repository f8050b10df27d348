#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <QString>

#include "CopySchedule.h"
#include "RecoveryCopy.h"

class CTimeline;
class RecoveryClaim;

// Keeps a recovery copy of one window's unsaved work. The window ticks it
// with the timeline's revision, which every change to the annotations moves;
// when a copy is due, the annotations are copied on the ticking thread (a
// plain copy of labels and fields) and written on a thread of its own, so
// that the tick never waits on the serialising or the disk. The copy goes
// once nothing is unsaved any more (a save, an undo back to the saved state,
// a load).
class Autosaver {
public:
    // Told of each copy once its write has ended, on the ticking thread:
    // nothing when it was written, the reason in French when not.
    using Report = std::function<void(const std::optional<std::string>& failure)>;
    // The window's state to resume from, read when a copy is taken.
    using ResumeSource = std::function<ResumePoint()>;

    // Names a file that tests create to hold each copy's write in its middle
    // (written, not yet in place) until they remove it; read once.
    static constexpr const char* kHoldVariable = "QUILLMARK_TEST_HOLD_COPY";

    // Copies go to `folder`, made with the first one.
    Autosaver(QString folder, Report report);
    // Ends the writes asked for, then lets the lock go.
    ~Autosaver();

    Autosaver(const Autosaver&) = delete;
    Autosaver& operator=(const Autosaver&) = delete;

    // A recovered copy becomes this window's: it is rewritten, and removed,
    // as if written here.
    void Adopt(std::unique_ptr<RecoveryClaim> claim);
    // Cheap unless a copy is due; `nowMs` from a steady clock.
    void Tick(const CTimeline& timeline, bool modified, int64_t nowMs, const ResumeSource& resume);
    // What a due copy costs the ticking thread: the annotations copied as
    // they are now and handed to the writing thread.
    void TakeCopy(const CTimeline& timeline, ResumePoint resume);
    // The unsaved work is given up: the copy goes before this returns.
    void Discard();
    // Waits for the writes asked for, then reports them.
    void Flush();
    // The file of this window's copy once it has one; empty before.
    QString CopyPath() const;

private:
    struct Snapshot {
        AnnotationValues values;
        ResumePoint resume;
        int64_t writtenMs = 0;
    };
    // A write, or the removal of the copy (no snapshot).
    using Job = std::unique_ptr<Snapshot>;

    void Queue(Job job);
    void Run();
    std::optional<std::string> Write(Snapshot& snapshot);
    void Remove();
    void HoldForTests() const;
    void ReportResults();

    const QString m_folder;
    const Report m_report;
    const QString m_holdFile;
    CopySchedule m_schedule;
    uint64_t m_seenRevision = ~uint64_t{0};
    bool m_hasCopy = false;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<Job> m_jobs;
    bool m_busy = false;
    bool m_stop = false;
    std::vector<std::optional<std::string>> m_results;
    QString m_copyPath;
    // The worker's alone once it runs, but for Adopt when it is idle.
    std::unique_ptr<RecoveryClaim> m_claim;
    std::thread m_worker;
};
