#pragma once

#include <QScrollBar>

#include "ScrollBarModel.h"

class QMouseEvent;
class QWheelEvent;

// A scroll bar that shows a ScrollBarModel. Qt's scroll bars clamp and step
// their own way, so the model is the truth: a user action is reported as a
// scroll code through scrolled(), whose handler sets the model, and the
// widget is then re-derived from the model, dropping whatever Qt computed.
class ModelScrollBar : public QScrollBar {
    Q_OBJECT
public:
    explicit ModelScrollBar(Qt::Orientation orientation, QWidget* parent = nullptr);

    ScrollBarModel& Model() { return m_model; }
    const ScrollBarModel& Model() const { return m_model; }
    // Call after changing Model() from outside a scrolled() handler.
    void SyncFromModel();

signals:
    // Emitted for every user action, before the widget follows the model;
    // connect it directly so that the handler runs inside the action.
    void scrolled(int code, int position);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void OnActionTriggered(int action);
    void OnSliderReleased();
    void Report(int code, int position);

    ScrollBarModel m_model;
    bool m_syncing = false;
    // A press on the bar is under way: its release ends the scrolling.
    bool m_pressed = false;
    bool m_thumbReleased = false;
    int m_wheelRemainder = 0;
};
