#include "toolkit/form_reader.h"

#include "toolkit/controls.h"
#include "toolkit/exceptions.h"
#include "toolkit/win_text.h"

#include <windows.h>

namespace {

struct CharsetName {
    const char* name;
    int value;
};
const CharsetName kCharsets[] = {
    {"ANSI_CHARSET", ANSI_CHARSET},
    {"DEFAULT_CHARSET", DEFAULT_CHARSET},
    {"SYMBOL_CHARSET", SYMBOL_CHARSET},
    {"GB2312_CHARSET", GB2312_CHARSET},
    {"CHINESEBIG5_CHARSET", CHINESEBIG5_CHARSET},
    {"OEM_CHARSET", OEM_CHARSET},
};

class Reader {
public:
    explicit Reader(TComponent& root) : root_(root) {}

    void Read(const FormObject& d) {
        root_.SetLoading(true);
        loaded_.push_back(&root_);
        root_.SetName(d.name);
        Apply(root_, d.props, d.name);
        for (const FormObject& child : d.children) ReadChild(child, &root_);
        // Loaded() runs once everything exists, parents before children.
        for (TComponent* c : loaded_) c->SetLoading(false);
        for (TComponent* c : loaded_) c->Loaded();
        for (TComponent* c : loaded_)
            if (auto* w = dynamic_cast<TWinControl*>(c)) w->AlignControls();
    }

private:
    [[noreturn]] void Fail(const std::string& where, const std::string& what, int line) {
        throw Exception("Error reading " + where + " (line " + std::to_string(line) + "): " + what);
    }

    void ReadChild(const FormObject& d, TComponent* parent) {
        const TClassInfo* cls = FindClass(d.className);
        if (!cls || !cls->Create) Fail(d.name, "Class " + d.className + " not found", d.line);
        TComponent* c = cls->Create(&root_);
        c->SetLoading(true);
        loaded_.push_back(c);
        c->SetName(d.name);
        if (auto* control = dynamic_cast<TControl*>(c)) {
            auto* parentControl = dynamic_cast<TWinControl*>(parent);
            if (parentControl)
                control->SetParent(parentControl);
            else if (parent != &root_)
                Fail(d.name, "Parent " + parent->Name() + " cannot hold controls", d.line);
        } else {
            try {
                c->SetParentComponent(parent);
            } catch (const Exception& e) {
                Fail(d.name, e.what(), d.line);
            }
        }
        Apply(*c, d.props, root_.Name() + "." + d.name);
        for (const FormObject& child : d.children) ReadChild(child, c);
    }

    void Apply(TPersistent& obj, const std::vector<FormProperty>& props, const std::string& where) {
        for (const FormProperty& p : props) SetProperty(obj, p, where);
    }

