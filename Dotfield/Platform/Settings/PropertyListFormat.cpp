#include "Dotfield/Platform/Settings/PropertyListFormat.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>

#include <libxml/parser.h>
#include <libxml/tree.h>

namespace Dotfield {

namespace {

// Base64 --------------------------------------------------------------------

constexpr char base64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string base64Encode(std::string_view bytes) {
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const unsigned chunk = (static_cast<unsigned char>(bytes[i]) << 16) |
                               (static_cast<unsigned char>(bytes[i + 1]) << 8) |
                               static_cast<unsigned char>(bytes[i + 2]);
        text += base64Alphabet[(chunk >> 18) & 63];
        text += base64Alphabet[(chunk >> 12) & 63];
        text += base64Alphabet[(chunk >> 6) & 63];
        text += base64Alphabet[chunk & 63];
    }
    const std::size_t rest = bytes.size() - i;
    if (rest > 0) {
        unsigned chunk = static_cast<unsigned char>(bytes[i]) << 16;
        if (rest == 2) {
            chunk |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        }
        text += base64Alphabet[(chunk >> 18) & 63];
        text += base64Alphabet[(chunk >> 12) & 63];
        text += rest == 2 ? base64Alphabet[(chunk >> 6) & 63] : '=';
        text += '=';
    }
    return text;
}

int base64Digit(char c) {
    if (c >= 'A' && c <= 'Z') {
        return c - 'A';
    }
    if (c >= 'a' && c <= 'z') {
        return c - 'a' + 26;
    }
    if (c >= '0' && c <= '9') {
        return c - '0' + 52;
    }
    if (c == '+') {
        return 62;
    }
    if (c == '/') {
        return 63;
    }
    return -1;
}

std::string base64Decode(std::string_view text) {
    std::string bytes;
    unsigned chunk = 0;
    int digits = 0;
    int padding = 0;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            continue;
        }
        if (c == '=') {
            ++padding;
            continue;
        }
        const int digit = base64Digit(c);
        if (digit < 0 || padding > 0) {
            throw PropertyListFormatError("invalid base64 data");
        }
        chunk = (chunk << 6) | static_cast<unsigned>(digit);
        if (++digits == 4) {
            bytes += static_cast<char>((chunk >> 16) & 0xFF);
            bytes += static_cast<char>((chunk >> 8) & 0xFF);
            bytes += static_cast<char>(chunk & 0xFF);
            chunk = 0;
            digits = 0;
        }
    }
    if (digits == 1 || padding > 2) {
        throw PropertyListFormatError("invalid base64 data");
    }
    if (digits == 2) {
        bytes += static_cast<char>((chunk >> 4) & 0xFF);
    } else if (digits == 3) {
        bytes += static_cast<char>((chunk >> 10) & 0xFF);
        bytes += static_cast<char>((chunk >> 2) & 0xFF);
    }
    return bytes;
}

// Writing ---------------------------------------------------------------------

// True when the text is valid UTF-8 made only of characters an XML 1.0 document
// can hold (no control characters but tab, line feed and carriage return).
bool isXmlSafeText(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            if (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r') {
                return false;
            }
            ++i;
            continue;
        }
        int length = 0;
        std::uint32_t codePoint = 0;
        if ((byte & 0xE0) == 0xC0) {
            length = 2;
            codePoint = byte & 0x1F;
        } else if ((byte & 0xF0) == 0xE0) {
            length = 3;
            codePoint = byte & 0x0F;
        } else if ((byte & 0xF8) == 0xF0) {
            length = 4;
            codePoint = byte & 0x07;
        } else {
            return false;
        }
        if (i + static_cast<std::size_t>(length) > text.size()) {
            return false;
        }
        for (int k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            codePoint = (codePoint << 6) | (next & 0x3F);
        }
        const bool overlong = (length == 2 && codePoint < 0x80) || (length == 3 && codePoint < 0x800) ||
                              (length == 4 && codePoint < 0x10000);
        if (overlong || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF) ||
            codePoint == 0xFFFE || codePoint == 0xFFFF) {
            return false;
        }
        i += static_cast<std::size_t>(length);
    }
    return true;
}

void appendEscaped(std::string& out, std::string_view text) {
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '\r':
            // A literal carriage return would be normalised away when read.
            out += "&#13;";
            break;
        default:
            out += c;
        }
    }
}

