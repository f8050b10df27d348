#pragma once

#include <optional>
#include <string>

#include <QDateTime>
#include <QString>
#include <QStringList>

// The earlier versions of the annotation files, kept in a folder of their
// own: nothing lasting is written beside the user's files. A version is named
// after its file, a short hash of the file's full path (two files of the
// same name in two folders never mix) and the time in UTC to the
// millisecond, so that its versions sort by name in the order they were
// kept: "cours.1a2b3c4d.2024-05-01T10-30-45.123Z.xml".
class VersionStore {
public:
    static constexpr int kKept = 10;

    struct Kept {
        bool written = false;
        // Why it could not be, in French.
        std::optional<std::string> failure;
    };

    explicit VersionStore(QString folder) : m_folder(std::move(folder)) {}

    // Keeps the file at `path` (a link is followed) before a save replaces
    // it, then the 10 newest of its versions only. Nothing is written when
    // there is no file there.
    Kept Keep(const std::string& path, const QDateTime& now = QDateTime::currentDateTimeUtc()) const;
    // The versions kept of the file at `path`, oldest first, as full paths.
    QStringList VersionsOf(const std::string& path) const;

private:
    // The version names of a file differ from here on: the time and suffix.
    static QString NamePrefix(const QString& file);
    static QString NameSuffix(const QString& file);

    QString m_folder;
};
