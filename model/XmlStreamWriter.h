#pragma once

#include <string>
#include <string_view>
#include <vector>

// Writes an XML document of elements and attributes straight to a
// descriptor as it is described, laid out as libxml2 indents a tree
// (xmlSaveFormatFileTo): the declaration, then one element a line, two
// spaces a level, an element without children closed in its start tag.
// Building the tree first cost several times the writing.
class XmlStreamWriter {
public:
    // Not owned; written to as the buffer fills.
    explicit XmlStreamWriter(int fd);

    XmlStreamWriter(const XmlStreamWriter&) = delete;
    XmlStreamWriter& operator=(const XmlStreamWriter&) = delete;

    // A child of the element open, or the root; `name` must outlive it.
    void StartElement(const char* name);
    // An attribute of the element just started. The value is made safe for
    // XML 1.0 (XmlSafeText) and escaped as libxml2 escapes attribute values.
    void Attribute(const char* name, std::string_view value);
    void EndElement();
    // Writes out what is buffered; false when any write failed.
    bool Finish();

private:
    struct OpenElement {
        const char* name;
        bool hasChildren;
    };

    void Indent();
    void FlushIfFull();
    void Flush();

    int m_fd;
    bool m_failed = false;
    std::string m_buffer;
    std::vector<OpenElement> m_open;
};
