#pragma once
// The text form of a form description: nested "object Name: TClass ... end" blocks of
// "Property = value" lines. Values: integers (decimal or $hex), 'strings' (with '' for a
// quote, #nn character codes and + continuations; UTF-8 in the file), identifiers, sets
// [a, b], lists ( ... ), binary data { hex } and collections < item ... end >.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

struct FormProperty;

struct FormValue {
    enum Kind { Integer, String, Ident, Set, List, Binary, Collection } kind = Integer;
    int64_t integer = 0;
    std::string text;                             // String (UTF-8), Ident, Binary (raw bytes)
    std::vector<std::string> names;               // Set
    std::vector<FormValue> list;                  // List
    std::vector<std::vector<FormProperty>> items; // Collection
};

struct FormProperty {
    std::string name;
    FormValue value;
    int line = 0;
};

struct FormObject {
    std::string name;
    std::string className;
    std::vector<FormProperty> props;
    std::vector<FormObject> children;
    int line = 0;
};

class FormParseError : public std::runtime_error {
public:
    FormParseError(const std::string& what, int line)
        : std::runtime_error("Form description, line " + std::to_string(line) + ": " + what),
          line_(line) {}
    int line() const { return line_; }

private:
    int line_;
};

FormObject ParseFormDescription(std::string_view text);
// Writes a value the way the parser reads it (used for binary properties and by tools).
std::string FormatBinaryValue(std::string_view bytes, int indent);
