#include "TableText.h"

#include <charconv>

#include "StoredTime.h"

TableText::TableText(const TableDialect& dialect, std::string& out) : m_dialect(dialect), m_out(out)
{
    for (const char c : {m_dialect.separator, '\t', '\n', '\r', '"'})
        m_quotes[static_cast<unsigned char>(c)] = true;
    if (m_dialect.byteOrderMark && m_out.empty())
        m_out += "\xEF\xBB\xBF";
}

void TableText::Separate()
{
    if (m_rowStarted)
        m_out += m_dialect.separator;
    m_rowStarted = true;
}

void TableText::Text(std::string_view text)
{
    Separate();
    const bool formula = m_dialect.guardFormulas && !text.empty()
        && (text.front() == '=' || text.front() == '+' || text.front() == '-' || text.front() == '@');
    bool quoted = false;
    for (const char c : text)
        quoted = quoted || m_quotes[static_cast<unsigned char>(c)];
    if (quoted)
        m_out += '"';
    if (formula)
        m_out += '\'';
    if (!quoted) {
        m_out += text;
        return;
    }
    // Each run up to and with a quote, then the quote again.
    for (size_t quote = text.find('"'); quote != std::string_view::npos; quote = text.find('"')) {
        m_out.append(text.substr(0, quote + 1));
        m_out += '"';
        text.remove_prefix(quote + 1);
    }
    m_out += text;
    m_out += '"';
}

void TableText::Number(std::string_view number)
{
    Separate();
    m_out += number;
}

void TableText::Integer(long long value)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    Number(std::string_view(digits, static_cast<size_t>(end - digits)));
}

void TableText::Seconds(long long stored)
{
    Number(SecondsText(stored, m_dialect.decimalPoint));
}

void TableText::EndRow()
{
    m_out += m_dialect.lineEnd;
    m_rowStarted = false;
}
