#pragma once

#include <QByteArray>
#include <QPoint>
#include <QProcess>
#include <QString>
#include <QStringList>

// xdotool on the test's display: the real X pointer and keyboard, through
// the window system as a user's would go. Header only.

// Runs it; false when it fails. Its standard output goes to `output`.
inline bool Xdo(const QStringList& arguments, QByteArray* output = nullptr)
{
    constexpr int kWaitMs = 5000;
    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"), arguments);
    const bool ran = xdotool.waitForFinished(kWaitMs) && xdotool.exitStatus() == QProcess::NormalExit &&
                     xdotool.exitCode() == 0;
    if (output != nullptr)
        *output = xdotool.readAllStandardOutput();
    return ran;
}

inline bool MoveTo(QPoint global)
{
    return Xdo({"mousemove", "--sync", QString::number(global.x()), QString::number(global.y())});
}

// In one run of xdotool, so the click lands where the pointer went, even
// when the pointer was there already (where --sync would wait for ever).
inline bool ClickAt(QPoint global)
{
    return Xdo({"mousemove", QString::number(global.x()), QString::number(global.y()), "click", "1"});
}
