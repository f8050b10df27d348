#include "KnownFile.h"

#include <sys/stat.h>

#include <cerrno>

#include <QCryptographicHash>
#include <QFile>

namespace {

struct FileTimes {
    bool missing = false;
    bool regular = false;
    int64_t size = 0;
    int64_t modifiedNs = 0;
};

FileTimes Stat(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return {errno == ENOENT || errno == ENOTDIR};
    return {false, S_ISREG(info.st_mode), static_cast<int64_t>(info.st_size),
            static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

// Not for security: a file changed by accident, not by an adversary.
std::optional<std::string> HashOf(const std::string& path)
{
    QFile file(QFile::decodeName(path.c_str()));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QCryptographicHash hash(QCryptographicHash::Md5);
    if (!hash.addData(&file))
        return std::nullopt;
    return hash.result().toHex().toStdString();
}

} // namespace

std::optional<KnownFile> ReadKnownFile(const std::string& path)
{
    const FileTimes times = Stat(path);
    if (!times.regular)
        return std::nullopt;
    const auto hash = HashOf(path);
    if (!hash)
        return std::nullopt;
    return KnownFile{times.size, times.modifiedNs, *hash};
}

bool ChangedOnDisk(const std::string& path, const KnownFile& known)
{
    const FileTimes times = Stat(path);
    if (times.missing)
        return false;
    if (!times.regular || times.size != known.size)
        return true;
    if (times.modifiedNs == known.modifiedNs)
        return false;
    const auto hash = HashOf(path);
    return !hash || *hash != known.hash;
}
