#include "XmlFileWriter.h"

#include <libxml/encoding.h>
#include <libxml/xmlIO.h>
#include <libxml/xmlsave.h>

#include "AtomicFile.h"
#include "QuietXmlErrors.h"

namespace {

struct Sink {
    int fd = -1;
    bool failed = false;
};

// libxml2's own descriptor output takes a short write as complete; this
// one writes everything or fails.
int WriteAll(void* context, const char* buffer, int length)
{
    auto* sink = static_cast<Sink*>(context);
    if (!WriteAllBytes(sink->fd, buffer, static_cast<size_t>(length))) {
        sink->failed = true;
        return -1;
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

bool WriteXmlFileAtomically(xmlDocPtr doc, const std::string& path)
{
    return WriteFileAtomically(path, [doc](int fd) { return WriteDocument(doc, fd); });
}
