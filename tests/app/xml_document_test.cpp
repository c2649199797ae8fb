#include "app/xml_document.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/cp949.h"
#include "support/cp949_text.h"

namespace dovel::app {
namespace {

const std::string kHangul = "똠햏 점검";

using dovel::test::cp949;

TEST(XmlTextAsUtf8, FollowsTheDeclaredEncoding) {
  struct Case {
    std::string label;
    std::string bytes;
    std::optional<std::string> utf8;
  };
  const std::string body = "<a v=\"" + kHangul + "\"/>";
  const Case cases[] = {
      {"euc-kr in CP949", cp949("<?xml version=\"1.0\" encoding=\"euc-kr\"?>" + body),
       "<?xml version=\"1.0\" encoding=\"euc-kr\"?>" + body},
      {"upper case, single quotes, blanks", cp949("<?xml version='1.0' encoding = 'EUC-KR'?>" + body),
       "<?xml version='1.0' encoding = 'EUC-KR'?>" + body},
      {"ks_c_5601-1987", cp949("<?xml version=\"1.0\" encoding=\"ks_c_5601-1987\"?>" + body),
       "<?xml version=\"1.0\" encoding=\"ks_c_5601-1987\"?>" + body},
      {"euc-kr with bytes that are no CP949", "<?xml version=\"1.0\" encoding=\"euc-kr\"?><a v=\"\xff\xff\"/>", std::nullopt},
      {"utf-8 declared", "<?xml version=\"1.0\" encoding=\"utf-8\"?>" + body, "<?xml version=\"1.0\" encoding=\"utf-8\"?>" + body},
      {"no declaration", body, body},
      {"utf-8 declared but CP949 bytes", "<?xml version=\"1.0\" encoding=\"utf-8\"?>" + cp949(body), std::nullopt},
      {"no declaration and CP949 bytes", cp949(body), std::nullopt},
      {"byte-order mark wins", "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"euc-kr\"?>" + body,
       "<?xml version=\"1.0\" encoding=\"euc-kr\"?>" + body},
      {"other encoding, ASCII only", "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?><a v=\"x\"/>",
       "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?><a v=\"x\"/>"},
      {"other encoding, not ASCII", "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?><a v=\"\xe9\"/>", std::nullopt},
      {"declaration never closed", "<?xml version=\"1.0\" encoding=\"euc-kr\"" + cp949(body), std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(XmlTextAsUtf8(c.bytes), c.utf8) << c.label;
  }
}

TEST(LoadXmlDocument, ReadsAttributesAsUtf8AndRefusesWhatIsNotXml) {
  pugi::xml_document document;
  ASSERT_TRUE(LoadXmlDocument(cp949("<?xml version=\"1.0\" encoding=\"euc-kr\"?><a v=\"" + kHangul + "\"/>"), document));
  EXPECT_EQ(AttributeText(document.child("a"), "v"), kHangul);
  EXPECT_EQ(AttributeText(document.child("a"), "missing"), "");

  for (const std::string bytes : {"", "not xml", "<a><b></a>", "<a v=\"1></a>", "<?xml version=\"1.0\"?>"}) {
    EXPECT_FALSE(LoadXmlDocument(bytes, document)) << bytes;
  }
}

TEST(ElementsNamed, FindsEveryElementOfTheNameInDocumentOrder) {
  pugi::xml_document document;
  ASSERT_TRUE(LoadXmlDocument("<r><file n=\"1\"><file n=\"2\"/></file><x><y><file n=\"3\"/></y></x><File n=\"no\"/><file n=\"4\"/>"
                              "<!-- <file n=\"comment\"/> --></r>",
                              document));
  std::string order;
  for (const pugi::xml_node& element : ElementsNamed(document, "file")) order += AttributeText(element, "n");
  EXPECT_EQ(order, "1234") << "names compare exactly; comments hold no elements";
  EXPECT_EQ(AttributeText(FirstElementNamed(document, "file"), "n"), "1");
  EXPECT_FALSE(FirstElementNamed(document, "none"));
}

// A hostile document nests deeply; neither parsing nor the search may use the
// stack for every level.
TEST(ElementsNamed, DeepNestingIsWalkedWithoutRecursion) {
  constexpr int kDepth = 100000;
  std::string text;
  for (int i = 0; i < kDepth; ++i) text += "<a>";
  text += "<file n=\"deep\"/>";
  for (int i = 0; i < kDepth; ++i) text += "</a>";
  pugi::xml_document document;
  ASSERT_TRUE(LoadXmlDocument(text, document));
  EXPECT_EQ(AttributeText(FirstElementNamed(document, "file"), "n"), "deep");
  EXPECT_EQ(ElementsNamed(document, "a").size(), static_cast<size_t>(kDepth));
}

}  // namespace
}  // namespace dovel::app
