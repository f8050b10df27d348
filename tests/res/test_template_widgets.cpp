#include <map>
#include <memory>
#include <string>
#include <vector>

#include <QAction>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include "DialogUnits.h"
#include "TemplateWidgets.h"
#include "Templates.h"

namespace {

// Stands in for the video player the caller's factory makes.
class FakePlayer : public QWidget {
public:
    using QWidget::QWidget;
};

class FakeBar : public QScrollBar {
public:
    using QScrollBar::QScrollBar;
};

ControlFactory PlayerFactory(std::vector<int>* askedFor = nullptr)
{
    return [askedFor](const ControlTemplate& control, QWidget* parent) -> QWidget* {
        if (askedFor != nullptr)
            askedFor->push_back(control.id);
        if (control.kind == ControlKind::VideoPlayer)
            return new FakePlayer(parent);
        return nullptr;
    };
}

template <class Widget>
Widget* As(const std::map<int, QWidget*>& controls, int id)
{
    const auto it = controls.find(id);
    return it == controls.end() ? nullptr : qobject_cast<Widget*>(it->second);
}

// Widgets that Tab visits, in order, starting from the parent.
std::vector<QWidget*> TabChain(QWidget* parent)
{
    std::vector<QWidget*> chain;
    for (QWidget* w = parent->nextInFocusChain(); w != parent; w = w->nextInFocusChain()) {
        if ((w->focusPolicy() & Qt::TabFocus) != 0 && w->parentWidget() == parent)
            chain.push_back(w);
    }
    return chain;
}

TEST(TemplateBuilder, MainWindowControlsGetTheirKindRectangleAndName)
{
    QDialog dialog;
    const DialogTemplate& layout = FindDialogTemplate(102);
    std::vector<int> askedFor;
    const auto controls = BuildTemplateControls(layout, &dialog, PlayerFactory(&askedFor));
    const double scale = DialogScale(&dialog);

    ASSERT_EQ(controls.size(), layout.controls.size());
    EXPECT_EQ(askedFor.size(), layout.controls.size()) << "the factory sees every control first";
    for (const ControlTemplate& c : layout.controls) {
        QWidget* w = controls.at(c.id);
        EXPECT_EQ(w->parentWidget(), &dialog) << c.id;
        EXPECT_EQ(w->objectName(), QString::number(c.id));
        EXPECT_EQ(w->geometry(), DialogUnitsToPixels(c.x, c.y, c.width, c.height, scale)) << c.id;
    }
    if (scale == 1.0) {
        EXPECT_EQ(controls.at(1023)->size(), QSize(750, 244));
    }

    EXPECT_NE(dynamic_cast<FakePlayer*>(controls.at(1000)), nullptr);
    EXPECT_NE(dynamic_cast<FakePlayer*>(controls.at(1003)), nullptr);
    EXPECT_EQ(controls.at(1000)->focusPolicy(), Qt::StrongFocus);

    QFrame* frame = As<QFrame>(controls, 1023);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(qobject_cast<QLabel*>(frame), nullptr) << "the black rectangle is no text";
    EXPECT_TRUE(frame->autoFillBackground());
    EXPECT_EQ(frame->palette().color(QPalette::Window), QColor(Qt::black));

    for (int id : {1001, 1002}) {
        ASSERT_NE(As<QScrollBar>(controls, id), nullptr) << id;
        EXPECT_EQ(As<QScrollBar>(controls, id)->orientation(), Qt::Horizontal);
    }
    ASSERT_NE(As<QScrollBar>(controls, 1022), nullptr);
    EXPECT_EQ(As<QScrollBar>(controls, 1022)->orientation(), Qt::Vertical);

    for (int id : {1008, 1009, 1011, 1012, 1035, 1036, 1040}) {
        QPushButton* button = As<QPushButton>(controls, id);
        ASSERT_NE(button, nullptr) << id;
        EXPECT_EQ(button->text().toStdString(), layout.FindControl(id)->text);
        EXPECT_FALSE(button->isDefault()) << id;
        EXPECT_FALSE(button->autoDefault()) << id << ": Enter must not press whichever button has the focus";
    }

    QPlainTextEdit* text = As<QPlainTextEdit>(controls, 1027);
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(text->isReadOnly());
    EXPECT_EQ(text->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(text->focusPolicy(), Qt::ClickFocus) << "no tab stop, but its text can still be selected";
}

TEST(TemplateBuilder, FactoryDecidesForControlsItWantsAndLeavesOutPlayersItCannotMake)
{
    QWidget parent;
    const DialogTemplate& layout = FindDialogTemplate(102);
    const auto controls = BuildTemplateControls(layout, &parent, [](const ControlTemplate& c, QWidget* p) -> QWidget* {
        if (c.kind == ControlKind::HorizontalScrollBar)
            return new FakeBar(Qt::Horizontal, p);
        return nullptr;
    });
    EXPECT_EQ(controls.count(1000), 0u);
    EXPECT_EQ(controls.count(1003), 0u);
    EXPECT_NE(dynamic_cast<FakeBar*>(controls.at(1001)), nullptr);
    EXPECT_NE(dynamic_cast<FakeBar*>(controls.at(1002)), nullptr);
    EXPECT_EQ(dynamic_cast<FakeBar*>(controls.at(1022)), nullptr);

    // Without any factory the standard controls are still all there.
    QWidget bare;
    EXPECT_EQ(BuildTemplateControls(layout, &bare).size(), layout.controls.size() - 2);
}

TEST(TemplateBuilder, SegmentDialogEditsLabelsAndTabOrder)
{
    QDialog dialog;
    const DialogTemplate& layout = FindDialogTemplate(135);
    ApplyDialogTemplate(layout, &dialog);
    const auto controls = BuildTemplateControls(layout, &dialog);

    QPushButton* update = As<QPushButton>(controls, 1029);
    ASSERT_NE(update, nullptr);
    EXPECT_TRUE(update->isDefault());
    EXPECT_EQ(update->text(), QString("Mettre à jour"));
    for (int id : {1031, 1008, 1009}) {
        QLineEdit* edit = As<QLineEdit>(controls, id);
        ASSERT_NE(edit, nullptr) << id;
        EXPECT_TRUE(edit->hasFrame());
        EXPECT_FALSE(edit->isReadOnly());
    }
    QPlainTextEdit* comments = As<QPlainTextEdit>(controls, 1032);
    ASSERT_NE(comments, nullptr);
    EXPECT_FALSE(comments->isReadOnly());
    EXPECT_TRUE(comments->tabChangesFocus());

    QStringList labels;
    for (QLabel* label : dialog.findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly))
        labels << label->text();
    EXPECT_EQ(labels, (QStringList{"Titre :", "Commentaires :", "Début :", "Fin :"}));

    const std::vector<QWidget*> expected = {update, controls.at(1031), comments, controls.at(1008),
                                            controls.at(1009)};
    EXPECT_EQ(TabChain(&dialog), expected);
}

TEST(TemplateBuilder, EnterInTheCommentsPressesTheDefaultButtonAndCtrlEnterStartsALine)
{
    QDialog dialog;
    const DialogTemplate& layout = FindDialogTemplate(135);
    ApplyDialogTemplate(layout, &dialog);
    const auto controls = BuildTemplateControls(layout, &dialog);
    QPlainTextEdit* comments = As<QPlainTextEdit>(controls, 1032);
    QPushButton* update = As<QPushButton>(controls, 1029);
    ASSERT_NE(comments, nullptr);
    ASSERT_NE(update, nullptr);
    int clicks = 0;
    QObject::connect(update, &QPushButton::clicked, [&clicks] { ++clicks; });
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));

    QTest::keyClicks(comments, "ab");
    QTest::keyClick(comments, Qt::Key_Return);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(comments->toPlainText(), QString("ab"));

    QTest::keyClick(comments, Qt::Key_Return, Qt::ControlModifier);
    QTest::keyClicks(comments, "c");
    QTest::keyClick(comments, Qt::Key_Enter, Qt::ShiftModifier);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(comments->toPlainText(), QString("ab\nc\n"));
}

