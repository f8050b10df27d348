#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include <libxml/tree.h>

#include "XmlAttributes.h"

// Small helpers at the libxml2 boundary of the annotation file.

// Element node whose name is exactly `name` (byte for byte, so case matters).
bool IsElementNamed(xmlNodePtr node, const char* name);
// Copy of the attribute's value, or none when the attribute is missing.
std::optional<std::string> XmlProp(xmlNodePtr node, const char* name);
// An element's attributes in a tree, read with XmlProp.
class XmlNodeAttributes final : public XmlAttributes {
public:
    explicit XmlNodeAttributes(xmlNodePtr node) : m_node(node) {}
    std::optional<std::string> Get(const char* name) const override { return XmlProp(m_node, name); }

private:
    xmlNodePtr m_node;
};
// Length of the valid UTF-8 sequence at text[i] holding a character that
// XML 1.0 allows, or 0 when there is none.
std::size_t XmlCharLength(std::string_view text, std::size_t i);
// The text unchanged when XML 1.0 can carry it; otherwise each invalid UTF-8
// sequence and each character XML forbids (control characters other than tab,
// newline and carriage return, U+FFFE, U+FFFF) becomes U+FFFD, so that a
// saved file always parses back.
std::string XmlSafeText(std::string_view text);
