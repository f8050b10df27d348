#include "CFolderDialog.h"

#include <QDir>
#include <QFileInfo>

CFolderDialog::CFolderDialog(std::string& target, QWidget* parent) : QFileDialog(parent), m_target(target)
{
    setWindowTitle(QString::fromUtf8(kTitle));
    setAcceptMode(QFileDialog::AcceptOpen);
    setFileMode(QFileDialog::Directory);
    setOption(QFileDialog::ShowDirsOnly, true);
    // Qt's own dialog can carry our label; the desktop's may not.
    setOption(QFileDialog::DontUseNativeDialog, true);
    setLabelText(QFileDialog::Accept, QString::fromUtf8(kConfirmText));
    // The rest of the window speaks French too, whatever translations Qt finds.
    setLabelText(QFileDialog::LookIn, QStringLiteral("Regarder dans :"));
    setLabelText(QFileDialog::FileName, QStringLiteral("Dossier :"));
    setLabelText(QFileDialog::FileType, QStringLiteral("Type :"));
    setLabelText(QFileDialog::Reject, QStringLiteral("Annuler"));
    const QString folder = QString::fromStdString(target);
    if (!folder.isEmpty() && QFileInfo(folder).isDir())
        setDirectory(folder);
}

std::string CFolderDialog::FolderText(const QString& folder)
{
    return QDir::cleanPath(QDir(folder).absolutePath()).toStdString();
}

void CFolderDialog::accept()
{
    // The folder being browsed is the choice, whatever entry is highlighted
    // in it or typed below: one press chooses what the user is looking at.
    m_target = FolderText(directory().absolutePath());
    QDialog::accept();
}
