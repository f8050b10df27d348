#pragma once

#include <QSettings>

// What Quillmark remembers between runs: the reaction delay, and nothing
// else. QSettings keeps it in ~/.config/Quillmark/Quillmark.conf, or under
// $XDG_CONFIG_HOME when that is set (which is how tests keep it apart).
class Settings {
public:
    Settings();

    // The delay last set in the window; 0 when none was, or when the file
    // holds anything but a delay in range (edited by hand, say).
    int ReactionDelayMs() const;
    // Written through at once: a program that is killed keeps it too.
    void SetReactionDelayMs(int delayMs);

private:
    QSettings m_store;
};
