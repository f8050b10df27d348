#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "CDelayDlg.h"
#include "CSegmentDlg.h"
#include "CTrackDlg.h"
#include "ModalScript.h"
#include "TemplateWidgets.h"
#include "Templates.h"

namespace {

// Runs a dialog modally through `run` while `script` plays the user.
template <class Run>
auto RunModal(Run&& run, ModalScript& script)
{
    auto result = run();
    EXPECT_TRUE(script.AllRan()) << "a step never came";
    EXPECT_FALSE(script.TimedOut());
    return result;
}

void Retype(QLineEdit* edit, const QString& text)
{
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

TEST(TrackDialog, BuiltFromItsTemplate)
{
    CTrackDlg dialog;
    EXPECT_EQ(dialog.windowTitle(), QString("Piste"));
    const DialogTemplate& layout = FindDialogTemplate(kTrackDialogId);
    EXPECT_EQ(dialog.size(), DialogUnitsToPixels(0, 0, layout.width, layout.height, DialogScale(&dialog)).size());
    EXPECT_EQ(dialog.OkButton()->text(), QString("Modifier"));
    EXPECT_TRUE(dialog.OkButton()->isDefault());
    EXPECT_NE(dialog.findChild<QLabel*>(), nullptr);
    EXPECT_EQ(dialog.NameEdit()->objectName(), QString("1028"));
}

TEST(TrackDialog, ShowsTheNameAndTakesWhatIsTyped)
{
    CTrackDlg dialog;
    ModalScript script;
    script.On<CTrackDlg>([](CTrackDlg& shown) {
        EXPECT_EQ(shown.NameEdit()->text(), QString("Gestes"));
        EXPECT_EQ(shown.focusWidget(), shown.OkButton()) << "the first control of the template";
        Retype(shown.NameEdit(), "Regards ");
        shown.NameEdit()->insert(QString::fromUtf8("élève")); // keyClicks types ASCII only
        QTest::mouseClick(shown.OkButton(), Qt::LeftButton);
    });
    EXPECT_EQ(RunModal([&] { return dialog.Run("Gestes"); }, script), "Regards \xC3\xA9l\xC3\xA8ve");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

// There is no way out of the track dialog that drops the text.
TEST(TrackDialog, EscapeEnterAndCloseAllTakeTheText)
{
    CTrackDlg dialog;
    const auto closeWith = [&dialog](const QString& text, const std::function<void(CTrackDlg&)>& close) {
        ModalScript script;
        script.On<CTrackDlg>([&](CTrackDlg& shown) {
            Retype(shown.NameEdit(), text);
            close(shown);
        });
        const std::string name = RunModal([&] { return dialog.Run("avant"); }, script);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        return name;
    };
    EXPECT_EQ(closeWith("par Echap", [](CTrackDlg& d) { QTest::keyClick(&d, Qt::Key_Escape); }), "par Echap");
    EXPECT_EQ(closeWith("par Entree", [](CTrackDlg& d) { QTest::keyClick(d.NameEdit(), Qt::Key_Return); }),
              "par Entree");
    EXPECT_EQ(closeWith("par la case", [](CTrackDlg& d) { d.close(); }), "par la case");
}

TEST(TrackDialog, ALabelLongerThanALineEditKeepsEveryCharacter)
{
    CTrackDlg dialog;
    const std::string before = std::string(40000, 'x') + "fin";
    ModalScript script;
    script.On<CTrackDlg>([](CTrackDlg& shown) { QTest::keyClick(&shown, Qt::Key_Escape); });
    EXPECT_EQ(RunModal([&] { return dialog.Run(before); }, script), before);
}

class SegmentDialog : public testing::Test {
protected:
    std::optional<SegmentFields> Run(ModalScript& script)
    {
        return RunModal([this] { return m_dialog.Run(m_shown); }, script);
    }

    CSegmentDlg m_dialog;
    SegmentFields m_shown{"PL", "Un commentaire", 12.5, 100.0};
};

TEST_F(SegmentDialog, BuiltFromItsTemplate)
{
    EXPECT_EQ(m_dialog.windowTitle(), QString("Segment"));
    EXPECT_EQ(m_dialog.OkButton()->text(), QString::fromUtf8("Mettre à jour"));
    EXPECT_TRUE(m_dialog.OkButton()->isDefault());
    EXPECT_EQ(m_dialog.CommentEdit()->objectName(), QString("1032"));
    EXPECT_EQ(m_dialog.TitleEdit()->objectName(), QString("1031"));
    EXPECT_EQ(m_dialog.StartEdit()->objectName(), QString("1008"));
    EXPECT_EQ(m_dialog.EndEdit()->objectName(), QString("1009"));
}

TEST_F(SegmentDialog, ShowsTheMembersAndTakesEachTypedField)
{
    ModalScript script;
    script.On<CSegmentDlg>([](CSegmentDlg& shown) {
        EXPECT_EQ(shown.TitleEdit()->text(), QString("PL"));
        EXPECT_EQ(shown.CommentEdit()->toPlainText(), QString("Un commentaire"));
        EXPECT_EQ(shown.StartEdit()->text(), QString("12.5"));
        EXPECT_EQ(shown.EndEdit()->text(), QString("100"));
        EXPECT_EQ(shown.focusWidget(), shown.OkButton());
        Retype(shown.TitleEdit(), "Titre");
        shown.CommentEdit()->selectAll();
        QTest::keyClicks(shown.CommentEdit(), "Deux");
        QTest::keyClick(shown.CommentEdit(), Qt::Key_Return, Qt::ShiftModifier);
        QTest::keyClicks(shown.CommentEdit(), "lignes");
        Retype(shown.StartEdit(), " 7.25 ");
        Retype(shown.EndEdit(), "1e3");
        QTest::mouseClick(shown.OkButton(), Qt::LeftButton);
    });
    const auto confirmed = Run(script);
    ASSERT_TRUE(confirmed);
    EXPECT_EQ(confirmed->title, "Titre");
    EXPECT_EQ(confirmed->comment, "Deux\nlignes");
    EXPECT_EQ(confirmed->start, 7.25);
    EXPECT_EQ(confirmed->end, 1000.0);
}

TEST_F(SegmentDialog, EnterInTheCommentsConfirmsInsteadOfBreakingTheLine)
{
    ModalScript script;
    script.On<CSegmentDlg>([](CSegmentDlg& shown) {
        shown.CommentEdit()->moveCursor(QTextCursor::End);
        QTest::keyClicks(shown.CommentEdit(), " court");
        QTest::keyClick(shown.CommentEdit(), Qt::Key_Return);
    });
    const auto confirmed = Run(script);
    ASSERT_TRUE(confirmed);
    EXPECT_EQ(confirmed->comment, "Un commentaire court");
}

TEST_F(SegmentDialog, EscapeTakesNothing)
{
    ModalScript script;
    script.On<CSegmentDlg>([](CSegmentDlg& shown) {
        Retype(shown.TitleEdit(), "perdu");
        Retype(shown.StartEdit(), "3");
        QTest::keyClick(&shown, Qt::Key_Escape);
    });
    EXPECT_EQ(Run(script), std::nullopt);
    EXPECT_EQ(m_dialog.result(), QDialog::Rejected);
    EXPECT_EQ(m_dialog.Fields().title, "PL");
    EXPECT_EQ(m_dialog.Fields().start, 12.5);
}

// The box names the fault, the dialog stays open with the field selected for
// retyping, and what comes before the field in exchange order is taken.
TEST_F(SegmentDialog, ARejectedBoundIsReportedAndSelectedForRetyping)
{
    std::string boxText;
    bool boxSeen = false;
    ModalScript script;
    script
        .On<CSegmentDlg>([](CSegmentDlg& shown) {
            Retype(shown.TitleEdit(), "Nouveau");
            Retype(shown.StartEdit(), "5");
            Retype(shown.EndEdit(), "12,5");
            QTest::mouseClick(shown.OkButton(), Qt::LeftButton);
        })
        .On<QMessageBox>([&](QMessageBox& box) {
            boxSeen = box.objectName() == CSegmentDlg::kNumberBoxName;
            boxText = box.text().toStdString();
            EXPECT_EQ(box.standardButtons(), QMessageBox::Ok);
            box.button(QMessageBox::Ok)->click();
        })
        .On<CSegmentDlg>([this](CSegmentDlg& shown) {
            EXPECT_TRUE(shown.isVisible());
            EXPECT_EQ(shown.focusWidget(), shown.EndEdit());
            EXPECT_EQ(shown.EndEdit()->selectedText(), QString("12,5"));
            // Comments, title and start come first and are already taken.
            EXPECT_EQ(m_dialog.Fields().title, "Nouveau");
            EXPECT_EQ(m_dialog.Fields().start, 5.0);
            EXPECT_EQ(m_dialog.Fields().end, 100.0);
            QTest::keyClicks(shown.EndEdit(), "12.5"); // replaces the selection
            QTest::keyClick(shown.EndEdit(), Qt::Key_Return);
        });
    const auto confirmed = Run(script);
    ASSERT_TRUE(confirmed);
    EXPECT_TRUE(boxSeen);
    EXPECT_EQ(boxText, "Tapez un nombre.");
    EXPECT_EQ(confirmed->end, 12.5);
}

TEST_F(SegmentDialog, EmptyAndSignedZeroBoundsAreRejected)
{
    int boxes = 0;
    ModalScript script;
    script
        .On<CSegmentDlg>([](CSegmentDlg& shown) {
            shown.StartEdit()->clear();
            QTest::mouseClick(shown.OkButton(), Qt::LeftButton);
        })
        .On<QMessageBox>([&](QMessageBox& box) { ++boxes, box.accept(); })
        .On<CSegmentDlg>([](CSegmentDlg& shown) {
            EXPECT_EQ(shown.focusWidget(), shown.StartEdit());
            QTest::keyClicks(shown.StartEdit(), "-0");
            QTest::mouseClick(shown.OkButton(), Qt::LeftButton);
        })
        .On<QMessageBox>([&](QMessageBox& box) { ++boxes, box.accept(); })
        .On<CSegmentDlg>([](CSegmentDlg& shown) { QTest::keyClick(&shown, Qt::Key_Escape); });
    EXPECT_EQ(Run(script), std::nullopt);
    EXPECT_EQ(boxes, 2);
}

// Opening the dialog and confirming it untouched hands back exactly what it
// was given: bounds that fifteen digits cannot hold, and the non-breaking
// spaces and tabs of a French comment.
TEST_F(SegmentDialog, ConfirmedUntouchedItGivesBackWhatItWasGiven)
{
    const std::string comment = "Pourquoi\xC2\xA0? Voil\xC3\xA0\xC2\xA0: \ttab\nligne";
    m_shown.comment = comment;
    m_shown.start = 0.1 + 0.2;
    m_shown.end = 1.0 / 3.0;
    ModalScript script;
    script.On<CSegmentDlg>([](CSegmentDlg& shown) { QTest::mouseClick(shown.OkButton(), Qt::LeftButton); });
    const auto confirmed = Run(script);
    ASSERT_TRUE(confirmed);
    EXPECT_EQ(confirmed->comment, comment);
    EXPECT_EQ(confirmed->start, 0.1 + 0.2);
    EXPECT_EQ(confirmed->end, 1.0 / 3.0);

    // Shown text is the value shown, even after an attempt that took
    // another value for the field and was then rejected further on.
    ModalScript again;
    again
        .On<CSegmentDlg>([](CSegmentDlg& shown) {
            EXPECT_EQ(shown.StartEdit()->text(), QString("0.3"));
            Retype(shown.StartEdit(), "0.25");
            Retype(shown.EndEdit(), "x");
            QTest::mouseClick(shown.OkButton(), Qt::LeftButton);
        })
        .On<QMessageBox>([](QMessageBox& box) { box.accept(); })
        .On<CSegmentDlg>([this](CSegmentDlg& shown) {
            EXPECT_EQ(m_dialog.Fields().start, 0.25);
            Retype(shown.StartEdit(), "0.3");
            Retype(shown.EndEdit(), "2");
            QTest::mouseClick(shown.OkButton(), Qt::LeftButton);
        });
    const auto second = RunModal([this] { return m_dialog.Run(m_shown); }, again);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->start, 0.1 + 0.2);
    EXPECT_EQ(second->end, 2.0);
}

TEST(DelayDialog, BuiltFromItsTemplateOpensOnTheDelaySelected)
{
    CDelayDlg dialog;
    EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("Délai de réaction"));
    const DialogTemplate& layout = FindDialogTemplate(kDelayDialogId);
    EXPECT_EQ(dialog.size(), DialogUnitsToPixels(0, 0, layout.width, layout.height, DialogScale(&dialog)).size());
    EXPECT_TRUE(dialog.OkButton()->isDefault());
    ModalScript script;
    script.On<CDelayDlg>([](CDelayDlg& shown) {
        EXPECT_EQ(shown.focusWidget(), shown.DelayEdit());
        EXPECT_EQ(shown.DelayEdit()->selectedText(), QString("300"));
        QTest::keyClicks(shown.DelayEdit(), "450"); // replaces the selection
        QTest::keyClick(shown.DelayEdit(), Qt::Key_Return);
    });
    EXPECT_EQ(RunModal([&] { return dialog.Run(300); }, script), 450);

    ModalScript escape;
    escape.On<CDelayDlg>([](CDelayDlg& shown) {
        EXPECT_EQ(shown.DelayEdit()->text(), QString("120"));
        Retype(shown.DelayEdit(), "900");
        QTest::keyClick(&shown, Qt::Key_Escape);
    });
    EXPECT_EQ(RunModal([&] { return dialog.Run(120); }, escape), std::nullopt);
}

// Each value out of the rule is refused with the same box, and the field
// keeps the focus with the value selected for retyping, by the button or by
// Enter; the value that follows is taken.
TEST(DelayDialog, ARefusedValueIsReportedAndSelectedForRetyping)
{
    const std::vector<QString> refused = {"", "2001", "-5", "1.5", "300 ms", "abc"};
    std::vector<std::string> boxes;
    CDelayDlg dialog;
    ModalScript script;
    for (std::size_t i = 0; i < refused.size(); ++i) {
        script
            .On<CDelayDlg>([&, i](CDelayDlg& shown) {
                if (i > 0) {
                    EXPECT_EQ(shown.focusWidget(), shown.DelayEdit()) << i;
                    EXPECT_EQ(shown.DelayEdit()->selectedText(), refused[i - 1]) << i;
                }
                shown.DelayEdit()->clear();
                QTest::keyClicks(shown.DelayEdit(), refused[i]);
                if (i % 2 == 0)
                    QTest::mouseClick(shown.OkButton(), Qt::LeftButton);
                else
                    QTest::keyClick(shown.DelayEdit(), Qt::Key_Return);
            })
            .On<QMessageBox>([&](QMessageBox& box) {
                if (box.objectName() == CDelayDlg::kRefusedBoxName)
                    boxes.push_back(box.text().toStdString());
                box.button(QMessageBox::Ok)->click();
            });
    }
    script.On<CDelayDlg>([](CDelayDlg& shown) {
        EXPECT_TRUE(shown.isVisible());
        QTest::keyClicks(shown.DelayEdit(), "0");
        QTest::keyClick(shown.DelayEdit(), Qt::Key_Return);
    });
    EXPECT_EQ(RunModal([&] { return dialog.Run(300); }, script), 0);
    EXPECT_EQ(boxes, std::vector<std::string>(refused.size(), "Tapez un nombre entre 0 et 2000."));
}

} // namespace
