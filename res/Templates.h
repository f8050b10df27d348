#pragma once

#include <string>
#include <vector>

#include "ResourceIds.h"

// The program's dialog layouts, context menus and strings, kept as plain
// data so that they read like the resource tables they come from. Positions
// and sizes are in dialog units (see DialogUnits.h); texts are UTF-8.

enum class ControlKind {
    PushButton,
    Static,
    Edit,
    HorizontalScrollBar,
    VerticalScrollBar,
    VideoPlayer,
    Icon,
};

// Only the styles that change what a control looks like or does here.
enum ControlStyle : unsigned {
    kStyleNone = 0,
    kStyleTabStop = 1u << 0,
    kStyleDefaultButton = 1u << 1,
    kStyleBorder = 1u << 2,
    kStyleVScroll = 1u << 3,
    kStyleMultiLine = 1u << 4,
    kStyleReadOnly = 1u << 5,
    kStyleNumber = 1u << 6,
    kStyleAutoHScroll = 1u << 7,
    kStyleBlackRect = 1u << 8,
    kStyleNotify = 1u << 9,
    kStyleNoPrefix = 1u << 10,
    kStyleBottomAlign = 1u << 11,
    kStyleTopAlign = 1u << 12,
    kStyleStaticEdge = 1u << 13,
    kStyleModalFrameEdge = 1u << 14,
    // A multi-line edit that keeps Enter instead of leaving it to the dialog.
    kStyleWantReturn = 1u << 15,
};

enum DialogStyle : unsigned {
    kDialogNone = 0,
    kDialogPopup = 1u << 0,
    kDialogVisible = 1u << 1,
    kDialogCaption = 1u << 2,
    kDialogSysMenu = 1u << 3,
    kDialogModalFrame = 1u << 4,
    kDialogSetFont = 1u << 5,
    kDialogAppWindow = 1u << 6,
    kDialogNoParentNotify = 1u << 7,
};

// Statics without an id of their own carry this one.
inline constexpr int kNoControlId = -1;

struct ControlTemplate {
    int id = kNoControlId;
    ControlKind kind = ControlKind::Static;
    std::string text;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    unsigned styles = kStyleNone;
    // The icon resource an icon control shows.
    int iconId = 0;

    bool Has(ControlStyle style) const { return (styles & style) != 0; }
};

struct DialogTemplate {
    int id = 0;
    std::string caption;
    int width = 0;
    int height = 0;
    std::string fontName;
    int fontPointSize = 0;
    unsigned styles = kDialogNone;
    // In template order, which is also the tab and stacking order.
    std::vector<ControlTemplate> controls;

    bool Has(DialogStyle style) const { return (styles & style) != 0; }
    // The control with that id, or null.
    const ControlTemplate* FindControl(int controlId) const;
};

struct MenuItemTemplate {
    int command = 0;
    std::string text;
};

// A menu resource's first popup: the one the program shows.
struct MenuTemplate {
    int id = 0;
    std::string title;
    std::vector<MenuItemTemplate> items;
};

inline constexpr int kAboutDialogId = 100;
inline constexpr int kAboutStringId = 101;
inline constexpr int kMainDialogId = 102;
inline constexpr int kApplicationIconId = 128;
inline constexpr int kTrackMenuId = 132;
inline constexpr int kSegmentMenuId = 133;
inline constexpr int kTrackDialogId = 134;
inline constexpr int kSegmentDialogId = 135;
inline constexpr int kDelayDialogId = 137;
// What a number field that does not parse tells the user.
inline constexpr int kNumberExpectedStringId = 61713;

// Lookups by resource id. Ids are fixed in the program, so an unknown one is
// a programming error: the dialog and menu lookups throw std::out_of_range.
const DialogTemplate& FindDialogTemplate(int id);
const MenuTemplate& FindMenuTemplate(int id);
// The string resource, or "" when there is none (the caller then leaves out
// what it would have shown).
std::string LoadResourceString(int id);

const std::vector<DialogTemplate>& AllDialogTemplates();
const std::vector<MenuTemplate>& AllMenuTemplates();
