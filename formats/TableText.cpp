#include "TableText.h"

#include "StoredTime.h"

TableText::TableText(const TableDialect& dialect, std::string& out) : m_dialect(dialect), m_out(out)
{
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
    for (const char c : text) {
        if (c == m_dialect.separator || c == '\t' || c == '\n' || c == '\r' || c == '"') {
            quoted = true;
            break;
        }
    }
    if (!quoted) {
        if (formula)
            m_out += '\'';
        m_out += text;
        return;
    }
    m_out += '"';
    if (formula)
        m_out += '\'';
    for (const char c : text) {
        if (c == '"')
            m_out += '"';
        m_out += c;
    }
    m_out += '"';
}

void TableText::Number(std::string_view number)
{
    Separate();
    m_out += number;
}

void TableText::Integer(long long value)
{
    Number(std::to_string(value));
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
