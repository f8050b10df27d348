#pragma once

#include <filesystem>
#include <string>

#include <QList>
#include <QPushButton>

#include "MainWindowFixture.h"

class QMessageBox;

// The main window for tests of the file commands, with an empty folder of
// its own under the test data for the files they write, and two videos:
// s_short lasts exactly 2.5 s, s_long 4 s.
class FileDialogFixture : public MainWindowFixture {
protected:
    // `folder`: a name no other test executable uses, as they may run at once.
    explicit FileDialogFixture(std::string folder) : m_folder(std::move(folder)) {}

    static void SetUpTestSuite();
    void SetUp() override;

    void Click(MainControlId id) { Button(id)->click(); }
    using MainWindowFixture::Click;
    std::string Path(const std::string& name) const { return (m_dir / name).string(); }
    // A change as the editing commands make it: a track "Séquence « B »",
    // selected, with one segment.
    void Edit();
    QList<QMessageBox*> ErrorBoxes() const;

    static std::string s_short;
    static std::string s_long;
    std::filesystem::path m_dir;

private:
    std::string m_folder;
};
