// What Quillmark remembers between runs: the reaction delay, read back from
// whatever the settings file holds, and kept across two runs of the real
// program driven through the X server (xdotool), in a settings folder of the
// test's own.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QProcess>
#include <QRect>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "Settings.h"
#include "Templates.h"
#include "XdoTool.h"

namespace {

constexpr int kWaitMs = 20000;

// GuiTestMain points XDG_CONFIG_HOME at a folder of this process's own.
QString SettingsFile(const QString& configHome)
{
    return configHome + "/Quillmark/Quillmark.conf";
}

struct Stored {
    const char* value; // as written into the file by hand
    int delay;         // as read back
};

class StoredDelay : public testing::TestWithParam<Stored> {};

TEST_P(StoredDelay, ReadsBackOnlyADelayInRange)
{
    const QString file = SettingsFile(qEnvironmentVariable("XDG_CONFIG_HOME"));
    {
        QSettings raw(file, QSettings::IniFormat);
        raw.setValue("marks/reactionDelayMs", QString::fromUtf8(GetParam().value));
    }
    EXPECT_EQ(Settings().ReactionDelayMs(), GetParam().delay);
}

INSTANTIATE_TEST_SUITE_P(Table, StoredDelay,
                         testing::Values(Stored{"300", 300}, Stored{"0", 0}, Stored{"2000", 2000},
                                         Stored{"2001", 0}, Stored{"-300", 0}, Stored{"1.5", 0},
                                         Stored{"trois cents", 0}, Stored{"", 0}));

TEST(Settings, WrittenIntoTheUsersConfigurationFolderAtOnce)
{
    const QString home = qEnvironmentVariable("XDG_CONFIG_HOME");
    ASSERT_FALSE(home.isEmpty());
    EXPECT_EQ(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation), home);
    Settings().SetReactionDelayMs(1250);
    // Another object, as another run would read it, and the file itself.
    EXPECT_EQ(Settings().ReactionDelayMs(), 1250);
    EXPECT_EQ(QSettings(SettingsFile(home), QSettings::IniFormat).value("marks/reactionDelayMs").toInt(), 1250);
}

// One run of the program on this display, with its own settings folder.
class ProgramRun {
public:
    ProgramRun(const QString& configHome, const QStringList& arguments)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_CONFIG_HOME", configHome);
        m_process.setProcessEnvironment(environment);
        m_process.setProcessChannelMode(QProcess::ForwardedChannels);
        m_process.start(QUILL_PROGRAM, arguments);
    }
    ~ProgramRun()
    {
        // Only the process this run started, by its own id.
        m_process.terminate();
        if (!m_process.waitForFinished(kWaitMs))
            m_process.kill();
        m_process.waitForFinished(kWaitMs);
    }

    // The visible window named `name` (a regular expression), once it is.
    QString FindWindow(const QString& name)
    {
        QString found;
        if (!QTest::qWaitFor([&] { return !(found = Visible(name)).isEmpty() || m_process.state() == QProcess::NotRunning; },
                             kWaitMs))
            return {};
        return found;
    }
    bool WaitGone(const QString& name)
    {
        return QTest::qWaitFor([&] { return Visible(name).isEmpty(); }, kWaitMs);
    }
    static QRect Geometry(const QString& window)
    {
        QByteArray shell;
        if (!Xdo({"getwindowgeometry", "--shell", window}, &shell))
            return {};
        QRect rect;
        for (const QByteArray& line : shell.split('\n')) {
            const int value = line.mid(line.indexOf('=') + 1).toInt();
            if (line.startsWith("X="))
                rect.moveLeft(value);
            if (line.startsWith("Y="))
                rect.moveTop(value);
            if (line.startsWith("WIDTH="))
                rect.setWidth(value);
            if (line.startsWith("HEIGHT="))
                rect.setHeight(value);
        }
        return rect;
    }
    // The delay dialog, from a click on the main window's delay button, at
    // its place in the template scaled to the window's size.
    QString OpenDelayDialog()
    {
        const QString main = MainWindow();
        const QRect client = Geometry(main);
        const DialogTemplate& layout = FindDialogTemplate(kMainDialogId);
        const ControlTemplate* button = layout.FindControl(kDelayButtonId);
        if (main.isEmpty() || client.isEmpty() || button == nullptr)
            return {};
        const QPoint center(client.x() + (button->x + button->width / 2.0) * client.width() / layout.width,
                            client.y() + (button->y + button->height / 2.0) * client.height() / layout.height);
        if (!ClickAt(center))
            return {};
        const QString dialog = FindWindow(kDelayDialogName);
        if (!dialog.isEmpty())
            Xdo({"windowfocus", "--sync", dialog});
        return dialog;
    }
    // What the dialog's field holds: selected as the dialog opens, copied
    // to the clipboard, read by this process from the X server.
    std::optional<QString> DelayShown()
    {
        QClipboard* clipboard = QGuiApplication::clipboard();
        clipboard->setText("-");
        if (OpenDelayDialog().isEmpty() || !Xdo({"key", "--clearmodifiers", "ctrl+c"}))
            return std::nullopt;
        QString shown;
        // Read again until it comes: just after the program takes the
        // clipboard over, a reading may find nothing yet.
        const bool copied = QTest::qWaitFor(
            [&] {
                shown = clipboard->text();
                return !shown.isEmpty() && shown != "-";
            },
            kWaitMs);
        Xdo({"key", "Escape"});
        if (!copied || !WaitGone(kDelayDialogName))
            return std::nullopt;
        return shown;
    }

    // "Délai de réaction", as a pattern that does not care how many bytes
    // xdotool's regular expressions take an "é" for.
    static constexpr const char* kDelayDialogName = "lai de r.*action";

