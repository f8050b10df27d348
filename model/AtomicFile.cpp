#include "AtomicFile.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>

namespace fs = std::filesystem;

namespace {

// As the kernel does for symbolic links.
constexpr int kMaxLinkHops = 40;

// Six random letters; from the clock and a counter early in boot, when the
// kernel has none to give yet.
std::string RandomLetters()
{
    static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    unsigned char random[6] = {};
    if (::getrandom(random, sizeof random, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof random)) {
        static std::atomic<uint64_t> counter{0};
        uint64_t mixed = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count())
            ^ (static_cast<uint64_t>(::getpid()) << 40) ^ (++counter * 0x9E3779B97F4A7C15ull);
        for (unsigned char& byte : random) {
            byte = static_cast<unsigned char>(mixed);
            mixed = (mixed >> 8) | (mixed << 56);
        }
    }
    std::string letters;
    for (unsigned char byte : random)
        letters += kLetters[byte % (sizeof kLetters - 1)];
    return letters;
}

// The file being written, removed unless it was renamed over the target.
class TemporaryFile {
public:
    // Opens a new file of a name that no file had, of fixed length: one
    // built from the target's would go past the 255 bytes a name may hold
    // when the target's own name is near it. Created with the usual 0666,
    // so that the kernel applies the umask (or the folder's default ACL)
    // itself: the umask can only be read by setting it, and a thread
    // creating a file meanwhile would get the wrong mode.
    explicit TemporaryFile(const fs::path& folder)
    {
        constexpr int kAttempts = 100;
        for (int attempt = 0; attempt < kAttempts && m_fd < 0; ++attempt) {
            m_name = (folder / (kTemporaryFilePrefix + RandomLetters())).string();
            m_fd = ::open(m_name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (m_fd < 0 && errno != EEXIST)
                break;
        }
        m_created = m_fd >= 0;
    }
    ~TemporaryFile()
    {
        // The caller reads errno for the reason of a failure.
        const int error = errno;
        Close();
        if (m_created && !m_renamed)
            ::unlink(m_name.c_str());
        errno = error;
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    bool IsOpen() const { return m_fd >= 0; }
    int Descriptor() const { return m_fd; }
    bool Close()
    {
        if (m_fd < 0)
            return true;
        const bool closed = ::close(m_fd) == 0;
        m_fd = -1;
        return closed;
    }
    bool RenameTo(const fs::path& target)
    {
        m_renamed = ::rename(m_name.c_str(), target.c_str()) == 0;
        return m_renamed;
    }

private:
    int m_fd = -1;
    std::string m_name;
    bool m_created = false;
    bool m_renamed = false;
};

void SyncFolder(const fs::path& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

std::optional<fs::path> ResolveSaveTarget(const std::string& path)
{
    fs::path target(path);
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(target, error)) || error)
            return target;
        const fs::path next = fs::read_symlink(target, error);
        if (error)
            return std::nullopt;
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    return std::nullopt;
}

bool WriteFileAtomically(const std::string& path, const FileContentWriter& write)
{
    const auto resolved = ResolveSaveTarget(path);
    if (!resolved) {
        errno = ELOOP;
        return false;
    }
    const fs::path& target = *resolved;
    fs::path folder = target.parent_path();
    if (folder.empty())
        folder = ".";
    // A file its owner made read-only stays as it is, although the rename
    // could replace it: the folder's permissions allow that, not the file's.
    // The kernel's own check leaves root free to replace it.
    if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0 && errno != ENOENT)
        return false;

    struct stat existing {};
    const bool replacing = ::stat(target.c_str(), &existing) == 0;
    TemporaryFile file(folder);
    if (!file.IsOpen())
        return false;
    // The target keeps its mode; a new file has the one it was created with.
    if (replacing && ::fchmod(file.Descriptor(), existing.st_mode & 07777) != 0)
        return false;
    if (!write(file.Descriptor()) || ::fsync(file.Descriptor()) != 0 || !file.Close() || !file.RenameTo(target))
        return false;
    SyncFolder(folder);
    return true;
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes)
{
    return WriteFileAtomically(path, [bytes](int fd) { return WriteAllBytes(fd, bytes.data(), bytes.size()); });
}

bool WriteAllBytes(int fd, const char* data, std::size_t size)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t count = ::write(fd, data + done, size - done);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        done += static_cast<std::size_t>(count);
    }
    return true;
}
