// The XML reader on texts: trees, exact error messages, entities, limits and the node handle.
#include <gtest/gtest.h>

#include <string>

#include "ui_core/values/xml_doc.h"
#include "xml_test_util.h"

using SkinUI::CXmlDocUI;
using SkinUI::CXmlNodeUI;
using XmlTest::Outcome;

namespace {

std::wstring Nested(int depth) {
  std::wstring text;
  for (int i = 0; i < depth; ++i) text += L"<E>";
  for (int i = 0; i < depth; ++i) text += L"</E>";
  return text;
}

}  // namespace

TEST(XmlParse, DocumentsGiveTheirTreeOrTheirError) {
  const struct {
    const wchar_t* text;
    const wchar_t* outcome;
  } cases[] = {
      // Trees.
      {L"<Window><Label text=\"a &amp; b\" /></Window>", L"Window[Label{text=a & b}]"},
      {L"<Window size=\"400,300\" caption=\"0,0,0,30\"><VerticalLayout><Label name=\"t\" />"
       L"<Button name=\"ok\" text=\"OK\" /></VerticalLayout><Control /></Window>",
       L"Window{size=400,300;caption=0,0,0,30}[VerticalLayout[Label{name=t},"
       L"Button{name=ok;text=OK}],Control]"},
      {L"<Window />", L"Window"},
      {L"<Window></Window>", L"Window"},
      {L"<Window>some text</Window>", L"Window"},
      {L"<A /><B />", L"A,B"},
      {L"  \r\n\t<Window  a = \"1\"  b=\"2\"  >\n  <Label />\n </ Window >  \n", L"Window{a=1;b=2}[Label]"},
      {L"<A a=\"1\"b=\"2\" />", L"A{a=1;b=2}"},
      {L"<A a=\"\" b=\"x\" />", L"A{a=;b=x}"},
      {L"<A v=\"&lt;&gt;&quot;&apos;&amp;\" />", L"A{v=<>\"'&}"},
      {L"<A v=\"&&amp;\" />", L"A{v=&&}"},
      {L"<A v=\"&amp;&amp;\" w=\"2\" />", L"A{v=&&;w=2}"},  // a value shortened by entities
      {L"<A v=\"&lt;\"w=\"1\"><B /></A>", L"A{v=<;w=1}[B]"},
      {L"<A v=\"&copy; &#65; &amp\" />", L"A{v=&copy; &#65; &amp}"},  // unknown references stay
      {L"<A v=\"a<b>c\" />", L"A{v=a<b>c}"},
      {L"<ns:A x_1=\"y\" />", L"ns:A{x_1=y}"},
      {L"<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!-- skin -->\n<Window><!-- a -->"
       L"<Label /><!-- b --></Window><!-- end -->",
       L"Window[Label]"},
      {L"<!DOCTYPE x ->\n<A />", L"A"},
      // A text that ends inside the root, or among the root's children, is accepted.
      {L"<Window><Label />", L"Window[Label]"},
      {L"<Window>", L"Window"},
      {L"<Window>text", L"Window"},
      {L"<Window><VerticalLayout>", L"Window[VerticalLayout]"},
      {L"", L""},
      {L"<!-- nothing else -->", L""},
      // A stray end tag at the top level ends the document, which keeps what came before it.
      {L"<A /></A>", L"A"},
      {L"<A /></A><B />", L"A"},
      {L"</Window>", L""},
      // Errors.
      {L"<Window><VerticalLayout><Label />", L"error: Expected start tag"},
      {L"text", L"error: Expected start tag"},
      {L"<A />x", L"error: Expected start tag"},
      {L"<A><B /> tail </A>", L"error: Expected start tag"},
      {L"<Window></Label>", L"error: Unmatched closing tag"},
      {L"<Window></Win>", L"error: Unmatched closing tag"},
      {L"<Window></WindowX>", L"error: Unmatched closing tag"},
      {L"<Window></Window", L"error: Unmatched closing tag"},
      {L"<Window></", L"error: Unmatched closing tag"},
      {L"<A><B></A></B>", L"error: Unmatched closing tag"},
      {L"<Window a=b />", L"error: Expected attribute value"},
      {L"<Window a='b' />", L"error: Expected attribute value"},
      {L"<Window a=", L"error: Expected attribute value"},
      {L"<Window a \"b\" />", L"error: Error while parsing attributes"},
      {L"<Window a", L"error: Error while parsing attributes"},
      {L"<Window a=\"1", L"error: Error while parsing attribute string"},
      {L"<Window a=\"1 &amp;", L"error: Error while parsing attribute string"},
      {L"<Window", L"error: Error parsing element name"},
      {L"<", L"error: Error parsing element name"},
      {L"<Window ", L"error: Expected start-tag closing"},
      {L"<Window a=\"1\"", L"error: Expected start-tag closing"},
      {L"<Window a=\"1\" /", L"error: Expected start-tag closing"},
      {L"<Window a=\"1\" x>", L"error: Error while parsing attributes"},
      {L"<Window><A>text", L"Window[A]"},
      {L"<Window><A><B>text", L"error: Expected end-tag start"},
      // Comments and declarations must end.
      {L"<!-- never closed", L"error: Unterminated comment or declaration"},
      {L"<Window><!-- never closed </Window>", L"error: Unterminated comment or declaration"},
      {L"<?xml version=\"1.0\"", L"error: Unterminated comment or declaration"},
      {L"<!", L"error: Unterminated comment or declaration"},
      {L"<?", L"error: Unterminated comment or declaration"},
      // An empty element needs white space before "/>": without it the tag is read as a start
      // tag whose content runs to the next end tag.
      {L"<Window><Label/></Window>", L"error: Unmatched closing tag"},
      {L"<Label/>text</Label>", L"Label"},
  };
  for (const auto& c : cases) {
    CXmlDocUI doc;
    const bool loaded = doc.Load(c.text);
    EXPECT_EQ(std::wstring(c.outcome), Outcome(doc, loaded)) << "document: " << c.text;
    if (!loaded) {
      EXPECT_FALSE(doc.GetRoot().IsValid()) << c.text;
    }
  }
}

