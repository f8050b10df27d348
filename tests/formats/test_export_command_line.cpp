// quillmark --export, run as scripts run it: the real program, without any
// display, on several inputs of every kind it reads.

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "Export.h"
#include "FormatsTestSupport.h"
#include "Import.h"
#include "TestVideo.h"
#include "Timeline.h"

namespace fs = std::filesystem;

namespace {

// Without a display: a program that tried to open one would fail.
ProcessRun Quillmark(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), QUILL_PROGRAM);
    return RunProcess(arguments, {"DISPLAY", "WAYLAND_DISPLAY"}, {"QT_QPA_PLATFORM=xcb"});
}

void WriteAnnotationFile(const std::string& path, const std::vector<TrackData>& annotations)
{
    CTimeline timeline;
    timeline.ExchangeTracks(*BuildTracks(annotations));
    ASSERT_TRUE(timeline.SaveFile(path));
}

// ELAN's document date is the time of writing.
std::string WithoutDate(std::string eaf)
{
    return std::regex_replace(eaf, std::regex("DATE=\"[^\"]*\""), "DATE=\"\"");
}

// What the library makes of the file in this process: the command must
// give the same bytes.
std::string Expected(const ExportFormat& format, const std::string& input, const ExportInputs& inputs = {})
{
    ImportResult imported = ImportFile(input);
    if (imported.status == ImportResult::Status::Read)
        return WithoutDate(Export(format, *imported.tracks, inputs).bytes);
    CTimeline timeline;
    EXPECT_TRUE(timeline.LoadFile(input)) << input;
    return WithoutDate(Export(format, timeline.Tracks(), inputs).bytes);
}

const std::vector<TrackData> kPlain = {
    {"Gestes", {{100, 250, "main levée", "vers la gauche", 2}, {200, 300, "pointage", "", 0}}},
    {"Regards", {{50, 400, "caméra", "long\nregard", 0}}},
};

class ExportCommandLine : public testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        m_dir = FreshFolder(std::string("command-line-") + info->name());
        // The three kinds of input, none named with a format's own suffix.
        WriteAnnotationFile(Path("notes.xml"), HardTexts());
        WriteFileBytes(Path("tableau.txt"), Export(*FindExportFormat("tsv"), *BuildTracks(kPlain), {}).bytes);
        WriteFileBytes(Path("entretien.elan"), Export(*FindExportFormat("eaf"), *BuildTracks(kPlain), {}).bytes);
    }

    std::string Path(const std::string& name) const { return m_dir + "/" + name; }
    bool Exists(const std::string& name) const { return fs::exists(Path(name)); }

    std::string m_dir;
};

} // namespace

TEST_F(ExportCommandLine, EveryFormatWritesEachInputBesideIt)
{
    const std::vector<std::string> inputs = {"notes", "tableau", "entretien"};
    for (const ExportFormat& format : ExportFormats()) {
        SCOPED_TRACE(format.name);
        const ProcessRun run = Quillmark({"--export", format.name, Path("notes.xml"), Path("tableau.txt"),
                                          Path("entretien.elan")});
        EXPECT_EQ(run.status, 0) << run.err;
        for (const char* input : {"notes.xml", "tableau.txt", "entretien.elan"}) {
            const std::string output = Path(fs::path(input).stem().string() + format.outputEnding);
            EXPECT_EQ(WithoutDate(ReadFileContents(output)), Expected(format, Path(input))) << output;
            fs::remove(output);
        }
        // Only the hard texts' mended segments are told, each naming its file.
        std::istringstream lines(run.err);
        for (std::string line; std::getline(lines, line);)
            EXPECT_EQ(line.rfind("quillmark : " + Path("notes.xml") + " : piste ", 0), 0u) << line;
    }
}

