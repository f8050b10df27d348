#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "CommandLine.h"

namespace fs = std::filesystem;

namespace {

class CommandLineTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::path(QUILL_TEST_DATA_DIR) / "command-line";
        fs::create_directories(m_dir / "companions");
        std::ofstream(m_dir / "video.mp4") << "not parsed here";
        std::ofstream(m_dir / "notes.xml") << "<corps/>";
    }

    static CommandLine Parse(QStringList arguments)
    {
        arguments.prepend("quillmark");
        return ParseCommandLine(arguments);
    }

    static void ExpectRefused(const CommandLine& line, const std::string& mention)
    {
        EXPECT_FALSE(line.run);
        EXPECT_EQ(line.exitCode, 2);
        EXPECT_TRUE(line.out.empty());
        EXPECT_NE(line.err.find(mention), std::string::npos) << line.err;
        EXPECT_NE(line.err.find("quillmark --help"), std::string::npos) << line.err;
    }

    QString Path(const char* name) const { return QString::fromStdString((m_dir / name).string()); }

    fs::path m_dir;
};

struct ProgramRun {
    int status;
    std::string output; // standard output and error together
};

// The program itself, without a display: answers on the terminal must not
// need a window system.
ProgramRun RunProgram(const std::string& arguments)
{
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb '" +
                                std::string(QUILL_PROGRAM) + "' " + arguments + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return {-1, {}};
    std::string output;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
        output += buffer;
    const int status = ::pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

} // namespace

TEST_F(CommandLineTest, NoArgumentStartsWithNothingToOpen)
{
    const CommandLine line = Parse({});
    EXPECT_TRUE(line.run);
    EXPECT_TRUE(line.options.video.empty());
    EXPECT_TRUE(line.options.annotations.empty());
    EXPECT_TRUE(line.options.folder.empty());
}

TEST_F(CommandLineTest, EachOptionGivesAnAbsolutePath)
{
    const fs::path previous = fs::current_path();
    fs::current_path(m_dir);
    const CommandLine line = Parse({"--annotations", "notes.xml", "--folder=companions/", "video.mp4"});
    fs::current_path(previous);
    ASSERT_TRUE(line.run) << line.err;
    EXPECT_EQ(line.options.video, (m_dir / "video.mp4").string());
    EXPECT_EQ(line.options.annotations, (m_dir / "notes.xml").string());
    // No trailing separator: the companion names are joined with one.
    EXPECT_EQ(line.options.folder, (m_dir / "companions").string());

    const CommandLine alone = Parse({Path("video.mp4")});
    ASSERT_TRUE(alone.run);
    EXPECT_EQ(alone.options.video, (m_dir / "video.mp4").string());
    EXPECT_TRUE(alone.options.annotations.empty());
}

TEST_F(CommandLineTest, UnicodePathsStayUtf8)
{
    std::ofstream(m_dir / "séance élève.mp4") << "x";
    const CommandLine line = Parse({Path("séance élève.mp4")});
    ASSERT_TRUE(line.run) << line.err;
    EXPECT_EQ(line.options.video, (m_dir / "séance élève.mp4").string());
}

TEST_F(CommandLineTest, HelpAndVersionAnswerAndEnd)
{
    const CommandLine version = Parse({"--version"});
    EXPECT_FALSE(version.run);
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "Quillmark version 1.0\n");

    for (const char* option : {"--help", "-h"}) {
        const CommandLine help = Parse({option, Path("video.mp4")});
        EXPECT_FALSE(help.run);
        EXPECT_EQ(help.exitCode, 0);
        for (const char* mention : {"--annotations", "--folder", "--version", "Utilisation"})
            EXPECT_NE(help.out.find(mention), std::string::npos) << mention;
    }
}

TEST_F(CommandLineTest, BadArgumentsAreRefusedInFrench)
{
    ExpectRefused(Parse({"--bogus"}), "option inconnue : --bogus");
    ExpectRefused(Parse({"-z", Path("video.mp4")}), "option inconnue : -z");
    ExpectRefused(Parse({"--annotations"}), "il manque une valeur après --annotations");
    ExpectRefused(Parse({Path("video.mp4"), "--folder"}), "il manque une valeur après --folder");
    ExpectRefused(Parse({Path("video.mp4"), Path("video.mp4")}), "une seule vidéo");
}

TEST_F(CommandLineTest, MissingFilesAndFoldersAreRefused)
{
    ExpectRefused(Parse({Path("absent.mp4")}), "vidéo introuvable : " + (m_dir / "absent.mp4").string());
    // A folder is not a video.
    ExpectRefused(Parse({Path("companions")}), "vidéo introuvable");
    ExpectRefused(Parse({"--annotations", Path("absent.xml")}), "fichier d'annotation introuvable");
    ExpectRefused(Parse({"--folder", Path("notes.xml")}), "dossier introuvable");
}

