#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileSystemModel>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "CAnnotatorDlg.h"
#include "CFolderDialog.h"
#include "ControlPicture.h"
#include "MainWindowFixture.h"
#include "TestVideo.h"

namespace {

constexpr int kWaitMs = 5000;
const QSize kCompanionSize(160, 120);

// The companion videos differ by their length, so a test can tell which one
// is loaded: annotation1 lasts 2 s, annotation2 3 s.
std::string CompanionFolder()
{
    static const std::string folder = [] {
        const std::string dir = std::string(QUILL_TEST_DATA_DIR) + "/companions";
        MakeTestVideo(dir, "annotation1.mov", 2.0, kCompanionSize.width(), kCompanionSize.height());
        MakeTestVideo(dir, "annotation2.mov", 3.0, kCompanionSize.width(), kCompanionSize.height());
        return dir;
    }();
    return folder;
}

std::string MainVideo()
{
    static const std::string path = MakeTestVideo(QUILL_TEST_DATA_DIR, "companion-main.mp4", 6.0, 160, 120);
    return path;
}

QPushButton* ConfirmButton(QFileDialog& dialog)
{
    auto* box = dialog.findChild<QDialogButtonBox*>();
    return box == nullptr ? nullptr : box->button(QDialogButtonBox::Open);
}

QPushButton* CancelButton(QFileDialog& dialog)
{
    auto* box = dialog.findChild<QDialogButtonBox*>();
    return box == nullptr ? nullptr : box->button(QDialogButtonBox::Cancel);
}

// Waits until the folder's entry is listed, then double-clicks it as a user
// does to go into it; false when it never shows.
bool OpenListedFolder(QFileDialog& dialog, const QString& path)
{
    auto* view = dialog.findChild<QListView*>("listView");
    if (view == nullptr)
        return false;
    auto* model = qobject_cast<QFileSystemModel*>(view->model());
    if (model == nullptr)
        return false;
    QModelIndex index;
    if (!QTest::qWaitFor([&] {
            index = model->index(path);
            return index.isValid() && view->visualRect(index).isValid() && !view->visualRect(index).isEmpty();
        }, kWaitMs))
        return false;
    view->scrollTo(index);
    const QPoint at = view->visualRect(index).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    return QTest::qWaitFor([&] { return QDir(dialog.directory()) == QDir(path); }, kWaitMs);
}

// Runs `act` on the folder chooser once it is the active modal dialog.
void WhenChooserOpens(std::function<void(CFolderDialog&)> act, bool* ran)
{
    auto* poll = new QTimer;
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, act, ran] {
        auto* dialog = qobject_cast<CFolderDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        *ran = true;
        act(*dialog);
    });
    poll->start();
}

class FolderChooser : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_root.isValid());
        ASSERT_TRUE(QDir(m_root.path()).mkpath("annotations/séance 1"));
        m_annotations = QDir(m_root.path()).absoluteFilePath("annotations");
        m_session = QDir(m_annotations).absoluteFilePath("séance 1");
    }

    // Opens a chooser on `start` with "before" as its target and runs `act`.
    void Run(const QString& start, const std::function<void(CFolderDialog&)>& act)
    {
        CFolderDialog dialog(m_target);
        dialog.setDirectory(start);
        dialog.open();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        act(dialog);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog.isVisible(); }, kWaitMs));
    }

    QTemporaryDir m_root;
    QString m_annotations;
    QString m_session;
    std::string m_target = "before";
};

