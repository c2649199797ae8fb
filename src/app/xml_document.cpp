#include "app/xml_document.h"

#include <algorithm>
#include <array>

#include "base/text.h"
#include "platform/cp949.h"

namespace dovel::app {
namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
// The declaration is the document's first line; a longer one is not looked into.
constexpr size_t kMaxDeclarationBytes = 512;

constexpr std::array<std::string_view, 8> kKoreanCodePageNames = {
    "euc-kr", "euckr", "cp949", "ms949", "windows-949", "x-windows-949", "uhc", "ks_c_5601-1987"};

bool is_xml_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool is_ascii(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The value of `encoding="..."` in a leading "<?xml ...?>", lower-cased; empty
// when there is no declaration or it names no encoding.
std::string declared_encoding(std::string_view text) {
  if (text.substr(0, 5) != "<?xml") return "";
  size_t end = text.substr(0, kMaxDeclarationBytes).find("?>");
  if (end == std::string_view::npos) return "";
  std::string_view declaration = text.substr(5, end - 5);
  size_t at = declaration.find("encoding");
  if (at == std::string_view::npos) return "";
  std::string_view rest = declaration.substr(at + 8);
  while (!rest.empty() && is_xml_blank(rest.front())) rest.remove_prefix(1);
  if (rest.empty() || rest.front() != '=') return "";
  rest.remove_prefix(1);
  while (!rest.empty() && is_xml_blank(rest.front())) rest.remove_prefix(1);
  if (rest.empty() || (rest.front() != '"' && rest.front() != '\'')) return "";
  char quote = rest.front();
  rest.remove_prefix(1);
  size_t close = rest.find(quote);
  if (close == std::string_view::npos) return "";
  return base::ascii_lower(rest.substr(0, close));
}

// Visits the elements named `name` below `root` in document order until `visit`
// returns false.
template <typename Visit>
void visit_elements_named(const pugi::xml_node& root, std::string_view name, Visit visit) {
  pugi::xml_node node = root.first_child();
  while (node) {
    if (node.type() == pugi::node_element && name == node.name() && !visit(node)) return;
    if (node.first_child()) {
      node = node.first_child();
      continue;
    }
    while (node != root && !node.next_sibling()) node = node.parent();
    if (node == root) return;
    node = node.next_sibling();
  }
}

}  // namespace

std::optional<std::string> XmlTextAsUtf8(std::string_view bytes) {
  // No XML text holds a NUL, and the parser would take one for the end.
  if (bytes.find('\0') != std::string_view::npos) return std::nullopt;
  if (bytes.substr(0, kUtf8ByteOrderMark.size()) == kUtf8ByteOrderMark) {
    bytes.remove_prefix(kUtf8ByteOrderMark.size());
    return platform::is_valid_utf8(bytes) ? std::optional<std::string>(bytes) : std::nullopt;
  }
  const std::string encoding = declared_encoding(bytes);
  if (std::find(kKoreanCodePageNames.begin(), kKoreanCodePageNames.end(), encoding) != kKoreanCodePageNames.end()) {
    return platform::cp949_to_utf8(bytes);
  }
  if (encoding.empty() || encoding == "utf-8" || encoding == "utf8") {
    return platform::is_valid_utf8(bytes) ? std::optional<std::string>(bytes) : std::nullopt;
  }
  return is_ascii(bytes) ? std::optional<std::string>(bytes) : std::nullopt;
}

bool LoadXmlDocument(std::string_view bytes, pugi::xml_document& document) {
  document.reset();
  std::optional<std::string> text = XmlTextAsUtf8(bytes);
  if (!text) return false;
  pugi::xml_parse_result parsed = document.load_buffer(text->data(), text->size(), pugi::parse_default, pugi::encoding_utf8);
  if (!parsed) document.reset();
  return static_cast<bool>(parsed);
}

std::vector<pugi::xml_node> ElementsNamed(const pugi::xml_node& root, std::string_view name) {
  std::vector<pugi::xml_node> found;
  visit_elements_named(root, name, [&found](const pugi::xml_node& element) {
    found.push_back(element);
    return true;
  });
  return found;
}

pugi::xml_node FirstElementNamed(const pugi::xml_node& root, std::string_view name) {
  pugi::xml_node first;
  visit_elements_named(root, name, [&first](const pugi::xml_node& element) {
    first = element;
    return false;
  });
  return first;
}

std::string AttributeText(const pugi::xml_node& element, const char* attribute) { return element.attribute(attribute).value(); }

}  // namespace dovel::app
