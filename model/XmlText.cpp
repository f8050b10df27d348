#include "XmlText.h"

#include <cstring>

namespace {

const char kReplacement[] = "\xEF\xBF\xBD"; // U+FFFD

} // namespace

size_t XmlCharLength(std::string_view s, size_t i)
{
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = byte(i);
    if (c < 0x80)
        return (c >= 0x20 || c == '\t' || c == '\n' || c == '\r') ? 1 : 0;
    size_t length = 0;
    char32_t cp = 0;
    char32_t min = 0;
    if ((c & 0xE0) == 0xC0) {
        length = 2; cp = c & 0x1F; min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
        length = 3; cp = c & 0x0F; min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
        length = 4; cp = c & 0x07; min = 0x10000;
    } else {
        return 0;
    }
    if (i + length > s.size())
        return 0;
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF) || cp == 0xFFFE || cp == 0xFFFF)
        return 0;
    return length;
}

bool IsElementNamed(xmlNodePtr node, const char* name)
{
    return node->type == XML_ELEMENT_NODE && node->name != nullptr
        && std::strcmp(reinterpret_cast<const char*>(node->name), name) == 0;
}

std::optional<std::string> XmlProp(xmlNodePtr node, const char* name)
{
    // An attribute written as one plain text is copied once, straight from
    // the tree; others (entity references, defaults from a document type)
    // are left to the library.
    for (xmlAttrPtr attribute = node->properties; attribute != nullptr; attribute = attribute->next) {
        if (std::strcmp(reinterpret_cast<const char*>(attribute->name), name) != 0)
            continue;
        const xmlNode* text = attribute->children;
        if (text == nullptr)
            return std::string();
        if (text->next == nullptr && text->type == XML_TEXT_NODE && text->content != nullptr)
            return std::string(reinterpret_cast<const char*>(text->content));
        break;
    }
    xmlChar* value = xmlGetProp(node, BAD_CAST name);
    if (value == nullptr)
        return std::nullopt;
    std::string copy(reinterpret_cast<const char*>(value));
    xmlFree(value);
    return copy;
}

std::string XmlSafeText(std::string_view text)
{
    size_t i = 0;
    while (i < text.size()) {
        const size_t n = XmlCharLength(text, i);
        if (n == 0)
            break;
        i += n;
    }
    if (i == text.size())
        return std::string(text);

    std::string safe(text.substr(0, i));
    while (i < text.size()) {
        const size_t n = XmlCharLength(text, i);
        if (n == 0) {
            safe += kReplacement;
            ++i;
            continue;
        }
        safe.append(text, i, n);
        i += n;
    }
    return safe;
}
