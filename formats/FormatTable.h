#pragma once

#include <string>
#include <string_view>
#include <vector>

enum class FormatId { Tsv, Csv, FrenchCsv, Statistics, Eaf, Srt, Vtt };

// One export format, as both the export dialog's type list and the command
// line's --export name it.
struct ExportFormat {
    FormatId id;
    const char* name;   // --export's word: "tsv", "csv-fr", ...
    const char* label;  // the dialog's type: "Tableau (*.tsv)", ...
    const char* suffix; // added to a name without one: ".tsv"
    // Ends the default output's name in place of the input's suffix:
    // "nom.xml" gives "nom-stats.tsv".
    const char* outputEnding;
};

// Every format, in the dialog's order.
const std::vector<ExportFormat>& ExportFormats();
// The format --export names, or null.
const ExportFormat* FindExportFormat(std::string_view name);
// The names, "tsv, csv, ...", for help and error texts.
std::string ExportFormatNames();

// The output beside `inputPath`: its name without the last suffix, then the
// format's ending ("entretien.eaf" -> "entretien.tsv").
std::string DefaultOutputPath(const ExportFormat& format, const std::string& inputPath);
