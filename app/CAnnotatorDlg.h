#pragma once

#include <map>
#include <string>

#include <QDialog>
#include <QIcon>
#include <QMessageBox>
#include <QPoint>
#include <QPointer>
#include <QTimer>

#include "AnnotationEditor.h"
#include "Autosaver.h"
#include "CMovieDriver.h"
#include "CQTControl.h"
#include "CSegmentDlg.h"
#include "CTimelineView.h"
#include "CTrackDlg.h"
#include "CommandLine.h"
#include "FailureSeries.h"
#include "FileCommands.h"
#include "PointerDecision.h"
#include "RecoveryStore.h"
#include "Shortcuts.h"
#include "Timeline.h"
#include "UserPrompt.h"

class ModelScrollBar;
class ScrollBarModel;
class QAction;
class QCloseEvent;
class QContextMenuEvent;
class QFrame;
class QKeyEvent;
class QMenu;
class QPlainTextEdit;
class QShowEvent;

// The main window: owns the annotations, both players and the timeline for
// the whole run, and refreshes everything from one 40 ms tick.
class CAnnotatorDlg : public QDialog, public UserPrompt {
    Q_OBJECT
public:
    // The pointer's states, shared with the decision of each tick.
    using enum ::MouseState;
    static constexpr int kTimerPeriodMs = 40;
    static constexpr unsigned kAboutCommand = 16;
    static constexpr unsigned kCloseCommand = 0xF060;
    // The object name of the boxes that report failures.
    static constexpr const char* kErrorBoxName = "errorBox";

    // `audio`: where both players' sound goes (tests ask for silence).
    explicit CAnnotatorDlg(const AudioOutput& audio = AudioOutput::System(), QWidget* parent = nullptr);
    ~CAnnotatorDlg() override;

    // Runs once, when the window is first shown (the window's icon stands in
    // for the minimised-window painting of OnPaint, which Qt does itself): the players need a shown
    // window before their first load, and the timeline a parent to lay over.
    bool OnInitDialog();
    // Edit 1027 <-> m_segmentText; true copies from the control.
    void DoDataExchange(bool fromControls);
    void OnSysCommand(unsigned id, long param);
    QIcon OnQueryDragIcon() const { return m_hIcon; }
    void OnHScroll(int code, int position, ModelScrollBar* bar);
    void OnVScroll(int code, int position, ModelScrollBar* bar);
    void OnClose();
    // The refresh tick.
    void OnTimer();
    // Menu commands of the timeline's context menus arrive here.
    void OnCommand(int command);

    // File commands (CAnnotatorDlgFiles.cpp).
    void OnOpenVideo();
    void OnOpenAnnotationFile();
    void OnSaveAnnotationFile();
    // What OnOpenVideo does with a chosen file, up to the time bar's range.
    void OpenVideo(const std::string& path);
    // The command line's files, opened once the window is shown as if
    // chosen in the dialogs; the folder as if chosen in the folder chooser.
    void OpenStartFiles(const StartOptions& options);
    bool HasUnsavedChanges() const { return m_files.HasUnsavedChanges(); }
    // Ctrl+S: into the current annotation file, or through the dialog.
    void OnSaveToCurrentFile();

    // "Exporter…" and Ctrl+E (CAnnotatorDlgExport.cpp).
    void OnExport();

    // Editing commands (CAnnotatorDlgEditing.cpp).
    void OnMarkStart();
    void OnMarkEnd();
    void OnEditTrack();
    void OnAddTrack();
    void OnDeleteTrack();
    void OnMoveTrackUp();
    void OnMoveTrackDown();
    void OnEditSegment();
    void OnDeleteSegment();
    // The one way every change to the annotations goes, with its history.
    AnnotationEditor& Editor() { return m_editor; }

    // Keyboard shortcuts (CAnnotatorDlgShortcuts.cpp).
    void OnShortcut(ShortcutCommand command);
    // The caption: the current file and a star for unsaved work.
    void UpdateCaption();

    // Pointer over the timeline (CAnnotatorDlgPointer.cpp).
    void PollPointer();

    // Recovery copies and kept versions (CAnnotatorDlgRecovery.cpp).
    static const char* const kCopyFailedText;
    static const char* const kCopyUnreadableText;
    // Takes up a copy chosen at start: its annotations as unsaved work on
    // its file, its video at its time, its folder. False when it cannot be
    // read any more.
    bool ResumeRecovered(FoundCopy copy);
    Autosaver& Recovery() { return *m_autosaver; }

signals:
    // Each command OnCommand is given, as it begins to handle it.
    void commandReceived(int command);

public:
    // Companion video (CAnnotatorDlgCompanion.cpp).
    void OnChooseAnnotationFolder();
    void UpdateCompanionVideo();

