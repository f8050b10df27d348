#pragma once

#include <optional>
#include <string>
#include <vector>

// The text inside each element named `name` (its descendants' included), in
// document order, from a file that the guarded reader (ReadXmlFile) has
// already accepted: the elements' structure and attributes come from that
// reader, which hands on no text. Read without a tree, nothing fetched,
// entities left unexpanded, the bytes taken as UTF-8 as that reader takes
// them; the parse stops after as many errors as that reader tolerates.
// None when the file cannot be read.
std::optional<std::vector<std::string>> ReadElementTexts(const std::string& path,
                                                         const std::vector<std::string>& names);