    void SetProperty(TPersistent& obj, const FormProperty& p, const std::string& where) {
        const TPropInfo* info = GetPropInfo(obj, p.name);
        if (!info) Fail(where, "Property " + p.name + " does not exist", p.line);
        // Walk to the object holding the last segment of a dotted name.
        TPersistent* target = &obj;
        std::string_view name = p.name;
        if (size_t dot = name.rfind('.'); dot != std::string_view::npos) {
            target = GetObjectProp(obj, name.substr(0, dot));
            name = name.substr(dot + 1);
        }
        const FormValue& v = p.value;
        switch (info->Kind) {
        case TPropKind::Integer:
            if (v.kind == FormValue::Integer) {
                info->SetOrd(*target, v.integer);
            } else if (v.kind == FormValue::Ident) {
                info->SetOrd(*target, IdentValue(v.text, where, p.line));
            } else {
                Fail(where, "Invalid value for " + p.name, p.line);
            }
            break;
        case TPropKind::Enum:
            if (v.kind == FormValue::Ident) {
                for (size_t i = 0; i < info->EnumNames.size(); ++i)
                    if (SameText(info->EnumNames[i], v.text)) {
                        info->SetOrd(*target, static_cast<int64_t>(i));
                        return;
                    }
                Fail(where, "Invalid value " + v.text + " for " + p.name, p.line);
            } else if (v.kind == FormValue::Integer) {
                info->SetOrd(*target, v.integer);
            } else {
                Fail(where, "Invalid value for " + p.name, p.line);
            }
            break;
        case TPropKind::Set: {
            if (v.kind != FormValue::Set) Fail(where, "Set expected for " + p.name, p.line);
            int64_t bits = 0;
            for (const std::string& n : v.names) {
                bool found = false;
                for (size_t i = 0; i < info->EnumNames.size(); ++i)
                    if (SameText(info->EnumNames[i], n)) {
                        bits |= int64_t{1} << i;
                        found = true;
                    }
                if (!found) Fail(where, "Invalid set element " + n + " for " + p.name, p.line);
            }
            info->SetOrd(*target, bits);
            break;
        }
        case TPropKind::String:
            // A bare name stands for a component of the form (ActivePage = ts1).
            if (v.kind != FormValue::String && v.kind != FormValue::Ident)
                Fail(where, "String expected for " + p.name, p.line);
            info->SetStr(*target, Utf8ToAnsi(v.text));
            break;
        case TPropKind::Strings: {
            if (v.kind != FormValue::List)
                Fail(where, "List of strings expected for " + p.name, p.line);
            std::vector<std::string> lines;
            for (const FormValue& item : v.list) {
                if (item.kind != FormValue::String)
                    Fail(where, "String expected in " + p.name, p.line);
                lines.push_back(Utf8ToAnsi(item.text));
            }
            info->SetStrings(*target, lines);
            break;
        }
        case TPropKind::Binary:
            if (v.kind != FormValue::Binary)
                Fail(where, "Binary data expected for " + p.name, p.line);
            info->SetBinary(*target, v.text);
            break;
        case TPropKind::Event: {
            if (v.kind != FormValue::Ident)
                Fail(where, "Method name expected for " + p.name, p.line);
            TNotifyEvent handler = root_.FindMethod(v.text);
            if (!handler) Fail(where, "Method " + v.text + " not found", p.line);
            info->SetEvent(*target, std::move(handler));
            break;
        }
        case TPropKind::Collection:
            if (v.kind != FormValue::Collection)
                Fail(where, "Collection expected for " + p.name, p.line);
            info->ClearItems(*target);
            for (const auto& item : v.items) {
                TPersistent* added = info->AddItem(*target);
                Apply(*added, item, where + "." + p.name);
            }
            break;
        case TPropKind::Object:
            Fail(where, "Property " + p.name + " is an object", p.line);
        }
    }

    int64_t IdentValue(const std::string& ident, const std::string& where, int line) {
        TColor color;
        if (IdentToColor(ident, color)) return color;
        int cursor;
        if (IdentToCursor(ident, cursor)) return cursor;
        for (const CharsetName& c : kCharsets)
            if (SameText(c.name, ident)) return c.value;
        if (SameText(ident, "True")) return 1;
        if (SameText(ident, "False")) return 0;
        Fail(where, "Unknown identifier " + ident, line);
    }

    TComponent& root_;
    std::vector<TComponent*> loaded_;
};

} // namespace

void ReadForm(TComponent& root, const FormObject& description) {
    Reader(root).Read(description);
}

void ReadFormFromResource(TComponent& root, const std::wstring& resourceName) {
    HMODULE module = GetModuleHandleW(nullptr);
    std::wstring upper = resourceName;
    CharUpperW(upper.data());
    HRSRC res = FindResourceW(module, upper.c_str(), MAKEINTRESOURCEW(10)); // RT_RCDATA
    if (!res) throw Exception("Resource " + Narrow(resourceName) + " not found");
    HGLOBAL data = LoadResource(module, res);
    const char* bytes = static_cast<const char*>(LockResource(data));
    DWORD size = SizeofResource(module, res);
    if (!bytes) throw Exception("Resource " + Narrow(resourceName) + " cannot be loaded");
    FormObject d;
    try {
        d = ParseFormDescription(std::string_view(bytes, size));
    } catch (const FormParseError& e) {
        throw Exception(e.what());
    }
    ReadForm(root, d);
}
