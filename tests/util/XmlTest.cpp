#include "util/xml/Xml2.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

using util::XML2_Element;
using util::XML2_Parser;

namespace {
std::unique_ptr<XML2_Element> Parse(const std::string& text) {
    XML2_Parser::Document document = XML2_Parser().ParseBuffer(text.data(), text.size());
    EXPECT_TRUE(document) << document.error();
    return document ? std::move(document).value() : nullptr;
}

// A failed parse: the reason and position, and the path of the element that was open.
struct ParseFailure {
    std::string message;
    std::string element;
    std::string text;  // both together, as the error gives them
};

constexpr std::string_view kElementMarker = " in element: ";

ParseFailure FailureOf(const util::Error& error) {
    EXPECT_EQ(error.code, util::kXmlMalformed) << error;
    const std::size_t marker = error.message.find(kElementMarker);
    if (marker == std::string::npos) {
        ADD_FAILURE() << "no element in: " << error;
        return {error.message, "", error.message};
    }
    return {error.message.substr(0, marker), error.message.substr(marker + kElementMarker.size()),
            error.message};
}

ParseFailure ParseError(const std::string& text) {
    XML2_Parser::Document document = XML2_Parser().ParseBuffer(text.data(), text.size());
    EXPECT_FALSE(document) << "parsed: " << text;
    return FailureOf(document.error());
}

class TempFile {
  public:
    // Named by the process as well: CTest runs each test in a process of its own, several at
    // once, and each starts counting at 0.
    explicit TempFile(const std::string& content) {
        path_ = (std::filesystem::temp_directory_path() /
                 ("tunelink-xml-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++) +
                  ".xml"))
                    .string();
        std::ofstream(path_, std::ios::binary) << content;
    }
    ~TempFile() { std::remove(path_.c_str()); }
    const std::string& path() const { return path_; }

  private:
    static inline int counter_ = 0;
    std::string path_;
};
}  // namespace

TEST(Xml2Tree, TextChildrenAndAttributes) {
    auto root = Parse("<STATION a=\"1\">one<S_1 url=\"u\"/>two<S_2/></STATION>");
    EXPECT_EQ(root->Name(), "STATION");
    EXPECT_EQ(root->Text(), "onetwo");
    ASSERT_EQ(root->GetChildCount(), 2);
    EXPECT_EQ(root->GetChild(0)->Parent(), root.get());
    EXPECT_EQ(root->GetChild(0)->GetPath(), "STATIONS_1");
    ASSERT_NE(root->GetAttribute("a"), nullptr);
    EXPECT_EQ(*root->GetAttribute("a"), "1");
    EXPECT_EQ(root->GetAttribute("A"), nullptr);  // names are case-sensitive

    auto empty = Parse("<R/>");
    EXPECT_EQ(empty->GetChildCount(), 0);
    EXPECT_EQ(empty->AttributeCount(), 0u);
    EXPECT_TRUE(empty->Text().empty());
}

TEST(Xml2Tree, CharacterReferencesAndUtf8ReadAsTheSameLetter) {
    auto root = Parse(
        "<R a=\"M&#252;nchen\" b=\"M\xC3\xBC"
        "nchen\">K&#xF6;ln</R>");
    EXPECT_EQ(*root->GetAttribute("a"), "München");
    EXPECT_EQ(*root->GetAttribute("b"), "München");
    EXPECT_EQ(root->Text(), "Köln");
    // A Latin-1 document is delivered as UTF-8 too.
    auto latin = Parse("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><R a=\"M\xFCnchen\"/>");
    EXPECT_EQ(*latin->GetAttribute("a"), "München");
}

TEST(Xml2Errors, ElementPathOfTheOpenElement) {
    // Error in the content of S_3: the open element is S_3 below STATION.
    auto inContent = ParseError("<STATION><S_3 url=\"x\">a & b</S_3></STATION>");
    EXPECT_EQ(inContent.element, "STATIONS_3");
    EXPECT_NE(inContent.message.find(" - Buffer at Line: 1 Column: "), std::string::npos);
    EXPECT_EQ(inContent.text, inContent.message + " in element: STATIONS_3");

    // Error inside the start tag of S_3: S_3 was never opened.
    auto inTag = ParseError("<STATION>\n<S_3 url=x></S_3></STATION>");
    EXPECT_EQ(inTag.element, "STATION");
    EXPECT_NE(inTag.message.find("Buffer at Line: 2 Column: "), std::string::npos);

    // Before any element: no element, ToString ends after the marker.
    auto none = ParseError("");
    EXPECT_EQ(none.element, "");
    EXPECT_EQ(none.text, none.message + " in element: ");
}

