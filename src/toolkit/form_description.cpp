#include "toolkit/form_description.h"

#include <cctype>

namespace {

class Parser {
public:
    explicit Parser(std::string_view text) : s_(text) {}

    FormObject ParseRoot() {
        SkipSpace();
        if (AtEnd()) Fail("empty description");
        FormObject root = ParseObject();
        SkipSpace();
        if (!AtEnd()) Fail("text after the final 'end'");
        return root;
    }

private:
    [[noreturn]] void Fail(const std::string& what) const { throw FormParseError(what, line_); }
    bool AtEnd() const { return pos_ >= s_.size(); }
    char Peek() const { return AtEnd() ? '\0' : s_[pos_]; }
    char Next() {
        char c = s_[pos_++];
        if (c == '\n') ++line_;
        return c;
    }
    void SkipSpace() {
        while (!AtEnd()) {
            char c = Peek();
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
                Next();
            } else if (c == '/' && pos_ + 1 < s_.size() && s_[pos_ + 1] == '/') {
                while (!AtEnd() && Peek() != '\n') Next();
            } else {
                break;
            }
        }
    }
    static bool IsIdentStart(char c) {
        return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
    }
    static bool IsIdentChar(char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
    }

    std::string Ident() {
        SkipSpace();
        if (!IsIdentStart(Peek())) Fail("name expected");
        size_t start = pos_;
        while (!AtEnd() && IsIdentChar(Peek())) Next();
        return std::string(s_.substr(start, pos_ - start));
    }
    // A property name may be dotted: Font.Name, EditLabel.Caption.
    std::string DottedIdent() {
        std::string name = Ident();
        while (Peek() == '.') {
            Next();
            name += '.';
            name += Ident();
        }
        return name;
    }
    void Expect(char c) {
        SkipSpace();
        if (Peek() != c) Fail(std::string("'") + c + "' expected");
        Next();
    }
    bool PeekKeyword(std::string_view word) {
        SkipSpace();
        if (s_.substr(pos_, word.size()) != word) return false;
        size_t after = pos_ + word.size();
        return after >= s_.size() || !IsIdentChar(s_[after]);
    }

    FormObject ParseObject() {
        FormObject obj;
        obj.line = line_;
        if (Ident() != "object") Fail("'object' expected");
        obj.name = Ident();
        Expect(':');
        obj.className = Ident();
        for (;;) {
            SkipSpace();
            if (AtEnd()) Fail("'end' expected for object " + obj.name);
            if (PeekKeyword("end")) {
                Ident();
                return obj;
            }
            if (PeekKeyword("object")) {
                obj.children.push_back(ParseObject());
                continue;
            }
            obj.props.push_back(ParseProperty());
        }
    }

    FormProperty ParseProperty() {
        FormProperty p;
        p.line = line_;
        p.name = DottedIdent();
        Expect('=');
        p.value = ParseValue();
        return p;
    }

    FormValue ParseValue() {
        SkipSpace();
        char c = Peek();
        FormValue v;
        if (c == '\'' || c == '#') {
            v.kind = FormValue::String;
            v.text = ParseString();
        } else if (c == '-' || c == '$' || std::isdigit(static_cast<unsigned char>(c))) {
            v.kind = FormValue::Integer;
            v.integer = ParseInteger();
        } else if (c == '[') {
            v.kind = FormValue::Set;
            Next();
            SkipSpace();
            if (Peek() != ']') {
                for (;;) {
                    v.names.push_back(Ident());
                    SkipSpace();
                    if (Peek() == ',') {
                        Next();
                        continue;
                    }
                    break;
                }
            }
            Expect(']');
        } else if (c == '(') {
            v.kind = FormValue::List;
            Next();
            for (;;) {
                SkipSpace();
                if (Peek() == ')') {
                    Next();
                    break;
                }
                if (AtEnd()) Fail("')' expected");
                v.list.push_back(ParseValue());
            }
        } else if (c == '{') {
            v.kind = FormValue::Binary;
            Next();
            v.text = ParseHex();
        } else if (c == '<') {
            v.kind = FormValue::Collection;
            Next();
            for (;;) {
                SkipSpace();
                if (Peek() == '>') {
                    Next();
                    break;
                }
                if (Ident() != "item") Fail("'item' expected");
                std::vector<FormProperty> props;
                while (!PeekKeyword("end")) {
                    if (AtEnd()) Fail("'end' expected for item");
                    props.push_back(ParseProperty());
                }
                Ident();
                v.items.push_back(std::move(props));
            }
        } else if (IsIdentStart(c)) {
            v.kind = FormValue::Ident;
            v.text = DottedIdent();
        } else {
            Fail("value expected");
        }
        return v;
    }

