#pragma once

#include <string>

#include "XmlStartTag.h"

// Told of each element as the parser meets it; nothing of the document is
// kept. Every element started is ended, unless the file stops inside it:
// the elements open at any moment are those of the tree libxml2 would have
// built by then. May throw: the parse stops and the exception reaches the
// caller of ReadXmlFile.
class XmlElementHandler {
public:
    virtual void ElementStarted(const XmlStartTag& tag) = 0;
    virtual void ElementEnded() = 0;

protected:
    ~XmlElementHandler() = default;
};

struct XmlFileRead {
    // False when the file could not be read, held no document at all, or
    // was refused: it declares something in a document type (entities,
    // attribute defaults...), or holds more attributes in a tag or more
    // namespace declarations than any annotation file needs.
    bool read = false;
    // The parser skipped or stopped at damage: the elements handed on are
    // fewer than the file held, or other than it said.
    bool damaged = false;
};

// Parses exactly the file at `path`: the name is not read as a URI, nothing
// is fetched from the network, and the bytes are read as UTF-8 whatever the
// file declares (a UTF-8 byte-order mark is skipped). A damaged file gives
// whatever the parser can recover from it.
XmlFileRead ReadXmlFile(const std::string& path, XmlElementHandler& handler);