TEST(XmlParse, ErrorContextIsTheTextWhereParsingStopped) {
  CXmlDocUI doc;
  EXPECT_FALSE(doc.Load(L"<Window>\n  </Label>"));
  EXPECT_STREQ(L"Unmatched closing tag", doc.GetErrorMessage());
  EXPECT_STREQ(L"Label>", doc.GetErrorContext());

  const std::wstring tail(100, L'z');
  EXPECT_FALSE(doc.Load((L"<A />" + tail).c_str()));
  EXPECT_STREQ(L"Expected start tag", doc.GetErrorMessage());
  EXPECT_EQ(tail.substr(0, 49), doc.GetErrorContext());  // cut to 49 characters

  // A later success clears the error.
  EXPECT_TRUE(doc.Load(L"<A />"));
  EXPECT_STREQ(L"", doc.GetErrorMessage());
  EXPECT_STREQ(L"", doc.GetErrorContext());

  // SetError cuts the message to 99 characters and always answers false.
  const std::wstring longMessage(150, L'm');
  EXPECT_FALSE(doc.SetError(longMessage.c_str(), nullptr));
  EXPECT_EQ(longMessage.substr(0, 99), doc.GetErrorMessage());
  EXPECT_STREQ(L"", doc.GetErrorContext());
}

TEST(XmlParse, NestingIsLimitedInsteadOfExhaustingTheStack) {
  CXmlDocUI doc;
  EXPECT_TRUE(doc.Load(Nested(SkinUI::kXmlMaxDepth).c_str()));
  int depth = 0;
  for (CXmlNodeUI n = doc.GetRoot(); n.IsValid(); n = n.GetChild()) ++depth;
  EXPECT_EQ(SkinUI::kXmlMaxDepth, depth);

  EXPECT_FALSE(doc.Load(Nested(SkinUI::kXmlMaxDepth + 1).c_str()));
  EXPECT_STREQ(L"Elements nested too deeply", doc.GetErrorMessage());

  std::wstring unclosed;
  for (int i = 0; i < 100000; ++i) unclosed += L"<E>";
  EXPECT_FALSE(doc.Load(unclosed.c_str()));
  EXPECT_STREQ(L"Elements nested too deeply", doc.GetErrorMessage());

  // Many siblings are no nesting at all.
  std::wstring wide = L"<W>";
  for (int i = 0; i < 5000; ++i) wide += L"<C />";
  wide += L"</W>";
  ASSERT_TRUE(doc.Load(wide.c_str()));
  int siblings = 0;
  for (CXmlNodeUI n = doc.GetRoot().GetChild(); n.IsValid(); n = n.GetSibling()) ++siblings;
  EXPECT_EQ(5000, siblings);
}

TEST(XmlParse, AttributesBeyondThe64thAreIgnored) {
  std::wstring text = L"<Control";
  for (int i = 0; i < 70; ++i) text += L" a" + std::to_wstring(i) + L"=\"v" + std::to_wstring(i) + L"\"";
  text += L" />";
  CXmlDocUI doc(text.c_str());
  const CXmlNodeUI root = doc.GetRoot();
  ASSERT_TRUE(root.IsValid());
  EXPECT_EQ(64, root.GetAttributeCount());
  EXPECT_STREQ(L"a63", root.GetAttributeName(63));
  EXPECT_STREQ(L"v63", root.GetAttributeValue(63));
  wchar_t buffer[16] = {};
  EXPECT_TRUE(root.GetAttributeValue(L"a63", buffer, 16));
  EXPECT_STREQ(L"v63", buffer);
  EXPECT_FALSE(root.GetAttributeValue(L"a64", buffer, 16));
}

