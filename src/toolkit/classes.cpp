#include "toolkit/classes.h"

#include <algorithm>
#include <cstdint>
#include <map>

bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
        if (x != y) return false;
    }
    return true;
}

const TPropInfo* TClassInfo::FindProp(std::string_view name) const {
    for (const TClassInfo* c = this; c; c = c->Parent)
        for (const TPropInfo& p : c->Props)
            if (SameText(p.Name, name)) return &p;
    return nullptr;
}

bool TClassInfo::InheritsFrom(const TClassInfo& other) const {
    for (const TClassInfo* c = this; c; c = c->Parent)
        if (c == &other) return true;
    return false;
}

namespace {
struct NoCaseLess {
    bool operator()(const std::string& a, const std::string& b) const {
        return std::lexicographical_compare(
            a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
                auto lower = [](char c) {
                    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
                };
                return lower(x) < lower(y);
            });
    }
};
std::map<std::string, const TClassInfo*, NoCaseLess>& Registry() {
    static std::map<std::string, const TClassInfo*, NoCaseLess> registry;
    return registry;
}
} // namespace

void RegisterComponentClass(const TClassInfo& info) {
    Registry()[info.Name] = &info;
}

const TClassInfo* FindClass(std::string_view name) {
    auto it = Registry().find(std::string(name));
    return it == Registry().end() ? nullptr : it->second;
}

const TClassInfo& TObject::StaticClass() {
    static const TClassInfo info{"TObject", nullptr, {}, {}};
    return info;
}

const TClassInfo& TPersistent::StaticClass() {
    static const TClassInfo info{"TPersistent", &TObject::StaticClass(), {}, {}};
    return info;
}

// Resolves "A.B.C" to the object that owns property C.
static TPersistent* WalkPath(TPersistent& obj, std::string_view& name) {
    TPersistent* cur = &obj;
    for (size_t dot = name.find('.'); dot != std::string_view::npos; dot = name.find('.')) {
        const TPropInfo* p = cur->Class().FindProp(name.substr(0, dot));
        if (!p || p->Kind != TPropKind::Object) return nullptr;
        cur = p->GetObj(*cur);
        if (!cur) return nullptr;
        name.remove_prefix(dot + 1);
    }
    return cur;
}

const TPropInfo* GetPropInfo(TPersistent& obj, std::string_view name) {
    TPersistent* owner = WalkPath(obj, name);
    return owner ? owner->Class().FindProp(name) : nullptr;
}

bool IsPublishedProp(TPersistent& obj, std::string_view name) {
    return GetPropInfo(obj, name) != nullptr;
}

int64_t GetOrdProp(TPersistent& obj, std::string_view name) {
    TPersistent* owner = WalkPath(obj, name);
    const TPropInfo* p = owner ? owner->Class().FindProp(name) : nullptr;
    return p && p->GetOrd ? p->GetOrd(*owner) : -1;
}

void SetOrdProp(TPersistent& obj, std::string_view name, int64_t value) {
    TPersistent* owner = WalkPath(obj, name);
    const TPropInfo* p = owner ? owner->Class().FindProp(name) : nullptr;
    if (p && p->SetOrd) p->SetOrd(*owner, value);
}

std::string GetStrProp(TPersistent& obj, std::string_view name) {
    TPersistent* owner = WalkPath(obj, name);
    const TPropInfo* p = owner ? owner->Class().FindProp(name) : nullptr;
    return p && p->GetStr ? p->GetStr(*owner) : std::string();
}

namespace {
// Decimal with an optional sign, or "$" / "0x" hexadecimal; the whole text must be a number.
bool ParseInteger(std::string_view text, int64_t& out) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i == text.size()) return false;
    uint64_t v = 0;
    for (; i < text.size(); ++i) {
        char c = text[i];
        int d = c >= '0' && c <= '9'   ? c - '0'
                : c >= 'a' && c <= 'f' ? c - 'a' + 10
                : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                       : 99;
        if (d >= base) return false;
        if (v > (UINT64_MAX - static_cast<uint64_t>(d)) / static_cast<uint64_t>(base)) return false;
        v = v * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
    }
    // Hexadecimal may spell a 32-bit pattern ("$FF000000"); decimal must fit a signed value.
    if (base == 10 && v > static_cast<uint64_t>(INT64_MAX)) return false;
    out = negative ? -static_cast<int64_t>(v) : static_cast<int64_t>(v);
    return true;
}
} // namespace

void SetStrProp(TPersistent& obj, std::string_view name, const std::string& value) {
    TPersistent* owner = WalkPath(obj, name);
    const TPropInfo* p = owner ? owner->Class().FindProp(name) : nullptr;
    if (!p) return;
    switch (p->Kind) {
    case TPropKind::String:
        if (p->SetStr) p->SetStr(*owner, value);
        break;
    case TPropKind::Enum:
        for (size_t i = 0; i < p->EnumNames.size(); ++i)
            if (SameText(p->EnumNames[i], value)) {
                if (p->SetOrd) p->SetOrd(*owner, static_cast<int64_t>(i));
                return;
            }
        break;
    case TPropKind::Integer: {
        int64_t v;
        if (p->SetOrd && ParseInteger(value, v)) p->SetOrd(*owner, v);
        break;
    }
    default:
        break; // sets, objects, data and events are not written from text
    }
}