    // Playback speed and reaction delay (CAnnotatorDlgSpeed.cpp).
    // The delay the marks allow for now, in milliseconds.
    int ReactionDelayMs() const { return m_reactionDelayMs; }
    // --reaction-delay: the delay for this run; the remembered one stays.
    void UseReactionDelayForRun(int delayMs);
    // The delay button: its dialog, then the delay shown and remembered.
    void OnReactionDelay();

    // Shows a failure without waiting for the user: it may come from the
    // tick, which must keep running. One box per text while it is shown.
    void ReportError(const std::string& text);
    // UserPrompt: a "Confirmation" box with OK and Cancel.
    bool Confirm(const std::string& text) override;
    // UserPrompt: a "Confirmation" box with OK only.
    void Inform(const std::string& text) override;

    // The control built from the window's template for that id, or null.
    QWidget* Control(int id) const;
    bool IsTimerRunning() const { return m_timer.isActive(); }
    // For tests that run the tick by hand, so the real one cannot run between.
    void StopTimer() { m_timer.stop(); }

    // What tests and benchmarks look at. They change the window's state only
    // through its commands, its controls and its start-up files.
    const CTimeline& Timeline() const { return m_timeline; }
    int MouseState() const { return m_mouseState; }
    // The main player's movie, as its transport bar drives it.
    CMovieDriver& Movie() { return m_movie; }
    CQTControl& Player() const { return *m_player; }
    CQTControl& CompanionPlayer() const { return *m_companionPlayer; }
    const std::string& AnnotationFolder() const { return m_annotationFolder; }
    int ShownVideo() const { return m_shownVideo; }
    const ScrollBarModel& TimeBar() const;
    const ScrollBarModel& ZoomBar() const;
    const ScrollBarModel& TrackBar() const;
    CTimelineView& View() { return m_view; }
    const CTrackDlg& TrackDialog() const { return m_trackDlg; }
    // The tick's pointer step on a sample taken elsewhere.
    void HandlePointer(const PointerSample& sample);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

public slots:
    // Every other way a dialog can be dismissed goes through OnClose.
    void reject() override;
    void accept() override;

private:
    void BuildControls(const AudioOutput& audio);
    void ConnectHandlers();
    // Runs a handler behind the error boundary.
    template <class Handler>
    bool Guard(Handler&& handler);

    // In the order they are built: the dialogs and the annotations first,
    // then what refers to them.
    int m_mouseState = MOUSE_IDLE;
    CTrackDlg m_trackDlg;
    CSegmentDlg m_segmentDlg;
    CTimelineView m_view;
    CTimeline m_timeline;
    std::string m_annotationFolder;
    int m_shownVideo = 0;
    CMovieDriver m_movie;
    QIcon m_hIcon;
    std::string m_segmentText;
    // Every change the editing commands make goes through it.
    AnnotationEditor m_editor{m_timeline};
    FileCommands m_files{m_timeline, m_editor, *this,
                         [this](FileDialogKind kind, const QString& title) { return ChooseFile(this, kind, title); }};

    // The controls, owned by the window as Qt children.
    std::map<int, QWidget*> m_controls;
    QFrame* m_timelineFrame = nullptr;
    ModelScrollBar* m_trackBar = nullptr;
    ModelScrollBar* m_zoomBar = nullptr;
    ModelScrollBar* m_timeBar = nullptr;
    CQTControl* m_player = nullptr;
    CQTControl* m_companionPlayer = nullptr;
    QPlainTextEdit* m_segmentEdit = nullptr;

    QTimer m_timer;
    bool m_initialised = false;
    bool m_closed = false;
    // The About entry's text; empty leaves the entry out.
    std::string m_aboutText;

    // Pointer handling's state.
    PointerSample SamplePointer() const;
    // Pops the menu up at `at` (screen pixels) unless one is open already.
    void ShowPointerMenu(int menuId, QPoint at);
    void PostMenuCommand(QAction* action);
    QPointer<QMenu> m_pointerMenu; // a Qt child, deleted once hidden

    // Keyboard shortcuts' state.
    void ConnectShortcuts();

    // Recovery's state.
    void ConnectRecovery();
    void TickRecovery();
    // A recovery copy or a version written, or the reason it was not.
    void NoteStateWrite(const std::optional<std::string>& failure);
    std::unique_ptr<Autosaver> m_autosaver;
    FailureSeries m_stateFailures;

    // Playback speed and reaction delay's state.
    void ConnectSpeedAndDelay();
    void ShowReactionDelay();
    // The time a mark pressed now takes.
    double MarkTimeNow() const;
    int m_reactionDelayMs = 0;

    // Companion video's state.
    // The companion's files open after the tick has gone on: their failures
    // reach the error box from the player.
    void ConnectCompanion();
};
