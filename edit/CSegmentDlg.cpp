#include "CSegmentDlg.h"

#include <limits>

#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QPushButton>
#include <QShowEvent>

#include "NumberField.h"
#include "TemplateWidgets.h"
#include "Templates.h"

namespace {

template <class Widget>
Widget* ControlOf(const std::map<int, QWidget*>& controls, int id)
{
    return qobject_cast<Widget*>(controls.at(id));
}

} // namespace

CSegmentDlg::CSegmentDlg(QWidget* parent) : QDialog(parent)
{
    const DialogTemplate& layout = FindDialogTemplate(kSegmentDialogId);
    ApplyDialogTemplate(layout, this);
    const auto controls = BuildTemplateControls(layout, this);
    m_commentEdit = ControlOf<QPlainTextEdit>(controls, kSegmentCommentEditId);
    m_titleEdit = ControlOf<QLineEdit>(controls, kSegmentTitleEditId);
    m_startEdit = ControlOf<QLineEdit>(controls, kSegmentStartEditId);
    m_endEdit = ControlOf<QLineEdit>(controls, kSegmentEndEditId);
    m_okButton = ControlOf<QPushButton>(controls, kDialogOkButtonId);
    // Qt cuts a line edit's text at 32767 characters by default; a longer
    // title from a file would be cut by merely opening the dialog.
    m_titleEdit->setMaxLength(std::numeric_limits<int>::max());
    connect(m_okButton, &QPushButton::clicked, this, &CSegmentDlg::OnOK);
}

std::optional<SegmentFields> CSegmentDlg::Run(const SegmentFields& fields)
{
    m_titleText = fields.title;
    m_commentText = fields.comment;
    m_startTime = fields.start;
    m_endTime = fields.end;
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return Fields();
}

bool CSegmentDlg::DoDataExchange(bool fromControls)
{
    if (!fromControls) {
        m_commentEdit->setPlainText(QString::fromStdString(m_commentText));
        m_titleEdit->setText(QString::fromStdString(m_titleText));
        m_startShown = {true, m_startTime, QString::fromStdString(FormatNumberField(m_startTime))};
        m_endShown = {true, m_endTime, QString::fromStdString(FormatNumberField(m_endTime))};
        m_startEdit->setText(m_startShown.text);
        m_endEdit->setText(m_endShown.text);
        return true;
    }
    m_commentText = CommentText().toStdString();
    m_titleText = m_titleEdit->text().toStdString();
    return ExchangeNumber(m_startEdit, m_startShown, m_startTime) && ExchangeNumber(m_endEdit, m_endShown, m_endTime);
}

QString CSegmentDlg::CommentText() const
{
    // toPlainText() would turn non-breaking spaces, which French puts before
    // ":" and "?", into plain ones: confirming would change a comment nobody
    // touched. The raw text keeps them; only its paragraph marks need mapping.
    QString text = m_commentEdit->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

bool CSegmentDlg::ExchangeNumber(QLineEdit* edit, const ShownNumber& shown, double& value)
{
    // Fifteen digits do not always give the value back: a bound left as it
    // was shown keeps its exact value, so an unchanged dialog changes nothing.
    if (shown.shown && edit->text() == shown.text) {
        value = shown.value;
        return true;
    }
    if (const auto number = ReadNumberField(edit->text().toStdString())) {
        value = *number;
        return true;
    }
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Quillmark"),
                    QString::fromStdString(LoadResourceString(kNumberExpectedStringId)), QMessageBox::Ok, this);
    box.setObjectName(kNumberBoxName);
    box.exec();
    edit->setFocus(Qt::OtherFocusReason);
    edit->selectAll();
    return false;
}

void CSegmentDlg::OnOK()
{
    if (DoDataExchange(true))
        QDialog::accept();
}

void CSegmentDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    DoDataExchange(false);
    m_okButton->setFocus(Qt::OtherFocusReason);
}
