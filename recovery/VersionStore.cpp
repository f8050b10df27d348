#include "VersionStore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include "AtomicFile.h"
#include "StateFolders.h"

namespace {

const QString kTimeFormat = QStringLiteral("yyyy-MM-dd'T'HH-mm-ss.zzz'Z'");

// The file a save would replace, made absolute: the one its versions are of.
std::optional<QString> TargetOf(const std::string& path)
{
    const auto target = ResolveSaveTarget(path);
    if (!target)
        return std::nullopt;
    return QFileInfo(QFile::decodeName(target->c_str())).absoluteFilePath();
}

// Copies what the descriptor `from` reads to `to`.
bool CopyContent(int from, int to)
{
    char buffer[1 << 16];
    while (true) {
        const ssize_t count = ::read(from, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return false;
        if (count == 0)
            return true;
        if (!WriteAllBytes(to, buffer, static_cast<size_t>(count)))
            return false;
    }
}

} // namespace

QString VersionStore::NamePrefix(const QString& file)
{
    const QByteArray hash = QCryptographicHash::hash(file.toUtf8(), QCryptographicHash::Sha256).toHex().left(8);
    return QFileInfo(file).completeBaseName() + QLatin1Char('.') + QString::fromLatin1(hash) + QLatin1Char('.');
}

QString VersionStore::NameSuffix(const QString& file)
{
    const QString suffix = QFileInfo(file).suffix();
    return suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix;
}

VersionStore::Kept VersionStore::Keep(const std::string& path, const QDateTime& now) const
{
    const auto failed = [](std::string reason) { return Kept{false, std::move(reason)}; };
    const auto target = TargetOf(path);
    if (!target)
        return failed(SystemErrorText(ELOOP));
    const int from = ::open(QFile::encodeName(*target).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (from < 0)
        return errno == ENOENT ? Kept{} : failed(SystemErrorText(errno));
    struct stat info {};
    if (::fstat(from, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(from);
        return {};
    }
    const std::string unusable = MakeStateFolder(m_folder);
    if (!unusable.empty()) {
        ::close(from);
        return failed(unusable);
    }

    // Two saves within a millisecond keep both, a millisecond apart.
    const QDir folder(m_folder);
    const QString prefix = NamePrefix(*target);
    const QString suffix = NameSuffix(*target);
    QString name;
    QDateTime at = now.toUTC();
    do {
        name = folder.filePath(prefix + at.toString(kTimeFormat) + suffix);
        at = at.addMSecs(1);
    } while (QFileInfo::exists(name));

    const bool kept = WriteFileAtomically(QFile::encodeName(name).toStdString(),
                                          [from](int to) { return CopyContent(from, to); });
    const int error = errno;
    ::close(from);
    if (!kept)
        return failed(SystemErrorText(error));

    const QStringList versions = VersionsOf(path);
    for (qsizetype i = 0; i + kKept < versions.size(); ++i)
        QFile::remove(versions[i]);
    RemoveLeftTemporaries(m_folder);
    return {true, std::nullopt};
}

QStringList VersionStore::VersionsOf(const std::string& path) const
{
    const auto target = TargetOf(path);
    if (!target)
        return {};
    const QString prefix = NamePrefix(*target);
    const QString suffix = NameSuffix(*target);
    // Another file's versions could share the prefix only through a stem
    // that ends like a hash; the time between them tells them apart.
    const QRegularExpression name(QRegularExpression::anchoredPattern(
        QRegularExpression::escape(prefix) + QStringLiteral(R"(\d{4}-\d\d-\d\dT\d\d-\d\d-\d\d\.\d{3}Z)")
        + QRegularExpression::escape(suffix)));
    QStringList versions;
    const QDir folder(m_folder);
    for (const QString& entry : folder.entryList(QDir::Files | QDir::Hidden, QDir::Name)) {
        if (name.match(entry).hasMatch())
            versions.append(folder.filePath(entry));
    }
    return versions;
}
