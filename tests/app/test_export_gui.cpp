// The export from the window ("Exporter…" and Ctrl+E) through Qt's own save
// dialog, driven as a user does, and exported files opened back as
// annotations that belong to no file.

#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "CAnnotatorDlg.h"
#include "Export.h"
#include "FileContents.h"
#include "FileDialogFixture.h"
#include "FileSizeLimit.h"
#include "ModalDriver.h"

namespace fs = std::filesystem;

namespace {

// Hard texts (tabs, line breaks, quotes, separators, a formula, accents,
// emoji, markup), a negative start and reversed bounds, which some formats
// warn about, and a track without segments.
const char* const kAnnotations =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<corps>"
    "<piste libelle=\"Gestes&#9;mains\">"
    "<segment debut=\"1000\" fin=\"25000\"><contenu titre=\"tab&#9;ici\" commentaire=\"ligne&#10;coupée\" "
    "video=\"3\"/></segment>"
    "<segment debut=\"26000\" fin=\"30000\"><contenu titre=\"dit &quot;oui&quot;, puis; non\" commentaire=\"\" "
    "video=\"0\"/></segment></piste>"
    "<piste libelle=\"Élève « ça va » 🎬\">"
    "<segment debut=\"-5000\" fin=\"2500\"><contenu titre=\"=SOMME(A1)\" commentaire=\"café 😀\" video=\"0\"/>"
    "</segment>"
    "<segment debut=\"60000\" fin=\"40000\"><contenu titre=\"à l'envers\" commentaire=\"&lt;b&gt; &amp;\" "
    "video=\"1\"/></segment></piste>"
    "<piste libelle=\"\"/></corps>\n";

// The duration of FileDialogFixture::s_short.
constexpr double kVideoSeconds = 2.5;

// Every file of the folder with its content.
std::map<std::string, std::string> Listing(const fs::path& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        files[entry.path().string()] = entry.is_regular_file() ? ReadFileContents(entry.path()) : "";
    return files;
}

// ELAN's document date, which the export takes from the clock.
std::string EafDate(const std::string& eaf)
{
    const size_t at = eaf.find(" DATE=\"");
    if (at == std::string::npos)
        return {};
    const size_t start = at + 7;
    return eaf.substr(start, eaf.find('"', start) - start);
}

struct BoxSeen {
    QString caption;
    QString text;
    QMessageBox::StandardButtons buttons;
};

// Records a message box, then presses its first button.
ModalDriver::Step RecordBox(BoxSeen* seen)
{
    return [seen](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr) << modal->metaObject()->className();
        *seen = {box->windowTitle(), box->text(), box->standardButtons()};
        box->buttons().first()->click();
    };
}

// Picks the type with the keyboard, as a user does, then types the name.
ModalDriver::Step ChooseTypeAndName(const char* label, const std::string& name, DialogSeen* seen = nullptr)
{
    return [label, name, seen](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr) << modal->metaObject()->className();
        auto* types = dialog->findChild<QComboBox*>("fileTypeCombo");
        auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(types, nullptr);
        ASSERT_NE(edit, nullptr);
        if (seen != nullptr)
            *seen = {dialog->windowTitle(), dialog->acceptMode(), dialog->fileMode(),
                     dialog->testOption(QFileDialog::DontUseNativeDialog), dialog->defaultSuffix(), edit->text(),
                     dialog->nameFilters(), dialog->parentWidget(), dialog->isModal()};
        QTest::keyClick(types, Qt::Key_Home);
        for (int step = 0; step < types->count() && types->currentText() != QString::fromUtf8(label); ++step)
            QTest::keyClick(types, Qt::Key_Down);
        ASSERT_EQ(types->currentText(), QString::fromUtf8(label));
        edit->setText(QString::fromStdString(name));
        QTest::keyClick(edit, Qt::Key_Return);
    };
}

enum class Trigger { Button, CtrlE };

// Whatever the window shows of the state an export must leave alone.
struct WindowState {
    QString caption;
    bool unsaved;
    int historyIndex;
    int historyCount;
    uint64_t revision;
    bool operator==(const WindowState&) const = default;
};

