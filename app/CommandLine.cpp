#include "CommandLine.h"

#include <cstdio>

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

#include "QuillmarkVersion.h"

namespace {

const char* const kProgram = "quillmark";
const char* const kVersionText = "Quillmark version " QUILLMARK_VERSION "\n";
const char* const kHelpText =
    "Utilisation : quillmark [--annotations FICHIER] [--folder DOSSIER] [VIDÉO]\n"
    "Annote une vidéo le long d'une ligne de temps.\n"
    "\n"
    "  VIDÉO                     la vidéo à ouvrir dans le lecteur principal\n"
    "  --annotations FICHIER     le fichier d'annotation à ouvrir\n"
    "  --folder DOSSIER          le dossier des vidéos d'annotation (annotation1.mov, ...)\n"
    "  -h, --help                affiche cette aide\n"
    "  -v, --version             affiche la version\n"
    "\n"
    "Sans argument, Quillmark s'ouvre sur l'annotation d'exemple.\n";

CommandLine Refuse(const QString& what)
{
    CommandLine line;
    line.run = false;
    line.exitCode = kBadArgumentStatus;
    line.err = QStringLiteral("%1 : %2\nEssayez « %1 --help » pour en savoir plus.\n")
                   .arg(QString::fromUtf8(kProgram), what)
                   .toStdString();
    return line;
}

CommandLine Answer(const char* text)
{
    CommandLine line;
    line.run = false;
    line.out = text;
    return line;
}

// An option that takes a value and ends the arguments without one.
QString OptionMissingItsValue(const QStringList& arguments)
{
    if (arguments.size() < 2)
        return {};
    const QString last = arguments.last();
    for (const char* name : {"--annotations", "--folder"})
        if (last == QLatin1String(name))
            return last;
    return {};
}

// The unknown option `name` as the user wrote it, dashes included.
QString AsTyped(const QStringList& arguments, const QString& name)
{
    for (const QString& argument : arguments.mid(1)) {
        const QString option = argument.section(QLatin1Char('='), 0, 0);
        if (option == QLatin1Char('-') + name || option == QLatin1String("--") + name)
            return option;
    }
    return QLatin1String("--") + name;
}

} // namespace

CommandLine ParseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({"h", "help"}, {});
    const QCommandLineOption version({"v", "version"}, {});
    const QCommandLineOption annotations("annotations", {}, "FICHIER");
    const QCommandLineOption folder("folder", {}, "DOSSIER");
    parser.addOptions({help, version, annotations, folder});
    parser.addPositionalArgument("video", {});

    if (!parser.parse(arguments)) {
        if (!parser.unknownOptionNames().isEmpty())
            return Refuse(QStringLiteral("option inconnue : %1").arg(AsTyped(arguments, parser.unknownOptionNames().first())));
        const QString option = OptionMissingItsValue(arguments);
        if (!option.isEmpty())
            return Refuse(QStringLiteral("il manque une valeur après %1").arg(option));
        return Refuse(QStringLiteral("arguments incorrects"));
    }
    if (parser.isSet(help))
        return Answer(kHelpText);
    if (parser.isSet(version))
        return Answer(kVersionText);

    CommandLine line;
    const QStringList videos = parser.positionalArguments();
    if (videos.size() > 1)
        return Refuse(QStringLiteral("une seule vidéo à la fois (reçu : %1)").arg(videos.join(", ")));
    if (!videos.isEmpty()) {
        const QFileInfo video(videos.first());
        if (!video.isFile())
            return Refuse(QStringLiteral("vidéo introuvable : %1").arg(videos.first()));
        line.options.video = video.absoluteFilePath().toStdString();
    }
    if (parser.isSet(annotations)) {
        const QFileInfo file(parser.value(annotations));
        if (!file.isFile())
            return Refuse(QStringLiteral("fichier d'annotation introuvable : %1").arg(parser.value(annotations)));
        line.options.annotations = file.absoluteFilePath().toStdString();
    }
    if (parser.isSet(folder)) {
        const QFileInfo dir(parser.value(folder));
        if (!dir.isDir())
            return Refuse(QStringLiteral("dossier introuvable : %1").arg(parser.value(folder)));
        // The companion videos' names are joined to it with a separator.
        line.options.folder = QDir::cleanPath(dir.absoluteFilePath()).toStdString();
    }
    return line;
}

CommandLine ParseCommandLine(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return ParseCommandLine(arguments);
}

int ReportAndExit(const CommandLine& line)
{
    std::fputs(line.out.c_str(), stdout);
    std::fputs(line.err.c_str(), stderr);
    return line.exitCode;
}
