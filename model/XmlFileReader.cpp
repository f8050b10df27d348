#include "XmlFileReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/valid.h>

#include "QuietXmlErrors.h"

namespace {

// Texts and names as long as a save writes them (a title of 50 MB must come
// back whole); the format needs no indentation text nodes, and short values
// kept inside their nodes save an allocation each.
constexpr int kParseOptions
    = XML_PARSE_RECOVER | XML_PARSE_NONET | XML_PARSE_HUGE | XML_PARSE_NOBLANKS | XML_PARSE_COMPACT;

// Bounds far beyond what an annotation file holds (at most three attributes
// an element, no namespace), so that a small file cannot make the parser
// work for minutes: libxml2 checks the attributes of a start tag for
// duplicates pair by pair, and looks a prefix up through every namespace
// declared around it, so one tag of a hundred thousand attributes, or
// thirty thousand declarations each looked up a hundred thousand times,
// fit in under 1 MB.
constexpr int kMaxAttributesPerTag = 256;
constexpr int kMaxNamespaceDeclarations = 64;
// libxml2 formats and copies every error it meets, and a file of small
// faults repeated (an attribute given twice, a control character) holds a
// hundred thousand of them in 1 MB. Past this many the file is beyond
// recovery: the rest of it is not read.
constexpr long kMaxErrors = 1000;

// Follows the bytes as they are read, just closely enough to count the
// attributes of each start tag (their '=' signs outside quoted values) and
// the namespace declarations among them (names that begin with "xmlns").
class StartTagScan {
public:
    // False once a start tag has too many attributes, or the document too
    // many namespace declarations.
    bool Feed(const char* bytes, size_t count)
    {
        for (size_t i = 0; i < count; ++i) {
            const char c = bytes[i];
            switch (m_state) {
            case State::Text:
                if (c == '<')
                    m_state = State::AfterOpen;
                break;
            case State::AfterOpen:
                if (c == '!' || c == '?' || c == '/') {
                    m_state = State::Other;
                } else if (c == '>') {
                    m_state = State::Text;
                } else {
                    m_state = State::StartTag;
                    m_attributes = 0;
                    m_inName = false;
                    NoteNameByte(c);
                }
                break;
            case State::StartTag:
                if (c == '"' || c == '\'') {
                    m_quote = c;
                    m_state = State::Quoted;
                } else if (c == '=') {
                    if (++m_attributes > kMaxAttributesPerTag)
                        return false;
                    if (m_nameLength >= 5 && m_nameIsXmlns && ++m_namespaces > kMaxNamespaceDeclarations)
                        return false;
                } else if (c == '>') {
                    m_state = State::Text;
                } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
                    m_inName = false;
                } else {
                    NoteNameByte(c);
                }
                break;
            case State::Quoted:
                if (c == m_quote) {
                    m_state = State::StartTag;
                    m_inName = false;
                }
                break;
            case State::Other:
                if (c == '>')
                    m_state = State::Text;
                break;
            }
        }
        return true;
    }

private:
    // A byte of the element's or an attribute's name.
    void NoteNameByte(char c)
    {
        if (!m_inName) {
            m_inName = true;
            m_nameLength = 0;
            m_nameIsXmlns = true;
        }
        static const char kXmlns[] = "xmlns";
        if (m_nameLength < 5 && c != kXmlns[m_nameLength])
            m_nameIsXmlns = false;
        ++m_nameLength;
    }

    enum class State { Text, AfterOpen, StartTag, Quoted, Other };
    State m_state = State::Text;
    char m_quote = 0;
    int m_attributes = 0;
    int m_namespaces = 0;
    bool m_inName = false;
    int m_nameLength = 0;
    bool m_nameIsXmlns = false;
};

struct FileInput {
    int fd = -1;
    StartTagScan scan;
    const QuietXmlErrors* errors = nullptr;
    bool givenUp = false; // too many errors
    bool refused = false;
    bool declares = false; // something in the document type
    const XmlElementClosed* elementClosed = nullptr;
    // Per open element: whether the tree builder made a node for it (it does
    // not when memory runs out), so that the node handed on is that element.
    std::vector<bool> built;
};

int ReadInput(void* context, char* buffer, int length)
{
    auto* input = static_cast<FileInput*>(context);
    if (input->errors->ErrorCount() > kMaxErrors) {
        input->givenUp = true;
        return -1;
    }
    ssize_t count = 0;
    do {
        count = ::read(input->fd, buffer, static_cast<size_t>(length));
    } while (count < 0 && errno == EINTR);
    if (count < 0)
        return -1;
    if (!input->scan.Feed(buffer, static_cast<size_t>(count))) {
        input->refused = true;
        return -1;
    }
    return static_cast<int>(count);
}

