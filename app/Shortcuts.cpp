#include "Shortcuts.h"

#include <QAction>
#include <QKeySequence>
#include <QWidget>

#include "MpvEngine.h"
#include "PlaybackSpeed.h"

namespace {
constexpr int32_t kSecondMs = 1000;
}

const std::vector<ShortcutEntry>& ShortcutTable()
{
    using C = ShortcutCommand;
    static const std::vector<ShortcutEntry> table = {
        {C::MarkStart, {"I"}, "I", "Début du segment « [ »", false},
        {C::MarkEnd, {"O"}, "O", "Fin du segment « ] » : nouveau segment", false},
        {C::PlayPause, {"Space"}, "Espace", "Lecture / pause de la vidéo", false},
        {C::FrameBack, {"Left"}, "Gauche", "Image précédente", true},
        {C::FrameForward, {"Right"}, "Droite", "Image suivante", true},
        {C::SecondBack, {"Shift+Left"}, "Maj+Gauche", "Une seconde en arrière", true},
        {C::SecondForward, {"Shift+Right"}, "Maj+Droite", "Une seconde en avant", true},
        {C::ToStart, {"Home"}, "Début", "Début de la vidéo", false},
        {C::ToEnd, {"End"}, "Fin", "Fin de la vidéo", false},
        {C::Undo, {"Ctrl+Z"}, "Ctrl+Z", "Annuler", true},
        {C::Redo, {"Ctrl+Shift+Z", "Ctrl+Y"}, "Ctrl+Maj+Z, Ctrl+Y", "Rétablir", true},
        {C::Save, {"Ctrl+S"}, "Ctrl+S", "Enregistrer dans le fichier d'annotation courant", false},
        {C::SaveAs, {"Ctrl+Shift+S"}, "Ctrl+Maj+S", "Enregistrer le fichier d'annotation sous…", false},
        {C::OpenAnnotations, {"Ctrl+O"}, "Ctrl+O", "Ouvrir un fichier d'annotation", false},
        {C::OpenVideo, {"Ctrl+Shift+O"}, "Ctrl+Maj+O", "Ouvrir la vidéo annotée", false},
        {C::Export, {"Ctrl+E"}, "Ctrl+E", "Exporter les annotations…", false},
        {C::DeleteSegment, {"Delete"}, "Suppr", "Supprimer le segment courant", false},
        {C::EditSegment, {"F2"}, "F2", "Modifier le segment courant", false},
        // "=" too, where "+" needs Shift. Backspace resets the speed only;
        // Suppr is the key that deletes.
        {C::SpeedDown, {"-"}, "-", "Lecture plus lente", false},
        {C::SpeedUp, {"+", "="}, "+, =", "Lecture plus rapide", false},
        {C::SpeedReset, {"Backspace"}, "Retour arrière", "Vitesse normale (×1) ; ne supprime rien", false},
    };
    return table;
}

std::vector<QAction*> InstallShortcuts(QWidget& window, const std::function<void(ShortcutCommand)>& run)
{
    std::vector<QAction*> actions;
    for (const ShortcutEntry& entry : ShortcutTable()) {
        auto* action = new QAction(QString::fromUtf8(entry.action), &window);
        QList<QKeySequence> keys;
        for (const char* key : entry.keys)
            keys.append(QKeySequence(QString::fromLatin1(key), QKeySequence::PortableText));
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        action->setAutoRepeat(entry.repeats);
        QObject::connect(action, &QAction::triggered, &window, [run, command = entry.command] { run(command); });
        window.addAction(action);
        actions.push_back(action);
    }
    return actions;
}

QString ShortcutHelpText()
{
    QString text;
    for (const ShortcutEntry& entry : ShortcutTable())
        text += QString::fromUtf8(entry.shown) + QStringLiteral(" : ") + QString::fromUtf8(entry.action) + '\n';
    return text;
}

QString ShortcutToolTip(ShortcutCommand command)
{
    for (const ShortcutEntry& entry : ShortcutTable()) {
        if (entry.command == command)
            return QString::fromUtf8(entry.action) + QStringLiteral(" (") + QString::fromUtf8(entry.shown) + ')';
    }
    return {};
}

bool RunPlayerShortcut(MpvEngine& engine, ShortcutCommand command)
{
    switch (command) {
    case ShortcutCommand::PlayPause:
        engine.TogglePlaying();
        return true;
    case ShortcutCommand::FrameBack:
        engine.StepFrames(-1);
        return true;
    case ShortcutCommand::FrameForward:
        engine.StepFrames(1);
        return true;
    case ShortcutCommand::SecondBack:
        engine.Seek(std::max(0, engine.Time() - kSecondMs));
        return true;
    case ShortcutCommand::SecondForward:
        engine.Seek(std::min(engine.Duration(), engine.Time() + kSecondMs));
        return true;
    case ShortcutCommand::ToStart:
        engine.Seek(0);
        return true;
    case ShortcutCommand::ToEnd:
        engine.Seek(engine.Duration());
        return true;
    // The speed is the engine's even while it holds no video: it is kept
    // for the next one.
    case ShortcutCommand::SpeedDown:
        engine.SetSpeed(SlowerSpeed(engine.Speed()));
        return true;
    case ShortcutCommand::SpeedUp:
        engine.SetSpeed(FasterSpeed(engine.Speed()));
        return true;
    case ShortcutCommand::SpeedReset:
        engine.SetSpeed(kNormalSpeed);
        return true;
    default:
        return false;
    }
}
