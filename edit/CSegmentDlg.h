#pragma once

#include <string>

#include <QDialog>

// The segment dialog (title, comment, bounds); reused for every edit like the
// track dialog.
class CSegmentDlg : public QDialog {
    Q_OBJECT
public:
    explicit CSegmentDlg(QWidget* parent = nullptr) : QDialog(parent) {}

    std::string m_commentText;
    std::string m_titleText;
    double m_startTime = 0.0;
    double m_endTime = 0.0;
};
