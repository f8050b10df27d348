#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// The file that a save to `path` replaces. A symbolic link is followed to
// the file it names, even one that does not exist yet, so that saving
// through a link keeps the link, as editors do. None for a loop of links.
std::optional<std::filesystem::path> ResolveSaveTarget(const std::string& path);

// The start of the temporary files' names: a program killed while writing
// leaves one, and whoever owns the folder may tell them by it.
inline constexpr const char* kTemporaryFilePrefix = ".quillmark-";

// Writes a file's content to the descriptor it is given; false when a write
// failed.
using FileContentWriter = std::function<bool(int fd)>;

// Writes the content to a temporary file beside the target and renames it
// over the target only once it is complete on disk: a failed write never
// leaves a truncated file or damages the previous one, and leaves no
// temporary file. The target keeps its permissions; a new one gets the
// usual ones. A target its owner made read-only is not replaced (root's
// saves still replace it). An exception thrown by `write` reaches the
// caller after the temporary file is removed. After a failure errno tells
// why, as the failing call left it.
bool WriteFileAtomically(const std::string& path, const FileContentWriter& write);
bool WriteFileAtomically(const std::string& path, std::string_view bytes);

// Writes every byte, going on after short writes and interruptions; false
// when the descriptor takes no more.
bool WriteAllBytes(int fd, const char* data, std::size_t size);
