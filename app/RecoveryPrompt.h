#pragma once

#include <optional>
#include <vector>

#include <QDialog>
#include <QString>

#include "RecoveryStore.h"

class QListWidget;
class QPushButton;

// The box shown at start, before anything else, when recovery copies are
// left by a Quillmark that is gone: one row a copy, newest first and
// selected. "Récupérer" (the default) takes up the selected copy; "Plus
// tard", Escape and the close box keep every copy for a later start;
// "Supprimer" deletes the selected one once confirmed, the box staying
// while copies remain. A copy that cannot be read can only be deleted.
class RecoveryPrompt : public QDialog {
    Q_OBJECT
public:
    static const char* const kCaption;
    static const char* const kText;
    static const char* const kRecoverLabel;
    static const char* const kLaterLabel;
    static const char* const kDeleteLabel;
    static const char* const kDeleteQuestion;
    static const char* const kUnreadable;
    static const char* const kUntitled;
    static const char* const kNoVideo;

    explicit RecoveryPrompt(std::vector<FoundCopy> copies, QWidget* parent = nullptr);

    // "nom du fichier — vidéo — date heure — N pistes, M segments".
    static QString RowText(const FoundCopy& copy);
    // The copy chosen with "Récupérer", once; none otherwise.
    std::optional<FoundCopy> TakeChosen();

private:
    void Recover();
    void DeleteSelected();
    void UpdateButtons();
    const FoundCopy* Selected() const;

    std::vector<FoundCopy> m_copies; // in the list's order
    std::optional<FoundCopy> m_chosen;
    QListWidget* m_list = nullptr;
    QPushButton* m_recover = nullptr;
    QPushButton* m_delete = nullptr;
};

// Shows the box when copies that no running Quillmark holds are in
// `folder`; the copy to take up, if the user chose one. The others are let
// go for a later start.
std::optional<FoundCopy> OfferRecovery(const QString& folder);
