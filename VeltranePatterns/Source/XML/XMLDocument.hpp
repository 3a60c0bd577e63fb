#pragma once
// A parsed XML document over libxml2, read safely: no network, no DTD loaded,
// no entity substituted, no parser messages on the console. Node helpers that
// the pattern reader needs sit beside it.

#include <libxml/tree.h>

#include <memory>
#include <string>
#include <string_view>

namespace VeltranePatterns {

struct XMLDocumentDeleter {
    void operator()(xmlDoc* document) const { xmlFreeDoc(document); }
};
using XMLDocumentPtr = std::unique_ptr<xmlDoc, XMLDocumentDeleter>;

// The document, or nothing when the bytes are not well-formed XML.
XMLDocumentPtr parseXMLDocument(std::string_view bytes);

// The element's name as the document spells it, with its prefix when it has
// one ("ns:point"); empty for nodes that are not elements.
std::string_view xmlElementName(const xmlNode* node, std::string& buffer);

// All text and CDATA inside the node, concatenated. Entity references are not
// followed: their content is not part of the text.
std::string xmlTextContent(const xmlNode* node);

// Whether the node has a child node, not counting text that is only white space.
bool xmlHasChildNodes(const xmlNode* node);

} // namespace VeltranePatterns
