#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "DialogUnits.h"
#include "Templates.h"

namespace {

using K = ControlKind;

struct Row {
    int id;
    ControlKind kind;
    std::string text;
    int x, y, width, height;
    unsigned styles;
};

void ExpectControls(const DialogTemplate& dialog, const std::vector<Row>& rows)
{
    ASSERT_EQ(dialog.controls.size(), rows.size()) << "dialog " << dialog.id;
    for (size_t i = 0; i < rows.size(); ++i) {
        const ControlTemplate& c = dialog.controls[i];
        const Row& r = rows[i];
        SCOPED_TRACE("dialog " + std::to_string(dialog.id) + ", control #" + std::to_string(i));
        EXPECT_EQ(c.id, r.id);
        EXPECT_EQ(c.kind, r.kind);
        EXPECT_EQ(c.text, r.text);
        EXPECT_EQ(c.x, r.x);
        EXPECT_EQ(c.y, r.y);
        EXPECT_EQ(c.width, r.width);
        EXPECT_EQ(c.height, r.height);
        EXPECT_EQ(c.styles, r.styles);
    }
}

constexpr unsigned kLine = kStyleBorder | kStyleAutoHScroll | kStyleTabStop;

TEST(DialogTemplates, MainWindowMatchesItsTable)
{
    const DialogTemplate& d = FindDialogTemplate(102);
    EXPECT_EQ(d.caption, "Quillmark");
    EXPECT_EQ(d.width, 675);
    EXPECT_EQ(d.height, 318);
    EXPECT_EQ(d.fontName, "MS Sans Serif");
    EXPECT_EQ(d.fontPointSize, 8);
    EXPECT_TRUE(d.Has(kDialogCaption) && d.Has(kDialogSysMenu) && d.Has(kDialogModalFrame) && d.Has(kDialogAppWindow));
    ExpectControls(d, {
        {1000, K::VideoPlayer, "", 9, 10, 201, 133, kStyleTabStop},
        {1023, K::Static, "", 9, 148, 500, 150, kStyleBlackRect | kStyleNotify},
        {1001, K::HorizontalScrollBar, "", 128, 300, 379, 11, kStyleBottomAlign},
        {1002, K::HorizontalScrollBar, "", 9, 300, 117, 11, kStyleTopAlign},
        {1008, K::PushButton, "[", 540, 233, 61, 14, kStyleTabStop},
        {1009, K::PushButton, "]", 608, 233, 61, 14, kStyleTabStop},
        {1011, K::PushButton, "Ouvrir la vidéo annotée", 540, 148, 129, 14, kStyleTabStop},
        {1022, K::VerticalScrollBar, "", 516, 146, 12, 150, kStyleNone},
        {1027, K::Edit, "", 225, 7, 226, 136,
         kStyleBorder | kStyleVScroll | kStyleMultiLine | kStyleReadOnly | kStyleNumber | kStyleStaticEdge |
             kStyleModalFrameEdge},
        {1035, K::PushButton, "Ouvrir le fichier d'annotation", 540, 190, 129, 14, kStyleTabStop},
        {1036, K::PushButton, "Enregistrer le fichier d'annotation", 540, 211, 129, 14, kStyleTabStop},
        {1003, K::VideoPlayer, "", 470, 7, 199, 135, kStyleTabStop},
        {1012, K::PushButton, "Ouvrir le dossier d'annotations video", 540, 169, 129, 14, kStyleTabStop},
        {1040, K::PushButton, "Exporter…", 540, 254, 129, 14, kStyleTabStop},
        {1045, K::PushButton, "Délai : 0 ms", 540, 275, 129, 14, kStyleTabStop},
    });
}

TEST(DialogTemplates, AboutTrackSegmentAndDelayDialogsMatchTheirTables)
{
    const DialogTemplate& about = FindDialogTemplate(100);
    EXPECT_EQ(about.caption, "A propos de Quillmark");
    EXPECT_EQ(about.width, 235);
    EXPECT_EQ(about.height, 55);
    ExpectControls(about, {
        {kNoControlId, K::Icon, "", 11, 17, 20, 20, kStyleNone},
        {kNoControlId, K::Static, "Quillmark version 1.0", 40, 10, 119, 8, kStyleNoPrefix},
        {1, K::PushButton, "OK", 178, 7, 50, 14, kStyleDefaultButton | kStyleTabStop},
    });
    EXPECT_EQ(about.controls[0].iconId, kApplicationIconId);

    const DialogTemplate& track = FindDialogTemplate(134);
    EXPECT_EQ(track.caption, "Piste");
    EXPECT_EQ(track.width, 159);
    EXPECT_EQ(track.height, 70);
    ExpectControls(track, {
        {1029, K::PushButton, "Modifier", 49, 39, 50, 14, kStyleDefaultButton | kStyleTabStop},
        {kNoControlId, K::Static, "Nom :", 23, 17, 20, 8, kStyleNone},
        {1028, K::Edit, "", 54, 15, 83, 14, kLine},
    });

    const DialogTemplate& segment = FindDialogTemplate(135);
    EXPECT_EQ(segment.caption, "Segment");
    EXPECT_EQ(segment.width, 265);
    EXPECT_EQ(segment.height, 148);
    ExpectControls(segment, {
        {1029, K::PushButton, "Mettre à jour", 105, 119, 50, 14, kStyleDefaultButton | kStyleTabStop},
        {kNoControlId, K::Static, "Titre :", 7, 9, 19, 8, kStyleNone},
        {1031, K::Edit, "", 65, 7, 40, 14, kLine},
        {kNoControlId, K::Static, "Commentaires :", 7, 27, 49, 8, kStyleNone},
        {1032, K::Edit, "", 65, 25, 182, 62, kStyleMultiLine | kStyleVScroll | kStyleBorder | kStyleTabStop},
        {kNoControlId, K::Static, "Début :", 71, 98, 24, 8, kStyleNone},
        {1008, K::Edit, "", 104, 95, 40, 14, kLine},
        {kNoControlId, K::Static, "Fin :", 182, 98, 14, 8, kStyleNone},
        {1009, K::Edit, "", 206, 94, 40, 14, kLine},
    });

    const DialogTemplate& delay = FindDialogTemplate(137);
    EXPECT_EQ(delay.caption, "Délai de réaction");
    EXPECT_EQ(delay.width, 216);
    EXPECT_EQ(delay.height, 66);
    ExpectControls(delay, {
        {1029, K::PushButton, "Modifier", 83, 45, 50, 14, kStyleDefaultButton | kStyleTabStop},
        {kNoControlId, K::Static, "Délai (ms) :", 54, 12, 44, 8, kStyleNone},
        {1046, K::Edit, "", 102, 10, 40, 14, kLine},
        {kNoControlId, K::Static, "Ôté des marques « [ » et « ] » pendant la lecture.", 10, 29, 196, 8, kStyleNone},
    });

    for (const DialogTemplate* d : {&about, &track, &segment, &delay}) {
        EXPECT_EQ(d->fontName, "MS Sans Serif") << d->id;
        EXPECT_EQ(d->fontPointSize, 8) << d->id;
        EXPECT_TRUE(d->Has(kDialogPopup) && d->Has(kDialogCaption) && d->Has(kDialogSysMenu) &&
                    d->Has(kDialogModalFrame))
            << d->id;
    }
}

TEST(DialogTemplates, EveryControlFitsItsDialogAndIdsAreUnique)
{
    ASSERT_EQ(AllDialogTemplates().size(), 5u);
    for (const DialogTemplate& d : AllDialogTemplates()) {
        std::set<int> ids;
        for (const ControlTemplate& c : d.controls) {
            EXPECT_GE(c.x, 0) << d.id << "/" << c.id;
            EXPECT_GE(c.y, 0) << d.id << "/" << c.id;
            EXPECT_LE(c.x + c.width, d.width) << d.id << "/" << c.id;
            EXPECT_LE(c.y + c.height, d.height) << d.id << "/" << c.id;
            if (c.id != kNoControlId) {
                EXPECT_TRUE(ids.insert(c.id).second) << d.id << " repeats " << c.id;
            }
            // Only what the dialog code looks up needs an id.
            if (c.kind != K::Static && c.kind != K::Icon) {
                EXPECT_NE(c.id, kNoControlId) << d.id;
            }
        }
    }
}

// A control added to a column must find a free place in it.
TEST(DialogTemplates, NoTwoControlsOverlap)
{
    for (const DialogTemplate& d : AllDialogTemplates()) {
        for (std::size_t i = 0; i < d.controls.size(); ++i) {
            for (std::size_t j = i + 1; j < d.controls.size(); ++j) {
                const ControlTemplate& a = d.controls[i];
                const ControlTemplate& b = d.controls[j];
                const bool apart = a.x + a.width <= b.x || b.x + b.width <= a.x || a.y + a.height <= b.y ||
                                   b.y + b.height <= a.y;
                EXPECT_TRUE(apart) << "dialog " << d.id << ": controls #" << i << " and #" << j << " ("
                                   << a.text << ", " << b.text << ")";
            }
        }
    }
}

TEST(DialogTemplates, LookupsByIdAndUnknownIds)
{
    const DialogTemplate& segment = FindDialogTemplate(135);
    ASSERT_NE(segment.FindControl(1032), nullptr);
    EXPECT_TRUE(segment.FindControl(1032)->Has(kStyleMultiLine));
    EXPECT_EQ(segment.FindControl(1027), nullptr);
    EXPECT_THROW(FindDialogTemplate(101), std::out_of_range);
    EXPECT_THROW(FindMenuTemplate(134), std::out_of_range);
}

TEST(MenuTemplates, PopupsMatchTheirTables)
{
    const MenuTemplate& track = FindMenuTemplate(132);
    EXPECT_EQ(track.title, "Piste");
    const std::vector<std::pair<int, std::string>> trackItems = {
        {32771, "Ajouter"}, {32772, "Supprimer"}, {32773, "Modifier"}, {32774, "Monter"}, {32775, "Descendre"}};
    ASSERT_EQ(track.items.size(), trackItems.size());
    for (size_t i = 0; i < trackItems.size(); ++i) {
        EXPECT_EQ(track.items[i].command, trackItems[i].first);
        EXPECT_EQ(track.items[i].text, trackItems[i].second);
    }

    const MenuTemplate& segment = FindMenuTemplate(133);
    EXPECT_EQ(segment.title, "Segment");
    ASSERT_EQ(segment.items.size(), 2u);
    EXPECT_EQ(segment.items[0].command, 32776);
    EXPECT_EQ(segment.items[0].text, "Modifier");
    EXPECT_EQ(segment.items[1].command, 32778);
    EXPECT_EQ(segment.items[1].text, "Supprimer");
}

TEST(StringResources, AboutEntryAndMissingStrings)
{
    EXPECT_EQ(LoadResourceString(101), "&A propos de Quillmark...");
    EXPECT_EQ(LoadResourceString(kNumberExpectedStringId), "Tapez un nombre.");
    EXPECT_EQ(LoadResourceString(102), "");
}

TEST(DialogUnitConversion, MainWindowAndTimelineComeOutAtTheirPixelSizes)
{
    EXPECT_EQ(DialogUnitsToPixelsX(675), 1012);
    EXPECT_EQ(DialogUnitsToPixelsY(318), 517);
    const DialogPixelRect frame = DialogRectToPixels(9, 148, 500, 150);
    EXPECT_EQ(frame.width, 750);
    EXPECT_EQ(frame.height, 244);
    EXPECT_EQ(DialogUnitsToPixelsX(0), 0);
    EXPECT_EQ(DialogUnitsToPixelsX(4), 6);
    EXPECT_EQ(DialogUnitsToPixelsY(8), 13);
    // At twice the DPI sizes double, give or take the rounding of halves.
    EXPECT_EQ(DialogUnitsToPixelsX(675, 2.0), 2025);
    EXPECT_EQ(DialogUnitsToPixelsY(318, 2.0), 1034);
    EXPECT_EQ(DialogRectToPixels(9, 148, 500, 150, 2.0), (DialogPixelRect{27, 481, 1500, 487}));
}

TEST(DialogUnitConversion, MainWindowControlsStaySensibleInPixels)
{
    const DialogTemplate& d = FindDialogTemplate(102);
    const int clientWidth = DialogUnitsToPixelsX(d.width);
    const int clientHeight = DialogUnitsToPixelsY(d.height);
    for (const ControlTemplate& c : d.controls) {
        const DialogPixelRect r = DialogRectToPixels(c.x, c.y, c.width, c.height);
        EXPECT_GT(r.width, 0) << c.id;
        EXPECT_GT(r.height, 0) << c.id;
        EXPECT_LE(r.x + r.width, clientWidth) << c.id;
        EXPECT_LE(r.y + r.height, clientHeight) << c.id;
        // Never more than a pixel away from the exact scaled size.
        EXPECT_NEAR(r.width, c.width * 1.5, 1.0) << c.id;
        EXPECT_NEAR(r.height, c.height * 13.0 / 8.0, 1.0) << c.id;
    }
    // The two mark buttons have one size in units, and keep one in pixels.
    const DialogPixelRect start = DialogRectToPixels(540, 233, 61, 14);
    const DialogPixelRect end = DialogRectToPixels(608, 233, 61, 14);
    EXPECT_EQ(start.width, end.width);
    EXPECT_EQ(start.height, end.height);
    // Rectangles that touch in units touch in pixels.
    const DialogPixelRect left = DialogRectToPixels(9, 300, 117, 11);
    const DialogPixelRect right = DialogRectToPixels(126, 300, 50, 11);
    EXPECT_EQ(left.x + left.width, right.x);
}

} // namespace
