#pragma once

#include <string>

// How the model asks the user something. The main window implements it with
// a message box captioned "Confirmation" with OK and Cancel; tests record.
class UserPrompt {
public:
    virtual ~UserPrompt() = default;
    // Returns true when the user answered OK.
    virtual bool Confirm(const std::string& text) = 0;
};
