#include "TemplateWidgets.h"

#include <algorithm>
#include <iostream>
#include <optional>
#include <string>

#include <QAction>
#include <QDialog>
#include <QFontMetrics>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QString>
#include <QVariant>
#include <QWidget>

#include "DialogUnits.h"
#include "EnterForwarder.h"

namespace {

QString ToQString(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QWidget* MakeButton(const ControlTemplate& control, QWidget* parent)
{
    auto* button = new QPushButton(ToQString(control.text), parent);
    // Qt would otherwise make whichever button has the focus the default one,
    // and Enter would then press buttons the layout never meant it to.
    const bool isDefault = control.Has(kStyleDefaultButton);
    button->setAutoDefault(isDefault);
    button->setDefault(isDefault);
    return button;
}

// The templates were laid out for a narrower face than the desktop's sans
// serif: a text that would be cut off is set narrower, then smaller, until
// it fits the control.
void FitText(QWidget* widget, const QString& text, int available)
{
    if (text.isEmpty() || available <= 0)
        return;
    QFont font = widget->font();
    if (QFontMetrics(font).horizontalAdvance(text) <= available)
        return;
    for (const int stretch : {QFont::SemiCondensed, QFont::Condensed}) {
        font.setStretch(stretch);
        if (QFontMetrics(font).horizontalAdvance(text) <= available) {
            widget->setFont(font);
            return;
        }
    }
    const qreal smallest = 6.0;
    qreal size = font.pointSizeF();
    while (size - 0.5 >= smallest && QFontMetrics(font).horizontalAdvance(text) > available) {
        size -= 0.5;
        font.setPointSizeF(size);
    }
    widget->setFont(font);
}

// Room for text inside a control of `width` pixels.
int TextRoom(const QWidget* widget, int width)
{
    if (qobject_cast<const QPushButton*>(widget) == nullptr)
        return width;
    const QStyle* style = widget->style();
    return width - 2 * (style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, widget) +
                        style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, widget));
}

