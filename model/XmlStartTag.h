#pragma once

#include <optional>
#include <string>

#include <libxml/xmlstring.h>

#include "XmlAttributes.h"

// A start tag as libxml2's SAX2 parser hands it on (startElementNs), valid
// for that call only. Names and values read as they would in the tree that
// libxml2 builds from the same tag, so that reading while parsing gives what
// reading the finished document gives.
class XmlStartTag final : public XmlAttributes {
public:
    // `attributes` holds five pointers an attribute: local name, prefix,
    // namespace, start and end of the value.
    XmlStartTag(const xmlChar* localName, const xmlChar* prefix, const xmlChar* uri, int attributeCount,
                const xmlChar** attributes)
        : m_localName(localName), m_prefix(prefix), m_uri(uri), m_attributeCount(attributeCount),
          m_attributes(attributes)
    {
    }

    // Whether the element's name is exactly `name` (a prefix that names no
    // namespace stays part of the name, as in the tree).
    bool IsNamed(const char* name) const;
    std::optional<std::string> Get(const char* name) const override;

private:
    const xmlChar* m_localName;
    const xmlChar* m_prefix;
    const xmlChar* m_uri;
    int m_attributeCount;
    const xmlChar** m_attributes;
};