TEST(TemplateBuilder, DialogGetsCaptionFixedSizeAndNoMinimiseOrMaximise)
{
    for (int id : {100, 102, 134, 135}) {
        QDialog dialog;
        const DialogTemplate& layout = FindDialogTemplate(id);
        ApplyDialogTemplate(layout, &dialog);
        const double scale = DialogScale(&dialog);
        const QSize size(DialogUnitsToPixelsX(layout.width, scale), DialogUnitsToPixelsY(layout.height, scale));
        EXPECT_EQ(dialog.windowTitle().toStdString(), layout.caption);
        EXPECT_EQ(dialog.minimumSize(), size) << id;
        EXPECT_EQ(dialog.maximumSize(), size) << id;
        // The font grows with the scale beyond the DPI's.
        EXPECT_NEAR(dialog.font().pointSizeF(), 8.0 * scale / DpiScale(&dialog), 1e-6) << id;
        const Qt::WindowFlags flags = dialog.windowFlags();
        EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint) << id;
        EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint) << id;
        EXPECT_TRUE(flags & Qt::WindowCloseButtonHint) << id;
        EXPECT_FALSE(dialog.isSizeGripEnabled());
    }
    QDialog main;
    ApplyDialogTemplate(FindDialogTemplate(102), &main);
    if (DialogScale(&main) == 1.0) {
        EXPECT_EQ(main.minimumSize(), QSize(1012, 517));
    }
}

