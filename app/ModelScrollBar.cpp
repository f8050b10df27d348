#include "ModelScrollBar.h"

#include <optional>

#include <QMouseEvent>
#include <QWheelEvent>

#include "ScrollHandling.h"

ModelScrollBar::ModelScrollBar(Qt::Orientation orientation, QWidget* parent) : QScrollBar(orientation, parent)
{
    // Its entries would be in English in a French interface, and "scroll
    // here" sets the value without any action the model could take over.
    setContextMenuPolicy(Qt::NoContextMenu);
    connect(this, &QAbstractSlider::actionTriggered, this, &ModelScrollBar::OnActionTriggered);
    connect(this, &QAbstractSlider::sliderReleased, this, &ModelScrollBar::OnSliderReleased);
    SyncFromModel();
}

void ModelScrollBar::SyncFromModel()
{
    // Qt's value runs over the positions the model allows and its page step
    // is the model's page, so the thumb's size and travel match the model.
    // Setting the value also replaces the position Qt computed for an action
    // still under way.
    m_syncing = true;
    setRange(m_model.GetMin(), m_model.GetMaxPosition());
    setPageStep(m_model.GetPage());
    setValue(m_model.GetPosition());
    m_syncing = false;
}

void ModelScrollBar::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton || event->button() == Qt::MiddleButton;
    QScrollBar::mousePressEvent(event);
}

void ModelScrollBar::mouseReleaseEvent(QMouseEvent* event)
{
    m_thumbReleased = false;
    QScrollBar::mouseReleaseEvent(event);
    if (!m_pressed)
        return;
    m_pressed = false;
    // A released thumb has already reported the end of scrolling.
    if (!m_thumbReleased)
        Report(SB_ENDSCROLL, m_model.GetPosition());
}

void ModelScrollBar::wheelEvent(QWheelEvent* event)
{
    // One notch is one step of the model's rule, never Qt's three lines.
    const QPoint delta = event->angleDelta();
    m_wheelRemainder -= delta.y() != 0 ? delta.y() : delta.x();
    event->accept();
    bool moved = false;
    for (; m_wheelRemainder >= QWheelEvent::DefaultDeltasPerStep; m_wheelRemainder -= QWheelEvent::DefaultDeltasPerStep) {
        Report(SB_LINERIGHT, m_model.GetPosition());
        moved = true;
    }
    for (; m_wheelRemainder <= -QWheelEvent::DefaultDeltasPerStep; m_wheelRemainder += QWheelEvent::DefaultDeltasPerStep) {
        Report(SB_LINELEFT, m_model.GetPosition());
        moved = true;
    }
    if (moved)
        Report(SB_ENDSCROLL, m_model.GetPosition());
}

void ModelScrollBar::OnActionTriggered(int action)
{
    if (m_syncing)
        return;
    const std::optional<int> code = ScrollCodeForAction(static_cast<QAbstractSlider::SliderAction>(action));
    if (!code)
        return;
    // For a drag, Qt has already moved the slider position to the thumb.
    Report(*code, *code == SB_THUMBTRACK ? sliderPosition() : m_model.GetPosition());
}

void ModelScrollBar::OnSliderReleased()
{
    const int position = sliderPosition();
    for (int code : kThumbReleaseCodes)
        Report(code, position);
    m_thumbReleased = true;
}

void ModelScrollBar::Report(int code, int position)
{
    emit scrolled(code, position);
    SyncFromModel();
}