QWidget* MakeStatic(const ControlTemplate& control, QWidget* parent)
{
    if (control.Has(kStyleBlackRect)) {
        auto* frame = new QFrame(parent);
        frame->setFrameShape(QFrame::NoFrame);
        QPalette palette = frame->palette();
        palette.setColor(QPalette::Window, Qt::black);
        frame->setPalette(palette);
        frame->setAutoFillBackground(true);
        return frame;
    }
    auto* label = new QLabel(ToQString(control.text), parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QWidget* MakeIcon(const ControlTemplate& control, const QRect& rect, QWidget* parent)
{
    auto* label = new QLabel(parent);
    const int side = std::min(rect.width(), rect.height());
    if (control.iconId == kApplicationIconId)
        label->setPixmap(ApplicationIcon().pixmap(QSize(side, side), label->devicePixelRatioF()));
    label->setAlignment(Qt::AlignCenter);
    return label;
}

QWidget* MakeEdit(const ControlTemplate& control, QWidget* parent)
{
    const bool border = control.Has(kStyleBorder) || control.Has(kStyleStaticEdge);
    if (!control.Has(kStyleMultiLine)) {
        auto* edit = new QLineEdit(parent);
        edit->setFrame(border);
        edit->setReadOnly(control.Has(kStyleReadOnly));
        return edit;
    }
    auto* edit = new QPlainTextEdit(parent);
    edit->setReadOnly(control.Has(kStyleReadOnly));
    edit->setFrameShape(border ? QFrame::StyledPanel : QFrame::NoFrame);
    edit->setVerticalScrollBarPolicy(control.Has(kStyleVScroll) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // In a dialog, Tab moves to the next control rather than typing a tab.
    edit->setTabChangesFocus(true);
    if (!control.Has(kStyleWantReturn) && !control.Has(kStyleReadOnly))
        edit->installEventFilter(new EnterForwarder(edit));
    return edit;
}

QWidget* MakeStandard(const ControlTemplate& control, const QRect& rect, QWidget* parent)
{
    switch (control.kind) {
    case ControlKind::PushButton:
        return MakeButton(control, parent);
    case ControlKind::Static:
        return MakeStatic(control, parent);
    case ControlKind::Icon:
        return MakeIcon(control, rect, parent);
    case ControlKind::Edit:
        return MakeEdit(control, parent);
    case ControlKind::HorizontalScrollBar:
        return new QScrollBar(Qt::Horizontal, parent);
    case ControlKind::VerticalScrollBar:
        return new QScrollBar(Qt::Vertical, parent);
    case ControlKind::VideoPlayer:
        break;
    }
    return nullptr;
}

void ApplyFocusPolicy(const ControlTemplate& control, QWidget* widget)
{
    if (control.Has(kStyleTabStop)) {
        widget->setFocusPolicy(Qt::StrongFocus);
        return;
    }
    // Without a tab stop, buttons and edits are still reached by a click.
    if (control.kind == ControlKind::PushButton || control.kind == ControlKind::Edit)
        widget->setFocusPolicy(Qt::ClickFocus);
}

} // namespace

QRect DialogUnitsToPixels(int x, int y, int width, int height, double scale)
{
    const DialogPixelRect rect = DialogRectToPixels(x, y, width, height, scale);
    return {rect.x, rect.y, rect.width, rect.height};
}

namespace {

// What a window manager's title bar and borders add to the client area. The
// frame is unknown until the window is mapped, and the scale is needed
// before: this is about what the common desktops draw.
constexpr int kFrameAllowanceX = 16;
constexpr int kFrameAllowanceY = 48;

const QScreen* ScreenOf(const QWidget* widget)
{
    const QScreen* screen = widget != nullptr ? widget->screen() : nullptr;
    return screen != nullptr ? screen : QGuiApplication::primaryScreen();
}

double DpiScaleOf(const QScreen* screen)
{
    if (screen == nullptr || !(screen->logicalDotsPerInch() > 0.0))
        return 1.0;
    return screen->logicalDotsPerInch() / 96.0;
}

// QUILLMARK_SCALE, when set to a valid number. An invalid value is reported
// once, not at every dialog built.
std::optional<double> ScaleOverride()
{
    const QByteArray value = qgetenv("QUILLMARK_SCALE");
    if (value.trimmed().isEmpty())
        return std::nullopt;
    const std::optional<double> scale = ParseScaleOverride(std::string_view(value.constData(), value.size()));
    static std::string reported;
    if (!scale && reported != value.toStdString()) {
        reported = value.toStdString();
        std::cerr << "Quillmark : QUILLMARK_SCALE=\"" << reported << "\" ignoré, la taille est choisie d'après l'écran "
                  << "(attendu : un nombre de " << kSmallestScaleOverride << " à " << kLargestScaleOverride << ").\n";
    }
    return scale;
}

} // namespace

double DpiScale(const QWidget* widget)
{
    return DpiScaleOf(ScreenOf(widget));
}

double DialogScale(const QWidget* widget)
{
    const QScreen* screen = ScreenOf(widget);
    const double minimum = DpiScaleOf(screen);
    if (const std::optional<double> chosen = ScaleOverride())
        return minimum * *chosen;
    if (screen == nullptr)
        return minimum;
    const QRect available = screen->availableGeometry();
    const DialogTemplate& main = FindDialogTemplate(kMainDialogId);
    return FitDialogScale(main.width, main.height, available.width(), available.height(), kFrameAllowanceX,
                          kFrameAllowanceY, minimum);
}

void ApplyDialogTemplate(const DialogTemplate& dialog, QDialog* target)
{
    target->setWindowTitle(ToQString(dialog.caption));
    // The template's font is a Windows face; the desktop's own sans-serif at
    // the template's size keeps the metrics the layout was made for.
    // Points already follow the DPI; the font grows with the rest of the
    // scale, so that texts keep their proportions to the controls.
    const double scale = DialogScale(target);
    if (dialog.fontPointSize > 0) {
        QFont font = target->font();
        font.setPointSizeF(dialog.fontPointSize * scale / DpiScale(target));
        target->setFont(font);
    }
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (dialog.Has(kDialogSysMenu))
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    target->setWindowFlags(flags);
    target->setSizeGripEnabled(false);
    target->setFixedSize(DialogUnitsToPixelsX(dialog.width, scale), DialogUnitsToPixelsY(dialog.height, scale));
}

std::map<int, QWidget*> BuildTemplateControls(const DialogTemplate& dialog, QWidget* parent,
                                              const ControlFactory& factory)
{
    std::map<int, QWidget*> controls;
    const double scale = DialogScale(parent);
    for (const ControlTemplate& control : dialog.controls) {
        const QRect rect = DialogUnitsToPixels(control.x, control.y, control.width, control.height, scale);
        QWidget* widget = factory ? factory(control, parent) : nullptr;
        if (widget == nullptr)
            widget = MakeStandard(control, rect, parent);
        if (widget == nullptr)
            continue;
        if (widget->parentWidget() != parent)
            widget->setParent(parent);
        widget->setObjectName(QString::number(control.id));
        widget->setGeometry(rect);
        if (const auto* button = qobject_cast<QPushButton*>(widget))
            FitText(widget, button->text(), TextRoom(widget, rect.width()));
        else if (const auto* label = qobject_cast<QLabel*>(widget); label != nullptr && !label->wordWrap())
            FitText(widget, label->text(), rect.width());
        ApplyFocusPolicy(control, widget);
        widget->show();
        if (control.id != kNoControlId)
            controls[control.id] = widget;
    }
    return controls;
}

std::unique_ptr<QMenu> BuildMenu(const MenuTemplate& menu, QWidget* parent)
{
    auto popup = std::make_unique<QMenu>(ToQString(menu.title), parent);
    for (const MenuItemTemplate& item : menu.items) {
        QAction* action = popup->addAction(ToQString(item.text));
        action->setData(item.command);
    }
    return popup;
}

int MenuCommand(const QAction* action)
{
    if (action == nullptr)
        return 0;
    bool ok = false;
    const int command = action->data().toInt(&ok);
    return ok ? command : 0;
}

QIcon ApplicationIcon()
{
    return QIcon(QStringLiteral(":/quillmark/quillmark.png"));
}
