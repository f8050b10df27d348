#pragma once

#include <optional>
#include <string>

#include <QDialog>
#include <QString>

#include "SegmentFields.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QShowEvent;

// The segment dialog (title, comment, bounds); the main window reuses it for
// every edit. Confirming (the button, Enter, Enter in the comments too) takes
// the fields in the order comments, title, start, end and stops at a bound
// that is not a number, which it reports; Escape and the close box end with
// Rejected and take nothing.
class CSegmentDlg : public QDialog {
    Q_OBJECT
public:
    // The object name of the box that asks for a number.
    static constexpr const char* kNumberBoxName = "numberExpectedBox";

    explicit CSegmentDlg(QWidget* parent = nullptr);

    // Shows `fields` modally; the fields as confirmed, or none when the
    // dialog was cancelled, whatever an attempt before took.
    std::optional<SegmentFields> Run(const SegmentFields& fields);
    // What the dialog holds now: during a run, the fields taken so far.
    SegmentFields Fields() const { return {m_titleText, m_commentText, m_startTime, m_endTime}; }

    // Controls <-> members; true copies from the controls. False when a
    // bound was rejected: the box has been shown, the focus is on that field
    // with its text selected, and the fields before it are already stored.
    bool DoDataExchange(bool fromControls);
    // Button 1029 "Mettre à jour" and Enter: closes with Accepted only when
    // every field was taken.
    void OnOK();

    QPlainTextEdit* CommentEdit() const { return m_commentEdit; }
    QLineEdit* TitleEdit() const { return m_titleEdit; }
    QLineEdit* StartEdit() const { return m_startEdit; }
    QLineEdit* EndEdit() const { return m_endEdit; }
    QPushButton* OkButton() const { return m_okButton; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    // A bound as the dialog put it into its edit.
    struct ShownNumber {
        bool shown = false;
        double value = 0.0;
        QString text;
    };

    QString CommentText() const;
    // The number in `edit` into `value`; else reports it and leaves `value`.
    bool ExchangeNumber(QLineEdit* edit, const ShownNumber& shown, double& value);

    // Owned as Qt children.
    QPlainTextEdit* m_commentEdit = nullptr;
    QLineEdit* m_titleEdit = nullptr;
    QLineEdit* m_startEdit = nullptr;
    QLineEdit* m_endEdit = nullptr;
    QPushButton* m_okButton = nullptr;
    ShownNumber m_startShown;
    ShownNumber m_endShown;
    std::string m_commentText;
    std::string m_titleText;
    double m_startTime = 0.0;
    double m_endTime = 0.0;
};
