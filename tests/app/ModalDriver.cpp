#include "ModalDriver.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "CAnnotatorDlg.h"

ModalDriver::ModalDriver(std::deque<Step> steps) : m_steps(std::move(steps))
{
    m_poll.setInterval(20);
    QObject::connect(&m_poll, &QTimer::timeout, [this] { Poll(); });
    m_poll.start();
}

void ModalDriver::Poll()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || !modal->isVisible())
        return;
    // A dialog answered before is still the active one for a moment
    // after the box it opened has closed.
    for (const QPointer<QWidget>& handled : m_handled)
        if (handled == modal)
            return;
    // Only the dialogs of a handler: the window's own failure boxes are
    // left for the test to read.
    if (modal->objectName() == CAnnotatorDlg::kErrorBoxName)
        return;
    m_handled.push_back(modal);
    if (m_steps.empty()) {
        ++m_unexpected;
        m_seen += std::string(modal->metaObject()->className()) + " \"" + modal->windowTitle().toStdString() + "\"";
        if (auto* box = qobject_cast<QMessageBox*>(modal))
            m_seen += ": " + box->text().toStdString();
        m_seen += "\n";
        if (auto* box = qobject_cast<QMessageBox*>(modal); box != nullptr && box->button(QMessageBox::Cancel))
            box->button(QMessageBox::Cancel)->click();
        else if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        return;
    }
    // Acted on from the event loop, not from this timer's slot: a step
    // that opens another dialog would stop this timer until it closes.
    QTimer::singleShot(0, modal, [step = std::move(m_steps.front()), modal] { step(modal); });
    m_steps.pop_front();
}

ModalDriver::Step TypeFileName(const std::string& path, DialogSeen* seen)
{
    return [path, seen](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr) << modal->metaObject()->className();
        auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        if (seen != nullptr)
            *seen = {dialog->windowTitle(), dialog->acceptMode(), dialog->fileMode(),
                     dialog->testOption(QFileDialog::DontUseNativeDialog), dialog->defaultSuffix(), name->text(),
                     dialog->nameFilters(), dialog->parentWidget(), dialog->isModal()};
        name->setText(QString::fromStdString(path));
        QTest::keyClick(name, Qt::Key_Return);
    };
}

ModalDriver::Step CancelDialog()
{
    return [](QWidget* modal) {
        auto* dialog = qobject_cast<QDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->reject();
    };
}

ModalDriver::Step AnswerBox(QMessageBox::StandardButton button, QString* caption, QString* text)
{
    return [button, caption, text](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr) << modal->metaObject()->className();
        *caption = box->windowTitle();
        *text = box->text();
        ASSERT_NE(box->button(button), nullptr);
        box->button(button)->click();
    };
}
