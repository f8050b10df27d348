#pragma once

#include <stdexcept>
#include <string>

// A failure of the video player, with a French text written for the user
// (it names the file); the application shows it as it stands.
class PlayerError : public std::runtime_error {
public:
    explicit PlayerError(const std::string& text) : std::runtime_error(text) {}

    static PlayerError CannotOpen(const std::string& path);
    static PlayerError NotFound(const std::string& path);
    static PlayerError NotAVideo(const std::string& path);
    static PlayerError TooSlow(const std::string& path);
    static PlayerError EngineUnavailable();
};
