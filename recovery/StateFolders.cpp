#include "StateFolders.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "AtomicFile.h"

namespace fs = std::filesystem;

QString QuillmarkStateFolder()
{
    // A relative XDG_STATE_HOME is to be ignored, as if it were unset.
    const QString state = qEnvironmentVariable("XDG_STATE_HOME");
    const QString base = QDir::isAbsolutePath(state) ? state : QDir::homePath() + QStringLiteral("/.local/state");
    return QDir::cleanPath(base + QStringLiteral("/quillmark"));
}

QString RecoveryFolder()
{
    return QuillmarkStateFolder() + QStringLiteral("/recovery");
}

QString VersionsFolder()
{
    return QuillmarkStateFolder() + QStringLiteral("/versions");
}

std::string MakeStateFolder(const QString& folder)
{
    const fs::path path = QFile::encodeName(folder).toStdString();
    std::error_code error;
    if (fs::is_directory(path, error))
        return {};
    // The nearest part of the path that is there but is no folder is the
    // one to name: that is what the user has to move away.
    for (fs::path part = path; !part.empty() && part != part.root_path(); part = part.parent_path()) {
        const fs::file_status status = fs::status(part, error);
        if (fs::exists(status) && !fs::is_directory(status))
            return "\xC2\xAB " + part.string() + " \xC2\xBB n'est pas un dossier";
        if (fs::exists(status))
            break;
    }
    fs::create_directories(path, error);
    if (error)
        return SystemErrorText(error.value());
    // Unsaved annotations are nobody else's business.
    fs::permissions(path, fs::perms::owner_all, fs::perm_options::replace, error);
    return {};
}

void RemoveLeftTemporaries(const QString& folder)
{
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-3600);
    const QDir dir(folder);
    const QString pattern = QString::fromLatin1(kTemporaryFilePrefix) + QLatin1Char('*');
    for (const QFileInfo& file : dir.entryInfoList({pattern}, QDir::Files | QDir::Hidden)) {
        if (file.lastModified() < before)
            QFile::remove(file.absoluteFilePath());
    }
}

std::string SystemErrorText(int error)
{
    switch (error) {
    case 0:
        return "cause inconnue";
    case ENOSPC:
        return "le disque est plein";
    case EDQUOT:
        return "le quota de disque est atteint";
    case EROFS:
        return "le disque est en lecture seule";
    case EACCES:
    case EPERM:
        return "l'accès est refusé";
    case ENOTDIR:
    case EEXIST:
        return "un fichier est à la place d'un dossier";
    case ENOENT:
        return "le dossier n'existe plus";
    case EIO:
        return "erreur de lecture ou d'écriture sur le disque";
    case ENAMETOOLONG:
        return "le nom du fichier est trop long";
    case ELOOP:
        return "les liens symboliques forment une boucle";
    case EMFILE:
    case ENFILE:
        return "trop de fichiers sont ouverts";
    default:
        return "erreur système " + std::to_string(error);
    }
}
