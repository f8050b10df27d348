#pragma once

#include <QObject>

class QEvent;

// Leaves Enter typed in a multi-line edit to its dialog, which presses the
// default button, as dialogs do for edits that do not keep Enter. Ctrl+Enter
// or Shift+Enter still start a new line.
class EnterForwarder : public QObject {
    Q_OBJECT
public:
    explicit EnterForwarder(QObject* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
