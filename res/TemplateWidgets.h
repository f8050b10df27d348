#pragma once

#include <functional>
#include <map>
#include <memory>

#include <QIcon>
#include <QRect>

#include "Templates.h"

class QAction;
class QDialog;
class QMenu;
class QWidget;

// Pixel rectangle of a rectangle in dialog units (see DialogUnits.h).
QRect DialogUnitsToPixels(int x, int y, int width, int height, double scale = 1.0);
// The dialog-unit scale for a widget, from the screen it is on (the
// primary one for a widget not placed yet): the largest at which the main
// window, frame included, fits in 90 % of the screen's available area, never
// below the screen's logical DPI / 96. Every dialog uses it, so they all keep
// the main window's proportions. QUILLMARK_SCALE, when it holds a valid
// number, replaces the fitted size by that many times the DPI's; an invalid
// value is ignored with a warning on stderr.
double DialogScale(const QWidget* widget);
// The screen's logical DPI / 96: the smallest scale DialogScale picks.
double DpiScale(const QWidget* widget);

// Caption, font size and fixed client size of the template, both at the
// widget's DialogScale; the window gets
// a title bar with a close box only, and cannot be resized.
void ApplyDialogTemplate(const DialogTemplate& dialog, QDialog* target);

// Makes the widget for a control it cannot build itself (a video player),
// or for one the caller wants of its own class (a scroll bar subclass, say).
// Called first for every control; null means "build the standard one", and
// for a kind with no standard widget, "leave it out". The widget is given
// `parent`, which owns it.
using ControlFactory = std::function<QWidget*(const ControlTemplate& control, QWidget* parent)>;

// Builds every control of the template as a child of `parent`, in template
// order (which makes it the tab order), at its pixel rectangle, with its id
// as object name. Returns the controls that have an id, by id; the widgets
// belong to `parent`.
std::map<int, QWidget*> BuildTemplateControls(const DialogTemplate& dialog, QWidget* parent,
                                              const ControlFactory& factory = {});

// The menu's popup with one action per item, each carrying its command
// (see MenuCommand). Delete it before `parent` goes: keep it in the scope of
// a handler of `parent`.
std::unique_ptr<QMenu> BuildMenu(const MenuTemplate& menu, QWidget* parent = nullptr);
// The command an action of BuildMenu stands for; 0 for none or null.
int MenuCommand(const QAction* action);

// Icon resource 128.
QIcon ApplicationIcon();
