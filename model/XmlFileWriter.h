#pragma once

#include <string>

#include <libxml/tree.h>

// Writes the document, indented, in UTF-8, through WriteFileAtomically.
bool WriteXmlFileAtomically(xmlDocPtr doc, const std::string& path);
