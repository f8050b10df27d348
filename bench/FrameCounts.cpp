// Counts where a running program's frames go, preloaded into it by
// scripts/playback-cpu.sh (QUILL_CPU_COUNTS=1): the calls below are taken on
// their way between libraries, counted, and passed on. Every second the
// totals so far are written to the file named by QUILL_FRAME_COUNTS, one
// "count pixels what" line per kind, for the script to difference.
// Only calls that cross a library boundary are seen: Qt's own calls inside
// one of its libraries, and the GL calls mpv makes through pointers it
// asked for, are not.

#include <dlfcn.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <chrono>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include <QCoreApplication>
#include <QEvent>
#include <QMetaObject>
#include <QObject>
#include <QPoint>
#include <QRegion>
#include <QWidget>

#include <X11/Xlib.h>

namespace {

struct Tally {
    uint64_t count = 0;
    uint64_t pixels = 0;
};

std::mutex g_lock;
std::map<std::string, Tally>* g_tallies = nullptr;

void Count(const std::string& what, uint64_t pixels = 0)
{
    const std::lock_guard<std::mutex> lock(g_lock);
    if (g_tallies == nullptr)
        g_tallies = new std::map<std::string, Tally>;
    Tally& tally = (*g_tallies)[what];
    ++tally.count;
    tally.pixels += pixels;
}

std::string Hex(unsigned long value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%#lx", value);
    return text;
}

std::string Size(unsigned width, unsigned height)
{
    return std::to_string(width) + "x" + std::to_string(height);
}

// A widget by its class and, where it has one, its object name.
std::string Name(const QObject* object)
{
    std::string name = object->metaObject()->className();
    if (!object->objectName().isEmpty())
        name += " " + object->objectName().toStdString();
    return name;
}

void WriteTallies(const char* path)
{
    const std::string temporary = std::string(path) + ".new";
    FILE* out = std::fopen(temporary.c_str(), "w");
    if (out == nullptr)
        return;
    {
        const std::lock_guard<std::mutex> lock(g_lock);
        if (g_tallies != nullptr)
            for (const auto& [what, tally] : *g_tallies)
                std::fprintf(out, "%llu %llu %s\n", static_cast<unsigned long long>(tally.count),
                             static_cast<unsigned long long>(tally.pixels), what.c_str());
    }
    std::fclose(out);
    std::rename(temporary.c_str(), path);
}

// Started when the library is loaded; never joined, the process ends it.
const bool g_started = [] {
    const char* path = std::getenv("QUILL_FRAME_COUNTS");
    if (path == nullptr)
        return false;
    std::thread([path] {
        for (;;) {
            std::this_thread::sleep_for(std::chrono::seconds(1));
            WriteTallies(path);
        }
    }).detach();
    return true;
}();

template <typename Function>
Function Next(const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

} // namespace

// Pictures sent to the X server: the GL driver's swaps and copies.
extern "C" int XPutImage(Display* display, Drawable drawable, GC gc, XImage* image, int srcX, int srcY, int x, int y,
                         unsigned width, unsigned height)
{
    static const auto next = Next<int (*)(Display*, Drawable, GC, XImage*, int, int, int, int, unsigned, unsigned)>(
        "XPutImage");
    Count("put " + Hex(drawable) + " " + Size(width, height), uint64_t(width) * height);
    return next(display, drawable, gc, image, srcX, srcY, x, y, width, height);
}

extern "C" int XShmPutImage(Display* display, Drawable drawable, GC gc, XImage* image, int srcX, int srcY, int x,
                            int y, unsigned width, unsigned height, Bool sendEvent)
{
    static const auto next =
        Next<int (*)(Display*, Drawable, GC, XImage*, int, int, int, int, unsigned, unsigned, Bool)>("XShmPutImage");
    Count("put " + Hex(drawable) + " " + Size(width, height), uint64_t(width) * height);
    return next(display, drawable, gc, image, srcX, srcY, x, y, width, height, sendEvent);
}

// The raster windows' flushes (Qt's backing store over xcb).
struct xcb_connection_t;
struct xcb_void_cookie_t {
    unsigned int sequence;
};

extern "C" xcb_void_cookie_t xcb_shm_put_image(xcb_connection_t* c, uint32_t drawable, uint32_t gc,
                                               uint16_t totalWidth, uint16_t totalHeight, uint16_t srcX,
                                               uint16_t srcY, uint16_t srcWidth, uint16_t srcHeight, int16_t dstX,
                                               int16_t dstY, uint8_t depth, uint8_t format, uint8_t sendEvent,
                                               uint32_t segment, uint32_t offset)
{
    static const auto next =
        Next<xcb_void_cookie_t (*)(xcb_connection_t*, uint32_t, uint32_t, uint16_t, uint16_t, uint16_t, uint16_t,
                                   uint16_t, uint16_t, int16_t, int16_t, uint8_t, uint8_t, uint8_t, uint32_t,
                                   uint32_t)>("xcb_shm_put_image");
    Count("put " + Hex(drawable) + " " + Size(srcWidth, srcHeight), uint64_t(srcWidth) * srcHeight);
    return next(c, drawable, gc, totalWidth, totalHeight, srcX, srcY, srcWidth, srcHeight, dstX, dstY, depth, format,
                sendEvent, segment, offset);
}

extern "C" xcb_void_cookie_t xcb_put_image(xcb_connection_t* c, uint8_t format, uint32_t drawable, uint32_t gc,
                                           uint16_t width, uint16_t height, int16_t x, int16_t y, uint8_t leftPad,
                                           uint8_t depth, uint32_t length, const uint8_t* data)
{
    static const auto next =
        Next<xcb_void_cookie_t (*)(xcb_connection_t*, uint8_t, uint32_t, uint32_t, uint16_t, uint16_t, int16_t,
                                   int16_t, uint8_t, uint8_t, uint32_t, const uint8_t*)>("xcb_put_image");
    Count("put " + Hex(drawable) + " " + Size(width, height), uint64_t(width) * height);
    return next(c, format, drawable, gc, width, height, x, y, leftPad, depth, length, data);
}

// Swaps of OpenGL windows, whole or in part.
extern "C" void glXSwapBuffers(Display* display, unsigned long drawable)
{
    static const auto next = Next<void (*)(Display*, unsigned long)>("glXSwapBuffers");
    Count("swap " + Hex(drawable));
    next(display, drawable);
}

extern "C" void glXCopySubBufferMESA(Display* display, unsigned long drawable, int x, int y, int width, int height)
{
    static const auto next = Next<void (*)(Display*, unsigned long, int, int, int, int)>("glXCopySubBufferMESA");
    Count("copysub " + Hex(drawable) + " " + Size(width, height), uint64_t(width) * height);
    next(display, drawable, x, y, width, height);
}

// The program's own flushes: the timeline's frames end with one.
extern "C" void glFlush()
{
    static const auto next = Next<void (*)()>("glFlush");
    Count("glFlush (the program's)");
    next();
}

// Video frames rendered, by player.
struct mpv_render_context;
struct mpv_render_param;
extern "C" int mpv_render_context_render(mpv_render_context* context, mpv_render_param* params)
{
    static const auto next = Next<int (*)(mpv_render_context*, mpv_render_param*)>("mpv_render_context_render");
    Count("mpv render " + Hex(reinterpret_cast<unsigned long>(context)));
    return next(context, params);
}

// The top-level window composed with OpenGL, as Qt does for windows that
// hold OpenGL widgets.
class QPlatformTextureList;
class QPlatformBackingStore {
public:
    void rhiFlush(QWindow* window, qreal ratio, const QRegion& region, const QPoint& offset,
                  QPlatformTextureList* textures, bool translucent);
};

void QPlatformBackingStore::rhiFlush(QWindow* window, qreal ratio, const QRegion& region, const QPoint& offset,
                                     QPlatformTextureList* textures, bool translucent)
{
    using Flush = void (*)(QPlatformBackingStore*, QWindow*, qreal, const QRegion&, const QPoint&,
                           QPlatformTextureList*, bool);
    static const auto next = Next<Flush>("_ZN21QPlatformBackingStore8rhiFlushEP7QWindowdRK7QRegionRK6QPointP20"
                                         "QPlatformTextureListb");
    const QRect bounds = region.boundingRect();
    Count("compose " + Hex(reinterpret_cast<unsigned long>(window)) + " dirty " + Size(bounds.width(), bounds.height()),
          uint64_t(bounds.width()) * bounds.height());
    next(this, window, ratio, region, offset, textures, translucent);
}

// Updates the program asks of its widgets, by widget.
void QWidget::update()
{
    static const auto next = Next<void (*)(QWidget*)>("_ZN7QWidget6updateEv");
    Count("update " + Name(this));
    next(this);
}

// Paint events, by widget: which raster widgets repaint. Qt's widgets send
// them through one of these.
bool QCoreApplication::sendEvent(QObject* receiver, QEvent* event)
{
    static const auto next = Next<bool (*)(QObject*, QEvent*)>("_ZN16QCoreApplication9sendEventEP7QObjectP6QEvent");
    if (receiver != nullptr && event != nullptr && event->type() == QEvent::Paint)
        Count("paint " + Name(receiver));
    return next(receiver, event);
}

bool QCoreApplication::sendSpontaneousEvent(QObject* receiver, QEvent* event)
{
    static const auto next =
        Next<bool (*)(QObject*, QEvent*)>("_ZN16QCoreApplication20sendSpontaneousEventEP7QObjectP6QEvent");
    if (receiver != nullptr && event != nullptr && event->type() == QEvent::Paint)
        Count("paint " + Name(receiver));
    return next(receiver, event);
}
