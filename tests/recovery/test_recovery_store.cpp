// The locks that tell a live program's recovery copy from a dead one's, and
// the list of copies offered at start.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <QDateTime>
#include <QDeadlineTimer>
#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QThread>

#include "RecoveryStore.h"
#include "RecoveryTestSupport.h"
#include "StateFolders.h"

namespace {

TrackList Tracks(int tracks, int segmentsEach)
{
    TrackList list;
    for (int t = 0; t < tracks; ++t) {
        Track* track = list.AppendTrack();
        for (int s = 0; s < segmentsEach; ++s)
            track->AppendSegment(MakeSegment(s, s + 1));
    }
    return list;
}

std::vector<QString> Paths(const std::vector<FoundCopy>& found)
{
    std::vector<QString> paths;
    for (const FoundCopy& copy : found)
        paths.push_back(copy.claim->CopyPath());
    return paths;
}

bool WaitFor(const QString& file)
{
    QDeadlineTimer deadline(30000);
    while (!QFileInfo::exists(file) && !deadline.hasExpired())
        QThread::msleep(5);
    return QFileInfo::exists(file);
}

class Store : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(MakeStateFolder(m_dir), ""); }

    TestFolder m_folder;
    const QString m_dir = m_folder.QPath("recovery");
};

// Another process holds its copy as a window does, until it is killed.
TEST_F(Store, ALiveProgramsCopyIsNeverOfferedAndADeadOnesIs)
{
    const QString ready = m_folder.QPath("ready");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        auto claim = RecoveryClaim::CreateNew(m_dir);
        const bool written = claim && WriteRecoveryCopy(claim->CopyFile(), Tracks(2, 3), {}, 1);
        // A program killed before its first copy leaves a lock alone.
        auto lockOnly = RecoveryClaim::CreateNew(m_dir);
        if (!written || !lockOnly)
            ::_exit(1);
        WriteBytes(ready.toStdString(), "");
        while (true)
            ::pause();
    }
    ASSERT_TRUE(WaitFor(ready));
    EXPECT_TRUE(ClaimOrphanCopies(m_dir).empty());
    EXPECT_EQ(QDir(m_dir).entryList({"*.lock"}, QDir::Files).size(), 2) << "a live lock stays";

    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    const std::vector<FoundCopy> found = ClaimOrphanCopies(m_dir);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_TRUE(found[0].readable);
    EXPECT_EQ(found[0].tracks, 2);
    EXPECT_EQ(found[0].segments, 6);
    EXPECT_EQ(QDir(m_dir).entryList({"*.lock"}, QDir::Files).size(), 1)
        << "the dead program's lock without a copy is gone; the found copy's is held here";
}

// Two windows of one process, and two programs starting at once: a copy
// held, by its window or by a list being offered, is offered nowhere else.
TEST_F(Store, AHeldCopyIsOfferedOnlyOnceItIsLetGo)
{
    auto window = RecoveryClaim::CreateNew(m_dir);
    ASSERT_TRUE(window);
    ASSERT_TRUE(WriteRecoveryCopy(window->CopyFile(), Tracks(1, 1), {}, 1));
    ASSERT_TRUE(WriteRecoveryCopy(m_folder.Path("recovery/left.xml"), Tracks(1, 1), {}, 2));

    std::vector<FoundCopy> offered = ClaimOrphanCopies(m_dir);
    ASSERT_EQ(Paths(offered), std::vector<QString>{m_folder.QPath("recovery/left.xml")});
    EXPECT_TRUE(ClaimOrphanCopies(m_dir).empty()) << "offered elsewhere meanwhile";

    // "Plus tard": the list is let go, every copy stays.
    offered.clear();
    EXPECT_EQ(Paths(ClaimOrphanCopies(m_dir)), std::vector<QString>{m_folder.QPath("recovery/left.xml")});
    window.reset();
    EXPECT_EQ(ClaimOrphanCopies(m_dir).size(), 2u) << "a window that ends without removing its copy leaves it";
}

TEST_F(Store, ListedNewestFirstWithWhatCannotBeRead)
{
    ASSERT_TRUE(WriteRecoveryCopy(m_folder.Path("recovery/b.xml"), Tracks(1, 2), {"/x/b.xml", "", "", 0, {}}, 2000));
    ASSERT_TRUE(WriteRecoveryCopy(m_folder.Path("recovery/a.xml"), Tracks(3, 1), {"/x/a.xml", "", "", 0, {}}, 3000));
    ASSERT_TRUE(WriteRecoveryCopy(m_folder.Path("recovery/c.xml"), Tracks(0, 0), {}, 1000));
    WriteBytes(m_folder.Path("recovery/foreign.xml"), "<?xml version=\"1.0\"?><corps/>");
    WriteBytes(m_folder.Path("recovery/notes.txt"), "not a copy");
    // Written long ago by the clock, so that its place in the list is known.
    const std::string newer = ReadFileContents(m_folder.Path("recovery/c.xml"));
    WriteBytes(m_folder.Path("recovery/newer.xml"),
               std::string(newer).replace(newer.find("format=\"1\""), 10, "format=\"9\""));
    QFile newerFile(m_folder.QPath("recovery/newer.xml"));
    ASSERT_TRUE(newerFile.open(QIODevice::ReadWrite));
    ASSERT_TRUE(newerFile.setFileTime(QDateTime::fromMSecsSinceEpoch(0), QFileDevice::FileModificationTime));
    newerFile.close();

    // What writes cut short left: an old one goes, one being written stays.
    WriteBytes(m_folder.Path("recovery/.quillmark-old"), "<corps");
    WriteBytes(m_folder.Path("recovery/.quillmark-new"), "<corps");
    QFile old(m_folder.QPath("recovery/.quillmark-old"));
    ASSERT_TRUE(old.open(QIODevice::ReadWrite));
    ASSERT_TRUE(old.setFileTime(QDateTime::currentDateTime().addSecs(-7200), QFileDevice::FileModificationTime));
    old.close();

    const std::vector<FoundCopy> found = ClaimOrphanCopies(m_dir);
    EXPECT_FALSE(QFileInfo::exists(m_folder.QPath("recovery/.quillmark-old")));
    EXPECT_TRUE(QFileInfo::exists(m_folder.QPath("recovery/.quillmark-new")));
    ASSERT_EQ(found.size(), 5u);
    EXPECT_EQ(found[0].claim->CopyPath(), m_folder.QPath("recovery/foreign.xml")) << "dated by its file: now";
    EXPECT_FALSE(found[0].readable);
    EXPECT_EQ(found[1].resume.annotationFile, "/x/a.xml");
    EXPECT_EQ(found[1].tracks, 3);
    EXPECT_EQ(found[2].resume.annotationFile, "/x/b.xml");
    EXPECT_EQ(found[2].segments, 2);
    EXPECT_TRUE(found[3].readable);
    EXPECT_EQ(found[3].writtenMs, 1000);
    EXPECT_EQ(found[4].claim->CopyPath(), m_folder.QPath("recovery/newer.xml"));
    EXPECT_FALSE(found[4].readable);

    // Deleting one removes that copy only.
    ASSERT_TRUE(found[2].claim->RemoveCopy());
    EXPECT_FALSE(QFileInfo::exists(m_folder.QPath("recovery/b.xml")));
    EXPECT_EQ(QDir(m_dir).entryList({"*.xml"}, QDir::Files).size(), 4);
}

} // namespace
