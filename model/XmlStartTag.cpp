#include "XmlStartTag.h"

#include <cstring>
#include <string_view>

namespace {

const char* Text(const xmlChar* text)
{
    return reinterpret_cast<const char*>(text);
}

// The tree names a node by its local name, or by prefix:local when the
// prefix was declared nowhere.
bool QualifiedNameIs(const xmlChar* localName, const xmlChar* prefix, const xmlChar* uri, const char* name)
{
    if (prefix == nullptr || uri != nullptr)
        return std::strcmp(Text(localName), name) == 0;
    const size_t prefixLength = std::strlen(Text(prefix));
    return std::strncmp(Text(prefix), name, prefixLength) == 0 && name[prefixLength] == ':'
        && std::strcmp(Text(localName), name + prefixLength + 1) == 0;
}

// Appends the character `code` in UTF-8; nothing for 0, which the tree
// drops.
void AppendUtf8(std::string& out, unsigned long code)
{
    if (code == 0 || code > 0x10FFFF)
        return;
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// The reference at text[i] ('&'): appends what it stands for and returns
// its length, or 0 when it is none the tree would replace.
size_t AppendReference(std::string& out, std::string_view text, size_t i)
{
    const size_t semicolon = text.find(';', i);
    if (semicolon == std::string_view::npos)
        return 0;
    const std::string_view body = text.substr(i + 1, semicolon - i - 1);
    if (body.size() >= 2 && body[0] == '#') {
        const bool hex = body[1] == 'x';
        const std::string_view digits = body.substr(hex ? 2 : 1);
        if (digits.empty())
            return 0;
        unsigned long code = 0;
        for (char c : digits) {
            int value = -1;
            if (c >= '0' && c <= '9')
                value = c - '0';
            else if (hex && c >= 'a' && c <= 'f')
                value = c - 'a' + 10;
            else if (hex && c >= 'A' && c <= 'F')
                value = c - 'A' + 10;
            if (value < 0)
                return 0;
            code = code * (hex ? 16 : 10) + static_cast<unsigned long>(value);
            if (code > 0x10FFFF)
                return 0;
        }
        AppendUtf8(out, code);
        return semicolon - i + 1;
    }
    static const std::pair<std::string_view, char> kPredefined[]
        = {{"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"apos", '\''}, {"quot", '"'}};
    for (const auto& [name, character] : kPredefined) {
        if (body == name) {
            out += character;
            return semicolon - i + 1;
        }
    }
    return 0;
}

// The value as the tree holds it. With entities left unreplaced the parser
// hands a value that held a reference over with each '&' written "&#38;",
// which the tree builder reads back into text; a value ends at a NUL as
// the tree's text does.
std::string AttributeValue(const xmlChar* begin, const xmlChar* end)
{
    const std::string_view raw(Text(begin), static_cast<size_t>(end - begin));
    const std::string_view text = raw.substr(0, raw.find('\0'));
    std::string value;
    value.reserve(text.size());
    size_t plain = 0;
    for (size_t i = text.find('&'); i != std::string_view::npos; i = text.find('&', i)) {
        value.append(text, plain, i - plain);
        const size_t length = AppendReference(value, text, i);
        if (length == 0) {
            value += '&';
            ++i;
        } else {
            i += length;
        }
        plain = i;
    }
    value.append(text, plain);
    return value;
}

} // namespace

bool XmlStartTag::IsNamed(const char* name) const
{
    return QualifiedNameIs(m_localName, m_prefix, m_uri, name);
}

std::optional<std::string> XmlStartTag::Get(const char* name) const
{
    for (int i = 0; i < m_attributeCount; ++i) {
        const xmlChar* const* attribute = m_attributes + 5 * i;
        if (QualifiedNameIs(attribute[0], attribute[1], attribute[2], name))
            return AttributeValue(attribute[3], attribute[4]);
    }
    return std::nullopt;
}