// What a desktop passes on a double click: one file, opened as annotations
// when its content is annotations, whatever its name, and as the video
// otherwise.
TEST_F(CommandLineTest, OneFileOpensByItsContent)
{
    const struct {
        const char* name;
        std::string content;
        bool annotations;
    } files[] = {
        {"plain.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<corps>\n  <piste libelle=\" \"/>\n</corps>\n", true},
        {"named-like-a-video.mp4", "<corps/>", true},
        {"damaged.xml", "\xEF\xBB\xBF<!-- notes --><?pi x?>\n<corps><piste libelle=\"A\"><segment debut=", true},
        {"table.txt", "piste\tpiste_n\tsegment_n\tdebut_s\tfin_s\tduree_s\ttitre\tcommentaires\tvideo\n", true},
        {"elan.eaf", "<?xml version=\"1.0\"?><ANNOTATION_DOCUMENT FORMAT=\"3.0\"/>", true},
        {"page.xml", "<?xml version=\"1.0\"?><html><body/></html>", false},
        {"corpus.xml", "<corpus/>", false},
        {"clip.mov", std::string("\0\0\0\x20" "ftypqt  ", 12), false},
        {"empty.mp4", "", false},
    };
    for (const auto& file : files) {
        std::ofstream(m_dir / file.name, std::ios::binary) << file.content;
        const CommandLine line = Parse({Path(file.name)});
        ASSERT_TRUE(line.run) << file.name << ": " << line.err;
        const std::string path = (m_dir / file.name).string();
        EXPECT_EQ(line.options.annotations, file.annotations ? path : "") << file.name;
        EXPECT_EQ(line.options.video, file.annotations ? "" : path) << file.name;
    }
    // The options keep their meaning; two annotation files are one too many.
    const CommandLine both = Parse({"--annotations", Path("notes.xml"), Path("video.mp4")});
    EXPECT_EQ(both.options.annotations, (m_dir / "notes.xml").string());
    EXPECT_EQ(both.options.video, (m_dir / "video.mp4").string());
    ExpectRefused(Parse({"--annotations", Path("notes.xml"), Path("plain.xml")}), "un seul fichier d'annotation");
}

struct DelayArgument {
    const char* value;
    std::optional<int> delay; // none: refused
};

class ReactionDelayOption : public CommandLineTest, public testing::WithParamInterface<DelayArgument> {};

// For this run only: the window gets it, nothing else does.
TEST_P(ReactionDelayOption, TakesWholeMillisecondsFromZeroToTwoThousand)
{
    const DelayArgument& c = GetParam();
    for (const QStringList& arguments : {QStringList{"--reaction-delay", c.value, Path("video.mp4")},
                                         QStringList{QString("--reaction-delay=") + c.value}}) {
        const CommandLine line = Parse(arguments);
        if (!c.delay) {
            ExpectRefused(line, std::string("délai de réaction incorrect : ") + c.value);
            continue;
        }
        ASSERT_TRUE(line.run) << line.err;
        EXPECT_EQ(line.options.reactionDelayMs, c.delay);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, ReactionDelayOption,
                         testing::Values(DelayArgument{"0", 0}, DelayArgument{"300", 300}, DelayArgument{"2000", 2000},
                                         DelayArgument{"2001", std::nullopt}, DelayArgument{"-1", std::nullopt},
                                         DelayArgument{"0.5", std::nullopt}, DelayArgument{"300ms", std::nullopt},
                                         DelayArgument{"", std::nullopt}));

TEST_F(CommandLineTest, ReactionDelayIsForTheWindowAlone)
{
    EXPECT_FALSE(Parse({}).options.reactionDelayMs);
    ExpectRefused(Parse({"--reaction-delay"}), "il manque une valeur après --reaction-delay");
    ExpectRefused(Parse({"--export", "tsv", "--reaction-delay", "300", Path("notes.xml")}),
                  "--reaction-delay ne va pas avec --export");
    const CommandLine help = Parse({"--help"});
    EXPECT_NE(help.out.find("--reaction-delay MS"), std::string::npos) << help.out;
}

TEST_F(CommandLineTest, TheProgramAnswersOnTheTerminal)
{
    const ProgramRun version = RunProgram("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.output, "Quillmark version 1.0\n");

    const ProgramRun unknown = RunProgram("--bogus");
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.output.find("option inconnue : --bogus"), std::string::npos) << unknown.output;

    const ProgramRun delay = RunProgram("--reaction-delay 2500");
    EXPECT_EQ(delay.status, 2);
    EXPECT_NE(delay.output.find("délai de réaction incorrect : 2500 (un nombre entier de 0 à 2000)"), std::string::npos)
        << delay.output;

    const ProgramRun missing = RunProgram("'" + (m_dir / "absent.mp4").string() + "'");
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.output.find("vidéo introuvable"), std::string::npos) << missing.output;
}
