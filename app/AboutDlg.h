#pragma once

#include <QDialog>

class QPushButton;

// The About box: the application icon, the version and an OK button. Enter
// and Escape close it like any dialog.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    // Lists `lines` ("keys : action" each) under the template's controls,
    // growing the box to hold them.
    void ShowShortcuts(const QString& lines);

    // Command 1 of the template; owned by the dialog.
    QPushButton* OkButton() const { return m_okButton; }

private:
    QPushButton* m_okButton = nullptr;
};
