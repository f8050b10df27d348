#include "XmlFileWriter.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>

#include <libxml/encoding.h>
#include <libxml/xmlIO.h>
#include <libxml/xmlsave.h>

#include "QuietXmlErrors.h"

namespace fs = std::filesystem;

namespace {

// As the kernel does for symbolic links.
constexpr int kMaxLinkHops = 40;

// Opens a new file of a name that no file had, of fixed length: one built
// from the target's would go past the 255 bytes a name may hold when the
// target's own name is near it. Created with the usual 0666, so that the
// kernel applies the umask (or the folder's default ACL) itself: the umask
// can only be read by setting it, and a thread creating a file meanwhile
// would get the wrong mode. -1 when no such file can be made.
int CreateTemporaryFile(const fs::path& folder, std::string& name)
{
    static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    constexpr int kAttempts = 100;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        unsigned char random[6] = {};
        if (::getrandom(random, sizeof random, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof random)) {
            // Early in boot: the clock and a counter still differ between tries.
            static std::atomic<uint64_t> counter{0};
            uint64_t mixed = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count())
                ^ (static_cast<uint64_t>(::getpid()) << 40) ^ (++counter * 0x9E3779B97F4A7C15ull);
            for (unsigned char& byte : random) {
                byte = static_cast<unsigned char>(mixed);
                mixed = (mixed >> 8) | (mixed << 56);
            }
        }
        std::string leaf = ".quillmark-";
        for (unsigned char byte : random)
            leaf += kLetters[byte % (sizeof kLetters - 1)];
        name = (folder / leaf).string();
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

void SyncFolder(const fs::path& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

struct Sink {
    int fd = -1;
    bool failed = false;
};

// libxml2's own descriptor output takes a short write as complete; this
// one writes everything or fails.
int WriteAll(void* context, const char* buffer, int length)
{
    auto* sink = static_cast<Sink*>(context);
    size_t done = 0;
    while (done < static_cast<size_t>(length)) {
        const ssize_t count = ::write(sink->fd, buffer + done, static_cast<size_t>(length) - done);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0) {
            sink->failed = true;
            return -1;
        }
        done += static_cast<size_t>(count);
    }
    return length;
}

// Through the descriptor the temporary file was opened with: handing the
// library a name would let it read the name as a URI, decode its percent
// escapes and write somewhere else.
bool WriteDocument(xmlDocPtr doc, int fd)
{
    QuietXmlErrors quiet;
    Sink sink;
    sink.fd = fd;
    xmlOutputBufferPtr out = xmlOutputBufferCreateIO(WriteAll, nullptr, &sink, xmlFindCharEncodingHandler("UTF-8"));
    if (out == nullptr)
        return false;
    const int written = xmlSaveFormatFileTo(out, doc, "UTF-8", 1); // releases `out`
    return written > 0 && !sink.failed && !quiet.SawFatalError();
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

bool WriteXmlFileAtomically(xmlDocPtr doc, const std::string& path)
{
    const auto resolved = ResolveSaveTarget(path);
    if (!resolved)
        return false;
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
    std::string temporary;
    const int fd = CreateTemporaryFile(folder, temporary);
    if (fd < 0)
        return false;

    // The target keeps its mode; a new file has the one it was created with.
    bool written = !replacing || ::fchmod(fd, existing.st_mode & 07777) == 0;
    written = written && WriteDocument(doc, fd);
    written = written && ::fsync(fd) == 0;
    written = (::close(fd) == 0) && written;
    written = written && ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!written) {
        ::unlink(temporary.c_str());
        return false;
    }
    SyncFolder(folder);
    return true;
}
