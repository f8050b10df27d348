#include "AboutDlg.h"

#include <QPushButton>

#include "TemplateWidgets.h"
#include "Templates.h"

namespace {
constexpr int kOkCommand = 1;
}

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    const DialogTemplate& layout = FindDialogTemplate(kAboutDialogId);
    ApplyDialogTemplate(layout, this);
    setWindowIcon(ApplicationIcon());
    const auto controls = BuildTemplateControls(layout, this);
    const auto ok = controls.find(kOkCommand);
    if (ok == controls.end())
        return;
    m_okButton = qobject_cast<QPushButton*>(ok->second);
    if (m_okButton != nullptr)
        connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);
}
