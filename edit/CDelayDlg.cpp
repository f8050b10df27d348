#include "CDelayDlg.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QShowEvent>

#include "MarkTime.h"
#include "TemplateWidgets.h"
#include "Templates.h"

QString CDelayDlg::RefusedText()
{
    return QStringLiteral("Tapez un nombre entre %1 et %2.").arg(kMinReactionDelayMs).arg(kMaxReactionDelayMs);
}

CDelayDlg::CDelayDlg(QWidget* parent) : QDialog(parent)
{
    const DialogTemplate& layout = FindDialogTemplate(kDelayDialogId);
    ApplyDialogTemplate(layout, this);
    const auto controls = BuildTemplateControls(layout, this);
    m_delayEdit = qobject_cast<QLineEdit*>(controls.at(kDelayEditId));
    m_okButton = qobject_cast<QPushButton*>(controls.at(kDialogOkButtonId));
    connect(m_okButton, &QPushButton::clicked, this, &CDelayDlg::OnOK);
}

std::optional<int> CDelayDlg::Run(int delayMs)
{
    m_delayMs = delayMs;
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return m_delayMs;
}

void CDelayDlg::OnOK()
{
    if (const auto delay = ReadReactionDelay(m_delayEdit->text().toStdString())) {
        m_delayMs = *delay;
        QDialog::accept();
        return;
    }
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Quillmark"), RefusedText(), QMessageBox::Ok, this);
    box.setObjectName(kRefusedBoxName);
    box.exec();
    m_delayEdit->setFocus(Qt::OtherFocusReason);
    m_delayEdit->selectAll();
}

void CDelayDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    // Each run starts from the delay it was given, ready to be typed over.
    m_delayEdit->setText(QString::number(m_delayMs));
    m_delayEdit->setFocus(Qt::OtherFocusReason);
    m_delayEdit->selectAll();
}
