#include "FormatTable.h"

#include <filesystem>

const std::vector<ExportFormat>& ExportFormats()
{
    static const std::vector<ExportFormat> formats = {
        {FormatId::Tsv, "tsv", "Tableau (*.tsv)", ".tsv", ".tsv"},
        {FormatId::Csv, "csv", "CSV (*.csv)", ".csv", ".csv"},
        {FormatId::FrenchCsv, "csv-fr", "CSV pour tableur français (*.csv)", ".csv", ".csv"},
        {FormatId::Statistics, "stats", "Statistiques par piste (*.tsv)", ".tsv", "-stats.tsv"},
        {FormatId::Eaf, "eaf", "ELAN (*.eaf)", ".eaf", ".eaf"},
        {FormatId::Srt, "srt", "Sous-titres SRT (*.srt)", ".srt", ".srt"},
        {FormatId::Vtt, "vtt", "Sous-titres WebVTT (*.vtt)", ".vtt", ".vtt"},
    };
    return formats;
}

const ExportFormat* FindExportFormat(std::string_view name)
{
    for (const ExportFormat& format : ExportFormats())
        if (name == format.name)
            return &format;
    return nullptr;
}

std::string ExportFormatNames()
{
    std::string names;
    for (const ExportFormat& format : ExportFormats())
        names += (names.empty() ? "" : ", ") + std::string(format.name);
    return names;
}

std::string DefaultOutputPath(const ExportFormat& format, const std::string& inputPath)
{
    const std::filesystem::path input(inputPath);
    return (input.parent_path() / input.stem()).string() + format.outputEnding;
}
