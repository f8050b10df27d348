// The main player's speed and the reaction delay the marks allow for.

#include "CAnnotatorDlg.h"

#include <QPushButton>

#include "CDelayDlg.h"
#include "CTransportBar.h"
#include "ErrorBoundary.h"
#include "MarkTime.h"
#include "ResourceIds.h"
#include "Settings.h"

void CAnnotatorDlg::ConnectSpeedAndDelay()
{
    // The companion's own bar shows no speed: it plays at the main one's.
    m_player->TransportBar().ShowSpeed(true);
    connect(&m_player->Engine(), &MpvEngine::SpeedChanged, &m_companionPlayer->Engine(), &MpvEngine::SetSpeed);

    m_reactionDelayMs = Settings().ReactionDelayMs();
    if (auto* button = qobject_cast<QPushButton*>(Control(kDelayButtonId))) {
        button->setToolTip(QString::fromUtf8("Délai de réaction ôté des marques « [ » et « ] » pendant la lecture"));
        connect(button, &QPushButton::clicked, this, [this] {
            RunGuarded([this] { OnReactionDelay(); }, [this](const std::string& text) { ReportError(text); });
        });
    }
    ShowReactionDelay();
}

void CAnnotatorDlg::UseReactionDelayForRun(int delayMs)
{
    m_reactionDelayMs = delayMs;
    ShowReactionDelay();
}

void CAnnotatorDlg::OnReactionDelay()
{
    CDelayDlg dialog(this);
    const auto delay = dialog.Run(m_reactionDelayMs);
    if (!delay)
        return;
    m_reactionDelayMs = *delay;
    Settings().SetReactionDelayMs(m_reactionDelayMs);
    ShowReactionDelay();
}

void CAnnotatorDlg::ShowReactionDelay()
{
    if (auto* button = qobject_cast<QPushButton*>(Control(kDelayButtonId)))
        button->setText(QString::fromUtf8("Délai : %1 ms").arg(m_reactionDelayMs));
}

double CAnnotatorDlg::MarkTimeNow() const
{
    const MpvEngine& engine = m_player->Engine();
    return MarkTime(m_timeline.m_currentTime, engine.IsPlaying(), m_reactionDelayMs, engine.Speed());
}
