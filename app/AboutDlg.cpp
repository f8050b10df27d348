#include "AboutDlg.h"

#include <algorithm>

#include <QLabel>
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

void CAboutDlg::ShowShortcuts(const QString& lines)
{
    auto* label = new QLabel(QStringLiteral("Raccourcis clavier :\n") + lines, this);
    label->setObjectName(QStringLiteral("shortcuts"));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->adjustSize();
    const int margin = fontMetrics().height();
    label->move(margin, height());
    setFixedSize(std::max(width(), label->width() + 2 * margin), height() + label->height() + margin);
}
