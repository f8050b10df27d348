#include "XmlFileReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <exception>

#include <libxml/parser.h>
#include <libxml/valid.h>

#include "QuietXmlErrors.h"

namespace {

// Texts and names as long as a save writes them (a title of 50 MB must come
// back whole). No tree is built, so the last two change nothing but keep
// the parser on the paths on which it always read these files.
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
        // Between the bytes that matter the scan skips at memchr's pace: it
        // reads every byte of the file before the parser does.
        const auto skipTo = [&](size_t& i, char wanted) {
            const void* found = std::memchr(bytes + i, wanted, count - i);
            i = found != nullptr ? static_cast<size_t>(static_cast<const char*>(found) - bytes) : count;
            return found != nullptr;
        };
        for (size_t i = 0; i < count; ++i) {
            const char c = bytes[i];
            switch (m_state) {
            case State::Text:
                if (skipTo(i, '<'))
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
                if (skipTo(i, m_quote)) {
                    m_state = State::StartTag;
                    m_inName = false;
                }
                break;
            case State::Other:
                if (skipTo(i, '>'))
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
    xmlParserCtxtPtr parser = nullptr;
    XmlElementHandler* handler = nullptr;
    // Thrown by the handler: it must not unwind through the parser's C
    // frames, so the parse is stopped and it is thrown again after.
    std::exception_ptr thrown;
    // The local name of the element whose start tag was just handed on,
    // until anything else is heard of.
    const xmlChar* justStarted = nullptr;
};

FileInput& InputOf(void* parser)
{
    return *static_cast<FileInput*>(static_cast<xmlParserCtxtPtr>(parser)->_private);
}

template <typename Call>
void Hand(FileInput& input, Call call)
{
    try {
        call(*input.handler);
    } catch (...) {
        input.thrown = std::current_exception();
        xmlStopParser(input.parser);
    }
}

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
    InputOf(parser).declares = true;
    xmlStopParser(static_cast<xmlParserCtxtPtr>(parser));
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

void OnStartElement(void* parser, const xmlChar* localname, const xmlChar* prefix, const xmlChar* uri, int,
                    const xmlChar**, int attributeCount, int, const xmlChar** attributes)
{
    FileInput& input = InputOf(parser);
    input.justStarted = localname;
    const XmlStartTag tag(localname, prefix, uri, attributeCount, attributes);
    Hand(input, [&tag](XmlElementHandler& handler) { handler.ElementStarted(tag); });
}

void OnEndElement(void* parser, const xmlChar*, const xmlChar*, const xmlChar*)
{
    FileInput& input = InputOf(parser);
    input.justStarted = nullptr;
    Hand(input, [](XmlElementHandler& handler) { handler.ElementEnded(); });
}

// A start tag that does not end with '>' is dropped: the parser goes on as
// if the element had ended, without saying so through the SAX interface.
// It reports the fault at once, before anything else, naming the element.
void OnError(FileInput& input, const xmlError& error)
{
    const xmlChar* started = input.justStarted;
    input.justStarted = nullptr;
    if (started == nullptr || error.domain != XML_FROM_PARSER || error.code != XML_ERR_GT_REQUIRED
        || error.str1 == nullptr || std::strcmp(error.str1, reinterpret_cast<const char*>(started)) != 0)
        return;
    Hand(input, [](XmlElementHandler& handler) { handler.ElementEnded(); });
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

XmlFileRead ReadXmlFile(const std::string& path, XmlElementHandler& handler)
{
    XmlFileRead result;
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
    FileInput input;
    QuietXmlErrors quiet([&input](const xmlError& error) { OnError(input, error); });
    input.fd = file.Get();
    input.errors = &quiet;
    input.parser = parser;
    input.handler = &handler;
    parser->_private = &input;
    xmlSAXHandler* sax = parser->sax;
    sax->entityDecl = OnEntityDecl;
    sax->unparsedEntityDecl = OnUnparsedEntityDecl;
    sax->notationDecl = OnNotationDecl;
    sax->elementDecl = OnElementDecl;
    sax->attributeDecl = OnAttributeDecl;
    sax->startElementNs = OnStartElement;
    sax->endElementNs = OnEndElement;
    // No tree: only the document node is made, for the parser's own use.
    sax->characters = nullptr;
    sax->cdataBlock = nullptr;
    sax->comment = nullptr;
    sax->processingInstruction = nullptr;
    sax->reference = nullptr;

    xmlDocPtr doc = xmlCtxtReadIO(parser, ReadInput, nullptr, &input, nullptr, "UTF-8", kParseOptions);
    const bool parsed = doc != nullptr;
    const bool wellFormed = parser->wellFormed != 0;
    xmlFreeDoc(doc);
    xmlFreeParserCtxt(parser);
    if (input.thrown)
        std::rethrow_exception(input.thrown);
    if (!parsed || input.refused || input.declares)
        return result;
    result.read = true;
    result.damaged = !wellFormed || quiet.SawFatalError() || input.givenUp;
    return result;
}