class ExportWindow : public FileDialogFixture {
protected:
    ExportWindow() : FileDialogFixture("export-window") {}

    void SetUp() override
    {
        FileDialogFixture::SetUp();
        m_annotations = Path("séance.xml");
        std::ofstream(m_annotations, std::ios::binary) << kAnnotations;
        StartOptions options;
        options.annotations = m_annotations;
        options.video = s_short;
        m_window->OpenStartFiles(options);
        ASSERT_EQ(Timeline().Tracks().GetCount(), 3);
        ASSERT_EQ(m_window->Movie().GetDuration(), 2500);
    }

    WindowState State() const
    {
        return {m_window->windowTitle(), m_window->HasUnsavedChanges(), m_window->Editor().History().index(),
                m_window->Editor().History().count(), Timeline().Revision()};
    }

    // What the formats give for the window's annotations, the video open.
    ExportResult Expected(const ExportFormat& format, const std::string& date = {}) const
    {
        ExportInputs inputs;
        inputs.videoSeconds = kVideoSeconds;
        inputs.videoPath = s_short;
        inputs.outputFolder = m_dir.string();
        inputs.date = date;
        return Export(format, Timeline().Tracks(), inputs);
    }

    void Activate()
    {
        // Without a window manager nothing gives the window back its
        // activation when a dialog closes.
        if (!m_window->isActiveWindow()) {
            m_window->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
        }
    }

    void Run(Trigger trigger)
    {
        if (trigger == Trigger::Button) {
            Click(kExportButtonId);
            return;
        }
        Press(Qt::Key_E);
    }

    // Ctrl and a key, to whatever has the keyboard focus, as a user types.
    void Press(Qt::Key key)
    {
        Activate();
        QWidget* target = QApplication::focusWidget();
        QTest::keyClick(target != nullptr ? target : m_window.get(), key, Qt::ControlModifier);
    }

    std::string m_annotations;
};

} // namespace

TEST_F(ExportWindow, EachFormatFromTheButtonAndCtrlEWritesWhatTheFormatsGive)
{
    // The types, in its order.
    const QStringList labels = {"Tableau (*.tsv)",
                                "CSV (*.csv)",
                                QString::fromUtf8("CSV pour tableur français (*.csv)"),
                                "Statistiques par piste (*.tsv)",
                                "ELAN (*.eaf)",
                                "Sous-titres SRT (*.srt)",
                                "Sous-titres WebVTT (*.vtt)"};
    struct Case {
        const ExportFormat& format;
        std::string typed;
        std::string written; // the suffix added or not
    };
    std::vector<Case> cases;
    for (const ExportFormat& format : ExportFormats())
        cases.push_back({format, std::string("export-") + format.name, std::string("export-") + format.name + format.suffix});
    // A name with a suffix keeps it: the type alone decides the format.
    cases.push_back({*FindExportFormat("tsv"), "déjà.csv", "déjà.csv"});
    cases.push_back({*FindExportFormat("stats"), "séance.v2", "séance.v2"});

    Edit(); // unsaved work with a history, which exports must leave alone
    for (Trigger trigger : {Trigger::Button, Trigger::CtrlE}) {
        for (const Case& row : cases) {
            const std::string typed = Path((trigger == Trigger::Button ? "bouton-" : "touche-") + row.typed);
            const fs::path written = Path((trigger == Trigger::Button ? "bouton-" : "touche-") + row.written);
            SCOPED_TRACE(written.filename().string());
            const ExportResult warned = Expected(row.format);
            const WindowState before = State();
            const auto others = Listing(m_dir);

            DialogSeen seen;
            BoxSeen notice;
            std::deque<ModalDriver::Step> steps = {ChooseTypeAndName(row.format.label, typed, &seen)};
            if (!warned.warnings.empty())
                steps.push_back(RecordBox(&notice));
            ModalDriver driver(std::move(steps));
            Run(trigger);
            EXPECT_TRUE(driver.AllAnswered());
            EXPECT_EQ(driver.Unexpected(), 0) << driver.Seen();

            EXPECT_EQ(seen.title, QString::fromUtf8("Exportation"));
            EXPECT_EQ(seen.mode, QFileDialog::AcceptSave);
            EXPECT_TRUE(seen.qtDialog);
            EXPECT_EQ(seen.filters, labels);
            EXPECT_EQ(seen.parent, m_window.get());
            EXPECT_TRUE(seen.modal);

            ASSERT_TRUE(fs::exists(written));
            const std::string bytes = ReadFileContents(written);
            EXPECT_EQ(bytes, Expected(row.format, EafDate(bytes)).bytes);
            auto after = Listing(m_dir);
            after.erase(written.string());
            EXPECT_EQ(after, others) << "one file written, nothing else";
            EXPECT_EQ(State(), before) << "the annotation file, the unsaved state and the history are left alone";
            if (!warned.warnings.empty()) {
                EXPECT_EQ(notice.caption, QString("Confirmation"));
                EXPECT_EQ(notice.buttons, QMessageBox::Ok);
                for (const std::string& warning : warned.warnings)
                    EXPECT_TRUE(notice.text.contains(QString::fromStdString(warning))) << notice.text.toStdString();
            }
        }
    }
    EXPECT_TRUE(ErrorBoxes().isEmpty());
}

