// Saving: what a save may replace, the modes it leaves, and the bytes it
// writes.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "FileFormatFixture.h"
#include "Timeline.h"

namespace fs = std::filesystem;

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
