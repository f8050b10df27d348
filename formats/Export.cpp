#include "Export.h"

#include "EafWriter.h"
#include "SegmentTable.h"
#include "Subtitles.h"
#include "TrackStatistics.h"

ExportResult Export(const ExportFormat& format, const TrackList& tracks, const ExportInputs& inputs)
{
    ExportResult result;
    switch (format.id) {
    case FormatId::Tsv:
        result.bytes = WriteSegmentTable(tracks, kTsvDialect);
        break;
    case FormatId::Csv:
        result.bytes = WriteSegmentTable(tracks, kCsvDialect);
        break;
    case FormatId::FrenchCsv:
        result.bytes = WriteSegmentTable(tracks, kFrenchCsvDialect);
        break;
    case FormatId::Statistics:
        result.bytes = WriteStatisticsTable(tracks, inputs.videoSeconds, result.warnings);
        break;
    case FormatId::Eaf:
        result.bytes = WriteEaf(tracks, {inputs.date, inputs.videoPath, inputs.outputFolder}, result.warnings);
        break;
    case FormatId::Srt:
        result.bytes = WriteSrt(tracks, result.warnings);
        break;
    case FormatId::Vtt:
        result.bytes = WriteVtt(tracks, result.warnings);
        break;
    }
    return result;
}
