#include "Settings.h"

#include "MarkTime.h"

namespace {
const char* const kReactionDelayKey = "marks/reactionDelayMs";
}

Settings::Settings() : m_store(QSettings::NativeFormat, QSettings::UserScope, "Quillmark", "Quillmark") {}

int Settings::ReactionDelayMs() const
{
    const QString stored = m_store.value(kReactionDelayKey).toString();
    return ReadReactionDelay(stored.toStdString()).value_or(kMinReactionDelayMs);
}

void Settings::SetReactionDelayMs(int delayMs)
{
    m_store.setValue(kReactionDelayKey, delayMs);
    m_store.sync();
}
