#include "XmlElementTexts.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include "QuietXmlErrors.h"

namespace {

// As ReadXmlFile: a file of small faults repeated would keep the parser
// formatting errors for minutes.
constexpr long kMaxErrors = 1000;

struct TextReading {
    int fd = -1;
    bool atStart = true;
    const std::vector<std::string>* names = nullptr;
    std::vector<std::string> texts;
    int depth = 0; // inside the element being collected
};

// Skips a UTF-8 byte-order mark: with the encoding forced to UTF-8 the
// parser would take it for text before the root.
int ReadInput(void* context, char* buffer, int length)
{
    auto* reading = static_cast<TextReading*>(context);
    ssize_t count = 0;
    do {
        count = ::read(reading->fd, buffer, static_cast<size_t>(length));
    } while (count < 0 && errno == EINTR);
    if (count < 0)
        return -1;
    if (reading->atStart && count >= 3 && std::memcmp(buffer, "\xEF\xBB\xBF", 3) == 0) {
        std::memmove(buffer, buffer + 3, static_cast<size_t>(count) - 3);
        count -= 3;
    }
    reading->atStart = false;
    return static_cast<int>(count);
}

int CloseInput(void*)
{
    return 0;
}

void OnStart(void* context, const xmlChar* localName, const xmlChar*, const xmlChar*, int, const xmlChar**, int, int,
             const xmlChar**)
{
    auto* reading = static_cast<TextReading*>(context);
    if (reading->depth > 0) {
        ++reading->depth;
        return;
    }
    const std::string name(reinterpret_cast<const char*>(localName));
    if (std::find(reading->names->begin(), reading->names->end(), name) == reading->names->end())
        return;
    reading->texts.emplace_back();
    reading->depth = 1;
}

void OnEnd(void* context, const xmlChar*, const xmlChar*, const xmlChar*)
{
    auto* reading = static_cast<TextReading*>(context);
    if (reading->depth > 0)
        --reading->depth;
}

void OnText(void* context, const xmlChar* text, int length)
{
    auto* reading = static_cast<TextReading*>(context);
    if (reading->depth > 0)
        reading->texts.back().append(reinterpret_cast<const char*>(text), static_cast<size_t>(length));
}

} // namespace

std::optional<std::vector<std::string>> ReadElementTexts(const std::string& path,
                                                         const std::vector<std::string>& names)
{
    TextReading reading;
    reading.names = &names;
    reading.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat info {};
    if (reading.fd < 0 || ::fstat(reading.fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        if (reading.fd >= 0)
            ::close(reading.fd);
        return std::nullopt;
    }
    // Only these callbacks: no tree is built, and no declaration of the
    // document type is kept, so that no entity can be expanded.
    xmlSAXHandler sax{};
    sax.initialized = XML_SAX2_MAGIC;
    sax.startElementNs = OnStart;
    sax.endElementNs = OnEnd;
    sax.characters = OnText;
    sax.cdataBlock = OnText;
    xmlParserCtxtPtr parser = xmlCreateIOParserCtxt(&sax, &reading, ReadInput, CloseInput, &reading,
                                                    XML_CHAR_ENCODING_UTF8);
    if (parser == nullptr) {
        ::close(reading.fd);
        return std::nullopt;
    }
    xmlCtxtUseOptions(parser, XML_PARSE_RECOVER | XML_PARSE_NONET | XML_PARSE_HUGE | XML_PARSE_IGNORE_ENC);
    {
        long errors = 0;
        QuietXmlErrors quiet([&errors, parser](const xmlError&) {
            if (++errors > kMaxErrors)
                xmlStopParser(parser);
        });
        xmlParseDocument(parser);
    }
    xmlFreeParserCtxt(parser);
    ::close(reading.fd);
    return std::move(reading.texts);
}
