// The real program killed with SIGKILL under a display of its own: started
// on the demo, edited with the keyboard, killed once its recovery copy is
// written, started again and told "Récupérer", Ctrl+S then writes what a
// save before the kill would have. A kill while a copy is being written
// (held there by the test's hook) leaves the previous copy to recover, and
// a second program started beside a live one offers nothing.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <QDir>

#include "Autosaver.h"
#include "RecoveryCopy.h"
#include "RecoveryTestSupport.h"
#include "TrackListReader.h"
#include "XdoTool.h"
#include "XmlFileReader.h"

namespace fs = std::filesystem;

namespace {

// Long enough for a sanitizer build on a loaded machine; only a failure
// waits this long.
constexpr auto kPatience = std::chrono::seconds(60);

bool WaitUntil(const std::function<bool()>& condition)
{
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

// xdotool's first line of output, empty when it fails or finds nothing.
std::string XdoLine(const QStringList& arguments)
{
    QByteArray output;
    if (!Xdo(arguments, &output))
        return {};
    return output.split('\n').first().toStdString();
}

class KilledProgram : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(std::system("bash '" QUILL_DEMO_SCRIPT "' '" QUILL_DEMO_DIR "' > /dev/null"), 0);
        for (const char* name : {"demo.xml", "demo.mp4"})
            fs::copy_file(fs::path(QUILL_DEMO_DIR) / name, m_folder.Path(name));
        ::setenv("XDG_STATE_HOME", m_folder.Path("state").c_str(), 1);
        ::setenv(Autosaver::kHoldVariable, m_folder.Path("hold").c_str(), 1);
    }

    void TearDown() override
    {
        for (pid_t pid : m_started) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
        if (HasFailure())
            std::fprintf(stderr, "program output:\n%s\n", ReadFileContents(m_folder.Path("log")).c_str());
    }

    pid_t Start()
    {
        const std::string log = m_folder.Path("log");
        const std::vector<std::string> args = {QUILL_PROGRAM, "--annotations", m_folder.Path("demo.xml"), "--folder",
                                               m_folder.Root(), m_folder.Path("demo.mp4")};
        const pid_t pid = ::fork();
        if (pid == 0) {
            const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
            ::dup2(out, 1);
            ::dup2(out, 2);
            std::vector<char*> argv;
            for (const std::string& arg : args)
                argv.push_back(const_cast<char*>(arg.c_str()));
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        m_started.push_back(pid);
        return pid;
    }

    void Kill(pid_t pid)
    {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        std::erase(m_started, pid);
    }

    // A visible window of the program whose caption matches `pattern`.
    static std::string Window(pid_t pid, const std::string& pattern)
    {
        return XdoLine({"search", "--onlyvisible", "--pid", QString::number(pid), "--name",
                        QString::fromStdString(pattern)});
    }

    // Empty once the program has ended: a dead one shows nothing later.
    std::string WaitForWindow(pid_t pid, const std::string& pattern)
    {
        std::string window;
        WaitUntil([&] {
            if (!(window = Window(pid, pattern)).empty())
                return true;
            if (::waitpid(pid, nullptr, WNOHANG) != pid)
                return false;
            std::erase(m_started, pid);
            return true;
        });
        return window;
    }

    std::string StartShowing(pid_t* pid, const std::string& pattern)
    {
        *pid = Start();
        return WaitForWindow(*pid, pattern);
    }

    static std::string Caption(const std::string& window)
    {
        return XdoLine({"getwindowname", QString::fromStdString(window)});
    }

    // `keys` is one or more key names separated by spaces.
    static void Keys(const std::string& window, const std::string& keys)
    {
        Xdo(QStringList{"windowfocus", QString::fromStdString(window), "key", "--delay", "50"}
            + QString::fromStdString(keys).split(' '));
    }

    // The program's copy once it holds `added` more segments than the demo.
    bool WaitForCopyWith(int added) const
    {
        return WaitUntil([&] {
            for (const QString& name : QDir(QString::fromStdString(m_folder.Path("state/quillmark/recovery")))
                                           .entryList({"*.xml"}, QDir::Files)) {
                const RecoveryCopyRead read
                    = ReadRecoveryCopy(m_folder.Path("state/quillmark/recovery/" + name.toStdString()));
                if (read.readable && CountSegments(read.tracks) == DemoSegments() + added)
                    return true;
            }
            return false;
        });
    }

    // The demo with `added` segments from 0 to 0 (widened to 1 unit) at the
    // end of the first track, which is what "O" cuts on a video at its start.
    std::string Expected(int added) const
    {
        TrackList tracks;
        TrackListReader reader(tracks);
        ReadXmlFile(QUILL_DEMO_DIR "/demo.xml", reader);
        for (int i = 0; i < added; ++i)
            tracks.GetTrack(0)->AppendSegment(MakeSegment(0, 1));
        return SavedBytes(tracks, m_folder.Path("expected.xml"));
    }

    static int DemoSegments()
    {
        TrackList tracks;
        TrackListReader reader(tracks);
        ReadXmlFile(QUILL_DEMO_DIR "/demo.xml", reader);
        return CountSegments(tracks);
    }

    // Starts the program on the demo's files, answers "Récupérer", and waits
    // for the recovered work in its window.
    std::string StartAndRecover(pid_t* pid)
    {
        const std::string box = StartShowing(pid, "R.*cup.*ration");
        EXPECT_NE(box, "") << "no recovery box";
        Keys(box, "Return");
        const std::string window = WaitForWindow(*pid, "^\\*demo\\.xml");
        EXPECT_NE(window, "") << "the recovered work is not in the window";
        return window;
    }

    bool SavedAs(const std::string& window, const std::string& bytes) const
    {
        Keys(window, "ctrl+s");
        return WaitUntil([&] { return ReadFileContents(m_folder.Path("demo.xml")) == bytes; });
    }

    TestFolder m_folder;
    std::vector<pid_t> m_started;
};

TEST_F(KilledProgram, RecoversItsWorkAndAWriteCutShortLeavesThePreviousCopy)
{
    pid_t first = 0;
    // Keys wait for the start files: the caption names them once opened.
    const std::string window = StartShowing(&first, "^demo\\.xml");
    ASSERT_NE(window, "");
    Keys(window, "o o o");
    ASSERT_TRUE(WaitForCopyWith(3));

    // Beside a live program, another one offers nothing.
    pid_t beside = 0;
    ASSERT_NE(StartShowing(&beside, "demo\\.xml"), "");
    EXPECT_EQ(Window(beside, "R.*cup.*ration"), "");
    Kill(beside);

    Kill(first);
    pid_t second = 0;
    const std::string recovered = StartAndRecover(&second);
    ASSERT_NE(recovered, "");
    // The file is as the killed program knew it: no question.
    ASSERT_TRUE(SavedAs(recovered, Expected(3)));
    EXPECT_TRUE(WaitUntil([&] { return Caption(recovered) == "demo.xml \xE2\x80\x94 Quillmark"; }));

    // One more edit copied, then one whose copy is killed in its write.
    Keys(recovered, "o");
    ASSERT_TRUE(WaitForCopyWith(4));
    WriteBytes(m_folder.Path("hold"), "");
    Keys(recovered, "o");
    ASSERT_TRUE(WaitUntil([&] { return fs::exists(m_folder.Path("hold.held")); }));
    Kill(second);
    fs::remove(m_folder.Path("hold"));

    pid_t third = 0;
    const std::string again = StartAndRecover(&third);
    ASSERT_NE(again, "");
    EXPECT_TRUE(SavedAs(again, Expected(4)));
}

} // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
