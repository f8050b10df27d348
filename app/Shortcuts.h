#pragma once

#include <functional>
#include <vector>

#include <QString>

class MpvEngine;
class QAction;
class QWidget;

// What the main window's keys do. Letters and keys are chosen to sit in the
// same place, or to carry the same name, on French AZERTY and on QWERTY
// keyboards, after video editors' habits (I and O for in and out).
enum class ShortcutCommand {
    MarkStart,
    MarkEnd,
    PlayPause,
    FrameBack,
    FrameForward,
    SecondBack,
    SecondForward,
    ToStart,
    ToEnd,
    Undo,
    Redo,
    Save,
    SaveAs,
    OpenAnnotations,
    OpenVideo,
    Export,
    DeleteSegment,
    EditSegment,
    SpeedDown,
    SpeedUp,
    SpeedReset,
};

struct ShortcutEntry {
    ShortcutCommand command;
    // In QKeySequence's portable form; the first is the one shown.
    std::vector<const char*> keys;
    // The keys as a French user reads them on the help and the tooltips.
    const char* shown;
    const char* action;
    // Holding the key repeats the command: stepping and undoing do, toggles
    // and commands that open a dialog do not.
    bool repeats;
};

const std::vector<ShortcutEntry>& ShortcutTable();

// One action per entry, owned by `window` and live only while `window` is
// the active window: never while one of its dialogs or boxes is open. Each
// triggers `run` with its command.
std::vector<QAction*> InstallShortcuts(QWidget& window, const std::function<void(ShortcutCommand)>& run);

// The table as lines of text, for the About box and the help.
QString ShortcutHelpText();
// "action (keys)", for the tooltip of a button that a shortcut mirrors.
QString ShortcutToolTip(ShortcutCommand command);

// The player's part of the keys; false for any other command. Nothing
// moves while the player holds no video; a speed is set all the same, for
// the next video.
bool RunPlayerShortcut(MpvEngine& engine, ShortcutCommand command);
