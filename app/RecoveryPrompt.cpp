#include "RecoveryPrompt.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "TemplateWidgets.h"

const char* const RecoveryPrompt::kCaption = "Récupération";
const char* const RecoveryPrompt::kText =
    "Des annotations non enregistrées ont été retrouvées après un arrêt imprévu de Quillmark.";
const char* const RecoveryPrompt::kRecoverLabel = "Récupérer";
const char* const RecoveryPrompt::kLaterLabel = "Plus tard";
const char* const RecoveryPrompt::kDeleteLabel = "Supprimer";
const char* const RecoveryPrompt::kDeleteQuestion = "Supprimer définitivement ces annotations non enregistrées ?";
const char* const RecoveryPrompt::kUnreadable = "illisible";
const char* const RecoveryPrompt::kUntitled = "sans nom";
const char* const RecoveryPrompt::kNoVideo = "sans vidéo";

namespace {

const QString kSeparator = QStringLiteral(" — ");

QString FileNameOr(const std::string& path, const char* none)
{
    return path.empty() ? QString::fromUtf8(none) : QFileInfo(QString::fromStdString(path)).fileName();
}

// French puts 0 and 1 in the singular.
QString Count(int count, const char* singular, const char* plural)
{
    return QString::number(count) + QLatin1Char(' ') + QString::fromUtf8(count > 1 ? plural : singular);
}

} // namespace

RecoveryPrompt::RecoveryPrompt(std::vector<FoundCopy> copies, QWidget* parent)
    : QDialog(parent), m_copies(std::move(copies))
{
    setWindowTitle(QString::fromUtf8(kCaption));
    setWindowIcon(ApplicationIcon());
    auto* text = new QLabel(QString::fromUtf8(kText), this);
    text->setWordWrap(true);
    m_list = new QListWidget(this);
    for (const FoundCopy& copy : m_copies)
        m_list->addItem(RowText(copy));
    m_list->setCurrentRow(0);
    m_list->setMinimumWidth(m_list->sizeHintForColumn(0) + 4 * m_list->frameWidth() + fontMetrics().height());

    m_recover = new QPushButton(QString::fromUtf8(kRecoverLabel), this);
    auto* later = new QPushButton(QString::fromUtf8(kLaterLabel), this);
    m_delete = new QPushButton(QString::fromUtf8(kDeleteLabel), this);
    m_recover->setDefault(true);
    later->setAutoDefault(false);
    m_delete->setAutoDefault(false);
    connect(m_recover, &QPushButton::clicked, this, &RecoveryPrompt::Recover);
    connect(later, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_delete, &QPushButton::clicked, this, &RecoveryPrompt::DeleteSelected);
    connect(m_list, &QListWidget::currentRowChanged, this, &RecoveryPrompt::UpdateButtons);
    connect(m_list, &QListWidget::itemActivated, this, &RecoveryPrompt::Recover);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_recover);
    buttons->addWidget(later);
    buttons->addWidget(m_delete);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(m_list);
    layout->addLayout(buttons);
    UpdateButtons();
    m_list->setFocus();
}

QString RecoveryPrompt::RowText(const FoundCopy& copy)
{
    const QString date = QDateTime::fromMSecsSinceEpoch(copy.writtenMs).toString(QStringLiteral("dd/MM/yyyy HH:mm"));
    if (!copy.readable)
        return QString::fromUtf8(kUnreadable) + kSeparator + date;
    return FileNameOr(copy.resume.annotationFile, kUntitled) + kSeparator + FileNameOr(copy.resume.video, kNoVideo)
           + kSeparator + date + kSeparator + Count(copy.tracks, "piste", "pistes") + QStringLiteral(", ")
           + Count(copy.segments, "segment", "segments");
}

std::optional<FoundCopy> RecoveryPrompt::TakeChosen()
{
    return std::exchange(m_chosen, std::nullopt);
}

const FoundCopy* RecoveryPrompt::Selected() const
{
    const int row = m_list->currentRow();
    return row >= 0 && row < static_cast<int>(m_copies.size()) ? &m_copies[static_cast<size_t>(row)] : nullptr;
}

void RecoveryPrompt::Recover()
{
    // Enter reaches the list, then the default button.
    const FoundCopy* selected = Selected();
    if (m_chosen || selected == nullptr || !selected->readable)
        return;
    m_chosen = std::move(m_copies[static_cast<size_t>(m_list->currentRow())]);
    accept();
}

void RecoveryPrompt::DeleteSelected()
{
    const int row = m_list->currentRow();
    if (Selected() == nullptr)
        return;
    QMessageBox question(QMessageBox::NoIcon, QStringLiteral("Confirmation"), QString::fromUtf8(kDeleteQuestion),
                         QMessageBox::Ok | QMessageBox::Cancel, this);
    if (question.exec() != QMessageBox::Ok)
        return;
    m_copies[static_cast<size_t>(row)].claim->RemoveCopy();
    m_copies.erase(m_copies.begin() + row);
    delete m_list->takeItem(row);
    if (m_copies.empty()) {
        reject();
        return;
    }
    // The list moved its current row while the row went, by signals that
    // saw the list and the copies apart.
    m_list->setCurrentRow(std::min(row, m_list->count() - 1));
    UpdateButtons();
}

void RecoveryPrompt::UpdateButtons()
{
    const FoundCopy* selected = Selected();
    m_recover->setEnabled(selected != nullptr && selected->readable);
    m_delete->setEnabled(selected != nullptr);
}

std::optional<FoundCopy> OfferRecovery(const QString& folder)
{
    std::vector<FoundCopy> copies = ClaimOrphanCopies(folder);
    if (copies.empty())
        return std::nullopt;
    RecoveryPrompt prompt(std::move(copies));
    prompt.exec();
    return prompt.TakeChosen();
}
