#pragma once

#include <functional>
#include <string>
#include <vector>

#include <QApplication>
#include <QDeadlineTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

// Plays the user's part in the modal dialogs and boxes that a call opens:
// steps run in order, each once the active modal widget is of its class and
// meets its condition. Actions run outside the polling timer, so an action
// that opens a nested box (a confirmation that asks for a number, say) leaves
// the polling free to answer it. Steps that never come close every modal
// widget after the time-out, so that a test fails instead of hanging.
class ModalScript : public QObject {
public:
    explicit ModalScript(int timeoutMs = 20000) : m_deadline(timeoutMs)
    {
        m_poll.setInterval(10);
        connect(&m_poll, &QTimer::timeout, this, &ModalScript::Poll);
        m_poll.start();
    }

    template <class Widget>
    ModalScript& On(std::function<void(Widget&)> act, std::function<bool()> when = {})
    {
        m_steps.push_back({[when](QWidget* modal) { return qobject_cast<Widget*>(modal) != nullptr && (!when || when()); },
                           [act](QWidget* modal) { act(*qobject_cast<Widget*>(modal)); }});
        return *this;
    }

    bool AllRan() const { return m_next == m_steps.size(); }
    bool TimedOut() const { return m_timedOut; }
    // Class names of the modal widgets each step acted on, in order.
    const std::vector<std::string>& Seen() const { return m_seen; }

private:
    struct Step {
        std::function<bool(QWidget*)> matches;
        std::function<void(QWidget*)> act;
    };

    void Poll()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (m_deadline.hasExpired()) {
            m_timedOut = m_timedOut || !AllRan();
            if (modal != nullptr)
                modal->close();
            return;
        }
        if (modal == nullptr || AllRan() || m_acting || !m_steps[m_next].matches(modal))
            return;
        Step& step = m_steps[m_next++];
        m_seen.push_back(modal->metaObject()->className());
        m_acting = true;
        QTimer::singleShot(0, this, [this, &step, target = QPointer<QWidget>(modal)] {
            m_acting = false;
            if (target != nullptr)
                step.act(target);
        });
    }

    std::vector<Step> m_steps;
    std::size_t m_next = 0;
    bool m_acting = false;
    bool m_timedOut = false;
    std::vector<std::string> m_seen;
    QDeadlineTimer m_deadline;
    QTimer m_poll;
};