TPersistent* GetObjectProp(TPersistent& obj, std::string_view name) {
    TPersistent* owner = WalkPath(obj, name);
    const TPropInfo* p = owner ? owner->Class().FindProp(name) : nullptr;
    return p && p->GetObj ? p->GetObj(*owner) : nullptr;
}

std::string GetEnumProp(TPersistent& obj, std::string_view name) {
    const TPropInfo* p = GetPropInfo(obj, name);
    if (!p || p->Kind != TPropKind::Enum) return {};
    int64_t v = GetOrdProp(obj, name);
    return v >= 0 && v < static_cast<int64_t>(p->EnumNames.size())
               ? p->EnumNames[static_cast<size_t>(v)]
               : std::string();
}

void SetEnumProp(TPersistent& obj, std::string_view name, std::string_view value) {
    const TPropInfo* p = GetPropInfo(obj, name);
    if (!p || p->Kind != TPropKind::Enum) return;
    for (size_t i = 0; i < p->EnumNames.size(); ++i)
        if (SameText(p->EnumNames[i], value)) SetOrdProp(obj, name, static_cast<int64_t>(i));
}

const TClassInfo& TComponent::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TComponent>("TComponent", TPersistent::StaticClass())
            .Str(
                "Name", [](TComponent& c) { return c.Name(); },
                [](TComponent& c, const std::string& v) { c.SetName(v); })
            .Int(
                "Tag", [](TComponent& c) { return c.Tag(); },
                [](TComponent& c, int64_t v) { c.SetTag(static_cast<intptr_t>(v)); })
            .Build();
    return info;
}

TComponent::TComponent(TComponent* owner) : owner_(owner) {
    if (owner_) {
        owner_->components_.push_back(this);
        owner_->Notification(this, opInsert);
    }
}

void TComponent::operator delete(TComponent* p, std::destroying_delete_t) {
    // The hierarchy is single inheritance from TComponent, so this is the allocation too; the
    // cast keeps that true should it ever change.
    void* memory = dynamic_cast<void*>(p);
    if (!p->beforeDestructionDone_) {
        p->beforeDestructionDone_ = true;
        p->BeforeDestruction();
    }
    p->~TComponent();
    ::operator delete(memory);
}

void TComponent::Destroying() {
    if (destroying_) return;
    destroying_ = true;
    for (TComponent* c : components_) c->Destroying();
}

void TComponent::BeforeDestruction() {
    Destroying();
    // Listeners may unlink themselves (or others) while being told.
    while (!freeNotifies_.empty()) {
        TComponent* other = freeNotifies_.back();
        freeNotifies_.pop_back();
        auto& back = other->freeNotifies_;
        back.erase(std::remove(back.begin(), back.end(), this), back.end());
        other->Notification(this, opRemove);
    }
    if (owner_ && !owner_->destroying_) owner_->Notification(this, opRemove);
    DestroyComponents();
}

TComponent::~TComponent() {
    destroying_ = true;
    RemoveNotificationLinks();
    DestroyComponents();
    if (owner_) {
        auto& list = owner_->components_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
}

void TComponent::RemoveNotificationLinks() {
    for (TComponent* other : freeNotifies_) {
        auto& back = other->freeNotifies_;
        back.erase(std::remove(back.begin(), back.end(), this), back.end());
    }
    freeNotifies_.clear();
}

void TComponent::FreeNotification(TComponent* other) {
    if (!other || other == this) return;
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), other) == freeNotifies_.end())
        freeNotifies_.push_back(other);
    if (std::find(other->freeNotifies_.begin(), other->freeNotifies_.end(), this) ==
        other->freeNotifies_.end())
        other->freeNotifies_.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* other) {
    if (!other) return;
    freeNotifies_.erase(std::remove(freeNotifies_.begin(), freeNotifies_.end(), other),
                        freeNotifies_.end());
    auto& back = other->freeNotifies_;
    back.erase(std::remove(back.begin(), back.end(), this), back.end());
}

void TComponent::Notification(TComponent* component, TOperation operation) {
    if (destroying_) return;
    if (operation == opRemove && component) RemoveFreeNotification(component);
    // A copy: a component told may free others.
    std::vector<TComponent*> owned = components_;
    for (TComponent* c : owned)
        if (c != component &&
            std::find(components_.begin(), components_.end(), c) != components_.end())
            c->Notification(component, operation);
}

void TComponent::DestroyComponents() {
    while (!components_.empty()) {
        TComponent* c = components_.back();
        delete c;
        // A component whose destructor did not unlink itself (never happens through delete)
        // must not loop forever.
        if (!components_.empty() && components_.back() == c) components_.pop_back();
    }
}

TComponent* TComponent::FindComponent(std::string_view name) const {
    if (name.empty()) return nullptr;
    for (TComponent* c : components_)
        if (SameText(c->Name(), name)) return c;
    return nullptr;
}
