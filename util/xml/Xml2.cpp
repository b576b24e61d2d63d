#include "util/xml/Xml2.h"

#include "util/io/Exception.h"
#include "util/text/Utf8.h"

#include <expat.h>

#include <cstdio>
#include <exception>
#include <new>
#include <vector>

namespace util {

XML2_Element::~XML2_Element() {
    std::vector<std::unique_ptr<XML2_Element>> pending = std::move(children_);
    while (!pending.empty()) {
        std::unique_ptr<XML2_Element> next = std::move(pending.back());
        pending.pop_back();
        for (auto& child : next->children_) pending.push_back(std::move(child));
        next->children_.clear();
    }
}

XML2_Element* XML2_Element::AddChild(std::unique_ptr<XML2_Element> child) {
    child->parent_ = this;
    children_.push_back(std::move(child));
    return children_.back().get();
}

void XML2_Element::AddAttribute(std::unique_ptr<XML2_Attribute> attribute) {
    const std::string name = attribute->Name();
    attributes_[name] = std::move(attribute);
}

const std::string* XML2_Element::GetAttribute(const std::string& name) const {
    auto it = attributes_.find(name);
    return it == attributes_.end() ? nullptr : &it->second->Value();
}

std::string XML2_Element::GetPath() const {
    std::vector<const XML2_Element*> chain;
    for (const XML2_Element* e = this; e; e = e->Parent()) chain.push_back(e);
    std::string path;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) path += (*it)->Name();
    return path;
}

// One parse: owns the expat parser and the tree being built. Handlers never let an
// exception escape into expat's C frames: they stop the parser and the exception is
// raised again once XML_Parse has returned.
class XML2_Parser::Session {
  public:
    Session() : parser_(XML_ParserCreate(nullptr)) {
        if (!parser_)
            throw XML2_Exception("Could not create the XML parser");
        XML_SetUserData(parser_, this);
        XML_SetElementHandler(parser_, &Session::OnStart, &Session::OnEnd);
        XML_SetCharacterDataHandler(parser_, &Session::OnText);
        XML_SetStartDoctypeDeclHandler(parser_, &Session::OnDoctype);
        XML_SetEntityDeclHandler(parser_, &Session::OnEntityDeclaration);
    }
    ~Session() { XML_ParserFree(parser_); }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // False when the parser reported an error.
    bool Feed(const char* data, std::size_t length, bool final) {
        const bool ok =
            XML_Parse(parser_, data, static_cast<int>(length), final ? 1 : 0) == XML_STATUS_OK;
        if (failure_)
            std::rethrow_exception(failure_);
        return ok;
    }

    std::string ErrorText() const {
        return refusal_ ? refusal_ : XML_ErrorString(XML_GetErrorCode(parser_));
    }
    unsigned long Line() const { return XML_GetCurrentLineNumber(parser_); }
    unsigned long Column() const { return XML_GetCurrentColumnNumber(parser_); }

    [[noreturn]] void Fail(const std::string& message) {
        XML2_Exception error(message);
        if (open_)
            error.SetElement(open_->GetPath());
        root_.reset();
        open_ = nullptr;
        throw error;
    }

    std::unique_ptr<XML2_Element> TakeRoot() { return std::move(root_); }

  private:
    template <typename Fn>
    static void Guarded(void* self, Fn&& fn) {
        auto* session = static_cast<Session*>(self);
        if (session->failure_)
            return;
        try {
            fn(*session);
        } catch (...) {
            session->failure_ = std::current_exception();
            XML_StopParser(session->parser_, XML_FALSE);
        }
    }

    static void OnStart(void* self, const XML_Char* name, const XML_Char** atts) {
        Guarded(self, [&](Session& s) { s.StartElement(name, atts); });
    }
    static void OnEnd(void* self, const XML_Char*) {
        Guarded(self, [](Session& s) {
            if (s.open_ && s.open_->Parent())
                s.open_ = s.open_->Parent();
        });
    }
    static void OnText(void* self, const XML_Char* text, int length) {
        Guarded(self, [&](Session& s) {
            if (s.open_)
                s.open_->AppendText(
                    ValidUtf8(std::string_view(text, static_cast<std::size_t>(length))));
        });
    }

