// When the recovery copy is written and removed, what it holds, and how a
// copy that cannot be written is told.

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include "Autosaver.h"
#include "CopySchedule.h"
#include "RecoveryStore.h"
#include "RecoveryTestSupport.h"
#include "StateFolders.h"

namespace {

TEST(CopySchedule, DueAfterAQuietMomentOrHalfAMinuteOfChanges)
{
    enum class Step { Change, Take, Due, NotDue };
    struct At {
        int64_t time;
        Step step;
    };
    const struct {
        const char* name;
        std::vector<At> steps;
    } rows[] = {
        {"nothing changed", {{0, Step::NotDue}, {100000, Step::NotDue}}},
        {"one change", {{0, Step::Change}, {1999, Step::NotDue}, {2000, Step::Due}, {9000, Step::Due}}},
        {"a burst", {{0, Step::Change}, {1500, Step::Change}, {3499, Step::NotDue}, {3500, Step::Due}}},
        {"taken", {{0, Step::Change}, {2000, Step::Take}, {2000, Step::NotDue}, {60000, Step::NotDue}}},
        {"changes every second",
         {{0, Step::Change}, {10000, Step::Change}, {20000, Step::Change}, {29000, Step::Change},
          {29999, Step::NotDue}, {30000, Step::Due}, {30000, Step::Take}, {31000, Step::Change},
          {32000, Step::Change}, {33999, Step::NotDue}, {34000, Step::Due}}},
        {"a change while a copy is taken", {{0, Step::Change}, {2000, Step::Take}, {2500, Step::Change},
                                            {4499, Step::NotDue}, {4500, Step::Due}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        CopySchedule schedule;
        for (const At& at : row.steps) {
            SCOPED_TRACE(at.time);
            if (at.step == Step::Change)
                schedule.Changed(at.time);
            else if (at.step == Step::Take)
                schedule.Taken();
            else
                EXPECT_EQ(schedule.Due(at.time), at.step == Step::Due);
        }
    }
}

// An autosaver ticked by hand on a clock of the test's.
class AutosaverTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_resume = {"/data/cours.xml", "/data/cours.mp4", "/data/plans", 4200, KnownFile{1, 2, "ab"}};
        Make();
    }

    void Make()
    {
        m_saver.reset();
        m_saver = std::make_unique<Autosaver>(m_folder.QPath("state/recovery"),
                                              [this](const std::optional<std::string>& failure) {
                                                  m_reports.push_back(failure);
                                              });
    }

    void Change()
    {
        TrackList tracks;
        Track* track = tracks.AppendTrack();
        track->SetLabel("piste " + std::to_string(++m_changes));
        track->AppendSegment(MakeSegment(m_changes, m_changes + 1, "titre"));
        m_timeline.ReplaceTracks(std::move(tracks));
    }

    void Tick(int64_t now, bool modified = true)
    {
        m_saver->Tick(m_timeline, modified, now, [this] { return m_resume; });
    }

    // A change at `now`, then the ticks until its copy has been written.
    void ChangeAndWaitForTheCopy(int64_t now)
    {
        Change();
        Tick(now);
        Tick(now + CopySchedule::kQuietMs);
        m_saver->Flush();
    }

    std::string CopyFile() const { return m_saver->CopyPath().toStdString(); }
    bool HasCopy() const { return !m_saver->CopyPath().isEmpty() && QFileInfo::exists(m_saver->CopyPath()); }
    // The label of the copy's only track.
    std::string CopiedLabel() const
    {
        const RecoveryCopyRead read = ReadRecoveryCopy(CopyFile());
        return read.readable && read.tracks.GetCount() == 1 ? read.tracks.GetTrack(0)->GetLabel() : "(unreadable)";
    }

    TestFolder m_folder;
    CTimeline m_timeline;
    ResumePoint m_resume;
    int m_changes = 0;
    std::vector<std::optional<std::string>> m_reports;
    std::unique_ptr<Autosaver> m_saver;
};

TEST_F(AutosaverTest, WrittenAQuietMomentAfterTheChangesAndRemovedOnceNothingIsUnsaved)
{
    Tick(0, false);
    Change();
    Tick(100);
    Tick(2099);
    m_saver->Flush();
    EXPECT_FALSE(HasCopy()) << "the changes have not paused yet";
    EXPECT_TRUE(m_reports.empty());

    Tick(2100);
    m_saver->Flush();
    ASSERT_TRUE(HasCopy());
    const RecoveryCopyRead read = ReadRecoveryCopy(CopyFile());
    ASSERT_TRUE(read.readable);
    EXPECT_EQ(read.resume, m_resume);
    EXPECT_EQ(SavedBytes(read.tracks, m_folder.Path("a.xml")), SavedBytes(m_timeline.Tracks(), m_folder.Path("b.xml")));
    ASSERT_EQ(m_reports.size(), 1u);
    EXPECT_FALSE(m_reports[0]);

    // Another change rewrites the same copy.
    const QString first = m_saver->CopyPath();
    ChangeAndWaitForTheCopy(3000);
    EXPECT_EQ(m_saver->CopyPath(), first);
    EXPECT_EQ(CopiedLabel(), "piste 2");

    // Saved, or undone back to the saved state.
    Tick(5040, false);
    m_saver->Flush();
    EXPECT_FALSE(HasCopy());
    EXPECT_EQ(m_reports.size(), 2u) << "a removal is no write to report";

    // Edited again: a copy again, in the same place.
    Change();
    Tick(6000);
    Tick(8000);
    m_saver->Discard();
    EXPECT_FALSE(HasCopy());
}

TEST_F(AutosaverTest, AStateFolderThatCannotBeMadeIsToldAtEachWriteAndTriedAgainAtTheNextChange)
{
    // Root ignores a folder's mode: a plain file where the folder goes
    // stops everyone.
    WriteBytes(m_folder.Path("state"), "");
    ChangeAndWaitForTheCopy(0);
    ASSERT_EQ(m_reports.size(), 1u);
    ASSERT_TRUE(m_reports[0]);
    EXPECT_EQ(*m_reports[0], "\xC2\xAB " + m_folder.Path("state") + " \xC2\xBB n'est pas un dossier");

    Tick(10000);
    m_saver->Flush();
    EXPECT_EQ(m_reports.size(), 1u) << "no change, no new attempt";

    ChangeAndWaitForTheCopy(10040);
    ASSERT_EQ(m_reports.size(), 2u);
    EXPECT_TRUE(m_reports[1]);

    QFile::remove(m_folder.QPath("state"));
    ChangeAndWaitForTheCopy(13000);
    ASSERT_EQ(m_reports.size(), 3u);
    EXPECT_FALSE(m_reports[2]);
    EXPECT_EQ(CopiedLabel(), "piste 3");
}

TEST_F(AutosaverTest, AnAdoptedCopyIsRewrittenInPlaceAndRemovedOnceSaved)
{
    ASSERT_EQ(MakeStateFolder(m_folder.QPath("state/recovery")), "");
    auto claim = RecoveryClaim::CreateNew(m_folder.QPath("state/recovery"));
    ASSERT_TRUE(claim);
    const QString path = claim->CopyPath();
    m_saver->Adopt(std::move(claim));
    EXPECT_EQ(m_saver->CopyPath(), path);

    ChangeAndWaitForTheCopy(0);
    EXPECT_EQ(m_saver->CopyPath(), path);
    EXPECT_EQ(CopiedLabel(), "piste 1");
    Tick(2040, false);
    m_saver->Flush();
    EXPECT_FALSE(QFileInfo::exists(path));
}

// What a kill in the middle of a write leaves: the previous copy, whole.
TEST_F(AutosaverTest, AWriteHeldInItsMiddleLeavesThePreviousCopy)
{
    const QString hold = m_folder.QPath("hold");
    qputenv(Autosaver::kHoldVariable, hold.toUtf8());
    Make();
    qunsetenv(Autosaver::kHoldVariable);

    ChangeAndWaitForTheCopy(0);
    ASSERT_EQ(CopiedLabel(), "piste 1");

    WriteBytes(hold.toStdString(), "");
    Change();
    Tick(2040);
    Tick(4040);
    QDeadlineTimer deadline(30000);
    while (!QFileInfo::exists(hold + ".held") && !deadline.hasExpired())
        QThread::msleep(5);
    ASSERT_TRUE(QFileInfo::exists(hold + ".held"));
    EXPECT_EQ(CopiedLabel(), "piste 1");

    QFile::remove(hold);
    m_saver->Flush();
    EXPECT_EQ(CopiedLabel(), "piste 2");
}

} // namespace
