// The file commands through the real file dialogs and message boxes, as a
// user drives them: the dialog is found once shown, the name typed, Enter.

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "CAnnotatorApp.h"
#include "CAnnotatorDlg.h"
#include "ModelScrollBar.h"
#include "PlayerError.h"
#include "ScrollHandling.h"
#include "TestVideo.h"

namespace fs = std::filesystem;

namespace {

constexpr int kOpenVideoId = 1011;
constexpr int kOpenAnnotationId = 1035;
constexpr int kSaveAnnotationId = 1036;

// Answers the modal dialogs that open while a handler runs, one step per
// dialog in the order they open. A dialog beyond the steps is cancelled and
// counted, so a test never hangs on a question it did not expect.
class ModalDriver {
public:
    using Step = std::function<void(QWidget*)>;

    explicit ModalDriver(std::deque<Step> steps) : m_steps(std::move(steps))
    {
        m_poll.setInterval(20);
        QObject::connect(&m_poll, &QTimer::timeout, [this] { Poll(); });
        m_poll.start();
    }

    bool AllAnswered() const { return m_steps.empty(); }
    int Unexpected() const { return m_unexpected; }
    // What the unexpected dialogs were, for the failure message.
    const std::string& Seen() const { return m_seen; }

private:
    void Poll()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible())
            return;
        // A dialog answered before is still the active one for a moment
        // after the box it opened has closed.
        for (const QPointer<QWidget>& handled : m_handled)
            if (handled == modal)
                return;
        // Only the dialogs of a handler: the window's own failure boxes are
        // left for the test to read.
        if (modal->objectName() == CAnnotatorDlg::kErrorBoxName)
            return;
        m_handled.push_back(modal);
        if (m_steps.empty()) {
            ++m_unexpected;
            m_seen += std::string(modal->metaObject()->className()) + " \"" + modal->windowTitle().toStdString() + "\"";
            if (auto* box = qobject_cast<QMessageBox*>(modal))
                m_seen += ": " + box->text().toStdString();
            m_seen += "\n";
            if (auto* box = qobject_cast<QMessageBox*>(modal); box != nullptr && box->button(QMessageBox::Cancel))
                box->button(QMessageBox::Cancel)->click();
            else if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
            return;
        }
        // Acted on from the event loop, not from this timer's slot: a step
        // that opens another dialog would stop this timer until it closes.
        QTimer::singleShot(0, modal, [step = std::move(m_steps.front()), modal] { step(modal); });
        m_steps.pop_front();
    }

    std::deque<Step> m_steps;
    QTimer m_poll;
    std::vector<QPointer<QWidget>> m_handled;
    int m_unexpected = 0;
    std::string m_seen;
};

// How a file dialog was set up when it opened.
struct DialogSeen {
    QString title;
    QFileDialog::AcceptMode mode = QFileDialog::AcceptOpen;
    QFileDialog::FileMode fileMode = QFileDialog::AnyFile;
    bool qtDialog = false;
    QString defaultSuffix;
    QString proposedName;
    QStringList filters;
    QWidget* parent = nullptr;
    bool modal = false;
};

ModalDriver::Step TypeFileName(const std::string& path, DialogSeen* seen = nullptr)
{
    return [path, seen](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr) << modal->metaObject()->className();
        auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        if (seen != nullptr)
            *seen = {dialog->windowTitle(), dialog->acceptMode(), dialog->fileMode(),
                     dialog->testOption(QFileDialog::DontUseNativeDialog), dialog->defaultSuffix(), name->text(),
                     dialog->nameFilters(), dialog->parentWidget(), dialog->isModal()};
        name->setText(QString::fromStdString(path));
        QTest::keyClick(name, Qt::Key_Return);
    };
}

ModalDriver::Step CancelDialog()
{
    return [](QWidget* modal) {
        auto* dialog = qobject_cast<QDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->reject();
    };
}