    int64_t ParseInteger() {
        bool negative = false;
        if (Peek() == '-') {
            negative = true;
            Next();
        }
        uint64_t value = 0;
        int digits = 0;
        if (Peek() == '$') {
            Next();
            while (std::isxdigit(static_cast<unsigned char>(Peek()))) {
                char d = Next();
                value =
                    value * 16 + static_cast<uint64_t>(std::isdigit(static_cast<unsigned char>(d))
                                                           ? d - '0'
                                                           : (std::tolower(d) - 'a' + 10));
                if (++digits > 16) Fail("number too large");
            }
        } else {
            while (std::isdigit(static_cast<unsigned char>(Peek()))) {
                value = value * 10 + static_cast<uint64_t>(Next() - '0');
                if (++digits > 18) Fail("number too large");
            }
        }
        if (digits == 0) Fail("digits expected");
        int64_t v = static_cast<int64_t>(value);
        return negative ? -v : v;
    }

    static void AppendUtf8(std::string& out, uint32_t cp) {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }

    std::string ParseString() {
        // Pieces join when they touch ('a'#13'b') or around a '+'; a space between two
        // strings (list items) separates them.
        std::string out;
        SkipSpace();
        for (;;) {
            char c = Peek();
            if (c == '\'') {
                Next();
                for (;;) {
                    if (AtEnd() || Peek() == '\n') Fail("unterminated string");
                    char d = Next();
                    if (d == '\'') {
                        if (Peek() == '\'') {
                            Next();
                            out += '\'';
                            continue;
                        }
                        break;
                    }
                    out += d;
                }
            } else if (c == '#') {
                Next();
                int64_t code = ParseInteger();
                if (code < 0 || code > 0x10FFFF) Fail("bad character code");
                AppendUtf8(out, static_cast<uint32_t>(code));
            } else {
                size_t mark = pos_;
                int markLine = line_;
                SkipSpace();
                if (Peek() != '+') {
                    pos_ = mark;
                    line_ = markLine;
                    return out;
                }
                Next();
                SkipSpace();
                if (Peek() != '\'' && Peek() != '#') Fail("string expected after '+'");
            }
        }
    }

    std::string ParseHex() {
        std::string out;
        int half = -1;
        for (;;) {
            if (AtEnd()) Fail("'}' expected");
            char c = Next();
            if (c == '}') break;
            if (c == ' ' || c == '\r' || c == '\n' || c == '\t') continue;
            if (!std::isxdigit(static_cast<unsigned char>(c))) Fail("hex digit expected");
            int d =
                std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : std::tolower(c) - 'a' + 10;
            if (half < 0) {
                half = d;
            } else {
                out += static_cast<char>(half * 16 + d);
                half = -1;
            }
        }
        if (half >= 0) Fail("odd number of hex digits");
        return out;
    }

    std::string_view s_;
    size_t pos_ = 0;
    int line_ = 1;
};

} // namespace

FormObject ParseFormDescription(std::string_view text) {
    if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    return Parser(text).ParseRoot();
}

std::string FormatBinaryValue(std::string_view bytes, int indent) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out = "{";
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i % 32 == 0) {
            out += '\n';
            out.append(static_cast<size_t>(indent), ' ');
        }
        unsigned char b = static_cast<unsigned char>(bytes[i]);
        out += kHex[b >> 4];
        out += kHex[b & 15];
    }
    out += '}';
    return out;
}