TEST(TemplateMenus, ActionsCarryTheirCommands)
{
    QWidget owner;
    const std::unique_ptr<QMenu> track = BuildMenu(FindMenuTemplate(132), &owner);
    EXPECT_EQ(track->title(), QString("Piste"));
    const QList<QAction*> actions = track->actions();
    ASSERT_EQ(actions.size(), 5);
    const int commands[] = {32771, 32772, 32773, 32774, 32775};
    const char* texts[] = {"Ajouter", "Supprimer", "Modifier", "Monter", "Descendre"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(MenuCommand(actions[i]), commands[i]);
        EXPECT_EQ(actions[i]->text(), QString(texts[i]));
    }

    const std::unique_ptr<QMenu> segment = BuildMenu(FindMenuTemplate(133));
    ASSERT_EQ(segment->actions().size(), 2);
    EXPECT_EQ(MenuCommand(segment->actions()[0]), 32776);
    EXPECT_EQ(MenuCommand(segment->actions()[1]), 32778);

    QAction plain("x");
    EXPECT_EQ(MenuCommand(&plain), 0);
    EXPECT_EQ(MenuCommand(nullptr), 0);
}

TEST(ApplicationIconTest, IsServedFromTheResourcesAndShownByTheAboutTemplate)
{
    const QIcon icon = ApplicationIcon();
    ASSERT_FALSE(icon.isNull());
    EXPECT_TRUE(icon.availableSizes().contains(QSize(128, 128)));
    EXPECT_FALSE(icon.pixmap(32, 32).isNull());

    QDialog dialog;
    BuildTemplateControls(FindDialogTemplate(100), &dialog);
    const QList<QLabel*> labels = dialog.findChildren<QLabel*>();
    ASSERT_EQ(labels.size(), 2);
    EXPECT_FALSE(labels[0]->pixmap().isNull());
    EXPECT_EQ(labels[1]->text(), QString("Quillmark version 1.0"));
}

} // namespace

namespace {

// Sets QUILLMARK_SCALE for the scope, and takes it away after.
class ScopedScaleVariable {
public:
    explicit ScopedScaleVariable(const char* value) { qputenv("QUILLMARK_SCALE", value); }
    ~ScopedScaleVariable() { qunsetenv("QUILLMARK_SCALE"); }
};

} // namespace

TEST(TemplateBuilder, ScaleFitsTheMainWindowInTheScreenAndTheVariableOverridesIt)
{
    QDialog dialog;
    const double fitted = DialogScale(&dialog);
    const double minimum = DpiScale(&dialog);
    EXPECT_GE(fitted, minimum);
    const QRect available = dialog.screen()->availableGeometry();
    const DialogTemplate& main = FindDialogTemplate(kMainDialogId);
    if (fitted > minimum) {
        EXPECT_LE(DialogUnitsToPixelsX(main.width, fitted), 0.9 * available.width());
        EXPECT_LE(DialogUnitsToPixelsY(main.height, fitted), 0.9 * available.height());
    }

    {
        const ScopedScaleVariable variable("1.5");
        EXPECT_DOUBLE_EQ(DialogScale(&dialog), 1.5 * minimum);
        QDialog scaled;
        ApplyDialogTemplate(main, &scaled);
        EXPECT_EQ(scaled.minimumSize(),
                  QSize(DialogUnitsToPixelsX(main.width, 1.5 * minimum), DialogUnitsToPixelsY(main.height, 1.5 * minimum)));
        EXPECT_DOUBLE_EQ(scaled.font().pointSizeF(), 12.0);
    }
    for (const char* invalid : {"grand", "0", "-2", "9", "1.5px"}) {
        const ScopedScaleVariable variable(invalid);
        testing::internal::CaptureStderr();
        EXPECT_DOUBLE_EQ(DialogScale(&dialog), fitted) << invalid;
        const std::string warning = testing::internal::GetCapturedStderr();
        EXPECT_NE(warning.find("QUILLMARK_SCALE"), std::string::npos) << invalid;
        EXPECT_NE(warning.find(invalid), std::string::npos) << warning;
        // Said once, not at every dialog built.
        testing::internal::CaptureStderr();
        DialogScale(&dialog);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << invalid;
    }
    const ScopedScaleVariable empty("");
    testing::internal::CaptureStderr();
    EXPECT_DOUBLE_EQ(DialogScale(&dialog), fitted);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}
