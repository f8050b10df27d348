#include "CAnnotatorDlg.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QTextCursor>
#include <QTextDocument>

#include "AboutDlg.h"
#include "CTimelineRenderer.h"
#include "ErrorBoundary.h"
#include "ModelScrollBar.h"
#include "ScrollHandling.h"
#include "Templates.h"
#include "TemplateWidgets.h"

namespace {

// True when setting `text` would leave the box as it is: the same text,
// shown from its start, the cursor there with nothing selected, nothing to
// undo, and no cursor blinking in it. The tick sets the text at each frame
// while the video plays, and each time it is laid out and repainted.
bool ShowsAlready(const QPlainTextEdit& box, const QString& text)
{
    const QTextCursor cursor = box.textCursor();
    const QTextDocument& document = *box.document();
    return !box.hasFocus() && cursor.position() == 0 && !cursor.hasSelection() &&
           box.verticalScrollBar()->value() == 0 && box.horizontalScrollBar()->value() == 0 &&
           !document.isModified() && !document.isUndoAvailable() && !document.isRedoAvailable() &&
           box.toPlainText() == text;
}

} // namespace

CAnnotatorDlg::CAnnotatorDlg(const AudioOutput& audio, QWidget* parent)
    : QDialog(parent), m_trackDlg(this), m_segmentDlg(this), m_hIcon(ApplicationIcon())
{
    BuildControls(audio);
    ConnectHandlers();
    ConnectCompanion();
    ConnectShortcuts();
    ConnectRecovery();
    ConnectSpeedAndDelay();
    m_timeline.SetUserPrompt(this);
    // The timeline owns its renderer, which lives in the timeline library:
    // the model only knows the interface, so it stays free of OpenGL.
    m_timeline.SetRenderer(std::make_unique<CTimelineRenderer>(&m_timeline));
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &CAnnotatorDlg::OnTimer);
}

CAnnotatorDlg::~CAnnotatorDlg()
{
    m_timer.stop();
    m_timeline.SetUserPrompt(nullptr);
}

void CAnnotatorDlg::BuildControls(const AudioOutput& audio)
{
    const DialogTemplate& layout = FindDialogTemplate(102);
    ApplyDialogTemplate(layout, this);
    // The players and the model-driven scroll bars are ours; the standard
    // controls come from the template builder.
    m_controls = BuildTemplateControls(layout, this, [&](const ControlTemplate& control, QWidget* parent) -> QWidget* {
        switch (control.kind) {
        case ControlKind::VideoPlayer:
            return new CQTControl(audio, parent);
        case ControlKind::HorizontalScrollBar:
            return new ModelScrollBar(Qt::Horizontal, parent);
        case ControlKind::VerticalScrollBar:
            return new ModelScrollBar(Qt::Vertical, parent);
        default:
            return nullptr;
        }
    });

    m_timelineFrame = qobject_cast<QFrame*>(Control(kTimelineFrameId));
    m_trackBar = qobject_cast<ModelScrollBar*>(Control(kTrackBarId));
    m_zoomBar = qobject_cast<ModelScrollBar*>(Control(kZoomBarId));
    m_timeBar = qobject_cast<ModelScrollBar*>(Control(kTimeBarId));
    m_player = qobject_cast<CQTControl*>(Control(kPlayerId));
    m_segmentEdit = qobject_cast<QPlainTextEdit*>(Control(kSegmentTextId));
    m_companionPlayer = qobject_cast<CQTControl*>(Control(kCompanionId));
    DoDataExchange(false);
}

QWidget* CAnnotatorDlg::Control(int id) const
{
    auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : it->second;
}

const ScrollBarModel& CAnnotatorDlg::TimeBar() const
{
    return m_timeBar->Model();
}

const ScrollBarModel& CAnnotatorDlg::ZoomBar() const
{
    return m_zoomBar->Model();
}

const ScrollBarModel& CAnnotatorDlg::TrackBar() const
{
    return m_trackBar->Model();
}