// Records a message box's caption and text, then presses `button`.
ModalDriver::Step AnswerBox(QMessageBox::StandardButton button, QString* caption, QString* text)
{
    return [button, caption, text](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr) << modal->metaObject()->className();
        *caption = box->windowTitle();
        *text = box->text();
        ASSERT_NE(box->button(button), nullptr);
        box->button(button)->click();
    };
}

std::string Read(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

// A folder holding one file that no save may replace, even for root: the
// permissions first, then the immutable attribute; else a path in /proc.
class UnwritableFolder {
public:
    explicit UnwritableFolder(const fs::path& dir) : m_dir(dir)
    {
        fs::remove_all(dir);
        fs::create_directories(dir);
        std::ofstream(dir / "kept.xml") << "previous content";
        fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
        if (::access(dir.c_str(), W_OK) != 0)
            return;
        m_fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
        int flags = 0;
        if (m_fd >= 0 && ::ioctl(m_fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags |= FS_IMMUTABLE_FL;
            m_immutable = ::ioctl(m_fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
    }
    ~UnwritableFolder()
    {
        if (m_immutable) {
            int flags = 0;
            ::ioctl(m_fd, FS_IOC_GETFLAGS, &flags);
            flags &= ~FS_IMMUTABLE_FL;
            ::ioctl(m_fd, FS_IOC_SETFLAGS, &flags);
        }
        if (m_fd >= 0)
            ::close(m_fd);
        fs::permissions(m_dir, fs::perms::owner_all);
    }
    UnwritableFolder(const UnwritableFolder&) = delete;
    UnwritableFolder& operator=(const UnwritableFolder&) = delete;

    // False when only /proc could be used: no earlier file to check there.
    bool HoldsKeptFile() const { return ::access(m_dir.c_str(), W_OK) != 0; }
    std::string Target() const
    {
        return HoldsKeptFile() ? (m_dir / "kept.xml").string() : "/proc/quillmark-annotations.xml";
    }
    std::string Kept() const { return Read(m_dir / "kept.xml"); }

private:
    fs::path m_dir;
    int m_fd = -1;
    bool m_immutable = false;
};

// A video of exactly `seconds`: 40 frames a second and no sound, so that no
// stream runs past the duration asked for (25 fps would round 2.5 s up).
std::string MakeExactVideo(const std::string& name, double seconds)
{
    const fs::path path = fs::path(QUILL_TEST_DATA_DIR) / name;
    if (fs::exists(path))
        return path.string();
    const fs::path partial = fs::path(QUILL_TEST_DATA_DIR) / ("partial-" + name);
    QProcess ffmpeg;
    ffmpeg.setProcessChannelMode(QProcess::MergedChannels);
    ffmpeg.start("ffmpeg", {"-loglevel", "error", "-y", "-f", "lavfi", "-i",
                            QString("testsrc=size=160x120:rate=40:duration=%1").arg(seconds), "-c:v", "libx264",
                            "-pix_fmt", "yuv420p", QString::fromStdString(partial.string())});
    if (!ffmpeg.waitForFinished(60000) || ffmpeg.exitCode() != 0)
        throw std::runtime_error("ffmpeg failed: " + ffmpeg.readAll().toStdString());
    fs::rename(partial, path);
    return path.string();
}

class FileDialogs : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_short = MakeExactVideo("exact-2500ms.mp4", 2.5);
        s_long = MakeTestVideo(QUILL_TEST_DATA_DIR, "files-4000ms.mp4", 4.0, 160, 120);
    }

    void SetUp() override
    {
        m_dir = fs::path(QUILL_TEST_DATA_DIR) / "file-dialogs";
        fs::create_directories(m_dir);
        for (const auto& entry : fs::directory_iterator(m_dir))
            fs::remove_all(entry.path());
        m_window = std::make_unique<CAnnotatorDlg>();
        m_window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
    }

    void TearDown() override
    {
        for (QMessageBox* box : m_window->findChildren<QMessageBox*>())
            box->close();
        // Straight to the closing steps: the question on close has its own tests.
        if (m_window->isVisible())
            m_window->OnClose();
        m_window.reset();
    }

    void Click(int id) { qobject_cast<QPushButton*>(m_window->Control(id))->click(); }

    std::string Path(const std::string& name) const { return (m_dir / name).string(); }

    // A change as the editing commands make it.
    void Edit()
    {
        AnnotationEditor& editor = m_window->Editor();
        Track* track = editor.AddTrack();
        editor.SetTrackLabel(track, "Séquence « B »");
        CTimeline& timeline = m_window->m_timeline;
        timeline.m_selectedTrack = timeline.m_tracks.GetCount() - 1;
        editor.UpdateSegment(editor.CutSegment(timeline.m_selectedTrack), {"Passe décisive", " ", 10.0, 20.0});
    }

    QList<QMessageBox*> ErrorBoxes() const
    {
        return m_window->findChildren<QMessageBox*>(CAnnotatorDlg::kErrorBoxName);
    }

    static std::string s_short;
    static std::string s_long;
    fs::path m_dir;
    std::unique_ptr<CAnnotatorDlg> m_window;
};

std::string FileDialogs::s_short;
std::string FileDialogs::s_long;

} // namespace

TEST_F(FileDialogs, AVideoSetsTheTimeRangeFromItsDuration)
{
    DialogSeen seen;
    ModalDriver driver({TypeFileName(s_short, &seen)});
    Click(kOpenVideoId);
    EXPECT_TRUE(driver.AllAnswered());
    EXPECT_EQ(driver.Unexpected(), 0) << driver.Seen();

    EXPECT_EQ(seen.title, QString("Ouvrir une vidéo"));
    EXPECT_EQ(seen.mode, QFileDialog::AcceptOpen);
    EXPECT_EQ(seen.fileMode, QFileDialog::ExistingFile);
    EXPECT_TRUE(seen.qtDialog);
    EXPECT_TRUE(seen.defaultSuffix.isEmpty());
    EXPECT_TRUE(seen.proposedName.isEmpty());
    for (const QString& filter : seen.filters)
        EXPECT_TRUE(filter.contains("(*)") || filter == "*") << filter.toStdString();
    EXPECT_EQ(seen.parent, m_window.get());
    EXPECT_TRUE(seen.modal);

    ASSERT_TRUE(m_window->m_movie.HasMovie());
    EXPECT_EQ(m_window->m_movie.GetDuration(), 2500);
    const ScrollBarModel& time = m_window->m_timeBar->Model();
    EXPECT_EQ(time.GetMin(), 0);
    EXPECT_EQ(time.GetMax(), 250);
    EXPECT_EQ(m_window->m_timeBar->maximum(), time.GetMax() - time.GetPage() + 1) << "the widget shows the model";
    // The zoom stayed at 0 and the page covers the new range.
    EXPECT_EQ(m_window->m_zoomBar->Model().GetPosition(), 0);
    EXPECT_EQ(time.GetPage(), ZoomPage(251, 0));
    EXPECT_TRUE(ErrorBoxes().isEmpty());
}

TEST_F(FileDialogs, ACancelledVideoDialogStillStepsTheZoom)
{
    m_window->m_timeBar->Model().Set(0, 1000, 1001, 0);
    m_window->m_zoomBar->Model().SetPosition(5);
    m_window->m_zoomBar->SyncFromModel();
    ModalDriver driver({CancelDialog()});
    Click(kOpenVideoId);
    EXPECT_TRUE(driver.AllAnswered());
    EXPECT_FALSE(m_window->m_movie.HasMovie());
    EXPECT_EQ(m_window->m_player->GetMovie(), nullptr);
    EXPECT_EQ(m_window->m_zoomBar->Model().GetPosition(), 4);
    EXPECT_EQ(m_window->m_zoomBar->value(), 4);
    EXPECT_EQ(m_window->m_timeBar->Model().GetMax(), 1000);
    EXPECT_EQ(m_window->m_timeBar->Model().GetPage(), ZoomPage(1001, 4));
}

TEST_F(FileDialogs, ASecondVideoReplacesTheMovie)
{
    {
        ModalDriver driver({TypeFileName(s_short)});
        Click(kOpenVideoId);
    }
    std::weak_ptr<CQTMovie> first = m_window->m_player->GetMovie();
    ASSERT_FALSE(first.expired());
    {
        ModalDriver driver({TypeFileName(s_long)});
        Click(kOpenVideoId);
        EXPECT_TRUE(driver.AllAnswered());
    }
    EXPECT_TRUE(first.expired()) << "the first movie object is released";
    EXPECT_EQ(m_window->m_movie.GetDuration(), 4000);
    EXPECT_EQ(m_window->m_timeBar->Model().GetMax(), 400);
    m_window->m_movie.SetTime(3000);
    m_window->OnTimer();
    EXPECT_DOUBLE_EQ(m_window->m_timeline.m_currentTime, 300.0);
}

TEST_F(FileDialogs, AFileThatIsNotAVideoIsReportedAndTheWindowGoesOn)
{
    {
        ModalDriver driver({TypeFileName(s_short)});
        Click(kOpenVideoId);
    }
    m_window->m_zoomBar->Model().SetPosition(3);
    const std::string junk = Path("notes de séance.mp4");
    std::ofstream(junk) << "ceci n'est pas une vidéo\n";
    {
        ModalDriver driver({TypeFileName(junk)});
        Click(kOpenVideoId);
        EXPECT_TRUE(driver.AllAnswered());
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return !ErrorBoxes().isEmpty(); }, 2000));
    ASSERT_EQ(ErrorBoxes().size(), 1);
    const std::string text = ErrorBoxes()[0]->text().toStdString();
    EXPECT_NE(text.find("Impossible d'ouvrir la vidéo"), std::string::npos) << text;
    EXPECT_NE(text.find(junk), std::string::npos) << text;
    EXPECT_EQ(m_window->m_timeBar->Model().GetMax(), 250) << "the time bar keeps its range";
    EXPECT_EQ(m_window->m_zoomBar->Model().GetPosition(), 3) << "the handler ended at the failing step";
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_TRUE(m_window->IsTimerRunning());

    // The player is still usable.
    ModalDriver driver({TypeFileName(s_long)});
    Click(kOpenVideoId);
    EXPECT_EQ(m_window->m_timeBar->Model().GetMax(), 400);
}

