#include "ExportWindowCommand.h"

#include <cerrno>
#include <filesystem>

#include <QFileDialog>

#include "AtomicFile.h"
#include "UserPrompt.h"

namespace fs = std::filesystem;

namespace {

const char* const kExportTitle = "Exportation";
const char* const kFailedText = "L'exportation a échoué : ";
// Beyond this, a notice box would grow past the screen.
constexpr size_t kWarningsShown = 15;

const ExportFormat* FormatLabelled(const QString& label)
{
    for (const ExportFormat& format : ExportFormats())
        if (label == QString::fromUtf8(format.label))
            return &format;
    return nullptr;
}

// The type list's signal fires only when the user picks a type, not when it
// is set otherwise: the suffix is taken from the type shown at the moment
// the name is accepted, before the question about replacing a file.
class ExportDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    void accept() override
    {
        if (const ExportFormat* format = FormatLabelled(selectedNameFilter()))
            setDefaultSuffix(QString::fromUtf8(format->suffix).mid(1));
        QFileDialog::accept();
    }
};

std::string WarningsNotice(const std::vector<std::string>& warnings)
{
    std::string text;
    for (size_t i = 0; i < warnings.size() && i < kWarningsShown; ++i)
        text += (i == 0 ? "" : "\n") + warnings[i];
    if (warnings.size() > kWarningsShown)
        text += "\n… et " + std::to_string(warnings.size() - kWarningsShown) + " autres remarques.";
    return text;
}

// Why a write failed with `error` (errno), in French.
const char* ExportFailureReason(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return "le dossier n'existe pas";
    case EACCES:
    case EPERM:
        return "l'accès au fichier ou au dossier est refusé";
    case EROFS:
        return "le disque est en lecture seule";
    case ENOSPC:
    case EDQUOT:
        return "le disque est plein";
    case EFBIG:
        return "le fichier serait trop grand";
    case ENAMETOOLONG:
        return "le nom est trop long";
    default:
        return "le fichier n'a pas été enregistré";
    }
}

void TellFailure(UserPrompt& prompt, const char* reason)
{
    std::string text = kFailedText;
    text += reason;
    prompt.Inform(text);
}

bool SameFile(const std::string& a, const std::string& b)
{
    std::error_code error;
    return !a.empty() && fs::exists(a, error) && fs::exists(b, error) && fs::equivalent(a, b, error);
}

} // namespace

std::optional<ExportTarget> ChooseExportTarget(QWidget* owner)
{
    ExportDialog dialog(owner, QString::fromUtf8(kExportTitle));
    // The desktop's own dialog differs from one desktop to the next and
    // cannot be driven by the tests.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    QStringList labels;
    for (const ExportFormat& format : ExportFormats())
        labels << QString::fromUtf8(format.label);
    dialog.setNameFilters(labels);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    const ExportFormat* format = FormatLabelled(dialog.selectedNameFilter());
    if (chosen.isEmpty() || format == nullptr)
        return std::nullopt;
    return ExportTarget{chosen.first().toStdString(), format};
}

bool ExportAnnotations(const TrackList& tracks, ExportInputs inputs, const ExportTarget& target,
                       const std::string& currentFile, UserPrompt& prompt)
{
    // The annotations would be lost at the next open, and the window would
    // still name that file as theirs.
    if (SameFile(currentFile, target.path)) {
        TellFailure(prompt, "ce serait écrire sur le fichier d'annotation ouvert");
        return false;
    }
    std::error_code ignored;
    inputs.outputFolder = fs::absolute(target.path, ignored).parent_path().string();
    const ExportResult result = Export(*target.format, tracks, inputs);
    errno = 0;
    if (!WriteFileAtomically(target.path, result.bytes)) {
        TellFailure(prompt, ExportFailureReason(errno));
        return false;
    }
    if (!result.warnings.empty())
        prompt.Inform(WarningsNotice(result.warnings));
    return true;
}
