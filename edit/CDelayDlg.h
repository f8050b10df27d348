#pragma once

#include <optional>

#include <QDialog>
#include <QString>

class QLineEdit;
class QPushButton;
class QShowEvent;

// The reaction delay dialog: one field in milliseconds. Confirming (the
// button, Enter) takes a whole number from 0 to 2000 and refuses anything
// else with a box, the field keeping the focus as the segment dialog's
// number fields do; Escape and the close box end with Rejected.
class CDelayDlg : public QDialog {
    Q_OBJECT
public:
    // The object name of the box that refuses a value.
    static constexpr const char* kRefusedBoxName = "delayRefusedBox";
    // What that box says.
    static QString RefusedText();

    explicit CDelayDlg(QWidget* parent = nullptr);

    // Shows `delayMs` modally; the delay confirmed, or none when cancelled.
    std::optional<int> Run(int delayMs);
    // Button "Modifier" and Enter: closes with Accepted only on a good value.
    void OnOK();

    QLineEdit* DelayEdit() const { return m_delayEdit; }
    QPushButton* OkButton() const { return m_okButton; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Owned as Qt children.
    QLineEdit* m_delayEdit = nullptr;
    QPushButton* m_okButton = nullptr;
    int m_delayMs = 0;
};