TEST(Xml2Files, ReadFileReportsPathLineAndColumn) {
    TempFile empty("");
    XML2_Parser::Document document = XML2_Parser().ReadFile(empty.path());
    ASSERT_FALSE(document) << "an empty file must not parse";
    EXPECT_EQ(FailureOf(document.error()).message,
              "no element found (" + empty.path() + " at 1:0)");

    XML2_Parser::Document missing = XML2_Parser().ReadFile("/nonexistent/tunelink/cache.xml");
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().code, util::kXmlNotFound);
    EXPECT_EQ(missing.error().message,
              "util.io.FileNotFoundException: /nonexistent/tunelink/cache.xml");
}

TEST(Xml2Files, SizesAroundTheReadPieceParse) {
    for (std::size_t size : {XML2_Parser::kReadSize - 1, XML2_Parser::kReadSize,
                             XML2_Parser::kReadSize + 1, 2 * XML2_Parser::kReadSize}) {
        const std::string head = "<R>", tail = "</R>";
        const std::string text = head + std::string(size - head.size() - tail.size(), 'x') + tail;
        ASSERT_EQ(text.size(), size);
        TempFile file(text);
        XML2_Parser::Document root = XML2_Parser().ReadFile(file.path());
        ASSERT_TRUE(root) << root.error();
        EXPECT_EQ((*root)->Text().size(), size - 7) << size;
    }
}

TEST(Xml2Limits, DeepNestingNeitherOverflowsNorLeaks) {
    constexpr int kDepth = 200000;
    std::string text;
    for (int i = 0; i < kDepth; ++i) text += "<a>";
    for (int i = 0; i < kDepth; ++i) text += "</a>";
    auto root = Parse(text);
    const XML2_Element* e = root.get();
    int depth = 1;
    while (e->GetChildCount() == 1) {
        e = e->GetChild(0);
        ++depth;
    }
    EXPECT_EQ(depth, kDepth);
    root.reset();  // frees the chain without recursion

    // An unclosed deep document fails with the long path instead of crashing.
    std::string open;
    for (int i = 0; i < 50000; ++i) open += "<b>";
    EXPECT_EQ(ParseError(open).element.size(), 50000u);
}

namespace {
// A few hundred bytes that expand to six megabytes of text: below expat's own amplification
// guard, which only starts at 8 MiB of expansion.
std::string EntityBomb() {
    std::string text = "<?xml version=\"1.0\"?>\n<!DOCTYPE STATION [\n <!ENTITY a \"" +
                       std::string(60, 'x') + "\">\n";
    std::string previous = "a";
    for (char name = 'b'; name <= 'f'; ++name) {
        text += " <!ENTITY " + std::string(1, name) + " \"";
        for (int i = 0; i < 10; ++i) text += "&" + previous + ";";
        text += "\">\n";
        previous = std::string(1, name);
    }
    return text + "]>\n<STATION><S_1 url=\"http://a \" des=\"&" + previous + ";\"/></STATION>";
}
}  // namespace

TEST(Xml2Limits, DocumentsThatDeclareEntitiesAreRefused) {
    const std::string bomb = EntityBomb();
    ASSERT_LT(bomb.size(), 1000u);
    const std::string declarations[] = {
        bomb,
        "<!DOCTYPE R [<!ENTITY x \"y\">]><R>&x;</R>",
        "<!DOCTYPE R [<!ENTITY % p \"y\">]><R/>",
        "<!DOCTYPE R [<!ENTITY x SYSTEM \"file:///etc/passwd\">]><R>&x;</R>",
        "<!DOCTYPE R [<!ATTLIST R url CDATA \"http://elsewhere \">]><R/>",
    };
    for (const std::string& text : declarations) {
        const ParseFailure error = ParseError(text);
        EXPECT_NE(error.message.find("declarations are not accepted"), std::string::npos)
            << error.message;

        TempFile file(text);
        XML2_Parser::Document document = XML2_Parser().ReadFile(file.path());
        ASSERT_FALSE(document) << "accepted from a file: " << text;
        const ParseFailure fromFile = FailureOf(document.error());
        EXPECT_NE(fromFile.message.find(file.path()), std::string::npos) << fromFile.message;
    }
}

TEST(Xml2Limits, ADocumentTypeWithoutDeclarationsAndThePredefinedEntitiesStillParse) {
    auto root = Parse(
        "<!DOCTYPE STATION SYSTEM \"station.dtd\">"
        "<STATION a=\"&amp;&lt;&#252;\">x&gt;y</STATION>");
    ASSERT_TRUE(root);
    EXPECT_EQ(*root->GetAttribute("a"), "&<\xC3\xBC");
    EXPECT_EQ(root->Text(), "x>y");
}
