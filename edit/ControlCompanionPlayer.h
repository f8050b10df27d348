#pragma once

#include "CompanionPlayer.h"

class CQTControl;

// The companion switch's view of a real player control. Files open in the
// background; the control reports a file that fails through SourceFailed.
class ControlCompanionPlayer : public CompanionPlayer {
public:
    // `control` is not owned and must outlive this object.
    explicit ControlCompanionPlayer(CQTControl& control) : m_control(control) {}

    CQTMoviePtr GetMovie() override;
    void SetSource(const std::string& path) override;

private:
    CQTControl& m_control;
};
