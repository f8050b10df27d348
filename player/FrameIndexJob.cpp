#include "FrameIndexJob.h"

#include <utility>

#include <QMetaObject>
#include <QObject>

#include "FrameTimesReader.h"

FrameIndexJob::FrameIndexJob(const std::string& path, QObject* context, Done done)
{
    m_thread = std::thread([path, stop = m_stop, context, done = std::move(done)] {
        auto times = ReadFrameTimes(path, *stop);
        if (!times || *stop)
            return;
        auto shared = std::make_shared<const FrameTimes>(std::move(*times));
        // Queued calls to a context that is destroyed meanwhile are dropped.
        QMetaObject::invokeMethod(
            context,
            [stop, done, shared] {
                if (!*stop)
                    done(shared);
            },
            Qt::QueuedConnection);
    });
}

FrameIndexJob::~FrameIndexJob()
{
    *m_stop = true;
    m_thread.join();
}