TEST_F(ExportCommandLine, StandardOutputAndFolders)
{
    const ExportFormat& csv = *FindExportFormat("csv");
    const ProcessRun piped = Quillmark({"--export", "csv", "--output", "-", Path("notes.xml")});
    EXPECT_EQ(piped.status, 0) << piped.err;
    EXPECT_EQ(piped.out, Expected(csv, Path("notes.xml")));
    EXPECT_FALSE(Exists("notes.csv"));

    fs::create_directory(Path("sorties"));
    const ProcessRun folder = Quillmark({"--export", "stats", "--duration", "12,5", "--output", Path("sorties"),
                                         Path("notes.xml"), Path("entretien.elan")});
    EXPECT_EQ(folder.status, 0) << folder.err;
    ExportInputs inputs;
    inputs.videoSeconds = 12.5;
    const ExportFormat& stats = *FindExportFormat("stats");
    EXPECT_EQ(ReadFileContents(Path("sorties/notes-stats.tsv")), Expected(stats, Path("notes.xml"), inputs));
    EXPECT_EQ(ReadFileContents(Path("sorties/entretien-stats.tsv")), Expected(stats, Path("entretien.elan"), inputs));

    const ProcessRun named = Quillmark({"--export", "vtt", "--output", Path("sorties/cues.txt"), Path("tableau.txt")});
    EXPECT_EQ(named.status, 0) << named.err;
    EXPECT_EQ(ReadFileContents(Path("sorties/cues.txt")), Expected(*FindExportFormat("vtt"), Path("tableau.txt")));
}

TEST_F(ExportCommandLine, UnreadableInputsAreToldAndTheOthersWritten)
{
    fs::create_directory(Path("dossier"));
    WriteFileBytes(Path("page.xml"), "<html><body>corps</body></html>");
    WriteFileBytes(Path("bruit.xml"), "pas du XML du tout");
    WriteFileBytes(Path("piege.eaf"), "<!DOCTYPE ANNOTATION_DOCUMENT [<!ENTITY e 'x'>]><ANNOTATION_DOCUMENT/>");
    const std::vector<std::string> bad = {"absent.xml", "page.xml", "bruit.xml", "dossier", "piege.eaf"};
    std::vector<std::string> arguments = {"--export", "tsv", Path("notes.xml")};
    for (const std::string& name : bad)
        arguments.push_back(Path(name));
    arguments.push_back(Path("entretien.elan"));

    const ProcessRun run = Quillmark(arguments);
    EXPECT_EQ(run.status, 1);
    const ExportFormat& tsv = *FindExportFormat("tsv");
    EXPECT_EQ(ReadFileContents(Path("notes.tsv")), Expected(tsv, Path("notes.xml")));
    EXPECT_EQ(ReadFileContents(Path("entretien.tsv")), Expected(tsv, Path("entretien.elan")));
    for (const std::string& name : bad) {
        SCOPED_TRACE(name);
        EXPECT_NE(run.err.find("quillmark : " + Path(name) + " : le fichier n'a pas été ouvert\n"), std::string::npos)
            << run.err;
        // Not even the sample track a new window starts with.
        EXPECT_FALSE(Exists(fs::path(name).stem().string() + ".tsv"));
    }
}

TEST_F(ExportCommandLine, OutputsAreReplacedOnlyWhenForced)
{
    WriteFileBytes(Path("notes.srt"), "ancien");
    const ProcessRun kept = Quillmark({"--export", "srt", Path("notes.xml"), Path("tableau.txt")});
    EXPECT_EQ(kept.status, 1);
    EXPECT_NE(kept.err.find("quillmark : " + Path("notes.srt") + " : le fichier n'a pas été enregistré (il existe déjà"),
              std::string::npos) << kept.err;
    EXPECT_EQ(ReadFileContents(Path("notes.srt")), "ancien");
    EXPECT_TRUE(Exists("tableau.srt")); // the other input is still done

    const ProcessRun forced = Quillmark({"--export", "srt", "--force", Path("notes.xml")});
    EXPECT_EQ(forced.status, 0) << forced.err;
    EXPECT_EQ(ReadFileContents(Path("notes.srt")), Expected(*FindExportFormat("srt"), Path("notes.xml")));

    // Never over the file being read, nor twice over one output in a run.
    const std::string table = ReadFileContents(Path("tableau.txt"));
    const ProcessRun itself = Quillmark({"--export", "tsv", "--force", "--output", Path("tableau.txt"), Path("tableau.txt")});
    EXPECT_EQ(itself.status, 1);
    EXPECT_EQ(ReadFileContents(Path("tableau.txt")), table);
    WriteAnnotationFile(Path("tableau.xml"), kPlain);
    const ProcessRun twice = Quillmark({"--export", "csv", "--force", Path("tableau.txt"), Path("tableau.xml")});
    EXPECT_EQ(twice.status, 1);
    EXPECT_NE(twice.err.find("déjà écrit par cette commande"), std::string::npos) << twice.err;

    // A folder that is not there cannot take the file.
    const ProcessRun nowhere = Quillmark({"--export", "tsv", "--output", Path("absent/sortie.tsv"), Path("notes.xml")});
    EXPECT_EQ(nowhere.status, 1);
    EXPECT_EQ(nowhere.err, "quillmark : " + Path("absent/sortie.tsv") + " : le fichier n'a pas été enregistré\n");
}