TEST_F(ExportWindow, AFailedExportIsToldAndLeavesEveryFileAsItWas)
{
    struct Case {
        const char* what;
        std::string typed;
        bool replaces; // the dialog asks first
        rlim_t sizeLimit; // 0: none
        const char* reason;
    };
    const std::vector<Case> cases = {
        {"a folder that does not exist", Path("absent/sortie"), false, 0, "le dossier n'existe pas"},
        {"a file that cannot grow", Path("gros.tsv"), true, 64, "le fichier serait trop grand"},
        {"the annotation file itself", m_annotations, true, 0, "ce serait écrire sur le fichier d'annotation ouvert"},
    };
    std::ofstream(Path("gros.tsv"), std::ios::binary) << "contenu d'avant";
    Edit();
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        const WindowState before = State();
        const auto files = Listing(m_dir);
        BoxSeen replace, failure;
        std::deque<ModalDriver::Step> steps = {ChooseTypeAndName("Tableau (*.tsv)", row.typed)};
        if (row.replaces)
            steps.push_back([&replace](QWidget* modal) {
                auto* box = qobject_cast<QMessageBox*>(modal);
                ASSERT_NE(box, nullptr);
                replace.text = box->text();
                box->button(QMessageBox::Yes)->click();
            });
        steps.push_back(RecordBox(&failure));
        ModalDriver driver(std::move(steps));
        {
            std::optional<FileSizeLimit> limit;
            if (row.sizeLimit != 0) {
                limit.emplace(row.sizeLimit);
                ASSERT_TRUE(limit->Applied());
            }
            Click(kExportButtonId);
        }
        EXPECT_TRUE(driver.AllAnswered());
        EXPECT_EQ(driver.Unexpected(), 0) << driver.Seen();
        EXPECT_EQ(failure.caption, QString("Confirmation"));
        EXPECT_EQ(failure.buttons, QMessageBox::Ok);
        EXPECT_EQ(failure.text.toStdString(), std::string("L'exportation a échoué : ") + row.reason);
        EXPECT_EQ(Listing(m_dir), files) << "no partial file, and the file replaced is intact";
        EXPECT_EQ(State(), before);
    }
    EXPECT_TRUE(ErrorBoxes().isEmpty());
}

