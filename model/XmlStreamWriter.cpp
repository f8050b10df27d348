#include "XmlStreamWriter.h"

#include <array>

#include "AtomicFile.h"
#include "XmlText.h"

namespace {

// Written once this much is buffered: few system calls, little memory.
constexpr size_t kFlushSize = 1 << 20;

// What libxml2 writes for each ASCII character of an attribute value
// (xmlBufAttrSerializeTxtContent), or null for the character itself. Other
// control characters never reach it (XmlSafeText).
constexpr std::array<const char*, 128> MakeEscapes()
{
    std::array<const char*, 128> escapes{};
    escapes['\t'] = "&#9;";
    escapes['\n'] = "&#10;";
    escapes['\r'] = "&#13;";
    escapes['"'] = "&quot;";
    escapes['&'] = "&amp;";
    escapes['<'] = "&lt;";
    escapes['>'] = "&gt;";
    return escapes;
}
constexpr std::array<const char*, 128> kEscapes = MakeEscapes();

// Appends the text escaped; false, leaving `out` as it was, when the text
// holds something XML cannot carry.
bool AppendEscaped(std::string& out, std::string_view text)
{
    const size_t before = out.size();
    size_t plain = 0; // start of the characters not yet appended
    size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x80 && kEscapes[c] == nullptr) {
            ++i;
            continue;
        }
        const size_t length = XmlCharLength(text, i);
        if (length == 0) {
            out.resize(before);
            return false;
        }
        if (c >= 0x80) {
            i += length;
            continue;
        }
        out.append(text, plain, i - plain);
        out += kEscapes[c];
        plain = ++i;
    }
    out.append(text, plain, text.size() - plain);
    return true;
}

} // namespace

XmlStreamWriter::XmlStreamWriter(int fd) : m_fd(fd)
{
    m_buffer.reserve(kFlushSize + 4096);
    m_buffer += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
}

void XmlStreamWriter::StartElement(const char* name)
{
    if (!m_open.empty() && !m_open.back().hasChildren) {
        m_open.back().hasChildren = true;
        m_buffer += ">\n";
    }
    Indent();
    m_buffer += '<';
    m_buffer += name;
    m_open.push_back({name, false});
}

void XmlStreamWriter::Attribute(const char* name, std::string_view value)
{
    m_buffer += ' ';
    m_buffer += name;
    m_buffer += "=\"";
    if (!AppendEscaped(m_buffer, value))
        AppendEscaped(m_buffer, XmlSafeText(value));
    m_buffer += '"';
}

void XmlStreamWriter::EndElement()
{
    const OpenElement element = m_open.back();
    m_open.pop_back();
    if (element.hasChildren) {
        Indent();
        m_buffer += "</";
        m_buffer += element.name;
        m_buffer += ">\n";
    } else {
        m_buffer += "/>\n";
    }
    FlushIfFull();
}

bool XmlStreamWriter::Finish()
{
    Flush();
    return !m_failed;
}

void XmlStreamWriter::Indent()
{
    m_buffer.append(2 * m_open.size(), ' ');
}

void XmlStreamWriter::FlushIfFull()
{
    if (m_buffer.size() >= kFlushSize)
        Flush();
}

// After a failed write nothing more is written: the file is abandoned.
void XmlStreamWriter::Flush()
{
    if (!m_failed && !m_buffer.empty())
        m_failed = !WriteAllBytes(m_fd, m_buffer.data(), m_buffer.size());
    m_buffer.clear();
}