// A text element; text that XML cannot carry is written as base64.
void appendTextElement(std::string& out, const char* name, std::string_view text) {
    if (isXmlSafeText(text)) {
        out += '<';
        out += name;
        out += '>';
        appendEscaped(out, text);
    } else {
        out += '<';
        out += name;
        out += " encoding=\"base64\">";
        out += base64Encode(text);
    }
    out += "</";
    out += name;
    out += '>';
}

std::string formatReal(double value) {
    if (std::isnan(value)) {
        return "nan";
    }
    if (std::isinf(value)) {
        return value > 0 ? "inf" : "-inf";
    }
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

void appendIndent(std::string& out, int depth) {
    out.append(static_cast<std::size_t>(depth), '\t');
}

void appendValue(std::string& out, const PropertyListValue& value, int depth);

void appendDictionary(std::string& out, const PropertyListValue::Dictionary& dictionary, int depth) {
    if (dictionary.empty()) {
        out += "<dict/>";
        return;
    }
    out += "<dict>\n";
    for (const auto& [key, entry] : dictionary) {
        appendIndent(out, depth + 1);
        appendTextElement(out, "key", key);
        out += '\n';
        appendIndent(out, depth + 1);
        appendValue(out, entry, depth + 1);
        out += '\n';
    }
    appendIndent(out, depth);
    out += "</dict>";
}

void appendValue(std::string& out, const PropertyListValue& value, int depth) {
    std::visit(
        [&](const auto& stored) {
            using T = std::decay_t<decltype(stored)>;
            if constexpr (std::is_same_v<T, bool>) {
                out += stored ? "<true/>" : "<false/>";
            } else if constexpr (std::is_same_v<T, std::int64_t>) {
                out += "<integer>" + std::to_string(stored) + "</integer>";
            } else if constexpr (std::is_same_v<T, double>) {
                out += "<real>" + formatReal(stored) + "</real>";
            } else if constexpr (std::is_same_v<T, std::string>) {
                appendTextElement(out, "string", stored);
            } else if constexpr (std::is_same_v<T, PropertyListValue::Data>) {
                out += "<data>" +
                       base64Encode(
                           std::string_view(reinterpret_cast<const char*>(stored.data()), stored.size())) +
                       "</data>";
            } else if constexpr (std::is_same_v<T, PropertyListValue::Array>) {
                if (stored.empty()) {
                    out += "<array/>";
                    return;
                }
                out += "<array>\n";
                for (const auto& element : stored) {
                    appendIndent(out, depth + 1);
                    appendValue(out, element, depth + 1);
                    out += '\n';
                }
                appendIndent(out, depth);
                out += "</array>";
            } else {
                appendDictionary(out, stored, depth);
            }
        },
        value.storage());
}

// Reading ---------------------------------------------------------------------

struct DocumentDeleter {
    void operator()(xmlDoc* document) const { xmlFreeDoc(document); }
};

bool isNamed(const xmlNode* node, const char* name) {
    return std::strcmp(reinterpret_cast<const char*>(node->name), name) == 0;
}

bool isBlank(const xmlNode* node) {
    if (node->type == XML_COMMENT_NODE) {
        return true;
    }
    if (node->type != XML_TEXT_NODE) {
        return false;
    }
    for (const xmlChar* c = node->content; c != nullptr && *c != 0; ++c) {
        if (*c != ' ' && *c != '\t' && *c != '\n' && *c != '\r') {
            return false;
        }
    }
    return true;
}

// The element children of a node; any other non-blank content is an error.
std::vector<const xmlNode*> elementChildren(const xmlNode* node) {
    std::vector<const xmlNode*> children;
    for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
        if (child->type == XML_ELEMENT_NODE) {
            children.push_back(child);
        } else if (!isBlank(child)) {
            throw PropertyListFormatError("unexpected content inside <" +
                                          std::string(reinterpret_cast<const char*>(node->name)) + ">");
        }
    }
    return children;
}

// The element's text; only text and CDATA may sit inside it.
std::string elementText(const xmlNode* node) {
    std::string text;
    for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
        if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) {
            if (child->content != nullptr) {
                text += reinterpret_cast<const char*>(child->content);
            }
        } else if (child->type != XML_COMMENT_NODE) {
            throw PropertyListFormatError("unexpected content inside <" +
                                          std::string(reinterpret_cast<const char*>(node->name)) + ">");
        }
    }
    return text;
}

std::string textOf(const xmlNode* node) {
    std::string text = elementText(node);
    xmlChar* encoding = xmlGetProp(node, reinterpret_cast<const xmlChar*>("encoding"));
    if (encoding == nullptr) {
        return text;
    }
    const bool base64 = std::strcmp(reinterpret_cast<const char*>(encoding), "base64") == 0;
    xmlFree(encoding);
    if (!base64) {
        throw PropertyListFormatError("unknown text encoding");
    }
    return base64Decode(text);
}

