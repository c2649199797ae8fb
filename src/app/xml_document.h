#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

namespace dovel::app {

// The small XML documents of the update host are labelled euc-kr. The parser
// reads UTF-8 only, so the bytes are turned into UTF-8 from the encoding the
// declaration names first: the Korean code page names (euc-kr, cp949, ...) go
// through the project's CP949 codec; utf-8, or no declaration, must already be
// valid UTF-8 (a UTF-8 byte-order mark wins over the declaration); any other
// named encoding is read only when every byte is ASCII. A NUL byte is never XML.
// nullopt when the bytes are not in that encoding: nothing is guessed.
std::optional<std::string> XmlTextAsUtf8(std::string_view bytes);

// Converts as above and parses. False when either fails.
bool LoadXmlDocument(std::string_view bytes, pugi::xml_document& document);

// Every element named `name` (compared exactly), anywhere below `root`, in
// document order: what the query "//name" selects. The walk is iterative, so
// deep nesting costs no stack.
std::vector<pugi::xml_node> ElementsNamed(const pugi::xml_node& root, std::string_view name);

// The first of those, or an empty node when there is none.
pugi::xml_node FirstElementNamed(const pugi::xml_node& root, std::string_view name);

// An attribute's text; a missing attribute reads as empty text.
std::string AttributeText(const pugi::xml_node& element, const char* attribute);

}  // namespace dovel::app