class Companion : public MainWindowFixture {
protected:
    void SetUp() override
    {
        CompanionFolder();
        MainWindowFixture::SetUp();
        if (HasFatalFailure())
            return;
        m_window->OpenVideo(MainVideo());
        ASSERT_TRUE(m_window->Movie().HasMovie());

        // Timeline times: 100 of them per second of the main video; the file
        // holds them times 100.
        OpenAnnotations("companion.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<corps><piste libelle=\" \">"
                                         "<segment debut=\"2000\" fin=\"18000\"><contenu video=\"1\"/></segment>"
                                         "<segment debut=\"20000\" fin=\"38000\"><contenu video=\"0\"/></segment>"
                                         "<segment debut=\"40000\" fin=\"56000\"><contenu video=\"2\"/></segment>"
                                         "</piste></corps>\n");
        ASSERT_EQ(Timeline().Tracks().GetCount(), 1);
        ASSERT_EQ(Timeline().m_selectedTrack, 0);
    }
    // As the command line's --folder sets it.
    void SetFolder(const std::string& folder)
    {
        StartOptions options;
        options.folder = folder;
        m_window->OpenStartFiles(options);
    }
    // What the companion holds: the length of its file in ms, 0 when empty.
    int32_t CompanionLength() { return m_window->CompanionPlayer().Engine().Duration(); }
    // Which frame of its file the companion shows; -1 when black or unreadable.
    int CompanionFrame() { return ShownFrame(m_window->CompanionPlayer(), kCompanionSize); }
};

} // namespace

TEST_F(FolderChooser, TitleAndConfirmLabel)
{
    Run(m_annotations, [&](CFolderDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle().toStdString(), "Choisir le dossier d'annotations vidéo");
        EXPECT_TRUE(dialog.isModal());
        QPushButton* confirm = ConfirmButton(dialog);
        ASSERT_NE(confirm, nullptr);
        EXPECT_EQ(confirm->text().toStdString(), "Selectionner");
        EXPECT_EQ(CancelButton(dialog)->text().toStdString(), "Annuler");
        // Browsing must not bring Qt's own label back.
        ASSERT_TRUE(OpenListedFolder(dialog, m_session));
        EXPECT_EQ(confirm->text().toStdString(), "Selectionner");
        dialog.reject();
    });
}

TEST_F(FolderChooser, ConfirmStoresTheFolderOnDisplay)
{
    Run(m_root.path(), [&](CFolderDialog& dialog) {
        ASSERT_TRUE(OpenListedFolder(dialog, m_annotations));
        ASSERT_TRUE(OpenListedFolder(dialog, m_session));
        QTest::mouseClick(ConfirmButton(dialog), Qt::LeftButton);
    });
    EXPECT_EQ(m_target, m_session.toStdString());
}

TEST_F(FolderChooser, ConfirmTakesTheFolderBrowsedNotTheEntryHighlightedInIt)
{
    Run(m_annotations, [&](CFolderDialog& dialog) {
        auto* view = dialog.findChild<QListView*>("listView");
        auto* model = qobject_cast<QFileSystemModel*>(view->model());
        ASSERT_TRUE(QTest::qWaitFor([&] { return model->index(m_session).isValid(); }, kWaitMs));
        view->setCurrentIndex(model->index(m_session));
        QTest::mouseClick(ConfirmButton(dialog), Qt::LeftButton);
    });
    EXPECT_EQ(m_target, m_annotations.toStdString());
}

TEST_F(FolderChooser, OpensOnTheFolderChosenBeforeWhileItExists)
{
    m_target = m_session.toStdString();
    EXPECT_EQ(QDir(CFolderDialog(m_target).directory()), QDir(m_session));
    m_target = m_session.toStdString() + "/gone";
    EXPECT_TRUE(CFolderDialog(m_target).directory().exists());
}

TEST_F(FolderChooser, RootKeepsItsSeparator)
{
    Run("/", [&](CFolderDialog& dialog) { QTest::mouseClick(ConfirmButton(dialog), Qt::LeftButton); });
    EXPECT_EQ(m_target, "/");
    EXPECT_EQ(CFolderDialog::FolderText("/tmp/"), "/tmp");
}

