// Reading and writing the annotation file (corps / piste / segment / contenu).

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>

#include "Timeline.h"
#include "XmlText.h"

const char* const CTimeline::kLoadFailedText = "le fichier n'a pas \xC3\xA9t\xC3\xA9 ouvert";

namespace {

void IgnoreXmlError(void*, xmlErrorPtr) {}

// The program keeps no log: libxml2's complaints about a damaged file would
// only reach a terminal nobody reads. Restores the default on exit.
class QuietXmlErrors {
public:
    QuietXmlErrors() { xmlSetStructuredErrorFunc(nullptr, IgnoreXmlError); }
    ~QuietXmlErrors() { xmlSetStructuredErrorFunc(nullptr, nullptr); }
    QuietXmlErrors(const QuietXmlErrors&) = delete;
    QuietXmlErrors& operator=(const QuietXmlErrors&) = delete;
};

// The file that a save replaces: the target of a symbolic link rather than
// the link, so that saving through a link keeps the link.
std::filesystem::path SaveTarget(const std::string& path)
{
    std::error_code error;
    const std::filesystem::path target(path);
    if (std::filesystem::is_symlink(target, error)) {
        auto resolved = std::filesystem::weakly_canonical(target, error);
        if (!error)
            return resolved;
    }
    return target;
}

mode_t NewFileMode(const std::filesystem::path& target)
{
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0)
        return existing.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

void SyncFolder(const std::filesystem::path& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

// Writes to a temporary file beside the target and renames it over the
// target only once it is complete on disk: a failed save never leaves a
// truncated file or damages the previous one.
bool WriteDocumentAtomically(xmlDocPtr doc, const std::string& path)
{
    const std::filesystem::path target = SaveTarget(path);
    std::filesystem::path folder = target.parent_path();
    if (folder.empty())
        folder = ".";

    std::string pattern = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0)
        return false;
    const std::string temporary(name.data());

    bool written = ::fchmod(fd, NewFileMode(target)) == 0;
    written = written && xmlSaveFormatFileEnc(temporary.c_str(), doc, "UTF-8", 1) > 0;
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

} // namespace

bool CTimeline::SaveFile(const std::string& path) const
{
    QuietXmlErrors quiet;
    xmlDocPtr doc = xmlNewDoc(BAD_CAST "1.0");
    xmlDocSetRootElement(doc, m_tracks.WriteXml());
    const bool written = WriteDocumentAtomically(doc, path);
    xmlFreeDoc(doc);
    return written;
}

bool CTimeline::LoadFile(const std::string& path)
{
    QuietXmlErrors quiet;
    // No network access and no entity substitution: an annotation file is
    // plain data and must not reach outside itself.
    xmlDocPtr doc = xmlReadFile(path.c_str(), "UTF-8", XML_PARSE_RECOVER | XML_PARSE_NONET);
    if (doc == nullptr) {
        if (m_prompt != nullptr)
            m_prompt->Confirm(kLoadFailedText);
        return false;
    }

    bool replaced = false;
    xmlNodePtr root = xmlDocGetRootElement(doc);
    if (root != nullptr && IsElementNamed(root, "corps")) {
        m_tracks.RemoveAll();
        m_currentSegment = nullptr;
        m_tracks.ReadXml(root->children);
        NoteChange();
        replaced = true;
    }
    xmlFreeDoc(doc);
    xmlCleanupParser();
    return replaced;
}