void CAnnotatorDlg::ConnectHandlers()
{
    const auto onClick = [this](int id, void (CAnnotatorDlg::*handler)()) {
        auto* button = qobject_cast<QPushButton*>(Control(id));
        if (button == nullptr)
            return;
        connect(button, &QPushButton::clicked, this, [this, handler] { Guard([this, handler] { (this->*handler)(); }); });
    };
    onClick(kOpenVideoId, &CAnnotatorDlg::OnOpenVideo);
    onClick(kStartButtonId, &CAnnotatorDlg::OnMarkStart);
    onClick(kEndButtonId, &CAnnotatorDlg::OnMarkEnd);
    onClick(kSaveAnnotationId, &CAnnotatorDlg::OnSaveAnnotationFile);
    onClick(kOpenAnnotationId, &CAnnotatorDlg::OnOpenAnnotationFile);
    onClick(kChooseFolderId, &CAnnotatorDlg::OnChooseAnnotationFolder);
    onClick(kExportButtonId, &CAnnotatorDlg::OnExport);

    for (ModelScrollBar* bar : {m_timeBar, m_zoomBar}) {
        connect(bar, &ModelScrollBar::scrolled, this,
                [this, bar](int code, int position) { Guard([&] { OnHScroll(code, position, bar); }); });
    }
    connect(m_trackBar, &ModelScrollBar::scrolled, this,
            [this](int code, int position) { Guard([&] { OnVScroll(code, position, m_trackBar); }); });
}

template <class Handler>
bool CAnnotatorDlg::Guard(Handler&& handler)
{
    return RunGuarded(std::forward<Handler>(handler), [this](const std::string& text) { ReportError(text); });
}

void CAnnotatorDlg::ReportError(const std::string& text)
{
    // A tick that fails fails again 40 ms later, perhaps by turns with
    // another failure: one box per text until the user has dismissed it.
    const QString message = QString::fromStdString(text);
    for (const QMessageBox* shown : findChildren<QMessageBox*>(kErrorBoxName, Qt::FindDirectChildrenOnly))
        if (shown->isVisible() && shown->text() == message)
            return;
    // Shown without a nested event loop: the tick may be the one failing, and
    // a blocking box inside it would stop every later tick.
    auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Quillmark"), message, QMessageBox::Ok, this);
    box->setObjectName(kErrorBoxName);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

bool CAnnotatorDlg::Confirm(const std::string& text)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Confirmation"), QString::fromStdString(text),
                    QMessageBox::Ok | QMessageBox::Cancel, this);
    return box.exec() == QMessageBox::Ok;
}

void CAnnotatorDlg::Inform(const std::string& text)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Confirmation"), QString::fromStdString(text),
                    QMessageBox::Ok, this);
    box.exec();
}

void CAnnotatorDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_initialised) {
        m_initialised = true;
        OnInitDialog();
    }
}

bool CAnnotatorDlg::OnInitDialog()
{
    // The background menu and F1 stand in for the system menu entry.
    m_aboutText = LoadResourceString(kAboutStringId);
    setWindowIcon(m_hIcon);

    // The models clamp after every step, so the steps keep their order; the
    // widgets only show the result.
    m_zoomBar->Model().SetRange(0, 100);
    m_trackBar->Model().SetRange(0, 400);
    m_trackBar->Model().SetPosition(0);
    m_zoomBar->Model().SetPosition(0);
    m_timeBar->Model().SetRange(0, 100);
    m_timeBar->Model().SetPosition(0);
    m_timeBar->Model().SetPage(100);
    for (ModelScrollBar* bar : {m_zoomBar, m_trackBar, m_timeBar})
        bar->SyncFromModel();

    // Without OpenGL the view creates nothing and the frame stays black;
    // the rest of the window works as before, the mapping included.
    m_view.CreateGL(QRect(0, 0, m_timelineFrame->width(), m_timelineFrame->height()), m_timelineFrame);
    m_timeline.m_viewRect = m_view.m_rect;

    m_timer.start(kTimerPeriodMs);

    m_mouseState = MOUSE_IDLE;
    m_timeline.m_currentSegment = nullptr;
    m_annotationFolder.clear();
    m_shownVideo = 0;
    return true;
}

void CAnnotatorDlg::DoDataExchange(bool fromControls)
{
    if (m_segmentEdit == nullptr)
        return;
    if (fromControls)
        m_segmentText = m_segmentEdit->toPlainText().toStdString();
    else if (const QString text = QString::fromStdString(m_segmentText); !ShowsAlready(*m_segmentEdit, text))
        m_segmentEdit->setPlainText(text);
}

