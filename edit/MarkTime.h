#pragma once

#include <optional>
#include <string_view>

// The annotator's reaction delay: a mark pressed while the video plays is
// placed where the event happened, not where the finger reacted.

// The delay's range in milliseconds of real time; 0 leaves marks where
// they are pressed.
inline constexpr int kMinReactionDelayMs = 0;
inline constexpr int kMaxReactionDelayMs = 2000;

// The timeline time a "[" or "]" takes when pressed at `currentTime` (the
// tick's). While the video plays, `delayMs` of real time before that, which
// is delayMs x `speed` of video time, never below 0; a paused frame was
// chosen exactly and is taken as it is.
double MarkTime(double currentTime, bool playing, int delayMs, double speed);

// The delay typed by the user (the dialog, the command line): a whole number
// of milliseconds within the range, digits only, blanks around allowed.
// None for anything else.
std::optional<int> ReadReactionDelay(std::string_view text);
