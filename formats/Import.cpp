#include "Import.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>

#include "EafReader.h"
#include "TsvReader.h"

namespace {

// Enough for the table's header line, and for the XML declaration and
// comments before an ELAN file's root.
constexpr size_t kSniffBytes = 64 * 1024;

// Up to `limit` bytes of a regular file (all of it by default); none when it
// is no regular file or cannot be read. Non-blocking, so that a named pipe
// chosen by mistake cannot hang the caller.
std::optional<std::string> ReadRegularFile(const std::string& path, size_t limit = std::string::npos)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    struct stat info {};
    std::optional<std::string> bytes;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        bytes.emplace();
        char buffer[65536];
        while (bytes->size() < limit) {
            const ssize_t count = ::read(fd, buffer, std::min(sizeof buffer, limit - bytes->size()));
            if (count < 0 && errno == EINTR)
                continue;
            if (count < 0) {
                bytes.reset();
                break;
            }
            if (count == 0)
                break;
            bytes->append(buffer, static_cast<size_t>(count));
        }
    }
    ::close(fd);
    return bytes;
}

size_t SkipPast(const std::string& text, size_t at, const char* end)
{
    const size_t found = text.find(end, at);
    return found == std::string::npos ? text.size() : found + std::char_traits<char>::length(end);
}

// The XML name that starts at `at`.
std::string NameAt(const std::string& text, size_t at)
{
    if (at >= text.size())
        return {};
    const size_t end = text.find_first_of(" \t\r\n/>[", at);
    return text.substr(at, end == std::string::npos ? std::string::npos : end - at);
}

// The name of the root element: the first one past a byte-order mark, the
// XML declaration, comments and processing instructions, or the one a
// document type names; empty when the head holds none.
std::string RootName(const std::string& head)
{
    size_t at = head.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
    while (at < head.size()) {
        at = head.find_first_not_of(" \t\r\n", at);
        if (at == std::string::npos || head[at] != '<')
            return {};
        if (head.compare(at, 4, "<!--") == 0) {
            at = SkipPast(head, at, "-->");
        } else if (head.compare(at, 2, "<?") == 0) {
            at = SkipPast(head, at, "?>");
        } else if (head.compare(at, 9, "<!DOCTYPE") == 0) {
            // It names the root, and may be followed by a long internal
            // subset.
            return NameAt(head, head.find_first_not_of(" \t\r\n", at + 9));
        } else {
            return NameAt(head, at + 1);
        }
    }
    return {};
}

ImportResult FromImported(std::optional<ImportedTracks> imported)
{
    ImportResult result;
    if (!imported) {
        result.status = ImportResult::Status::Failed;
        return result;
    }
    result.status = ImportResult::Status::Read;
    result.tracks = std::move(imported->tracks);
    result.notices = std::move(imported->notices);
    return result;
}

} // namespace

bool OpensAsAnnotations(const std::string& path)
{
    const auto head = ReadRegularFile(path, kSniffBytes);
    if (!head)
        return false;
    const std::string root = RootName(*head);
    return root == "corps" || root == "ANNOTATION_DOCUMENT" || StartsWithSegmentTableHeader(*head);
}

ImportResult ImportFile(const std::string& path)
{
    const auto head = ReadRegularFile(path, kSniffBytes);
    if (!head)
        return {};
    if (StartsWithSegmentTableHeader(*head)) {
        const auto whole = ReadRegularFile(path);
        return FromImported(whole ? ReadSegmentTable(*whole) : std::nullopt);
    }
    if (RootName(*head) == "ANNOTATION_DOCUMENT")
        return FromImported(ReadEaf(path));
    return {};
}
