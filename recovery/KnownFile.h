#pragma once

#include <cstdint>
#include <optional>
#include <string>

// What a window knew of its annotation file on disk when it last loaded or
// saved it, to tell whether someone else (another program, another window,
// a sync tool) has written it since.
struct KnownFile {
    int64_t size = 0;
    int64_t modifiedNs = 0; // since the epoch
    std::string hash;       // of the content, in hexadecimal

    bool operator==(const KnownFile&) const = default;
};

// The file as it is now; none when it cannot be read. A link is followed.
std::optional<KnownFile> ReadKnownFile(const std::string& path);

// True when the file at `path` is no longer the one `known` describes. A
// file of the same size and time is taken as unchanged without reading it
// (the usual case at every save); otherwise the content decides, so that a
// file rewritten with the same bytes counts as unchanged. A file that is
// gone has nothing to lose: unchanged.
bool ChangedOnDisk(const std::string& path, const KnownFile& known);