TEST_F(FileDialogs, SaveAndOpenRoundTripByteForByte)
{
    DialogSeen save, open;
    {
        ModalDriver driver({TypeFileName(Path("exemple.xml"), &save)});
        Click(kSaveAnnotationId);
        EXPECT_TRUE(driver.AllAnswered());
    }
    EXPECT_EQ(save.title, QString("Sauvegarde"));
    EXPECT_EQ(save.mode, QFileDialog::AcceptSave);
    EXPECT_TRUE(save.qtDialog);
    EXPECT_TRUE(save.defaultSuffix.isEmpty());
    EXPECT_TRUE(save.proposedName.isEmpty());
    EXPECT_EQ(save.parent, m_window.get());
    ASSERT_TRUE(fs::exists(Path("exemple.xml"))) << "a new file can be saved";

    Edit();
    EXPECT_TRUE(m_window->HasUnsavedChanges());
    {
        // The file exists now: the dialog asks before replacing it.
        QString caption, text;
        ModalDriver driver(
            {TypeFileName(Path("exemple.xml")), AnswerBox(QMessageBox::Yes, &caption, &text)});
        Click(kSaveAnnotationId);
        EXPECT_TRUE(driver.AllAnswered());
        EXPECT_EQ(driver.Unexpected(), 0) << driver.Seen();
    }
    EXPECT_FALSE(m_window->HasUnsavedChanges());
    const std::string saved = Read(Path("exemple.xml"));
    EXPECT_NE(saved.find("Séquence « B »"), std::string::npos);

    while (m_window->m_timeline.m_tracks.GetCount() > 0)
        m_window->Editor().DeleteTrack(0);
    {
        QString caption, text;
        ModalDriver driver({AnswerBox(QMessageBox::Ok, &caption, &text), TypeFileName(Path("exemple.xml"), &open)});
        Click(kOpenAnnotationId);
        EXPECT_TRUE(driver.AllAnswered());
        EXPECT_EQ(driver.Unexpected(), 0) << driver.Seen();
        EXPECT_EQ(caption, QString("Confirmation"));
    }
    EXPECT_EQ(open.title, QString("Ouverture"));
    EXPECT_EQ(open.mode, QFileDialog::AcceptOpen);
    EXPECT_EQ(open.fileMode, QFileDialog::ExistingFile);
    EXPECT_EQ(m_window->m_timeline.m_tracks.GetCount(), 2);
    EXPECT_FALSE(m_window->HasUnsavedChanges());

    {
        ModalDriver driver({TypeFileName(Path("copie élève.xml"))});
        Click(kSaveAnnotationId);
    }
    EXPECT_EQ(Read(Path("copie élève.xml")), saved);
}

