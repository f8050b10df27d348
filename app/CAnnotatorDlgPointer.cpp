// The pointer over the timeline, polled by the tick: sampled here, decided
// by DecidePointer, carried out here.

#include "CAnnotatorDlg.h"

#include <QApplication>
#include <QCursor>
#include <QFrame>
#include <QMenu>

#include "TemplateWidgets.h"
#include "Templates.h"

PointerSample CAnnotatorDlg::SamplePointer() const
{
    PointerSample sample;
    // A popup menu of ours leaves the window active; a dialog, a message
    // box or another program does not. A click on the window behind a box
    // may make it active for a moment (a window manager's click to focus):
    // while a box blocks it, it is still not in front.
    sample.windowActive = QApplication::activeWindow() == this && QApplication::activeModalWidget() == nullptr;
    if (!sample.windowActive || m_timelineFrame == nullptr)
        return sample;
    const QPoint cursor = QCursor::pos();
    sample.cursorX = cursor.x();
    sample.cursorY = cursor.y();
    const QPoint origin = m_timelineFrame->mapToGlobal(QPoint(0, 0));
    sample.frame = {origin.x(), origin.y(), origin.x() + m_timelineFrame->width(),
                    origin.y() + m_timelineFrame->height()};
    const Qt::MouseButtons buttons = QGuiApplication::mouseButtons();
    sample.leftDown = buttons.testFlag(Qt::LeftButton);
    sample.rightDown = buttons.testFlag(Qt::RightButton);
    return sample;
}

void CAnnotatorDlg::PollPointer()
{
    HandlePointer(SamplePointer());
}

void CAnnotatorDlg::HandlePointer(const PointerSample& sample)
{
    const PointerDecision decision = DecidePointer(sample, m_mouseState, m_timeline);
    if (!decision.polled)
        return;
    ApplyPointerDecision(decision, m_timeline);
    if (decision.seek)
        m_movie.SetTime(*decision.seek);
    m_mouseState = decision.state;
    if (decision.menu != PointerMenu::None)
        ShowPointerMenu(decision.menu == PointerMenu::Track ? kTrackMenuId : kSegmentMenuId,
                        QPoint(sample.cursorX, sample.cursorY));
}

void CAnnotatorDlg::ShowPointerMenu(int menuId, QPoint at)
{
    // Ticks go on while a menu is open; one that asks for another has set
    // the state and gets no second menu.
    if (m_pointerMenu != nullptr && m_pointerMenu->isVisible())
        return;
    QMenu* menu = BuildMenu(FindMenuTemplate(menuId), this).release();
    // Hidden before its action fires; the deletion waits for the event loop.
    connect(menu, &QMenu::aboutToHide, menu, &QObject::deleteLater);
    connect(menu, &QMenu::triggered, this, &CAnnotatorDlg::PostMenuCommand);
    m_pointerMenu = menu;
    menu->popup(at);
}

void CAnnotatorDlg::PostMenuCommand(QAction* action)
{
    const int command = MenuCommand(action);
    if (command == 0)
        return;
    // Handled after whatever is running now, as a posted menu command is.
    QMetaObject::invokeMethod(this, [this, command] { OnCommand(command); }, Qt::QueuedConnection);
}
