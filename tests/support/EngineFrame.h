#pragma once

#include <cstdint>
#include <cstring>

#include <QImage>
#include <QTest>

#include <mpv/client.h>

#include "MpvEngine.h"
#include "TestVideo.h"

// The decoded frame a player engine shows now, at the video's own size; null
// when none. Waits on the core, which the program never does on its refresh
// path: tests only. Header only: the test support library does not link the
// player.
inline QImage GrabVideoFrame(const MpvEngine& engine)
{
    if (!engine.IsLoaded())
        return {};
    const char* command[] = {"screenshot-raw", "video", nullptr};
    mpv_node result{};
    if (mpv_command_ret(engine.Handle(), command, &result) < 0)
        return {};
    const auto value = [&result](const char* key) -> const mpv_node* {
        if (result.format != MPV_FORMAT_NODE_MAP)
            return nullptr;
        for (int i = 0; i < result.u.list->num; ++i)
            if (std::strcmp(result.u.list->keys[i], key) == 0)
                return &result.u.list->values[i];
        return nullptr;
    };
    const auto number = [&value](const char* key) {
        const mpv_node* node = value(key);
        return node != nullptr && node->format == MPV_FORMAT_INT64 ? static_cast<int>(node->u.int64) : 0;
    };
    QImage frame;
    const mpv_node* data = value("data");
    const mpv_node* format = value("format");
    const int width = number("w");
    const int height = number("h");
    const int stride = number("stride");
    if (data != nullptr && data->format == MPV_FORMAT_BYTE_ARRAY && format != nullptr
        && format->format == MPV_FORMAT_STRING && std::strcmp(format->u.string, "bgr0") == 0
        && static_cast<int64_t>(data->u.ba->size) >= static_cast<int64_t>(stride) * height) {
        // bgr0 bytes are 0x00RRGGBB words on a little-endian machine.
        frame = QImage(static_cast<const uchar*>(data->u.ba->data), width, height, stride, QImage::Format_RGB32).copy();
    }
    mpv_free_node_contents(&result);
    return frame;
}

// The frame number a headless engine shows of a test video `videoWidth`
// pixels wide, once its seek has landed: -2 when it never lands, -1 when the
// picture cannot be read.
inline int ShownFrame(const MpvEngine& engine, int videoWidth, int waitMs = 5000)
{
    if (!QTest::qWaitFor([&] { return !engine.SeekInFlight(); }, waitMs))
        return -2;
    const QImage frame = GrabVideoFrame(engine);
    return ReadFrameNumber(frame, frame.rect(), videoWidth);
}