private:
    QString MainWindow()
    {
        if (!m_main.isEmpty())
            return m_main;
        const QString main = FindWindow("^Quillmark");
        // It has the keyboard once the program has taken it in hand: a click
        // before that may be lost.
        if (!main.isEmpty() && QTest::qWaitFor([&] { return Focused() == main; }, kWaitMs))
            m_main = main;
        return m_main;
    }
    static QString Focused()
    {
        QByteArray id;
        Xdo({"getwindowfocus"}, &id);
        return QString::fromLatin1(id).trimmed();
    }
    // The display is the test's own: a window of that name is the program's.
    // (Qt marks the main window with its process id, not its dialogs.)
    static QString Visible(const QString& name)
    {
        QByteArray ids;
        Xdo({"search", "--onlyvisible", "--name", name}, &ids);
        return QString::fromLatin1(ids).section('\n', 0, 0).trimmed();
    }

    QProcess m_process;
    QString m_main;
};

std::optional<int> RememberedIn(const QString& configHome)
{
    const QVariant value = QSettings(SettingsFile(configHome), QSettings::IniFormat).value("marks/reactionDelayMs");
    if (!value.isValid())
        return std::nullopt;
    return value.toInt();
}

// Set in the window in one run, there in the next; --reaction-delay is for
// its run only.
TEST(RealProgram, TheDelaySetInTheWindowIsThereInTheNextRun)
{
    QTemporaryDir configHome;
    ASSERT_TRUE(configHome.isValid());
    {
        ProgramRun first(configHome.path(), {});
        EXPECT_EQ(first.DelayShown(), QString("0"));
        ASSERT_FALSE(first.OpenDelayDialog().isEmpty());
        ASSERT_TRUE(Xdo({"type", "450"}));
        ASSERT_TRUE(Xdo({"key", "Return"}));
        EXPECT_TRUE(QTest::qWaitFor([&] { return RememberedIn(configHome.path()) == 450; }, kWaitMs));
    }
    {
        ProgramRun second(configHome.path(), {});
        EXPECT_EQ(second.DelayShown(), QString("450"));
    }
    {
        ProgramRun forThisRun(configHome.path(), {"--reaction-delay", "700"});
        EXPECT_EQ(forThisRun.DelayShown(), QString("700"));
    }
    EXPECT_EQ(RememberedIn(configHome.path()), 450);
    ProgramRun after(configHome.path(), {});
    EXPECT_EQ(after.DelayShown(), QString("450"));
}

} // namespace
