#pragma once

#include <string>

// How the model asks or tells the user something. The main window implements
// it with message boxes captioned "Confirmation"; tests record.
class UserPrompt {
public:
    virtual ~UserPrompt() = default;
    // OK and Cancel; returns true when the user answered OK.
    virtual bool Confirm(const std::string& text) = 0;
    // OK only: something the user must know, with nothing to decide.
    virtual void Inform(const std::string& text) = 0;
};
