#include "CTransportBar.h"

#include <QActionGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "PlaybackSpeed.h"
#include "PlayerTimeText.h"

namespace {

constexpr int kButtonSize = 22;
constexpr int kPageStepMs = 5000;

QToolButton* MakeButton(QWidget* parent, const char* name, QStyle::StandardPixmap icon, const QString& tip)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setIcon(parent->style()->standardIcon(icon));
    button->setToolTip(tip);
    button->setAutoRaise(true);
    button->setFixedSize(kButtonSize, kButtonSize);
    // The control keeps the focus, so that Space reaches it.
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

CTransportBar::CTransportBar(QWidget* parent) : QWidget(parent)
{
    m_position = new QSlider(Qt::Horizontal, this);
    m_position->setObjectName("position");
    m_position->setFocusPolicy(Qt::NoFocus);
    m_position->setPageStep(kPageStepMs);
    m_position->setToolTip(QString::fromUtf8("Position"));

    m_playPause = MakeButton(this, "playPause", QStyle::SP_MediaPlay, QString::fromUtf8("Lecture"));
    m_stepBack = MakeButton(this, "stepBack", QStyle::SP_MediaSeekBackward, QString::fromUtf8("Image précédente"));
    m_stepForward = MakeButton(this, "stepForward", QStyle::SP_MediaSeekForward, QString::fromUtf8("Image suivante"));
    m_mute = MakeButton(this, "mute", QStyle::SP_MediaVolume, QString::fromUtf8("Couper le son"));
    m_mute->setCheckable(true);

    m_time = new QLabel(this);
    m_time->setObjectName("time");
    m_time->setAlignment(Qt::AlignCenter);

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(1);
    buttons->addWidget(m_playPause);
    buttons->addWidget(m_stepBack);
    buttons->addWidget(m_stepForward);
    BuildSpeedMenu();

    buttons->addWidget(m_time, 1);
    buttons->addWidget(m_speed);
    buttons->addWidget(m_mute);

    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(2, 0, 2, 1);
    rows->setSpacing(0);
    rows->addWidget(m_position);
    rows->addLayout(buttons);

    connect(m_playPause, &QToolButton::clicked, this, &CTransportBar::playPauseRequested);
    connect(m_stepBack, &QToolButton::clicked, this, [this] { emit stepRequested(-1); });
    connect(m_stepForward, &QToolButton::clicked, this, [this] { emit stepRequested(1); });
    connect(m_mute, &QToolButton::clicked, this, [this](bool checked) { emit muteRequested(checked); });
    connect(m_position, &QSlider::sliderMoved, this, [this](int value) { emit seekRequested(value); });
    connect(m_position, &QSlider::actionTriggered, this, &CTransportBar::OnSliderAction);

    Show(State{});
}

void CTransportBar::BuildSpeedMenu()
{
    m_speed = new QToolButton(this);
    m_speed->setObjectName("speed");
    m_speed->setToolTip(QString::fromUtf8("Vitesse de lecture (- et + au clavier)"));
    m_speed->setAutoRaise(true);
    m_speed->setFixedHeight(kButtonSize);
    m_speed->setFocusPolicy(Qt::NoFocus);
    m_speed->setVisible(false);

    m_speedMenu = new QMenu(m_speed);
    m_speedMenu->setObjectName("speedMenu");
    m_speedSteps = new QActionGroup(m_speedMenu);
    m_speedSteps->setExclusive(true);
    for (const double step : SpeedSteps()) {
        QAction* action = m_speedMenu->addAction(QString::fromStdString(SpeedText(step)));
        action->setCheckable(true);
        action->setData(step);
        m_speedSteps->addAction(action);
        connect(action, &QAction::triggered, this, [this, step] { emit speedRequested(step); });
    }
    // Popped up rather than run in a loop of its own inside the click, as the
    // timeline's menus are: the window's tick and close go on meanwhile.
    connect(m_speed, &QToolButton::clicked, this, [this] {
        m_speedMenu->popup(m_speed->mapToGlobal(QPoint(0, m_speed->height())));
    });
}

void CTransportBar::ShowSpeed(bool shown)
{
    m_speed->setVisible(shown);
}

void CTransportBar::Show(const State& state)
{
    m_state = state;
    const bool playing = state.loaded && state.playing;
    m_playPause->setIcon(style()->standardIcon(playing ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
    m_playPause->setToolTip(playing ? QString::fromUtf8("Pause") : QString::fromUtf8("Lecture"));
    m_mute->setChecked(state.muted);
    m_mute->setIcon(style()->standardIcon(state.muted ? QStyle::SP_MediaVolumeMuted : QStyle::SP_MediaVolume));
    m_mute->setToolTip(state.muted ? QString::fromUtf8("Rétablir le son") : QString::fromUtf8("Couper le son"));
    for (QWidget* widget : {static_cast<QWidget*>(m_playPause), static_cast<QWidget*>(m_stepBack),
                            static_cast<QWidget*>(m_stepForward), static_cast<QWidget*>(m_position)})
        widget->setEnabled(state.loaded);

    const QString speed = QString::fromStdString(SpeedText(state.speed));
    if (m_speed->text() != speed) {
        m_speed->setText(speed);
        for (QAction* action : m_speedSteps->actions())
            action->setChecked(action->text() == speed);
    }

    const int32_t time = state.loaded ? state.timeMs : 0;
    const int32_t duration = state.loaded ? state.durationMs : 0;
    m_time->setText(QString::fromStdString(FormatPlayerPosition(time, duration)));
    // While the user drags, the knob stays under the pointer.
    if (m_position->isSliderDown())
        return;
    const QSignalBlocker blocker(m_position);
    m_position->setRange(0, duration);
    m_position->setValue(time);
}

void CTransportBar::OnSliderAction()
{
    // Clicks on the groove and keys move the knob by steps; dragging is
    // reported by sliderMoved.
    if (m_position->isSliderDown())
        return;
    emit seekRequested(m_position->sliderPosition());
}