TEST_F(FolderChooser, CancelAndCloseBoxLeaveTheFolderUnchanged)
{
    Run(m_annotations, [&](CFolderDialog& dialog) {
        ASSERT_TRUE(OpenListedFolder(dialog, m_session));
        QTest::mouseClick(CancelButton(dialog), Qt::LeftButton);
    });
    EXPECT_EQ(m_target, "before");

    Run(m_annotations, [&](CFolderDialog& dialog) { dialog.close(); });
    EXPECT_EQ(m_target, "before");

    Run(m_annotations, [&](CFolderDialog& dialog) {
        // As the user types: once the dialog has the keyboard, to its focus.
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus != nullptr ? focus : &dialog, Qt::Key_Escape);
    });
    EXPECT_EQ(m_target, "before");
}

TEST_F(Companion, ChooserButtonSetsTheFolderWithoutReloadingTheCompanion)
{
    SetFolder(CompanionFolder());
    m_window->Movie().SetTime(1000); // the segment of video 1
    ASSERT_TRUE(QTest::qWaitFor([&] { return CompanionLength() == 2000; }, kWaitMs));
    const CQTMoviePtr shown = m_window->CompanionPlayer().GetMovie();

    QTemporaryDir other;
    bool ran = false;
    WhenChooserOpens(
        [&](CFolderDialog& dialog) {
            dialog.setDirectory(other.path());
            QTest::mouseClick(ConfirmButton(dialog), Qt::LeftButton);
        },
        &ran);
    QTest::mouseClick(qobject_cast<QPushButton*>(m_window->Control(kChooseFolderId)), Qt::LeftButton);
    EXPECT_TRUE(ran);
    EXPECT_EQ(m_window->AnnotationFolder(), QDir(other.path()).absolutePath().toStdString());
    // Ticks go on under the same number: the file shown is the same object still.
    m_window->Movie().SetTime(1100);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Timeline().m_currentTime == 110.0; }, kWaitMs));
    EXPECT_EQ(m_window->CompanionPlayer().GetMovie(), shown);
    EXPECT_EQ(m_window->ShownVideo(), 1);

    ran = false;
    WhenChooserOpens([&](CFolderDialog& dialog) { dialog.close(); }, &ran);
    QTest::mouseClick(qobject_cast<QPushButton*>(m_window->Control(kChooseFolderId)), Qt::LeftButton);
    EXPECT_TRUE(ran);
    EXPECT_EQ(m_window->AnnotationFolder(), QDir(other.path()).absolutePath().toStdString());
}

TEST_F(Companion, FollowsTheNumberUnderTheTimeAcrossSegments)
{
    SetFolder(CompanionFolder());
    CQTControl& companion = m_window->CompanionPlayer();

    // The tick that switches asks for the file and goes on: the file opens
    // while later ticks run.
    m_window->Movie().SetTime(1000);
    m_window->OnTimer();
    EXPECT_EQ(m_window->ShownVideo(), 1);
    EXPECT_EQ(companion.Source(), CompanionFolder() + "/annotation1.mov");
    EXPECT_TRUE(companion.Engine().IsOpening());
    EXPECT_FALSE(companion.Engine().IsLoaded());
    EXPECT_TRUE(QTest::qWaitFor([&] { return CompanionLength() == 2000 && CompanionFrame() == 0; }, kWaitMs))
        << CompanionLength() << " " << CompanionFrame();

    m_window->Movie().SetTime(2900);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_window->ShownVideo() == 0; }, kWaitMs));
    EXPECT_TRUE(QTest::qWaitFor([&] { return companion.GetMovie() == nullptr && CompanionLength() == 0; }, kWaitMs));
    EXPECT_EQ(companion.Source(), "");
    EXPECT_TRUE(QTest::qWaitFor([&] { return ShowsBlack(companion); }, kWaitMs));

    m_window->Movie().SetTime(4900);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_window->ShownVideo() == 2; }, kWaitMs));
    EXPECT_EQ(companion.Source(), CompanionFolder() + "/annotation2.mov");
    EXPECT_TRUE(QTest::qWaitFor([&] { return CompanionLength() == 3000 && CompanionFrame() == 0; }, kWaitMs))
        << CompanionLength() << " " << CompanionFrame();
    EXPECT_TRUE(m_window->findChildren<QMessageBox*>(CAnnotatorDlg::kErrorBoxName).isEmpty());
}

