#pragma once
// Root classes of the toolkit: run-time class information with published properties that are
// read and written by name, and components with an owner, a name and a Tag.
//
// Missing properties are never an error: an ordinal reads as -1, a string as empty, an object
// as null, and writing one does nothing.
#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

// GCC 12 pairs a class's destroying operator delete with the global operator new in inlined
// deleting destructors and warns of a mismatch that is not there.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

class TObject;
class TPersistent;
class TComponent;

using TNotifyEvent = std::function<void(TObject* sender)>;

enum class TPropKind { Integer, Enum, Set, String, Object, Binary, Strings, Event, Collection };

struct TPropInfo {
    std::string Name;
    TPropKind Kind = TPropKind::Integer;
    std::vector<std::string> EnumNames; // Enum values, or the element names of a Set (bit i)
    std::function<int64_t(TPersistent&)> GetOrd;
    std::function<void(TPersistent&, int64_t)> SetOrd;
    std::function<std::string(TPersistent&)> GetStr;
    std::function<void(TPersistent&, const std::string&)> SetStr;
    std::function<TPersistent*(TPersistent&)> GetObj;
    std::function<std::string(TPersistent&)> GetBinary;
    std::function<void(TPersistent&, const std::string&)> SetBinary;
    std::function<std::vector<std::string>(TPersistent&)> GetStrings;
    std::function<void(TPersistent&, const std::vector<std::string>&)> SetStrings;
    std::function<void(TPersistent&, TNotifyEvent)> SetEvent;
    std::function<TPersistent*(TPersistent&)> AddItem; // Collection: appends and returns an item
    std::function<void(TPersistent&)> ClearItems;
};

struct TClassInfo {
    std::string Name;
    const TClassInfo* Parent = nullptr;
    std::vector<TPropInfo> Props;
    // Creates an instance for the form reader; empty for classes that cannot be streamed.
    std::function<TComponent*(TComponent* owner)> Create;

    // Case-insensitive, own class first, then the ancestors.
    const TPropInfo* FindProp(std::string_view name) const;
    bool InheritsFrom(const TClassInfo& other) const;
};

// Makes a class known to the form reader under its class name.
void RegisterComponentClass(const TClassInfo& info);
const TClassInfo* FindClass(std::string_view name);

// Declares the run-time class information of a toolkit class.
#define TOOLKIT_CLASS(T)                                                                           \
public:                                                                                            \
    static const TClassInfo& StaticClass();                                                        \
    const TClassInfo& Class() const override {                                                     \
        return StaticClass();                                                                      \
    }

class TObject {
public:
    virtual ~TObject() = default;
    static const TClassInfo& StaticClass();
    virtual const TClassInfo& Class() const { return StaticClass(); }
    const std::string& ClassName() const { return Class().Name; }
    bool InheritsFrom(const TClassInfo& info) const { return Class().InheritsFrom(info); }
};

class TPersistent : public TObject {
    TOOLKIT_CLASS(TPersistent)
};

