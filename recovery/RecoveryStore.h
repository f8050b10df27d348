#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <QLockFile>
#include <QString>

#include "RecoveryCopy.h"

// One recovery copy held by this process: its lock file, beside it, is held
// for as long as the claim lives, so that no other Quillmark offers the copy
// or writes it. A lock whose program is gone (killed, crashed, the machine
// stopped) is taken over; a live one never is, whatever its age.
class RecoveryClaim {
public:
    ~RecoveryClaim();
    RecoveryClaim(const RecoveryClaim&) = delete;
    RecoveryClaim& operator=(const RecoveryClaim&) = delete;

    // A copy of a new name in `folder`, which must exist; null when no lock
    // can be made there, with errno set.
    static std::unique_ptr<RecoveryClaim> CreateNew(const QString& folder);
    // The copy at `copyPath` when no running program holds it; null otherwise.
    static std::unique_ptr<RecoveryClaim> Take(const QString& copyPath);

    const QString& CopyPath() const { return m_copyPath; }
    std::string CopyFile() const;
    // Removes the copy; the lock stays held. False with errno set when a
    // copy there could not be removed.
    bool RemoveCopy() const;

private:
    explicit RecoveryClaim(QString copyPath);
    bool Lock();

    QString m_copyPath;
    QLockFile m_lock;
};

// A copy whose program is gone, as the start-up box lists it.
struct FoundCopy {
    std::unique_ptr<RecoveryClaim> claim;
    bool readable = false;
    ResumePoint resume;
    // When it was written (since the epoch): the copy's own date, or the
    // file's for one that cannot be read.
    int64_t writtenMs = 0;
    int tracks = 0;
    int segments = 0;
};

// The copies in `folder` that no running Quillmark holds, newest first, each
// claimed by this process until its claim is dropped: two programs starting
// at once never offer the same copy. Locks left without a copy by a program
// that is gone are removed on the way.
std::vector<FoundCopy> ClaimOrphanCopies(const QString& folder);
