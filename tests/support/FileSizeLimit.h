#pragma once

#include <signal.h>
#include <sys/resource.h>

// While it lives, no file of this process may grow past `bytes`: writes
// beyond fail with EFBIG instead of raising SIGXFSZ. The limit binds root
// too, where permissions do not, so a test can make a save fail for every
// user. It binds every thread of the process: keep it short.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_previous);
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        ::sigaction(SIGXFSZ, &ignore, &m_previousAction);
        rlimit limit = m_previous;
        limit.rlim_cur = bytes;
        m_applied = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_previous);
        ::sigaction(SIGXFSZ, &m_previousAction, nullptr);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool Applied() const { return m_applied; }

private:
    rlimit m_previous {};
    struct sigaction m_previousAction {};
    bool m_applied = false;
};
