#pragma once

#include <memory>
#include <string>

#include <QWidget>

#include "AudioOutput.h"
#include "CQTMovie.h"
#include "PlayerSession.h"

class CTransportBar;
class CVideoSurface;
class QKeyEvent;

// An embedded video player: the picture with a transport bar under it.
// Automation goes through SetSource and the movie object from GetMovie.
class CQTControl : public QWidget {
    Q_OBJECT
public:
    explicit CQTControl(const AudioOutput& audio, QWidget* parent = nullptr);
    ~CQTControl() override;

    // Loads the file (waiting, bounded, until it is open) and hands out a new
    // movie object; "" unloads and the picture goes black. Throws
    // PlayerError, with a French text naming the file, when it cannot be
    // played; the control is then empty and stays usable.
    void SetSource(const std::string& path);
    // Like SetSource, but returns as soon as the file is asked for, so that
    // the caller's loop goes on while it opens: a missing file throws at
    // once, any other failure comes once through SourceFailed.
    void StartSource(const std::string& path);
    // None while empty.
    CQTMoviePtr GetMovie() const { return m_session.GetMovie(); }
    // The file asked for last; "" while empty.
    const std::string& Source() const { return m_session.Source(); }

    MpvEngine& Engine() { return m_session.Engine(); }
    CVideoSurface& Surface() { return *m_surface; }
    CTransportBar& TransportBar() { return *m_transport; }

signals:
    void SourceFailed(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void RefreshTransport();
    void PrepareSurface(const std::string& path);

    PlayerSession m_session;
    // Goes before the session: its render context must be freed first.
    std::unique_ptr<CVideoSurface> m_surface;
    CTransportBar* m_transport = nullptr; // owned as a Qt child
};