// Builds a class's information: typed accessors are written as lambdas on the concrete class.
template <typename T> class TClassBuilder {
public:
    TClassBuilder(std::string name, const TClassInfo& parent) {
        info_.Name = std::move(name);
        info_.Parent = &parent;
    }
    template <typename G, typename S> TClassBuilder& Int(std::string name, G get, S set) {
        TPropInfo p;
        p.Name = std::move(name);
        p.Kind = TPropKind::Integer;
        p.GetOrd = [get](TPersistent& o) -> int64_t { return get(static_cast<T&>(o)); };
        p.SetOrd = [set](TPersistent& o, int64_t v) { set(static_cast<T&>(o), v); };
        info_.Props.push_back(std::move(p));
        return *this;
    }
    template <typename G, typename S>
    TClassBuilder& Enum(std::string name, std::vector<std::string> names, G get, S set) {
        TPropInfo p;
        p.Name = std::move(name);
        p.Kind = TPropKind::Enum;
        p.EnumNames = std::move(names);
        p.GetOrd = [get](TPersistent& o) -> int64_t {
            return static_cast<int64_t>(get(static_cast<T&>(o)));
        };
        p.SetOrd = [set](TPersistent& o, int64_t v) { set(static_cast<T&>(o), v); };
        info_.Props.push_back(std::move(p));
        return *this;
    }
    template <typename G, typename S> TClassBuilder& Bool(std::string name, G get, S set) {
        return Enum(std::move(name), {"False", "True"}, get,
                    [set](T& o, int64_t v) { set(o, v != 0); });
    }
    template <typename G, typename S>
    TClassBuilder& Set(std::string name, std::vector<std::string> names, G get, S set) {
        TPropInfo p;
        p.Name = std::move(name);
        p.Kind = TPropKind::Set;
        p.EnumNames = std::move(names);
        p.GetOrd = [get](TPersistent& o) -> int64_t { return get(static_cast<T&>(o)); };
        p.SetOrd = [set](TPersistent& o, int64_t v) { set(static_cast<T&>(o), v); };
        info_.Props.push_back(std::move(p));
        return *this;
    }
    template <typename G, typename S> TClassBuilder& Str(std::string name, G get, S set) {
        TPropInfo p;
        p.Name = std::move(name);
        p.Kind = TPropKind::String;
        p.GetStr = [get](TPersistent& o) { return std::string(get(static_cast<T&>(o))); };
        p.SetStr = [set](TPersistent& o, const std::string& v) { set(static_cast<T&>(o), v); };
        info_.Props.push_back(std::move(p));
        return *this;
    }
    template <typename G> TClassBuilder& Obj(std::string name, G get) {
        TPropInfo p;
        p.Name = std::move(name);
        p.Kind = TPropKind::Object;
        p.GetObj = [get](TPersistent& o) -> TPersistent* { return get(static_cast<T&>(o)); };
        info_.Props.push_back(std::move(p));
        return *this;
    }
    template <typename G, typename S> TClassBuilder& Binary(std::string name, G get, S set) {
        TPropInfo p;
        p.Name = std::move(name);
        p.Kind = TPropKind::Binary;
        p.GetBinary = [get](TPersistent& o) { return std::string(get(static_cast<T&>(o))); };
        p.SetBinary = [set](TPersistent& o, const std::string& v) { set(static_cast<T&>(o), v); };
        info_.Props.push_back(std::move(p));
        return *this;
    }
    template <typename G, typename S> TClassBuilder& Strings(std::string name, G get, S set) {
        TPropInfo p;
        p.Name = std::move(name);
        p.Kind = TPropKind::Strings;
        p.GetStrings = [get](TPersistent& o) { return get(static_cast<T&>(o)); };
        p.SetStrings = [set](TPersistent& o, const std::vector<std::string>& v) {
            set(static_cast<T&>(o), v);
        };
        info_.Props.push_back(std::move(p));
        return *this;
    }
    template <typename S> TClassBuilder& Event(std::string name, S set) {
        TPropInfo p;
        p.Name = std::move(name);
        p.Kind = TPropKind::Event;
        p.SetEvent = [set](TPersistent& o, TNotifyEvent e) {
            set(static_cast<T&>(o), std::move(e));
        };
        info_.Props.push_back(std::move(p));
        return *this;
    }
    template <typename A, typename C> TClassBuilder& Collection(std::string name, A add, C clear) {
        TPropInfo p;
        p.Name = std::move(name);
        p.Kind = TPropKind::Collection;
        p.AddItem = [add](TPersistent& o) -> TPersistent* { return add(static_cast<T&>(o)); };
        p.ClearItems = [clear](TPersistent& o) { clear(static_cast<T&>(o)); };
        info_.Props.push_back(std::move(p));
        return *this;
    }
    // The class can be created by the form reader.
    TClassBuilder& Creatable() {
        info_.Create = [](TComponent* owner) -> TComponent* { return new T(owner); };
        return *this;
    }
    TClassInfo Build() { return std::move(info_); }

private:
    TClassInfo info_;
};