TEST(XmlParse, NodeQueriesOnValidAndInvalidNodes) {
  CXmlDocUI doc(L"<Window name=\"main\" title=\"Hello world\"><Label text=\"x\" /></Window>");
  const CXmlNodeUI root = doc.GetRoot();
  ASSERT_TRUE(root.IsValid());
  EXPECT_STREQ(L"Window", root.GetName());
  EXPECT_TRUE(root.HasChildren());
  EXPECT_TRUE(root.HasAttributes());
  EXPECT_FALSE(root.GetSibling().IsValid());
  EXPECT_STREQ(L"", root.GetAttributeName(2));
  EXPECT_STREQ(L"", root.GetAttributeValue(-1));

  wchar_t buffer[6] = {};
  EXPECT_TRUE(root.GetAttributeValue(L"title", buffer, 6));
  EXPECT_STREQ(L"Hello", buffer);  // at most length - 1 characters
  EXPECT_FALSE(root.GetAttributeValue(L"Title", buffer, 6));  // names are case-sensitive
  EXPECT_FALSE(root.GetAttributeValue(L"title", nullptr, 6));
  EXPECT_FALSE(root.GetAttributeValue(L"title", buffer, 0));

  const CXmlNodeUI label = root.GetChild();
  EXPECT_STREQ(L"Label", label.GetName());
  EXPECT_FALSE(label.HasChildren());
  EXPECT_FALSE(label.GetChild().IsValid());
  const CXmlNodeUI copy = label;  // a copy carries its mapped attributes
  EXPECT_EQ(1, copy.GetAttributeCount());
  EXPECT_STREQ(L"x", copy.GetAttributeValue(0));

  const CXmlNodeUI invalid;
  EXPECT_FALSE(invalid.IsValid());
  EXPECT_EQ(nullptr, invalid.GetName());
  EXPECT_FALSE(invalid.GetChild().IsValid());
  EXPECT_FALSE(invalid.GetSibling().IsValid());
  EXPECT_FALSE(invalid.HasChildren());
  EXPECT_FALSE(invalid.HasAttributes());
  EXPECT_EQ(0, invalid.GetAttributeCount());
  EXPECT_EQ(nullptr, invalid.GetAttributeName(0));
  EXPECT_EQ(nullptr, invalid.GetAttributeValue(0));
  EXPECT_FALSE(invalid.GetAttributeValue(L"x", buffer, 6));

  doc.Release();
  EXPECT_FALSE(doc.GetRoot().IsValid());
  CXmlDocUI empty;
  EXPECT_FALSE(empty.GetRoot().IsValid());
  EXPECT_TRUE(empty.Load(nullptr));
  EXPECT_FALSE(empty.GetRoot().IsValid());
}

TEST(XmlParse, FailedLoadLeavesTheDocumentEmpty) {
  CXmlDocUI doc(L"<Window />");
  ASSERT_TRUE(doc.GetRoot().IsValid());
  EXPECT_FALSE(doc.Load(L"<Window"));
  EXPECT_FALSE(doc.GetRoot().IsValid());
  EXPECT_STREQ(L"Error parsing element name", doc.GetErrorMessage());
}

TEST(XmlParse, WhitespaceInValuesIsKeptUnlessAskedOtherwise) {
  CXmlDocUI keep(L"<A v=\"a    b \t c\" />");
  EXPECT_STREQ(L"a    b \t c", keep.GetRoot().GetAttributeValue(0));

  CXmlDocUI fold;
  fold.SetPreserveWhitespace(false);
  ASSERT_TRUE(fold.Load(L"<A v=\"a    b \t c\" w=\"x\" />"));
  EXPECT_STREQ(L"a b c", fold.GetRoot().GetAttributeValue(0));
  EXPECT_STREQ(L"x", fold.GetRoot().GetAttributeValue(1));
}

TEST(XmlParse, ManyElementsGrowTheRecordArray) {
  // Past the first 500 records and the growths after it.
  std::wstring text = L"<W>";
  for (int i = 0; i < 3000; ++i) text += L"<C i=\"" + std::to_wstring(i) + L"\"><D /></C>";
  text += L"</W>";
  CXmlDocUI doc(text.c_str());
  ASSERT_TRUE(doc.GetRoot().IsValid());
  int i = 0;
  for (CXmlNodeUI n = doc.GetRoot().GetChild(); n.IsValid(); n = n.GetSibling(), ++i) {
    ASSERT_EQ(std::to_wstring(i), n.GetAttributeValue(0));
    ASSERT_STREQ(L"D", n.GetChild().GetName());
  }
  EXPECT_EQ(3000, i);
}