TEST_F(FileDialogs, ASaveThatFailsIsReportedAndKeepsTheEarlierFile)
{
    UnwritableFolder folder(m_dir / "locked");
    Edit();
    QString replaceCaption, replaceText, caption, text;
    std::deque<ModalDriver::Step> steps{TypeFileName(folder.Target())};
    // Replacing the earlier file is confirmed in the dialog first.
    if (folder.HoldsKeptFile())
        steps.push_back(AnswerBox(QMessageBox::Yes, &replaceCaption, &replaceText));
    steps.push_back(AnswerBox(QMessageBox::Ok, &caption, &text));
    ModalDriver driver(std::move(steps));
    Click(kSaveAnnotationId);
    EXPECT_TRUE(driver.AllAnswered());
    EXPECT_EQ(driver.Unexpected(), 0) << driver.Seen();
    EXPECT_EQ(caption, QString("Confirmation"));
    EXPECT_EQ(text, QString("le fichier n'a pas été enregistré"));
    if (folder.HoldsKeptFile())
        EXPECT_EQ(folder.Kept(), "previous content");
    EXPECT_TRUE(m_window->HasUnsavedChanges());
}

TEST_F(FileDialogs, AFileThatCannotBeReadIsToldOnce)
{
    std::ofstream(Path("vide.xml")).flush();
    QString caption, text;
    ModalDriver driver({TypeFileName(Path("vide.xml")), AnswerBox(QMessageBox::Ok, &caption, &text)});
    Click(kOpenAnnotationId);
    EXPECT_TRUE(driver.AllAnswered());
    QTest::qWait(100);
    EXPECT_EQ(driver.Unexpected(), 0) << "told once";
    EXPECT_EQ(caption, QString("Confirmation"));
    EXPECT_EQ(text, QString("le fichier n'a pas été ouvert"));
    EXPECT_EQ(m_window->m_timeline.m_tracks.GetCount(), 1);
    EXPECT_FALSE(m_window->HasUnsavedChanges());
}

