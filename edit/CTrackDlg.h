#pragma once

#include <string>

#include <QDialog>

class QLineEdit;
class QPushButton;
class QShowEvent;

// The track name dialog, run by the main window for every label edit.
// However it is closed (the button, Enter, Escape, the close box) it takes
// the edit's text and ends with Accepted: there is no way out that drops
// what was typed.
class CTrackDlg : public QDialog {
    Q_OBJECT
public:
    explicit CTrackDlg(QWidget* parent = nullptr);

    // Shows `name` modally; the edit's text when it closes, however it closes.
    std::string Run(const std::string& name);

    // Edit 1028 <-> m_name; true copies from the control.
    void DoDataExchange(bool fromControls);
    // Button 1029 "Modifier" and Enter.
    void OnOK();

    QLineEdit* NameEdit() const { return m_nameEdit; }
    QPushButton* OkButton() const { return m_okButton; }

public slots:
    // Escape and the close box confirm, like the button.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLineEdit* m_nameEdit = nullptr;    // owned as a Qt child
    QPushButton* m_okButton = nullptr;  // owned as a Qt child
    std::string m_name;
};
