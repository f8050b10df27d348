#include "CommandLine.h"

#include <cmath>
#include <cstdio>

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

#include "FormatTable.h"
#include "Import.h"
#include "MarkTime.h"
#include "QuillmarkVersion.h"

namespace {

const char* const kProgram = "quillmark";
const char* const kVersionText = "Quillmark version " QUILLMARK_VERSION "\n";
std::string HelpText()
{
    return "Utilisation : quillmark [--annotations FICHIER] [--folder DOSSIER] [--reaction-delay MS]\n"
           "                       [FICHIER]\n"
           "        ou : quillmark --export FORMAT [--output CHEMIN] [--video VIDÉO | --duration SECONDES]\n"
           "                       [--force] FICHIER...\n"
           "Annote une vidéo le long d'une ligne de temps.\n"
           "\n"
           "  FICHIER                   la vidéo à ouvrir dans le lecteur principal, ou un\n"
           "                            fichier d'annotation, reconnu à son contenu\n"
           "  --annotations FICHIER     le fichier d'annotation à ouvrir\n"
           "  --folder DOSSIER          le dossier des vidéos d'annotation (annotation1.mov, ...)\n"
           "  --reaction-delay MS       le délai de réaction de cette séance, de 0 à 2000 ms, ôté\n"
           "                            des marques « [ » et « ] » pendant la lecture (celui\n"
           "                            retenu par la fenêtre reste inchangé)\n"
           "  -h, --help                affiche cette aide\n"
           "  -v, --version             affiche la version\n"
           "\n"
           "Sans argument, Quillmark s'ouvre sur l'annotation d'exemple.\n"
           "\n"
           "Exportation, sans fenêtre ni écran : chaque FICHIER (fichier d'annotation, tableau\n"
           "exporté en tsv ou fichier ELAN) est écrit au FORMAT donné.\n"
           "  --export FORMAT           "
        + ExportFormatNames()
        + "\n"
          "  --output CHEMIN           le fichier écrit (un seul FICHIER), - pour la sortie\n"
          "                            standard, ou un dossier où écrire chaque fichier ;\n"
          "                            sans lui, à côté de chaque FICHIER : nom.tsv, nom.csv,\n"
          "                            nom-stats.tsv, nom.eaf, nom.srt, nom.vtt\n"
          "  --video VIDÉO             la vidéo annotée : sa durée pour stats, son adresse\n"
          "                            pour eaf\n"
          "  --duration SECONDES       la durée de la vidéo, pour stats\n"
          "  --force                   remplace un fichier de sortie qui existe déjà\n"
          "Code de sortie : 0 tout a été écrit ; 1 un fichier n'a pas été ouvert ou pas été\n"
          "enregistré (les autres l'ont été) ; 2 arguments incorrects.\n";
}

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

CommandLine Answer(std::string text)
{
    CommandLine line;
    line.run = false;
    line.out = std::move(text);
    return line;
}

// An option that takes a value and ends the arguments without one.
QString OptionMissingItsValue(const QStringList& arguments)
{
    if (arguments.size() < 2)
        return {};
    const QString last = arguments.last();
    for (const char* name :
         {"--annotations", "--folder", "--reaction-delay", "--export", "--output", "--video", "--duration"})
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

// A number of seconds, "12.5" or "12,5", finite and not negative.
std::optional<double> ParseSeconds(QString text)
{
    bool ok = false;
    const double seconds = text.replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    if (!ok || !std::isfinite(seconds) || seconds < 0)
        return std::nullopt;
    return seconds;
}

struct ExportOptions {
    QCommandLineOption format{"export", {}, "FORMAT"};
    QCommandLineOption output{"output", {}, "CHEMIN"};
    QCommandLineOption video{"video", {}, "VIDEO"};
    QCommandLineOption duration{"duration", {}, "SECONDES"};
    QCommandLineOption force{"force"};
};

CommandLine ParseExport(const QCommandLineParser& parser, const ExportOptions& options)
{
    ExportRequest request;
    const QString format = parser.value(options.format);
    request.format = FindExportFormat(format.toStdString());
    if (request.format == nullptr)
        return Refuse(QStringLiteral("format d'exportation inconnu : %1 (formats : %2)")
                          .arg(format, QString::fromStdString(ExportFormatNames())));
    for (const QString& input : parser.positionalArguments())
        request.inputs.push_back(input.toStdString());
    if (request.inputs.empty())
        return Refuse(QStringLiteral("il manque le fichier à exporter"));
    if (parser.isSet(options.video) && parser.isSet(options.duration))
        return Refuse(QStringLiteral("--video et --duration ne vont pas ensemble"));
    if (parser.isSet(options.video)) {
        const QFileInfo video(parser.value(options.video));
        if (!video.isFile())
            return Refuse(QStringLiteral("vidéo introuvable : %1").arg(parser.value(options.video)));
        request.video = video.absoluteFilePath().toStdString();
    }
    if (parser.isSet(options.duration)) {
        request.durationSeconds = ParseSeconds(parser.value(options.duration));
        if (!request.durationSeconds)
            return Refuse(QStringLiteral("durée incorrecte : %1").arg(parser.value(options.duration)));
    }
    if (parser.isSet(options.output)) {
        const QString output = parser.value(options.output);
        if (output.isEmpty())
            return Refuse(QStringLiteral("--output attend un chemin"));
        const bool folder = output != QLatin1String("-") && QFileInfo(output).isDir();
        if (!folder && request.inputs.size() > 1)
            return Refuse(QStringLiteral("--output %1 n'accepte qu'un fichier à exporter (ou nommez un dossier)")
                              .arg(output));
        request.output = output.toStdString();
    }
    request.force = parser.isSet(options.force);
    CommandLine line;
    line.exportRequest = std::move(request);
    return line;
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
    const QCommandLineOption reactionDelay("reaction-delay", {}, "MS");
    const ExportOptions exporting;
    parser.addOptions({help, version, annotations, folder, reactionDelay, exporting.format, exporting.output,
                       exporting.video, exporting.duration, exporting.force});
    parser.addPositionalArgument("file", {});

    if (!parser.parse(arguments)) {
        if (!parser.unknownOptionNames().isEmpty())
            return Refuse(QStringLiteral("option inconnue : %1").arg(AsTyped(arguments, parser.unknownOptionNames().first())));
        const QString option = OptionMissingItsValue(arguments);
        if (!option.isEmpty())
            return Refuse(QStringLiteral("il manque une valeur après %1").arg(option));
        return Refuse(QStringLiteral("arguments incorrects"));
    }
    if (parser.isSet(help))
        return Answer(HelpText());
    if (parser.isSet(version))
        return Answer(kVersionText);
    if (parser.isSet(exporting.format)) {
        for (const QCommandLineOption& option : {annotations, folder, reactionDelay})
            if (parser.isSet(option))
                return Refuse(QStringLiteral("--%1 ne va pas avec --export").arg(option.names().first()));
        return ParseExport(parser, exporting);
    }
    for (const QCommandLineOption& option : {exporting.output, exporting.video, exporting.duration, exporting.force})
        if (parser.isSet(option))
            return Refuse(QStringLiteral("--%1 ne va qu'avec --export").arg(option.names().first()));

    CommandLine line;
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1)
        return Refuse(QStringLiteral("une seule vidéo à la fois (reçu : %1)").arg(files.join(", ")));
    if (!files.isEmpty()) {
        const QFileInfo file(files.first());
        if (!file.isFile())
            return Refuse(QStringLiteral("vidéo introuvable : %1").arg(files.first()));
        // What a desktop passes on a double click: either kind of file.
        const std::string path = file.absoluteFilePath().toStdString();
        if (OpensAsAnnotations(path)) {
            if (parser.isSet(annotations))
                return Refuse(QStringLiteral("un seul fichier d'annotation à la fois (reçu : %1 et %2)")
                                  .arg(parser.value(annotations), files.first()));
            line.options.annotations = path;
        } else {
            line.options.video = path;
        }
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
    if (parser.isSet(reactionDelay)) {
        const QString value = parser.value(reactionDelay);
        line.options.reactionDelayMs = ReadReactionDelay(value.toStdString());
        if (!line.options.reactionDelayMs)
            return Refuse(QStringLiteral("délai de réaction incorrect : %1 (un nombre entier de %2 à %3)")
                              .arg(value)
                              .arg(kMinReactionDelayMs)
                              .arg(kMaxReactionDelayMs));
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