// Reading and writing published properties by name. Dotted names ("Font.Name") walk objects.
const TPropInfo* GetPropInfo(TPersistent& obj, std::string_view name);
bool IsPublishedProp(TPersistent& obj, std::string_view name);
int64_t GetOrdProp(TPersistent& obj, std::string_view name);
void SetOrdProp(TPersistent& obj, std::string_view name, int64_t value);
std::string GetStrProp(TPersistent& obj, std::string_view name);
void SetStrProp(TPersistent& obj, std::string_view name, const std::string& value);
TPersistent* GetObjectProp(TPersistent& obj, std::string_view name);
std::string GetEnumProp(TPersistent& obj, std::string_view name);
void SetEnumProp(TPersistent& obj, std::string_view name, std::string_view value);

enum TOperation { opInsert, opRemove };

// Components own the components created with them as owner. Lifetime rules:
// - `delete` on a component first runs BeforeDestruction while the object is whole (its most
//   derived members alive, its virtual functions its own): windowed controls destroy their window
//   there, so every WindowProc hook sees WM_DESTROY and WM_NCDESTROY; then the components that
//   asked for FreeNotification and the owner hear Notification(this, opRemove); then the owned
//   components are deleted, newest first, while the owner is still whole. Only then do the
//   destructors run.
// - A component on the stack skips BeforeDestruction; its owned components are deleted from
//   ~TComponent, after the derived parts are gone.
class TComponent : public TPersistent {
    TOOLKIT_CLASS(TComponent)
public:
    explicit TComponent(TComponent* owner);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    // Runs BeforeDestruction on the whole object, then the destructors.
    void operator delete(TComponent* p, std::destroying_delete_t);
    // The pair a constructor that throws frees its memory with.
    static void* operator new(std::size_t size) { return ::operator new(size); }
    static void operator delete(void* p) noexcept { ::operator delete(p); }

    TComponent* Owner() const { return owner_; }
    const std::string& Name() const { return name_; }
    virtual void SetName(const std::string& name) { name_ = name; }
    intptr_t Tag() const { return tag_; }
    void SetTag(intptr_t tag) { tag_ = tag; }

    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* Components(int i) const { return components_[static_cast<size_t>(i)]; }
    // Case-insensitive, like the form reader's names.
    TComponent* FindComponent(std::string_view name) const;

    // Called on every owned component once the form reader has set all properties.
    virtual void Loaded() {}
    bool IsLoading() const { return loading_; }
    void SetLoading(bool loading) { loading_ = loading; }
    // True from the start of destruction on (also for the owned components).
    bool IsDestroying() const { return destroying_; }

    // `other` is told Notification(this, opRemove) when this component goes; both directions
    // are forgotten when either is freed. Calling it twice registers once.
    void FreeNotification(TComponent* other);
    void RemoveFreeNotification(TComponent* other);

    // The form reader hands a component that is not a control the component its block lies in
    // (the root for top-level blocks); menu items join their menu or parent item here.
    virtual void SetParentComponent(TComponent* parent) {}

    // Methods the form reader can bind to events by name ("btn1Click").
    virtual TNotifyEvent FindMethod(std::string_view name) { return nullptr; }

protected:
    // A component was inserted into or is being removed from this component's ownership, or a
    // component this one asked to be told about is being freed. The default passes it on to
    // the owned components (not while destroying).
    virtual void Notification(TComponent* component, TOperation operation);
    // The first step of `delete`, on the whole object; overrides call the inherited one last.
    virtual void BeforeDestruction();
    // Marks this component and its owned ones as being destroyed.
    virtual void Destroying();
    // Frees owned components first, newest first.
    void DestroyComponents();

private:
    void RemoveNotificationLinks();
    TComponent* owner_;
    std::string name_;
    intptr_t tag_ = 0;
    bool loading_ = false;
    bool destroying_ = false;
    bool beforeDestructionDone_ = false;
    std::vector<TComponent*> components_;
    std::vector<TComponent*> freeNotifies_; // both directions: whoever must hear of the other
};

bool SameText(std::string_view a, std::string_view b);
