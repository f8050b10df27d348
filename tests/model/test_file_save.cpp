// Saving: what a save may replace, the modes it leaves, and the bytes it
// writes.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "AtomicFile.h"
#include "FileFormatFixture.h"
#include "Timeline.h"

namespace fs = std::filesystem;

namespace {

std::atomic<int> g_umaskCalls{0};

size_t OpenDescriptors()
{
    return static_cast<size_t>(std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()));
}

mode_t ModeOf(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

} // namespace

// Every call of this program to umask, counted. The mask can only be read
// by setting it, and a thread creating a file meanwhile (the player's do)
// would create it under the wrong mask.
extern "C" mode_t umask(mode_t mask) noexcept
{
    ++g_umaskCalls;
    return static_cast<mode_t>(::syscall(SYS_umask, mask));
}

TEST_F(FileFormat, SaveGivesNewFilesTheUmaskModeWithoutTouchingTheUmask)
{
    const mode_t before = ::umask(022);
    const std::vector<std::pair<mode_t, mode_t>> masks = {{022, 0644}, {027, 0640}, {077, 0600}, {0, 0666}};
    for (const auto& [mask, mode] : masks) {
        ::umask(mask);
        g_umaskCalls = 0;
        const std::string target = Path("new-" + std::to_string(mask) + ".xml");
        ASSERT_TRUE(m_timeline.SaveFile(target)) << mask;
        EXPECT_EQ(ModeOf(target), mode) << mask;
        // An existing file keeps its own mode, whatever the mask.
        ::chmod(target.c_str(), 0604);
        ASSERT_TRUE(m_timeline.SaveFile(target)) << mask;
        EXPECT_EQ(ModeOf(target), 0604u) << mask;
        EXPECT_EQ(g_umaskCalls, 0) << mask;
    }
    ::umask(before);
}

TEST_F(FileFormat, WriteProtectedFileIsNotReplaced)
{
    const fs::perms readOnly = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
    const std::string target = Write("finished.xml", "previous content");
    fs::permissions(target, readOnly);
    fs::create_symlink("finished.xml", Path("link.xml"));
    for (const std::string& path : {target, Path("link.xml")}) {
        const auto saved = AsUnprivilegedUser([&] { return m_timeline.SaveFile(path); });
        ASSERT_TRUE(saved.has_value()) << path;
        EXPECT_FALSE(*saved) << path;
        EXPECT_EQ(Read(target), "previous content") << path;
        EXPECT_EQ(FileNames(), (std::vector<std::string>{"finished.xml", "link.xml"})) << path; // no temporary
    }

    // Root may write any file: it replaces this one as it always has, and
    // the file stays write-protected.
    if (::geteuid() != 0)
        return;
    ASSERT_TRUE(m_timeline.SaveFile(target));
    EXPECT_NE(Read(target).find("<corps>"), std::string::npos);
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all, readOnly);
}

// The core that exports and recovery copies write through: any bytes, all
// or nothing, whatever way the writing fails.
TEST_F(FileFormat, AtomicWriteReplacesWholeOrNotAtAll)
{
    std::string binary;
    for (int i = 0; i < 3'000'000; ++i)
        binary += static_cast<char>(i * 7 % 256);
    const std::string target = Write("out.bin", "previous content");
    for (const std::string& bytes : {std::string(), std::string("abc"), binary}) {
        ASSERT_TRUE(WriteFileAtomically(target, bytes)) << bytes.size();
        EXPECT_TRUE(Read(target) == bytes) << bytes.size();
    }

    Write("out.bin", "previous content");
    const size_t descriptors = OpenDescriptors();
    const std::vector<std::pair<std::string, FileContentWriter>> failures = {
        {"refused", [](int fd) { return WriteAllBytes(fd, "part", 4) && false; }},
        {"thrown", [](int fd) -> bool {
             WriteAllBytes(fd, "part", 4);
             throw std::runtime_error("thrown");
         }},
    };
    for (const auto& [what, write] : failures) {
        bool written = true;
        try {
            written = WriteFileAtomically(target, write);
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(what, error.what());
            written = false;
        }
        EXPECT_FALSE(written) << what;
        EXPECT_EQ(Read(target), "previous content") << what;
        EXPECT_EQ(FileNames(), (std::vector<std::string>{"out.bin"})) << what;
        EXPECT_EQ(OpenDescriptors(), descriptors) << what;
    }
}
