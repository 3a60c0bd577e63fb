#pragma once
// Streams an XML document through libxml2's reader and hands over the
// children of its root element one whole subtree at a time, so that memory
// holds one item element rather than the whole document. Reading is safe: no
// network, no DTD loaded, no entity substituted (libxml2's limits on depth and
// entity amplification stay in force), and no parser messages on the console.

#include <libxml/tree.h>

#include <filesystem>
#include <functional>
#include <string_view>

namespace VeltranePatterns {

// Called with each child element of the root, in document order, with its
// whole subtree. The node lives until the call returns.
using XMLRootChildVisitor = std::function<void(const xmlNode* child)>;

// False when the bytes are not well-formed XML or have no root element; the
// visitor may have been called before such a fault was found.
bool visitXMLRootChildren(std::string_view bytes, const XMLRootChildVisitor& visit);

// As above, reading the file as it goes; false also when it cannot be read.
bool visitXMLRootChildren(const std::filesystem::path& path, const XMLRootChildVisitor& visit);

} // namespace VeltranePatterns
