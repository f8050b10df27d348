#pragma once

#include <functional>
#include <memory>
#include <string>

#include <libxml/tree.h>

struct XmlDocumentFree {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using XmlDocument = std::unique_ptr<xmlDoc, XmlDocumentFree>;

struct ParsedXmlFile {
    // None when the file could not be read, is not recoverable as XML, or
    // was refused: it declares something in a document type (entities,
    // attribute defaults...), or holds more attributes in a tag or more
    // namespace declarations than any annotation file needs.
    XmlDocument doc;
    // The parser skipped or stopped at damage: the document holds less than
    // the file did, or something else than it said.
    bool damaged = false;
};

// Called as the parser closes each element, with its subtree complete; it
// may read the element and release it (ReleaseXmlNode), never its parent.
using XmlElementClosed = std::function<void(xmlNodePtr element)>;

// Parses exactly the file at `path`: the name is not read as a URI, nothing
// is fetched from the network, and the bytes are read as UTF-8 whatever the
// file declares (a UTF-8 byte-order mark is skipped). A damaged file gives
// whatever the parser can recover from it.
ParsedXmlFile ReadXmlFile(const std::string& path, const XmlElementClosed& elementClosed = {});
