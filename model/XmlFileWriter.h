#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include <libxml/tree.h>

// The file that a save to `path` replaces. A symbolic link is followed to
// the file it names, even one that does not exist yet, so that saving
// through a link keeps the link, as editors do. None for a loop of links.
std::optional<std::filesystem::path> ResolveSaveTarget(const std::string& path);

// Writes the document, indented, in UTF-8, to a temporary file beside the
// target and renames it over the target only once it is complete on disk: a
// failed save never leaves a truncated file or damages the previous one. The
// target keeps its permissions; a new one gets the usual ones.
bool WriteXmlFileAtomically(xmlDocPtr doc, const std::string& path);
