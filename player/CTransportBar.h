#pragma once

#include <cstdint>

#include <QWidget>

class QActionGroup;
class QLabel;
class QMenu;
class QSlider;
class QToolButton;

// The small bar under a player's picture: play/pause, one frame back and
// forward, the position slider, the time, the speed (where shown) and the
// mute toggle. It only shows a state and asks for changes; the control
// carries them out.
class CTransportBar : public QWidget {
    Q_OBJECT
public:
    struct State {
        bool loaded = false;
        bool playing = false;
        bool muted = false;
        int32_t timeMs = 0;
        int32_t durationMs = 0;
        double speed = 1.0;
    };

    explicit CTransportBar(QWidget* parent = nullptr);

    void Show(const State& state);
    // The speed button ("×1"), whose menu offers the steps. Hidden until
    // shown: a player that only follows another has no speed of its own.
    void ShowSpeed(bool shown);

signals:
    void playPauseRequested();
    void stepRequested(int frames);
    void seekRequested(int32_t ms);
    void muteRequested(bool muted);
    void speedRequested(double speed);

private:
    void OnSliderAction();
    void BuildSpeedMenu();

    QToolButton* m_playPause = nullptr;
    QToolButton* m_stepBack = nullptr;
    QToolButton* m_stepForward = nullptr;
    QSlider* m_position = nullptr;
    QLabel* m_time = nullptr;
    QToolButton* m_mute = nullptr;
    QToolButton* m_speed = nullptr;
    QMenu* m_speedMenu = nullptr;
    QActionGroup* m_speedSteps = nullptr;
    State m_state;
};
