#include "CompanionSwitch.h"

#include "CompanionPlayer.h"
#include "Timeline.h"

std::string CompanionVideoPath(const std::string& folder, int number)
{
    return folder + "/annotation" + std::to_string(number) + ".mov";
}

void CompanionSwitch::Update(const CTimeline& timeline, const std::string& folder, bool closing)
{
    if (closing)
        return;
    const int number = timeline.GetCompanionVideoNumber();
    if (number == m_shownVideo)
        return;
    // Recorded first: a file that fails must not be tried again every tick.
    m_shownVideo = number;
    if (number == 0) {
        m_player.SetSource("");
        return;
    }
    // Held across the load and released afterwards, whatever the load does.
    const CQTMoviePtr movie = m_player.GetMovie();
    m_player.SetSource(CompanionVideoPath(folder, number));
}
