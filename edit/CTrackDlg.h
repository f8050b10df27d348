#pragma once

#include <string>

#include <QDialog>

// The track name dialog; the main window runs the same object for every
// label edit, so its member keeps the last run's value between runs.
class CTrackDlg : public QDialog {
    Q_OBJECT
public:
    explicit CTrackDlg(QWidget* parent = nullptr) : QDialog(parent) {}

    std::string m_name;
};
