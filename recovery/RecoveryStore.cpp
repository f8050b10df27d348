#include "RecoveryStore.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "StateFolders.h"

namespace {

const QString kCopySuffix = QStringLiteral(".xml");
const QString kLockSuffix = QStringLiteral(".lock");

QString LockPathOf(const QString& copyPath)
{
    return copyPath.chopped(kCopySuffix.size()) + kLockSuffix;
}

} // namespace

RecoveryClaim::RecoveryClaim(QString copyPath) : m_copyPath(std::move(copyPath)), m_lock(LockPathOf(m_copyPath))
{
}

RecoveryClaim::~RecoveryClaim() = default;

bool RecoveryClaim::Lock()
{
    // A live holder keeps an exclusive lock on the file open, which Qt checks
    // before it removes a lock it takes for stale; the age alone only helps
    // when a dead program's number has gone to another Quillmark.
    return m_lock.tryLock(0);
}

std::unique_ptr<RecoveryClaim> RecoveryClaim::CreateNew(const QString& folder)
{
    // The date first, so that a listing by name reads in order of start.
    const QString stem = QDir(folder).filePath(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"))
                                               + QLatin1Char('-') + QString::number(QCoreApplication::applicationPid()));
    constexpr int kAttempts = 100;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const QString path = stem + (attempt == 0 ? QString() : QLatin1Char('-') + QString::number(attempt)) + kCopySuffix;
        if (QFileInfo::exists(path))
            continue;
        std::unique_ptr<RecoveryClaim> claim(new RecoveryClaim(path));
        if (claim->Lock())
            return claim;
        if (claim->m_lock.error() != QLockFile::LockFailedError) {
            errno = claim->m_lock.error() == QLockFile::PermissionError ? EACCES : EIO;
            return nullptr;
        }
    }
    errno = EEXIST;
    return nullptr;
}

std::unique_ptr<RecoveryClaim> RecoveryClaim::Take(const QString& copyPath)
{
    std::unique_ptr<RecoveryClaim> claim(new RecoveryClaim(copyPath));
    return claim->Lock() ? std::move(claim) : nullptr;
}

std::string RecoveryClaim::CopyFile() const
{
    return QFile::encodeName(m_copyPath).toStdString();
}

bool RecoveryClaim::RemoveCopy() const
{
    return ::unlink(CopyFile().c_str()) == 0 || errno == ENOENT;
}

std::vector<FoundCopy> ClaimOrphanCopies(const QString& folder)
{
    const QDir dir(folder);
    std::vector<FoundCopy> found;
    for (const QFileInfo& file : dir.entryInfoList({QLatin1Char('*') + kCopySuffix}, QDir::Files | QDir::Hidden)) {
        FoundCopy copy;
        copy.claim = RecoveryClaim::Take(file.absoluteFilePath());
        if (!copy.claim)
            continue;
        RecoveryCopyRead read = ReadRecoveryCopy(copy.claim->CopyFile());
        copy.readable = read.readable;
        copy.resume = std::move(read.resume);
        copy.writtenMs = read.readable ? read.writtenMs : file.lastModified().toMSecsSinceEpoch();
        copy.tracks = read.tracks.GetCount();
        copy.segments = CountSegments(read.tracks);
        found.push_back(std::move(copy));
    }
    RemoveLeftTemporaries(folder);
    // A program killed before its first copy leaves its lock alone.
    for (const QFileInfo& lock : dir.entryInfoList({QLatin1Char('*') + kLockSuffix}, QDir::Files | QDir::Hidden)) {
        const QString copyPath = lock.absoluteFilePath().chopped(kLockSuffix.size()) + kCopySuffix;
        if (!QFileInfo::exists(copyPath))
            RecoveryClaim::Take(copyPath);
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const FoundCopy& a, const FoundCopy& b) { return a.writtenMs > b.writtenMs; });
    return found;
}