TEST_F(FileDialogs, ClosingAsksOnlyWhenWorkWouldBeLost)
{
    Edit();
    QString caption, text;
    {
        ModalDriver driver({AnswerBox(QMessageBox::Cancel, &caption, &text)});
        m_window->close();
        EXPECT_TRUE(driver.AllAnswered());
    }
    EXPECT_EQ(caption, QString("Confirmation"));
    EXPECT_EQ(text, QString("Les annotations ont été modifiées et ne sont pas enregistrées. Continuer quand même ?"));
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_EQ(m_window->m_mouseState, CAnnotatorDlg::MOUSE_IDLE);
    EXPECT_TRUE(m_window->IsTimerRunning());
    EXPECT_EQ(m_window->m_timeline.m_tracks.GetCount(), 2);

    {
        ModalDriver driver({TypeFileName(Path("fin.xml"))});
        Click(kSaveAnnotationId);
    }
    ModalDriver none({});
    m_window->close();
    QTest::qWait(100);
    EXPECT_EQ(none.Unexpected(), 0) << "nothing to lose after a save";
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_EQ(m_window->m_mouseState, CAnnotatorDlg::MOUSE_CLOSING);
}

TEST_F(FileDialogs, OkOnTheQuestionCloses)
{
    Edit();
    QString caption, text;
    ModalDriver driver({AnswerBox(QMessageBox::Ok, &caption, &text)});
    m_window->close();
    EXPECT_TRUE(driver.AllAnswered());
    EXPECT_EQ(driver.Unexpected(), 0) << driver.Seen();
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_EQ(m_window->m_mouseState, CAnnotatorDlg::MOUSE_CLOSING);
}

