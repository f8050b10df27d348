#include "XmlText.h"

#include <cstring>

#include "Utf8.h"

namespace {

const char kReplacement[] = "\xEF\xBF\xBD"; // U+FFFD

} // namespace

size_t XmlCharLength(std::string_view s, size_t i)
{
    const auto character = DecodeUtf8At(s, i);
    if (!character)
        return 0;
    const char32_t c = character->code;
    const bool allowed = c >= 0x20 ? c != 0xFFFE && c != 0xFFFF : c == '\t' || c == '\n' || c == '\r';
    return allowed ? character->length : 0;
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