// The format has no document type. An entity referred to a few thousand
// times in one attribute is expanded in full at each reference when the
// value is read, hundreds of MB from a file of 100 KB; thousands of
// attribute defaults are checked against every element that they name,
// minutes of work for a file under 1 MB. A document that declares anything
// in its document type is refused at the first declaration, before any of
// that work.
void RefuseDeclaration(void* parser)
{
    auto* context = static_cast<xmlParserCtxtPtr>(parser);
    static_cast<FileInput*>(context->_private)->declares = true;
    xmlStopParser(context);
}

void OnEntityDecl(void* parser, const xmlChar*, int, const xmlChar*, const xmlChar*, xmlChar*)
{
    RefuseDeclaration(parser);
}

void OnUnparsedEntityDecl(void* parser, const xmlChar*, const xmlChar*, const xmlChar*, const xmlChar*)
{
    RefuseDeclaration(parser);
}

void OnNotationDecl(void* parser, const xmlChar*, const xmlChar*, const xmlChar*)
{
    RefuseDeclaration(parser);
}

void OnElementDecl(void* parser, const xmlChar*, int, xmlElementContentPtr)
{
    RefuseDeclaration(parser);
}

// The handler owns the list of values.
void OnAttributeDecl(void* parser, const xmlChar*, const xmlChar*, int, int, const xmlChar*, xmlEnumerationPtr values)
{
    xmlFreeEnumeration(values);
    RefuseDeclaration(parser);
}

void OnStartElement(void* parser, const xmlChar* localname, const xmlChar* prefix, const xmlChar* uri,
                    int namespaceCount, const xmlChar** namespaces, int attributeCount, int defaultedCount,
                    const xmlChar** attributes)
{
    auto* context = static_cast<xmlParserCtxtPtr>(parser);
    const int depth = context->nodeNr;
    xmlSAX2StartElementNs(parser, localname, prefix, uri, namespaceCount, namespaces, attributeCount, defaultedCount,
                          attributes);
    static_cast<FileInput*>(context->_private)->built.push_back(context->nodeNr > depth);
}

void OnEndElement(void* parser, const xmlChar* localname, const xmlChar* prefix, const xmlChar* uri)
{
    auto* context = static_cast<xmlParserCtxtPtr>(parser);
    auto* input = static_cast<FileInput*>(context->_private);
    xmlNodePtr element = nullptr;
    if (!input->built.empty()) {
        if (input->built.back())
            element = context->node;
        input->built.pop_back();
    }
    xmlSAX2EndElementNs(parser, localname, prefix, uri);
    if (element == nullptr || !*input->elementClosed)
        return;
    (*input->elementClosed)(element);
    // The element may have been released, leaving a text node before it last
    // under its parent. The tree builder would append the next text to that
    // node at the length of the last text it made (inside the element), far
    // past the node's end; 0 makes it measure the node's text instead.
    context->nodemem = 0;
    context->nodelen = 0;
}

// Leaves the file positioned after a UTF-8 byte-order mark, or at its start.
// With the encoding forced to UTF-8 the parser would take the mark for text
// before the root element.
bool SkipByteOrderMark(int fd)
{
    unsigned char head[3] = {};
    const ssize_t count = ::pread(fd, head, sizeof head, 0);
    const bool mark = count == 3 && head[0] == 0xEF && head[1] == 0xBB && head[2] == 0xBF;
    return ::lseek(fd, mark ? 3 : 0, SEEK_SET) >= 0;
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const { return m_fd; }

private:
    int m_fd;
};

} // namespace

ParsedXmlFile ReadXmlFile(const std::string& path, const XmlElementClosed& elementClosed)
{
    ParsedXmlFile result;
    // Non-blocking so that a named pipe chosen by mistake cannot freeze the
    // window; only regular files are read.
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat info {};
    if (file.Get() < 0 || ::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode))
        return result;
    if (!SkipByteOrderMark(file.Get()))
        return result;

    xmlParserCtxtPtr parser = xmlNewParserCtxt();
    if (parser == nullptr)
        return result;
    QuietXmlErrors quiet;
    FileInput input;
    input.fd = file.Get();
    input.errors = &quiet;
    input.elementClosed = &elementClosed;
    parser->_private = &input;
    parser->sax->entityDecl = OnEntityDecl;
    parser->sax->unparsedEntityDecl = OnUnparsedEntityDecl;
    parser->sax->notationDecl = OnNotationDecl;
    parser->sax->elementDecl = OnElementDecl;
    parser->sax->attributeDecl = OnAttributeDecl;
    parser->sax->startElementNs = OnStartElement;
    parser->sax->endElementNs = OnEndElement;

    XmlDocument doc(xmlCtxtReadIO(parser, ReadInput, nullptr, &input, nullptr, "UTF-8", kParseOptions));
    const bool wellFormed = parser->wellFormed != 0;
    xmlFreeParserCtxt(parser);
    if (input.refused || input.declares)
        return result;
    result.damaged = doc != nullptr && (!wellFormed || quiet.SawFatalError() || input.givenUp);
    result.doc = std::move(doc);
    return result;
}
