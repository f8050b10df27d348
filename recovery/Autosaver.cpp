#include "Autosaver.h"

#include <cerrno>
#include <chrono>

#include <QDateTime>
#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

#include "RecoveryStore.h"
#include "StateFolders.h"
#include "Timeline.h"

Autosaver::Autosaver(QString folder, Report report)
    : m_folder(std::move(folder)), m_report(std::move(report)), m_holdFile(qEnvironmentVariable(kHoldVariable)),
      m_worker([this] { Run(); })
{
}

Autosaver::~Autosaver()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_one();
    m_worker.join();
}

void Autosaver::Adopt(std::unique_ptr<RecoveryClaim> claim)
{
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return m_jobs.empty() && !m_busy; });
    m_claim = std::move(claim);
    m_copyPath = m_claim ? m_claim->CopyPath() : QString();
    m_hasCopy = m_claim != nullptr;
}

void Autosaver::Tick(const CTimeline& timeline, bool modified, int64_t nowMs, const ResumeSource& resume)
{
    ReportResults();
    if (timeline.Revision() != m_seenRevision) {
        m_seenRevision = timeline.Revision();
        m_schedule.Changed(nowMs);
    }
    if (!modified) {
        m_schedule.Taken();
        if (m_hasCopy)
            Queue(nullptr);
        return;
    }
    if (!m_schedule.Due(nowMs))
        return;
    m_schedule.Taken();
    TakeCopy(timeline, resume());
}

void Autosaver::TakeCopy(const CTimeline& timeline, ResumePoint resume)
{
    auto snapshot = std::make_unique<Snapshot>();
    snapshot->values = ValuesOf(timeline.Tracks());
    snapshot->resume = std::move(resume);
    snapshot->writtenMs = QDateTime::currentMSecsSinceEpoch();
    Queue(std::move(snapshot));
}

void Autosaver::Discard()
{
    Queue(nullptr);
    Flush();
}

void Autosaver::Flush()
{
    {
        std::unique_lock lock(m_mutex);
        m_idle.wait(lock, [this] { return m_jobs.empty() && !m_busy; });
    }
    ReportResults();
}

QString Autosaver::CopyPath() const
{
    std::lock_guard lock(m_mutex);
    return m_copyPath;
}

void Autosaver::Queue(Job job)
{
    m_hasCopy = job != nullptr;
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back(std::move(job));
    }
    m_wake.notify_one();
}

void Autosaver::Run()
{
    std::unique_lock lock(m_mutex);
    while (true) {
        m_wake.wait(lock, [this] { return m_stop || !m_jobs.empty(); });
        if (m_jobs.empty())
            return;
        // Only the newest matters: it writes the whole copy, or removes it.
        // What it supersedes is freed here, off the ticking thread.
        Job job = std::move(m_jobs.back());
        std::deque<Job> superseded;
        superseded.swap(m_jobs);
        m_busy = true;
        lock.unlock();
        superseded.clear();
        std::optional<std::optional<std::string>> result;
        if (job)
            result = Write(*job);
        else
            Remove();
        job.reset();
        lock.lock();
        if (result)
            m_results.push_back(std::move(*result));
        m_busy = false;
        if (m_jobs.empty())
            m_idle.notify_all();
    }
}

std::optional<std::string> Autosaver::Write(Snapshot& snapshot)
{
    // Made again if someone removed it meanwhile.
    const std::string unusable = MakeStateFolder(m_folder);
    if (!unusable.empty())
        return unusable;
    if (!m_claim) {
        m_claim = RecoveryClaim::CreateNew(m_folder);
        if (!m_claim)
            return SystemErrorText(errno);
        std::lock_guard lock(m_mutex);
        m_copyPath = m_claim->CopyPath();
    }
    // The hold comes between the write and the rename: the copy is complete
    // in its temporary file, and the previous one still in place.
    if (!WriteRecoveryCopy(m_claim->CopyFile(), TracksOf(std::move(snapshot.values)), snapshot.resume, snapshot.writtenMs,
                           [this] { HoldForTests(); }))
        return SystemErrorText(errno);
    return std::nullopt;
}

void Autosaver::Remove()
{
    if (m_claim)
        m_claim->RemoveCopy();
}

void Autosaver::HoldForTests() const
{
    if (m_holdFile.isEmpty() || !QFile::exists(m_holdFile))
        return;
    QFile held(m_holdFile + QStringLiteral(".held"));
    held.open(QIODevice::WriteOnly);
    held.close();
    // Bounded, so that a test that forgets its part cannot hang the program.
    QDeadlineTimer deadline(std::chrono::minutes(1));
    while (QFile::exists(m_holdFile) && !deadline.hasExpired())
        QThread::msleep(10);
    QFile::remove(m_holdFile + QStringLiteral(".held"));
}

void Autosaver::ReportResults()
{
    std::vector<std::optional<std::string>> results;
    {
        std::lock_guard lock(m_mutex);
        results.swap(m_results);
    }
    for (const auto& result : results)
        m_report(result);
}
