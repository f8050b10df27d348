#pragma once

#include <string>

#include <QFileDialog>

// A modal folder chooser: it browses folders, and confirming stores the
// folder on display into the target string; cancelling leaves it as it was.
class CFolderDialog : public QFileDialog {
    Q_OBJECT
public:
    static constexpr const char* kTitle = "Choisir le dossier d'annotations vidéo";
    static constexpr const char* kConfirmText = "Selectionner";

    // `target` is not owned and must outlive the dialog. The dialog opens on
    // the target's folder when it still exists, else on the current one.
    explicit CFolderDialog(std::string& target, QWidget* parent = nullptr);

    // The folder as stored: absolute, without a trailing separator except
    // for the root.
    static std::string FolderText(const QString& folder);

public slots:
    void accept() override;

private:
    std::string& m_target;
};
