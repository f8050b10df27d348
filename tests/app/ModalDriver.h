#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>

class QWidget;

// Answers the modal dialogs that open while a handler runs, one step per
// dialog in the order they open. A dialog beyond the steps is cancelled and
// counted, so a test never hangs on a question it did not expect.
class ModalDriver {
public:
    using Step = std::function<void(QWidget*)>;

    explicit ModalDriver(std::deque<Step> steps);

    bool AllAnswered() const { return m_steps.empty(); }
    int Unexpected() const { return m_unexpected; }
    // What the unexpected dialogs were, for the failure message.
    const std::string& Seen() const { return m_seen; }

private:
    void Poll();

    std::deque<Step> m_steps;
    QTimer m_poll;
    std::vector<QPointer<QWidget>> m_handled;
    int m_unexpected = 0;
    std::string m_seen;
};

// How a file dialog was set up when it opened.
struct DialogSeen {
    QString title;
    QFileDialog::AcceptMode mode = QFileDialog::AcceptOpen;
    QFileDialog::FileMode fileMode = QFileDialog::AnyFile;
    bool qtDialog = false;
    QString defaultSuffix;
    QString proposedName;
    QStringList filters;
    QWidget* parent = nullptr;
    bool modal = false;
};

// Types `path` into the file dialog's name field and presses Enter; records
// how the dialog was set up in `seen` when given.
ModalDriver::Step TypeFileName(const std::string& path, DialogSeen* seen = nullptr);
ModalDriver::Step CancelDialog();
// Records a message box's caption and text, then presses `button`.
ModalDriver::Step AnswerBox(QMessageBox::StandardButton button, QString* caption, QString* text);
