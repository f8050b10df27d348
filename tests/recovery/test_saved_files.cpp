// What a save leaves of the file it replaces (the versions kept), and how a
// window tells that its file was changed elsewhere.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include "KnownFile.h"
#include "RecoveryTestSupport.h"
#include "VersionStore.h"

namespace fs = std::filesystem;

namespace {

const QDateTime kMorning = QDateTime(QDate(2024, 5, 1), QTime(10, 30, 45, 123), Qt::UTC);

std::vector<std::string> Contents(const QStringList& files)
{
    std::vector<std::string> contents;
    for (const QString& file : files)
        contents.push_back(ReadFileContents(file.toStdString()));
    return contents;
}

TEST(Versions, TwelveSavesKeepTheTenNewestByteForByte)
{
    TestFolder folder;
    const VersionStore store(folder.QPath("versions"));
    const std::string file = folder.Path("cours.xml");
    std::vector<std::string> replaced;
    for (int save = 0; save < 12; ++save) {
        // Every byte value, so that nothing is read as text on the way.
        std::string content = "version " + std::to_string(save) + "\n";
        for (int byte = 0; byte < 256; ++byte)
            content += static_cast<char>(byte);
        WriteBytes(file, content);
        replaced.push_back(content);
        EXPECT_TRUE(store.Keep(file, kMorning.addSecs(save)).written);
    }
    const QStringList versions = store.VersionsOf(file);
    EXPECT_EQ(Contents(versions), std::vector<std::string>(replaced.begin() + 2, replaced.end()));
    EXPECT_EQ(QDir(folder.QPath("versions")).entryList(QDir::Files | QDir::Hidden).size(), 10)
        << "nothing else left behind";
    EXPECT_TRUE(QRegularExpression(QStringLiteral(R"(^cours\.[0-9a-f]{8}\.2024-05-01T10-30-56\.123Z\.xml$)"))
                    .match(QFileInfo(versions.back()).fileName())
                    .hasMatch())
        << versions.back().toStdString();
    EXPECT_EQ(ReadFileContents(file), replaced.back()) << "the file itself is left to the save";
}

// Two files of one name in two folders never mix; a link is the file it
// names; two saves in one millisecond keep both, in order.
TEST(Versions, EachFileHasItsOwn)
{
    TestFolder folder;
    const VersionStore store(folder.QPath("versions"));
    QDir().mkpath(folder.QPath("a"));
    QDir().mkpath(folder.QPath("b"));
    const std::string a = folder.Path("a/cours.xml");
    const std::string b = folder.Path("b/cours.xml");
    const std::string link = folder.Path("lien.xml");
    const std::string plain = folder.Path("notes");
    fs::create_symlink(a, link);
    const struct {
        const std::string& path;
        const char* content;
    } saves[] = {{a, "a1"}, {b, "b1"}, {link, "a2"}, {a, "a3"}, {plain, "n1"}, {b, "b2"}};
    for (const auto& save : saves) {
        if (save.path == link)
            WriteBytes(a, save.content);
        else
            WriteBytes(save.path, save.content);
        EXPECT_TRUE(store.Keep(save.path, kMorning).written) << save.content;
    }
    EXPECT_EQ(Contents(store.VersionsOf(a)), (std::vector<std::string>{"a1", "a2", "a3"}));
    EXPECT_EQ(Contents(store.VersionsOf(link)), Contents(store.VersionsOf(a)));
    EXPECT_EQ(Contents(store.VersionsOf(b)), (std::vector<std::string>{"b1", "b2"}));
    ASSERT_EQ(store.VersionsOf(plain).size(), 1);
    EXPECT_TRUE(QFileInfo(store.VersionsOf(plain)[0]).fileName().endsWith(QStringLiteral(".123Z")));
}

TEST(Versions, NothingToKeepAndNowhereToKeepIt)
{
    TestFolder folder;
    const VersionStore::Kept nothing = VersionStore(folder.QPath("versions")).Keep(folder.Path("absent.xml"));
    EXPECT_FALSE(nothing.written);
    EXPECT_FALSE(nothing.failure);
    EXPECT_FALSE(QFileInfo::exists(folder.QPath("versions"))) << "no folder made for nothing";

    WriteBytes(folder.Path("cours.xml"), "contenu");
    WriteBytes(folder.Path("state"), "");
    const VersionStore blocked(folder.QPath("state/versions"));
    EXPECT_EQ(blocked.Keep(folder.Path("cours.xml")).failure,
              "\xC2\xAB " + folder.Path("state") + " \xC2\xBB n'est pas un dossier");
    EXPECT_EQ(ReadFileContents(folder.Path("cours.xml")), "contenu");
}

TEST(KnownFile, ChangedOnlyWhenTheContentIsAnotherOrTheFileIsNoMoreOne)
{
    TestFolder folder;
    const std::string path = folder.Path("cours.xml");
    const auto later = [&path] {
        fs::last_write_time(path, fs::last_write_time(path) + std::chrono::seconds(5));
    };
    const struct {
        const char* name;
        std::function<void()> change;
        bool changed;
    } rows[] = {
        {"left alone", [] {}, false},
        {"the same bytes written again", [&] { WriteBytes(path, "<corps/>\n"); later(); }, false},
        {"other bytes of the same size", [&] { WriteBytes(path, "<corps>\n"); later(); }, true},
        {"longer", [&] { WriteBytes(path, "<corps/>\n\n"); }, true},
        {"removed: nothing to lose", [&] { fs::remove(path); }, false},
        {"a folder in its place", [&] { fs::remove(path); fs::create_directory(path); }, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        fs::remove_all(path);
        WriteBytes(path, "<corps/>\n");
        const auto known = ReadKnownFile(path);
        ASSERT_TRUE(known);
        row.change();
        EXPECT_EQ(ChangedOnDisk(path, *known), row.changed);
    }
    EXPECT_FALSE(ReadKnownFile(folder.Path("absent.xml")));
}

} // namespace