TEST_F(FileDialogs, StartFilesOpenAsFromTheDialogs)
{
    Edit();
    {
        ModalDriver driver({TypeFileName(Path("depart.xml"))});
        Click(kSaveAnnotationId);
    }
    m_window->OnClose();
    m_window = std::make_unique<CAnnotatorDlg>();
    m_window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));

    StartOptions options;
    options.video = s_short;
    options.annotations = Path("depart.xml");
    options.folder = m_dir.string();
    m_window->m_zoomBar->Model().SetPosition(2);
    m_window->OpenStartFiles(options);
    EXPECT_EQ(m_window->m_timeline.m_tracks.GetCount(), 2);
    EXPECT_FALSE(m_window->HasUnsavedChanges()) << "the loaded file is the saved state";
    EXPECT_EQ(m_window->m_annotationFolder, m_dir.string());
    EXPECT_EQ(m_window->m_timeBar->Model().GetMax(), 250);
    EXPECT_EQ(m_window->m_zoomBar->Model().GetPosition(), 1);
    EXPECT_TRUE(ErrorBoxes().isEmpty());
}

TEST_F(FileDialogs, APlayerThatCannotStartIsToldAndTheExitStatusSaysSo)
{
    CAnnotatorApp app;
    app.SetWindowFactory([]() -> std::unique_ptr<CAnnotatorDlg> { throw PlayerError::EngineUnavailable(); });
    QString caption, text;
    ModalDriver driver({AnswerBox(QMessageBox::Ok, &caption, &text)});
    EXPECT_FALSE(app.InitInstance());
    EXPECT_TRUE(driver.AllAnswered());
    EXPECT_NE(app.ExitCode(), 0);
    EXPECT_TRUE(text.startsWith("Quillmark n'a pas pu démarrer.")) << text.toStdString();
    EXPECT_TRUE(text.contains("Le lecteur vidéo n'a pas pu démarrer.")) << text.toStdString();
}

TEST_F(FileDialogs, TheApplicationOpensTheCommandLineFilesOnceTheWindowIsUp)
{
    {
        ModalDriver driver({TypeFileName(Path("ligne.xml"))});
        Edit();
        Click(kSaveAnnotationId);
    }
    StartOptions options;
    options.video = s_short;
    options.annotations = Path("ligne.xml");
    options.folder = m_dir.string();

    // Looks at the application's own window from inside its modal run,
    // then closes it.
    int tracks = -1;
    int timeMax = -1;
    std::string folder;
    QTimer poll;
    poll.setInterval(20);
    QElapsedTimer waited;
    waited.start();
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* window = qobject_cast<CAnnotatorDlg*>(widget);
            if (window == nullptr || window == m_window.get() || !window->isVisible())
                continue;
            if (window->m_timeBar->Model().GetMax() == 100 && !waited.hasExpired(10000))
                return; // not opened yet
            tracks = window->m_timeline.m_tracks.GetCount();
            timeMax = window->m_timeBar->Model().GetMax();
            folder = window->m_annotationFolder;
            poll.stop();
            window->close();
        }
    });
    poll.start();
    CAnnotatorApp app(options);
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(app.ExitCode(), 0);
    EXPECT_EQ(tracks, 2);
    EXPECT_EQ(timeMax, 250);
    EXPECT_EQ(folder, m_dir.string()) << "showing the window must not clear the folder given";
}
