#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include <QPointer>

class QOpenGLContext;
class QOpenGLFramebufferObject;

// Keeps one layer of the picture (the bars and titles, most of the cost of a
// frame) in a framebuffer of its own, redrawn only when what it is drawn from
// changes, and copied pixel for pixel onto the frame otherwise. The copy is
// a same-size blit without filtering, so the frame's pixels are those the
// layer would have drawn there.
class LayerCache {
public:
    // What the layer is drawn from, besides the timeline's fields the caller
    // adds: the transform and viewport in force, which place every pixel.
    struct Key {
        std::array<float, 16> projection{};
        std::array<float, 16> modelView{};
        std::array<int, 4> viewport{};
        int32_t viewStart = 0;
        int32_t viewSpan = 0;
        int32_t areaWidth = 0;
        uint64_t revision = 0;
        bool culling = true;

        bool operator==(const Key&) const = default;
        // The transform and viewport of the current context.
        static Key FromCurrentState();
    };

    enum class State {
        UpToDate,   // the kept layer is current: composite it
        Redraw,     // the layer's framebuffer is bound and cleared: draw, then EndRedraw
        Unavailable // no framebuffer could be had, or only part of the frame is
                    // drawn (a scissor): draw the layer on the frame
    };

    LayerCache();
    ~LayerCache();
    LayerCache(const LayerCache&) = delete;
    LayerCache& operator=(const LayerCache&) = delete;

    // Called with the frame's framebuffer bound and the clear colour set to
    // the frame's background.
    State Begin(const Key& key);
    // Binds the frame's framebuffer back after a redraw.
    void EndRedraw();
    // Copies the layer onto the frame's framebuffer, over everything there.
    void Composite();

    // Between a Begin that asked for a redraw and its EndRedraw: the layer's
    // size, its pixels (RGBA bytes, rows bottom-up), and their replacement
    // by pixels put together elsewhere.
    int Width() const;
    int Height() const;
    void ReadPixels(std::vector<uint8_t>& rgba) const;
    void WritePixels(const std::vector<uint8_t>& rgba);
    // The next Begin redraws.
    void Forget() { m_key.reset(); }

private:
    std::unique_ptr<QOpenGLFramebufferObject> m_layer;
    // The context the layer belongs to; cleared by Qt when it goes.
    QPointer<QOpenGLContext> m_context;
    std::optional<Key> m_key;
    unsigned m_target = 0;
};