// A file that is not there fails at once; one that is not a video fails
// once the player has tried to open it, after the tick has gone on.
class CompanionFailure : public Companion, public testing::WithParamInterface<const char*> {};

TEST_P(CompanionFailure, IsReportedOnceAndNotRetriedWhileTheNumberStands)
{
    QTemporaryDir empty;
    SetFolder(empty.path().toStdString());
    if (std::string(GetParam()) == "unreadable") {
        QFile junk(QDir(empty.path()).absoluteFilePath("annotation1.mov"));
        ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray(4096, 'x'));
    }
    m_window->Movie().SetTime(1000);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_window->ShownVideo() == 1; }, kWaitMs));
    QMessageBox* box = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        const auto boxes = m_window->findChildren<QMessageBox*>(CAnnotatorDlg::kErrorBoxName);
        box = boxes.isEmpty() ? nullptr : boxes.first();
        return box != nullptr && box->isVisible();
    }, kWaitMs));
    EXPECT_NE(box->text().toStdString().find("annotation1.mov"), std::string::npos) << box->text().toStdString();
    // The tick goes on behind the box; once dismissed, the box stays away.
    box->close();
    for (int time : {1100, 1200}) {
        m_window->Movie().SetTime(time);
        EXPECT_TRUE(QTest::qWaitFor([&] { return Timeline().m_currentTime == time / 10; }, kWaitMs));
    }
    int shown = 0;
    for (const QMessageBox* b : m_window->findChildren<QMessageBox*>(CAnnotatorDlg::kErrorBoxName))
        shown += b->isVisible() ? 1 : 0;
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(CompanionLength(), 0);
    EXPECT_FALSE(m_window->CompanionPlayer().Engine().IsOpening());
}

INSTANTIATE_TEST_SUITE_P(Files, CompanionFailure, testing::Values("missing", "unreadable"));

TEST_F(Companion, FollowsTheSegmentsWhileTheMainVideoPlays)
{
    SetFolder(CompanionFolder());
    // What the companion holds at each moment, without repeats; and how long
    // the GUI thread was held, as a 5 ms probe sees it: over the whole run,
    // and at the probes that see the companion switch or its file open.
    std::vector<int32_t> lengths;
    int shown = 0;
    qint64 longest = 0;
    qint64 longestAtCompanion = 0;
    QElapsedTimer sinceProbe;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const qint64 gap = sinceProbe.restart();
        longest = std::max(longest, gap);
        const int32_t length = CompanionLength();
        if (lengths.empty() || lengths.back() != length || shown != m_window->ShownVideo())
            longestAtCompanion = std::max(longestAtCompanion, gap);
        if (lengths.empty() || lengths.back() != length)
            lengths.push_back(length);
        shown = m_window->ShownVideo();
    });
    m_window->Player().Engine().SetPlaying(true);
    // Measured once playback runs.
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_window->Movie().GetTime() > 0; }, kWaitMs));
    sinceProbe.start();
    probe.start(5);
    const bool ended = QTest::qWaitFor([&] { return m_window->Player().Engine().AtEnd(); }, 15000);
    probe.stop();
    EXPECT_TRUE(ended);
    EXPECT_EQ(lengths, (std::vector<int32_t>{0, 2000, 0, 3000, 0}));
    EXPECT_EQ(m_window->ShownVideo(), 0);
    std::printf("GUI thread held at most %lld ms at a companion switch or opening, %lld ms over the run\n",
                static_cast<long long>(longestAtCompanion), static_cast<long long>(longest));
}
