#include "EnterForwarder.h"

#include <QCoreApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QPlainTextEdit>

EnterForwarder::EnterForwarder(QObject* parent) : QObject(parent) {}

bool EnterForwarder::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        return false;
    auto* edit = qobject_cast<QPlainTextEdit*>(watched);
    if (edit == nullptr || edit->isReadOnly())
        return false;
    if (key->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier)) {
        edit->insertPlainText(QStringLiteral("\n"));
        return true;
    }
    auto* dialog = qobject_cast<QDialog*>(edit->window());
    if (dialog == nullptr)
        return false;
    QKeyEvent forwarded(QEvent::KeyPress, key->key(), Qt::NoModifier, key->text());
    QCoreApplication::sendEvent(dialog, &forwarded);
    return true;
}
