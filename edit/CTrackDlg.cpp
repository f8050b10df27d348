#include "CTrackDlg.h"

#include <limits>

#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

#include "TemplateWidgets.h"
#include "Templates.h"

CTrackDlg::CTrackDlg(QWidget* parent) : QDialog(parent)
{
    const DialogTemplate& layout = FindDialogTemplate(kTrackDialogId);
    ApplyDialogTemplate(layout, this);
    const auto controls = BuildTemplateControls(layout, this);
    m_nameEdit = qobject_cast<QLineEdit*>(controls.at(kTrackNameEditId));
    m_okButton = qobject_cast<QPushButton*>(controls.at(kDialogOkButtonId));
    // Qt cuts a line edit's text at 32767 characters by default; a longer
    // label from a file would be cut by merely opening the dialog.
    m_nameEdit->setMaxLength(std::numeric_limits<int>::max());
    connect(m_okButton, &QPushButton::clicked, this, &CTrackDlg::OnOK);
}

std::string CTrackDlg::Run(const std::string& name)
{
    m_name = name;
    exec();
    return m_name;
}

void CTrackDlg::DoDataExchange(bool fromControls)
{
    if (fromControls)
        m_name = m_nameEdit->text().toStdString();
    else
        m_nameEdit->setText(QString::fromStdString(m_name));
}

void CTrackDlg::OnOK()
{
    DoDataExchange(true);
    QDialog::accept();
}

void CTrackDlg::reject()
{
    OnOK();
}

void CTrackDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    // Each run starts from the name it was given, with the focus on the
    // first control of the template, the button.
    DoDataExchange(false);
    m_okButton->setFocus(Qt::OtherFocusReason);
}