void CAnnotatorDlg::OnTimer()
{
    if (m_mouseState == MOUSE_CLOSING)
        return;
    Guard([this] {
        m_timeline.SetView(m_timeBar->Model().GetPosition(), m_timeBar->Model().GetPage(),
                           m_trackBar->Model().GetPosition());
        m_timeline.m_currentTime = m_movie.GetTime() * 0.1;
        // The context is current for the drawing only: the menus and the
        // players later in the tick have their own. A picture that would be
        // the one on screen is neither drawn nor presented again.
        m_view.DrawFrame(m_timeline);
        if (m_timeline.m_currentTime != m_timeline.m_lastTime) {
            // The box's own text is not read first: the text under the time
            // replaces it whole.
            m_timeline.GetSegmentText(m_segmentText);
            DoDataExchange(false);
            m_timeline.m_lastTime = m_timeline.m_currentTime;
        }
        PollPointer();
        m_timeline.UpdateCurrentSegment();
        UpdateCompanionVideo();
        m_view.SwapGLBuffers();
        TickRecovery();
    });
}

void CAnnotatorDlg::OnClose()
{
    m_mouseState = MOUSE_CLOSING;
    Guard([this] { m_companionPlayer->SetSource(""); });
    Guard([this] { m_player->SetSource(""); });
    m_closed = true;
    QDialog::done(QDialog::Rejected);
}

void CAnnotatorDlg::closeEvent(QCloseEvent* event)
{
    // Cancel keeps the window, the players and the annotations as they were.
    if (!m_closed && !m_files.MayDiscardChanges()) {
        event->ignore();
        return;
    }
    if (!m_closed) {
        // Nothing is unsaved, or the user has just agreed to lose it.
        m_autosaver->Discard();
        OnClose();
    }
    event->accept();
}

void CAnnotatorDlg::reject()
{
    close();
}

void CAnnotatorDlg::accept()
{
    close();
}

void CAnnotatorDlg::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        // A stray Enter or Escape must not end the program and lose the
        // annotations: the window closes only through its close box.
        event->accept();
        return;
    case Qt::Key_F1:
        if (!m_aboutText.empty())
            Guard([this] { OnSysCommand(kAboutCommand, 0); });
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void CAnnotatorDlg::contextMenuEvent(QContextMenuEvent* event)
{
    // Window managers give no system menu to put the About entry in; the
    // window's background carries it instead. Presses on a control, the
    // timeline above all, are not the background.
    if (childAt(event->pos()) != nullptr) {
        event->ignore();
        return;
    }
    if (m_aboutText.empty()) {
        event->ignore();
        return;
    }
    QMenu menu(this);
    QAction* about = menu.addAction(QString::fromStdString(m_aboutText));
    if (menu.exec(event->globalPos()) == about)
        Guard([this] { OnSysCommand(kAboutCommand, 0); });
}

void CAnnotatorDlg::OnSysCommand(unsigned id, long)
{
    if ((id & 0xFFF0) == kAboutCommand) {
        CAboutDlg about(this);
        about.ShowShortcuts(ShortcutHelpText());
        about.exec();
        return;
    }
    // The only other system command a Qt window can be asked for here.
    if ((id & 0xFFF0) == kCloseCommand)
        close();
}

void CAnnotatorDlg::OnHScroll(int code, int position, ModelScrollBar* bar)
{
    HandleHScroll(code, position, bar->Model(), m_zoomBar->Model(), m_timeBar->Model());
    bar->SyncFromModel();
    m_timeBar->SyncFromModel();
}

void CAnnotatorDlg::OnVScroll(int code, int position, ModelScrollBar* bar)
{
    HandleVScroll(code, position, bar->Model());
    bar->SyncFromModel();
}

void CAnnotatorDlg::OnCommand(int command)
{
    emit commandReceived(command);
    static const std::map<int, void (CAnnotatorDlg::*)()> commands = {
        {kEditTrackCommand, &CAnnotatorDlg::OnEditTrack},
        {kAddTrackCommand, &CAnnotatorDlg::OnAddTrack},
        {kDeleteTrackCommand, &CAnnotatorDlg::OnDeleteTrack},
        {kMoveTrackUpCommand, &CAnnotatorDlg::OnMoveTrackUp},
        {kMoveTrackDownCommand, &CAnnotatorDlg::OnMoveTrackDown},
        {kEditSegmentCommand, &CAnnotatorDlg::OnEditSegment},
        {kDeleteSegmentCommand, &CAnnotatorDlg::OnDeleteSegment},
    };
    auto it = commands.find(command);
    if (it != commands.end())
        Guard([this, handler = it->second] { (this->*handler)(); });
}