    // A few hundred bytes of entity declarations can expand to megabytes of text (below
    // expat's own amplification guard), and a station list never needs them: a document
    // type with an internal subset, or any entity declaration, ends the parse.
    static void OnDoctype(void* self, const XML_Char*, const XML_Char*, const XML_Char*,
                          int hasInternalSubset) {
        if (hasInternalSubset)
            static_cast<Session*>(self)->Refuse("document type declarations are not accepted");
    }
    static void OnEntityDeclaration(void* self, const XML_Char*, int, const XML_Char*, int,
                                    const XML_Char*, const XML_Char*, const XML_Char*,
                                    const XML_Char*) {
        static_cast<Session*>(self)->Refuse("entity declarations are not accepted");
    }
    void Refuse(const char* reason) {
        if (!refusal_)
            refusal_ = reason;
        XML_StopParser(parser_, XML_FALSE);
    }

    void StartElement(const XML_Char* name, const XML_Char** atts) {
        auto element = std::make_unique<XML2_Element>(name);
        XML2_Element* raw = element.get();
        if (open_) {
            open_->AddChild(std::move(element));
        } else if (!root_) {
            root_ = std::move(element);
        }
        open_ = raw;
        for (int i = 0; atts[i] && atts[i + 1]; i += 2) {
            raw->AddAttribute(std::make_unique<XML2_Attribute>(atts[i], ValidUtf8(atts[i + 1])));
        }
    }

    XML_Parser parser_;
    std::unique_ptr<XML2_Element> root_;
    XML2_Element* open_ = nullptr;
    std::exception_ptr failure_;
    const char* refusal_ = nullptr;  // why the document was refused, when it was
};

namespace {
struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// The parse raises its failures (expat's handlers cannot return them); callers get a result.
template <typename Parse>
XML2_Parser::Document Guarded(Parse&& parse) {
    try {
        std::unique_ptr<XML2_Element> root = parse();
        if (!root)
            return Error{"no element found", kXmlMalformed};
        return root;
    } catch (const XML2_Exception& e) {
        return Error{e.ToString(), kXmlMalformed};
    } catch (const FileNotFoundException& e) {
        return Error{e.ToString(), kXmlNotFound};
    } catch (const IOException& e) {
        return Error{e.ToString(), kXmlUnreadable};
    } catch (const std::bad_alloc&) {
        return Error{"Memory Error!", kXmlNoMemory};
    }
}
}  // namespace

XML2_Parser::Document XML2_Parser::ReadFile(const std::string& path) {
    return Guarded([&] { return Read(path); });
}

XML2_Parser::Document XML2_Parser::ParseBuffer(const char* text, std::size_t length) {
    return Guarded([&] { return Parse(text, length); });
}

std::unique_ptr<XML2_Element> XML2_Parser::Read(const std::string& path) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file)
        throw FileNotFoundException(path);

    Session session;
    std::vector<char> buffer(kReadSize);
    for (;;) {
        const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), file.get());
        if (got < buffer.size() && std::ferror(file.get())) {
            throw IOException("Could not read from file " + path);
        }
        const bool final = got < buffer.size();
        if (!session.Feed(buffer.data(), got, final)) {
            session.Fail(session.ErrorText() + " (" + path + " at " +
                         std::to_string(session.Line()) + ":" + std::to_string(session.Column()) +
                         ")");
        }
        if (final)
            break;
    }
    return session.TakeRoot();
}

std::unique_ptr<XML2_Element> XML2_Parser::Parse(const char* text, std::size_t length) {
    Session session;
    // expat takes an int length; larger texts are fed in pieces.
    constexpr std::size_t kPiece = 1u << 30;
    std::size_t offset = 0;
    do {
        const std::size_t n = std::min(kPiece, length - offset);
        const bool final = offset + n == length;
        if (!session.Feed(text + offset, n, final)) {
            char message[64];
            std::snprintf(message, sizeof message, " - Buffer at Line: %lu Column: %lu",
                          session.Line(), session.Column());
            session.Fail(session.ErrorText() + message);
        }
        offset += n;
    } while (offset < length);
    return session.TakeRoot();
}

}  // namespace util
