#include "VeltranePatterns/Source/XML/XMLNodes.hpp"

namespace VeltranePatterns {

namespace {

bool isBlank(const xmlChar* text) {
    if (text == nullptr) {
        return true;
    }
    for (; *text != 0; ++text) {
        if (*text != ' ' && *text != '\t' && *text != '\n' && *text != '\r') {
            return false;
        }
    }
    return true;
}

void appendText(const xmlNode* node, std::string& text) {
    for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
        switch (child->type) {
        case XML_TEXT_NODE:
        case XML_CDATA_SECTION_NODE:
            if (child->content != nullptr) {
                text += reinterpret_cast<const char*>(child->content);
            }
            break;
        case XML_ELEMENT_NODE:
            appendText(child, text);
            break;
        default:
            break;
        }
    }
}

} // namespace

std::string_view xmlElementName(const xmlNode* node, std::string& buffer) {
    if (node == nullptr || node->type != XML_ELEMENT_NODE || node->name == nullptr) {
        return {};
    }
    const char* name = reinterpret_cast<const char*>(node->name);
    if (node->ns == nullptr || node->ns->prefix == nullptr) {
        return name;
    }
    buffer = reinterpret_cast<const char*>(node->ns->prefix);
    buffer += ':';
    buffer += name;
    return buffer;
}

std::string xmlTextContent(const xmlNode* node) {
    std::string text;
    appendText(node, text);
    return text;
}

bool xmlHasChildNodes(const xmlNode* node) {
    for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
        if (child->type != XML_TEXT_NODE || !isBlank(child->content)) {
            return true;
        }
    }
    return false;
}

} // namespace VeltranePatterns