TEST_F(ExportCommandLine, BadArgumentsAreRefusedBeforeAnythingIsWritten)
{
    fs::create_directory(Path("dossier"));
    const std::string notes = Path("notes.xml");
    const std::string table = Path("tableau.txt");
    const std::vector<std::pair<std::vector<std::string>, std::string>> refused = {
        {{"--export", "xls", notes}, "format d'exportation inconnu : xls (formats : tsv, csv, csv-fr, stats, eaf, srt, vtt)"},
        {{"--export", "tsv"}, "il manque le fichier à exporter"},
        {{"--export"}, "il manque une valeur après --export"},
        {{"--export", "tsv", "--output", "-", notes, table}, "--output - n'accepte qu'un fichier"},
        {{"--export", "tsv", "--output", Path("un.tsv"), notes, table}, "n'accepte qu'un fichier"},
        {{"--export", "stats", "--video", notes, "--duration", "3", notes}, "--video et --duration ne vont pas ensemble"},
        {{"--export", "stats", "--duration", "-1", notes}, "durée incorrecte : -1"},
        {{"--export", "stats", "--duration", "inf", notes}, "durée incorrecte : inf"},
        {{"--export", "eaf", "--video", Path("absente.mp4"), notes}, "vidéo introuvable"},
        {{"--export", "tsv", "--annotations", notes, notes}, "--annotations ne va pas avec --export"},
        {{"--output", "-", notes}, "--output ne va qu'avec --export"},
        {{"--force"}, "--force ne va qu'avec --export"},
    };
    for (const auto& [arguments, message] : refused) {
        SCOPED_TRACE(testing::PrintToString(arguments));
        const ProcessRun run = Quillmark(arguments);
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
    EXPECT_FALSE(Exists("notes.tsv"));
    EXPECT_FALSE(Exists("un.tsv"));
    EXPECT_TRUE(fs::is_empty(Path("dossier")));
}

TEST_F(ExportCommandLine, TheVideoGivesTheShareAndTheMediaAddress)
{
    const std::string video = MakeTestVideo(m_dir, "séance.mp4", 2.0, 64, 48);
    const ProcessRun probe = RunProcess({"ffprobe", "-v", "error", "-show_entries", "format=duration", "-of",
                                         "default=nw=1:nk=1", video});
    ASSERT_EQ(probe.status, 0) << probe.err;
    ExportInputs inputs;
    inputs.videoSeconds = std::stod(probe.out);
    const ProcessRun stats = Quillmark({"--export", "stats", "--video", video, "--output", "-", Path("entretien.elan")});
    EXPECT_EQ(stats.status, 0) << stats.err;
    EXPECT_EQ(stats.out, Expected(*FindExportFormat("stats"), Path("entretien.elan"), inputs));

    fs::create_directory(Path("elan"));
    const ProcessRun eaf = Quillmark({"--export", "eaf", "--video", video, "--output", Path("elan"), Path("notes.xml")});
    EXPECT_EQ(eaf.status, 0) << eaf.err;
    const std::string written = ReadFileContents(Path("elan/notes.eaf"));
    EXPECT_NE(written.find("MEDIA_URL=\"file://" + m_dir + "/s%C3%A9ance.mp4\""), std::string::npos) << written;
    EXPECT_NE(written.find("RELATIVE_MEDIA_URL=\"../s%C3%A9ance.mp4\""), std::string::npos);
}

TEST_F(ExportCommandLine, HelpTellsHowToExport)
{
    const ProcessRun help = Quillmark({"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* mention : {"--export FORMAT", "--output", "--video", "--duration", "--force",
                                "tsv, csv, csv-fr, stats, eaf, srt, vtt", "nom-stats.tsv", "Code de sortie"})
        EXPECT_NE(help.out.find(mention), std::string::npos) << mention;
}