TEST_F(ExportWindow, ExportedFilesOpenBackUnsavedWithNoCurrentFile)
{
    struct Case {
        const char* format;
        bool fromDialog; // else as the command line's --annotations
    };
    int round = 0;
    for (const Case row : {Case{"tsv", true}, Case{"eaf", true}, Case{"tsv", false}, Case{"eaf", false}}) {
        const ExportFormat& format = *FindExportFormat(row.format);
        const std::string name = "retour-" + std::to_string(++round) + format.suffix;
        SCOPED_TRACE(name);
        {
            // The saved annotations again, as the last round left them changed.
            StartOptions options;
            options.annotations = m_annotations;
            m_window->OpenStartFiles(options);
            ASSERT_FALSE(m_window->HasUnsavedChanges());
        }
        const std::string exported = Expected(format).bytes;
        std::ofstream(Path(name), std::ios::binary) << exported;
        if (row.fromDialog) {
            ModalDriver driver({TypeFileName(Path(name))});
            Click(kOpenAnnotationId);
            EXPECT_TRUE(driver.AllAnswered());
            EXPECT_EQ(driver.Unexpected(), 0) << driver.Seen();
        } else {
            StartOptions options;
            options.annotations = Path(name);
            m_window->OpenStartFiles(options);
        }
        // The tracks are the exported ones: exported again, they give the same file.
        EXPECT_EQ(Expected(format, EafDate(exported)).bytes, exported);
        EXPECT_EQ(m_window->windowTitle(), QString("*Quillmark")) << "unsaved, and no file named";
        EXPECT_EQ(m_window->Editor().History().count(), 0);

        {
            // Closing asks; Cancel keeps the window.
            QString caption, text;
            ModalDriver driver({AnswerBox(QMessageBox::Cancel, &caption, &text)});
            m_window->close();
            EXPECT_TRUE(driver.AllAnswered());
            EXPECT_EQ(caption, QString("Confirmation"));
            EXPECT_TRUE(m_window->isVisible());
        }
        // Ctrl+S asks for a name and never writes over the file opened.
        DialogSeen seen;
        const std::string saved = Path("repris-" + std::to_string(round) + ".xml");
        {
            ModalDriver driver({TypeFileName(saved, &seen)});
            Press(Qt::Key_S);
            EXPECT_TRUE(driver.AllAnswered());
            EXPECT_EQ(driver.Unexpected(), 0) << driver.Seen();
        }
        EXPECT_EQ(seen.title, QString("Sauvegarde"));
        EXPECT_EQ(ReadFileContents(Path(name)), exported);
        EXPECT_TRUE(fs::exists(saved));
        EXPECT_EQ(m_window->windowTitle(), QString::fromStdString(fs::path(saved).filename().string() + " — Quillmark"));
    }
}

TEST_F(ExportWindow, AnElanNoticeIsAConfirmationBoxWithOkOnly)
{
    const std::string eaf = Path("sans temps.eaf");
    std::ofstream(eaf, std::ios::binary)
        << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ANNOTATION_DOCUMENT FORMAT=\"3.0\" VERSION=\"3.0\">"
           "<HEADER TIME_UNITS=\"milliseconds\"/><TIME_ORDER><TIME_SLOT TIME_SLOT_ID=\"ts1\" TIME_VALUE=\"100\"/>"
           "<TIME_SLOT TIME_SLOT_ID=\"ts2\"/><TIME_SLOT TIME_SLOT_ID=\"ts3\" TIME_VALUE=\"900\"/></TIME_ORDER>"
           "<TIER LINGUISTIC_TYPE_REF=\"lt\" TIER_ID=\"A\"><ANNOTATION><ALIGNABLE_ANNOTATION ANNOTATION_ID=\"a1\" "
           "TIME_SLOT_REF1=\"ts1\" TIME_SLOT_REF2=\"ts2\"><ANNOTATION_VALUE>x</ANNOTATION_VALUE>"
           "</ALIGNABLE_ANNOTATION></ANNOTATION></TIER>"
           "<LINGUISTIC_TYPE LINGUISTIC_TYPE_ID=\"lt\" TIME_ALIGNABLE=\"true\"/></ANNOTATION_DOCUMENT>\n";
    BoxSeen notice;
    ModalDriver driver({TypeFileName(eaf), RecordBox(&notice)});
    Click(kOpenAnnotationId);
    EXPECT_TRUE(driver.AllAnswered());
    EXPECT_EQ(driver.Unexpected(), 0) << driver.Seen();
    EXPECT_EQ(notice.caption, QString("Confirmation"));
    EXPECT_EQ(notice.buttons, QMessageBox::Ok);
    EXPECT_EQ(notice.text, QString::fromUtf8("1 annotations sans temps ont été placées entre leurs voisines."));
    ASSERT_EQ(Timeline().Tracks().GetCount(), 1);
    EXPECT_EQ(Timeline().Tracks().GetTrack(0)->GetLabel(), "A");
    EXPECT_EQ(m_window->windowTitle(), QString("*Quillmark"));
}
