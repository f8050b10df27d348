#pragma once

#include <string>

class CompanionPlayer;
class CTimeline;

// The file of annotation video `number` in `folder`: the parts are joined as
// they stand, so no folder gives "/annotation5.mov" and "/" gives
// "//annotation5.mov".
std::string CompanionVideoPath(const std::string& folder, int number);

// Keeps the companion player on the annotation video of the number under the
// current time. It touches the player only when that number changes, so a
// missing file is reported once and not retried until the number moves on.
class CompanionSwitch {
public:
    // Neither is owned; both must outlive the switch. `shownVideo` is the
    // number last given to the player, 0 for an empty player.
    CompanionSwitch(CompanionPlayer& player, int& shownVideo) : m_player(player), m_shownVideo(shownVideo) {}

    // One refresh tick; does nothing once the window is closing. A player
    // error propagates after the new number has been recorded.
    void Update(const CTimeline& timeline, const std::string& folder, bool closing);

private:
    CompanionPlayer& m_player;
    int& m_shownVideo;
};
