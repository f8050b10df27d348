#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "AboutDlg.h"
#include "DialogUnits.h"
#include "TemplateWidgets.h"
#include "Templates.h"

namespace {

TEST(AboutDialog, ShowsTheTemplateAndOkIsTheDefault)
{
    CAboutDlg about;
    EXPECT_EQ(about.windowTitle(), QString("A propos de Quillmark"));
    const double scale = DialogScale(&about);
    EXPECT_EQ(about.minimumSize(), QSize(DialogUnitsToPixelsX(235, scale), DialogUnitsToPixelsY(55, scale)));
    EXPECT_EQ(about.maximumSize(), about.minimumSize());
    ASSERT_NE(about.OkButton(), nullptr);
    EXPECT_EQ(about.OkButton()->text(), QString("OK"));
    EXPECT_TRUE(about.OkButton()->isDefault());
    EXPECT_EQ(about.OkButton()->geometry(), DialogUnitsToPixels(178, 7, 50, 14, scale));
    bool versionShown = false;
    for (QLabel* label : about.findChildren<QLabel*>())
        versionShown = versionShown || label->text() == QString("Quillmark version 1.0");
    EXPECT_TRUE(versionShown);
}

// Runs the dialog modally and does `answer` once it is up.
template <class Answer>
int RunAndAnswer(CAboutDlg& about, Answer answer)
{
    QTimer::singleShot(0, &about, [&about, answer] {
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&about));
        answer();
        // A dialog left open would hang the test instead of failing it.
        if (about.isVisible())
            about.done(-1);
    });
    return about.exec();
}

TEST(AboutDialog, OkEnterAndEscapeCloseIt)
{
    {
        CAboutDlg about;
        EXPECT_EQ(RunAndAnswer(about, [&about] { QTest::mouseClick(about.OkButton(), Qt::LeftButton); }),
                  QDialog::Accepted);
    }
    {
        CAboutDlg about;
        EXPECT_EQ(RunAndAnswer(about, [&about] { QTest::keyClick(&about, Qt::Key_Return); }), QDialog::Accepted);
    }
    {
        CAboutDlg about;
        EXPECT_EQ(RunAndAnswer(about, [&about] { QTest::keyClick(&about, Qt::Key_Escape); }), QDialog::Rejected);
    }
}

} // namespace
