#pragma once
// What the pattern reader asks of libxml2's nodes.

#include <libxml/tree.h>

#include <string>
#include <string_view>

namespace VeltranePatterns {

// The element's name as the document spells it, with its prefix when it has
// one ("ns:point"); empty for nodes that are not elements.
std::string_view xmlElementName(const xmlNode* node, std::string& buffer);

// All text and CDATA inside the node, concatenated. Entity references are not
// followed: their content is not part of the text.
std::string xmlTextContent(const xmlNode* node);

// Whether the node has a child node, not counting text that is only white space.
bool xmlHasChildNodes(const xmlNode* node);

} // namespace VeltranePatterns
