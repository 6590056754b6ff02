#include "toolkit/shortcut.h"

#include "toolkit/classes.h"

namespace {

struct KeyName {
    uint8_t key;
    const char* name;
};

// Virtual-key codes of the keys with names of their own.
constexpr KeyName kKeys[] = {
    {0x08, "BkSp"},  {0x09, "Tab"},   {0x0D, "Enter"}, {0x1B, "Esc"},   {0x20, "Space"},
    {0x21, "PgUp"},  {0x22, "PgDn"},  {0x23, "End"},   {0x24, "Home"},  {0x25, "Left"},
    {0x26, "Up"},    {0x27, "Right"}, {0x28, "Down"},  {0x2D, "Ins"},   {0x2E, "Del"},
    {0x6A, "Num *"}, {0x6B, "Num +"}, {0x6D, "Num -"}, {0x6E, "Num ."}, {0x6F, "Num /"},
    {0xBA, ";"},     {0xBB, "="},     {0xBC, ","},     {0xBD, "-"},     {0xBE, "."},
    {0xBF, "/"},     {0xC0, "`"},     {0xDB, "["},     {0xDC, "\\"},    {0xDD, "]"},
    {0xDE, "'"},
};

std::string KeyToText(uint8_t key) {
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z'))
        return std::string(1, static_cast<char>(key));
    std::string text;
    if (key >= 0x60 && key <= 0x69) {
        text = "Num ";
        text += static_cast<char>('0' + key - 0x60);
        return text;
    }
    if (key >= 0x70 && key <= 0x87) {
        text = "F";
        text += std::to_string(key - 0x70 + 1);
        return text;
    }
    for (const KeyName& k : kKeys)
        if (k.key == key) return k.name;
    return {};
}

uint8_t TextToKey(std::string_view text) {
    if (text.size() == 1) {
        char c = text[0];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
        if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z')) return static_cast<uint8_t>(c);
    }
    for (int key = 0; key < 0x100; ++key) {
        std::string name = KeyToText(static_cast<uint8_t>(key));
        if (!name.empty() && SameText(name, text)) return static_cast<uint8_t>(key);
    }
    return 0;
}

constexpr struct {
    TShortCut bit;
    std::string_view prefix;
} kModifiers[] = {{scShift, "Shift+"}, {scCtrl, "Ctrl+"}, {scAlt, "Alt+"}};

} // namespace

std::string ShortCutToText(TShortCut shortCut) {
    std::string key = KeyToText(static_cast<uint8_t>(shortCut & 0xFF));
    if (key.empty()) return {};
    std::string text;
    for (const auto& m : kModifiers)
        if (shortCut & m.bit) text += m.prefix;
    text += key;
    return text;
}

TShortCut TextToShortCut(std::string_view text) {
    TShortCut modifiers = 0;
    // A key name may itself contain '+' ("Num +"), so only known prefixes are taken off.
    for (bool found = true; found;) {
        found = false;
        for (const auto& m : kModifiers)
            if (text.size() > m.prefix.size() &&
                SameText(text.substr(0, m.prefix.size()), m.prefix)) {
                modifiers |= m.bit;
                text.remove_prefix(m.prefix.size());
                found = true;
            }
    }
    uint8_t key = TextToKey(text);
    return key ? MakeShortCut(key, modifiers) : scNone;
}
