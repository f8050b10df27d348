#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// How one of the delimited tables is spelled: the field separator, the
// decimal point, the line end, and what the spreadsheets need besides.
struct TableDialect {
    char separator = '\t';
    char decimalPoint = '.';
    const char* lineEnd = "\n";
    // A UTF-8 byte-order mark first: the French spreadsheets read the file
    // as their own legacy encoding without one.
    bool byteOrderMark = false;
    // A text beginning with "=", "+", "-" or "@" gets a leading apostrophe,
    // so that a spreadsheet shows it instead of running it as a formula.
    bool guardFormulas = false;
};

inline constexpr TableDialect kTsvDialect{'\t', '.', "\n", false, false};
inline constexpr TableDialect kCsvDialect{',', '.', "\r\n", false, false};
inline constexpr TableDialect kFrenchCsvDialect{';', ',', "\r\n", true, true};

// Appends the rows of one table to `out`, each field as the dialect wants it.
class TableText {
public:
    TableText(const TableDialect& dialect, std::string& out);

    // A text: quoted, its quotes doubled, when it holds the separator, a
    // tab, a line break or a double quote, so that Python's csv module,
    // pandas and R read it back exactly.
    void Text(std::string_view text);
    // A number already spelled; never quoted, never guarded.
    void Number(std::string_view number);
    void Integer(long long value);
    // Stored time units (tenths of a millisecond) as seconds, four decimals.
    void Seconds(long long stored);
    // An empty field.
    void Empty() { Number({}); }
    void EndRow();

    const TableDialect& Dialect() const { return m_dialect; }

    // Room for `bytes` more, so that a large table grows its buffer once.
    void Reserve(size_t bytes) { m_out.reserve(m_out.size() + bytes); }

private:
    void Separate();

    TableDialect m_dialect;
    // The bytes that make a text quoted.
    bool m_quotes[256] = {};
    std::string& m_out;
    bool m_rowStarted = false;
};