std::string_view trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\n\r");
    if (first == std::string::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\n\r");
    return std::string_view(text).substr(first, last - first + 1);
}

PropertyListValue readValue(const xmlNode* node);

PropertyListValue::Dictionary readDictionary(const xmlNode* node) {
    PropertyListValue::Dictionary dictionary;
    const auto children = elementChildren(node);
    if (children.size() % 2 != 0) {
        throw PropertyListFormatError("a <dict> key without a value");
    }
    for (std::size_t i = 0; i < children.size(); i += 2) {
        if (!isNamed(children[i], "key")) {
            throw PropertyListFormatError("a <dict> value without a key");
        }
        std::string key = textOf(children[i]);
        dictionary.insert_or_assign(std::move(key), readValue(children[i + 1]));
    }
    return dictionary;
}

PropertyListValue readValue(const xmlNode* node) {
    if (isNamed(node, "true") || isNamed(node, "false")) {
        if (!elementChildren(node).empty()) {
            throw PropertyListFormatError("<true/> and <false/> are empty");
        }
        return PropertyListValue(isNamed(node, "true"));
    }
    if (isNamed(node, "integer")) {
        const std::string text = elementText(node);
        const std::string_view digits = trimmed(text);
        std::int64_t value = 0;
        const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (digits.empty() || result.ec != std::errc() || result.ptr != digits.data() + digits.size()) {
            throw PropertyListFormatError("not an integer: " + text);
        }
        return PropertyListValue(value);
    }
    if (isNamed(node, "real")) {
        const std::string text = elementText(node);
        const std::string_view digits = trimmed(text);
        double value = 0.0;
        const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (digits.empty() || result.ec != std::errc() || result.ptr != digits.data() + digits.size()) {
            throw PropertyListFormatError("not a real: " + text);
        }
        return PropertyListValue(value);
    }
    if (isNamed(node, "string")) {
        return PropertyListValue(textOf(node));
    }
    if (isNamed(node, "data")) {
        const std::string bytes = base64Decode(elementText(node));
        return PropertyListValue(PropertyListValue::Data(bytes.begin(), bytes.end()));
    }
    if (isNamed(node, "array")) {
        PropertyListValue::Array array;
        for (const xmlNode* child : elementChildren(node)) {
            array.push_back(readValue(child));
        }
        return PropertyListValue(std::move(array));
    }
    if (isNamed(node, "dict")) {
        return PropertyListValue(readDictionary(node));
    }
    throw PropertyListFormatError("unknown element <" +
                                  std::string(reinterpret_cast<const char*>(node->name)) + ">");
}

} // namespace

std::string writePropertyList(const PropertyListValue::Dictionary& dictionary) {
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n";
    appendDictionary(out, dictionary, 0);
    out += "\n</plist>\n";
    return out;
}

PropertyListValue::Dictionary readPropertyList(std::string_view text) {
    if (text.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        throw PropertyListFormatError("the file is too large");
    }
    static std::once_flag parserInitialised;
    std::call_once(parserInitialised, [] { xmlInitParser(); });
    // No network, no entity expansion, no DTD loading; libxml2 keeps its
    // default limits on depth and sizes.
    std::unique_ptr<xmlDoc, DocumentDeleter> document(
        xmlReadMemory(text.data(), static_cast<int>(text.size()), nullptr, nullptr,
                      XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
    if (!document) {
        const xmlError* error = xmlGetLastError();
        std::string reason = "not well-formed XML";
        if (error != nullptr && error->message != nullptr) {
            reason += std::string(": ") + error->message;
            while (!reason.empty() && (reason.back() == '\n' || reason.back() == ' ')) {
                reason.pop_back();
            }
        }
        throw PropertyListFormatError(reason);
    }
    if (document->intSubset != nullptr && document->intSubset->children != nullptr) {
        throw PropertyListFormatError("document type declarations are not accepted");
    }
    const xmlNode* root = xmlDocGetRootElement(document.get());
    if (root == nullptr || !isNamed(root, "plist")) {
        throw PropertyListFormatError("the root element is not <plist>");
    }
    const auto children = elementChildren(root);
    if (children.size() != 1 || !isNamed(children[0], "dict")) {
        throw PropertyListFormatError("the property list does not hold one <dict>");
    }
    return readDictionary(children[0]);
}

} // namespace Dotfield
