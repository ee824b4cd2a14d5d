#include "framework/Component.h"
#include "base/SysUtils.h"
#include <algorithm>
#include <cstring>

int TEnumInfo::IndexOf(const std::string& name) const {
    for (int i = 0; i < Count; ++i)
        if (name == Names[i]) return i;
    return -1;
}

// ---- TComponent ----------------------------------------------------------------------------

TComponent::TComponent(TComponent* owner) {
    if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
    FComponentState |= csDestroying;
    // Everyone that holds a reference to us hears of our end first.
    while (!FFreeNotifies.empty()) {
        TComponent* c = FFreeNotifies.back();
        FFreeNotifies.pop_back();
        auto& back = c->FFreeNotifies;
        back.erase(std::remove(back.begin(), back.end(), this), back.end());
        c->Notification(this, opRemove);
    }
    DestroyComponents();
    if (FOwner) FOwner->RemoveComponent(this);
}

void TComponent::SetName(const std::string& name) {
    if (name == FName) return;
    if (FOwner && !name.empty()) {
        TComponent* other = FOwner->FindComponent(name);
        if (other && other != this) throw Exception("A component named " + name + " already exists");
    }
    FName = name;
}

void TComponent::SetDesigning(bool on) {
    if (on) FComponentState |= csDesigning; else FComponentState &= ~csDesigning;
    for (TComponent* c : FComponents) c->SetDesigning(on);
}

TComponent* TComponent::FindComponent(const std::string& name) const {
    if (name.empty()) return nullptr;
    for (TComponent* c : FComponents)
        if (c->FName.size() == name.size() &&
            std::equal(name.begin(), name.end(), c->FName.begin(),
                       [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) ==
                                                   std::tolower(static_cast<unsigned char>(b)); }))
            return c;
    return nullptr;
}

void TComponent::InsertComponent(TComponent* c) {
    if (c->FOwner) c->FOwner->RemoveComponent(c);
    FComponents.push_back(c);
    c->FOwner = this;
    Notification(c, opInsert);
}

void TComponent::RemoveComponent(TComponent* c) {
    auto it = std::find(FComponents.begin(), FComponents.end(), c);
    if (it == FComponents.end()) return;
    FComponents.erase(it);
    c->FOwner = nullptr;
    // Siblings may refer to it (a button to its bitmap list), so all of them hear of it.
    Notification(c, opRemove);
    for (TComponent* s : FComponents) s->Notification(c, opRemove);
}

void TComponent::DestroyComponents() {
    // A component may free others (a control its children); each leaves the list itself.
    while (!FComponents.empty()) {
        TComponent* c = FComponents.back();
        delete c;
    }
}

void TComponent::FreeNotification(TComponent* c) {
    if (!c || c == this) return;
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), c) == FFreeNotifies.end()) {
        FFreeNotifies.push_back(c);
        c->FFreeNotifies.push_back(this);
    }
}

void TComponent::RemoveFreeNotification(TComponent* c) {
    if (!c) return;
    FFreeNotifies.erase(std::remove(FFreeNotifies.begin(), FFreeNotifies.end(), c), FFreeNotifies.end());
    c->FFreeNotifies.erase(std::remove(c->FFreeNotifies.begin(), c->FFreeNotifies.end(), this), c->FFreeNotifies.end());
}

void TComponent::Notification(TComponent* c, TOperation op) {}

void TComponent::GetChildren(TFunctionRef<void(TComponent*)> proc, TComponent* root) {
    if (root != this) return;
    for (TComponent* c : FComponents)
        if (!c->GetParentComponent()) proc(c);
}

void TComponent::Loaded() { SetLoading(false); }

void TComponent::RegisterMethod(const std::string& name, std::function<void(TObject*)> handler) {
    FMethods[name] = std::move(handler);
}

const std::function<void(TObject*)>* TComponent::FindMethod(const std::string& name) const {
    auto it = FMethods.find(name);
    return it == FMethods.end() ? nullptr : &it->second;
}

void TComponent::Properties(TPropFiler& filer) {
    filer.Integer("Tag", FTag, [this](int32_t v) { FTag = v; }, 0);
}

// ---- class registry --------------------------------------------------------------------------

static std::map<std::string, TComponentFactory>& Registry() {
    static std::map<std::string, TComponentFactory> registry;
    return registry;
}

void RegisterComponentClass(const char* name, TComponentFactory factory) { Registry()[name] = factory; }

TComponentFactory FindComponentClass(const std::string& name) {
    auto it = Registry().find(name);
    return it == Registry().end() ? nullptr : it->second;
}

// ---- reading ---------------------------------------------------------------------------------

namespace {

struct TFixup {
    std::function<void(TComponent*)> Set;
    std::string Target;
    std::string Property;
};

// Applies one stored property: visits the object's properties and acts on the one named.
class TPropReader : public TPropFiler {
public:
    TPropReader(const std::string& name, const TFormValue& value, TComponent* root, std::vector<TFixup>& fixups)
        : FTarget(name), FValue(value), FRoot(root), FFixups(fixups) {}
    bool Done() const { return FDone; }

    void Integer(const char* name, int32_t, TFunctionRef<void(int32_t)> set, std::optional<int32_t>) override {
        if (Match(name)) set(FValue.AsInteger(FTarget));
    }
    void Boolean(const char* name, bool, TFunctionRef<void(bool)> set, std::optional<bool>) override {
        if (Match(name)) set(FValue.AsBoolean(FTarget));
    }
    void IntegerIdent(const char* name, int32_t, const TIntIdentMap& map, TFunctionRef<void(int32_t)> set,
                      std::optional<int32_t>) override {
        if (!Match(name)) return;
        if (FValue.Kind == TValueKind::vkIdent) {
            int32_t v;
            if (!map.ValueOf(FValue.Str, v)) throw EReadError("Invalid property value: " + FValue.Str + " for " + FTarget);
            set(v);
        } else {
            set(FValue.AsInteger(FTarget));
        }
    }
    void String(const char* name, const std::string&, TFunctionRef<void(const std::string&)> set, bool) override {
        if (Match(name)) set(FValue.AsString(FTarget));
    }
    void Enum(const char* name, int, const TEnumInfo& info, TFunctionRef<void(int)> set, std::optional<int>) override {
        if (!Match(name)) return;
        int i = info.IndexOf(FValue.AsIdent(FTarget));
        if (i < 0) throw EReadError("Invalid property value: " + FValue.Str + " for " + FTarget);
        set(i);
    }
    void Set(const char* name, uint32_t, const TEnumInfo& info, TFunctionRef<void(uint32_t)> set,
             std::optional<uint32_t>) override {
        if (!Match(name)) return;
        if (FValue.Kind != TValueKind::vkSet) throw EReadError("Invalid property value: " + FTarget + " expects a set");
        uint32_t bits = 0;
        for (const auto& n : FValue.Names) {
            int i = info.IndexOf(n);
            if (i < 0 || i >= 32) throw EReadError("Invalid property value: " + n + " for " + FTarget);
            bits |= 1u << i;
        }
        set(bits);
    }
    void Color(const char* name, TColor, TFunctionRef<void(TColor)> set, std::optional<TColor>) override {
        if (!Match(name)) return;
        if (FValue.Kind == TValueKind::vkIdent) {
            TColor c;
            if (!IdentToColor(FValue.Str, c)) throw EReadError("Invalid property value: " + FValue.Str + " for " + FTarget);
            set(c);
        } else {
            set(FValue.AsInteger(FTarget));
        }
    }
    void Strings(const char* name, TStringList& list) override {
        if (FDone || FTarget != std::string(name) + ".Strings") return;
        FDone = true;
        list.Assign(FValue.AsStrings(FTarget));
    }
    void Object(const char* name, TPersistent& obj, bool) override {
        if (FDone) return;
        size_t n = std::strlen(name);
        if (FTarget.size() <= n + 1 || FTarget.compare(0, n, name) != 0 || FTarget[n] != '.') return;
        TPropReader inner(FTarget.substr(n + 1), FValue, FRoot, FFixups);
        obj.Properties(inner);
        if (!inner.Done()) obj.DefineProperties(inner);
        if (!inner.Done()) throw EReadError("Property " + FTarget + " does not exist");
        FDone = true;
    }
    void Component(const char* name, TComponent*, const std::function<void(TComponent*)>& set) override {
        if (!Match(name)) return;
        if (FValue.Kind == TValueKind::vkNil) { set(nullptr); return; }
        FFixups.push_back({set, FValue.AsIdent(FTarget), FTarget});
    }
    void Event(const char* name, TNotifyEvent& event) override {
        if (!Match(name)) return;
        if (FValue.Kind == TValueKind::vkNil) { event = TNotifyEvent(); return; }
        const std::string& method = FValue.AsIdent(FTarget);
        const std::function<void(TObject*)>* fn = FRoot ? FRoot->FindMethod(method) : nullptr;
        if (!fn) throw EReadError("Method " + method + " of " + FTarget + " not found");
        event = TNotifyEvent(method, *fn);
    }
    void DefineProperty(const char* name, TFunctionRef<void(const TFormValue&)> read,
                        TFunctionRef<TFormValue()>, bool) override {
        if (Match(name)) read(FValue);
    }
    void DefineBinaryProperty(const char* name, TFunctionRef<void(TStream&)> read, bool) override {
        if (!Match(name)) return;
        const std::string& bytes = FValue.AsBinary(FTarget);
        TMemoryStream m;
        m.WriteBuffer(bytes.data(), bytes.size());
        m.SetPosition(0);
        read(m);
        if (m.Remaining() != 0) throw EReadError("Property " + FTarget + " holds more data than its reader takes");
    }

private:
    bool Match(const char* name) {
        if (FDone || FTarget != name) return false;
        FDone = true;
        return true;
    }
    std::string FTarget;
    const TFormValue& FValue;
    TComponent* FRoot;
    std::vector<TFixup>& FFixups;
    bool FDone = false;
};

void ApplyProperties(TPersistent& obj, const TFormObject& res, TComponent* root, std::vector<TFixup>& fixups) {
    for (const auto& p : res.Properties) {
        TPropReader r(p.Name, p.Value, root, fixups);
        obj.Properties(r);
        if (!r.Done()) obj.DefineProperties(r);
        if (!r.Done())
            throw EReadError("Error reading " + (res.Name.empty() ? res.ClassName : res.Name) + "." + p.Name +
                             ": Property " + p.Name + " does not exist");
    }
}

}  // namespace

class TComponentReader {
public:
    explicit TComponentReader(TComponent& root) : FRoot(root) {}

    void Read(const TFormObject& res) {
        if (res.ClassName != FRoot.ClassName())
            throw EReadError("Form resource of class " + res.ClassName + " cannot fill a " + FRoot.ClassName());
        FRoot.SetLoading(true);
        FLoaded.push_back(&FRoot);
        if (!res.Name.empty()) FRoot.SetName(res.Name);
        ApplyProperties(FRoot, res, &FRoot, FFixups);
        for (const auto& c : res.Children) ReadChild(c, &FRoot);
        for (const auto& f : FFixups) {
            TComponent* target = FRoot.FindComponent(f.Target);
            if (!target && f.Target == FRoot.Name()) target = &FRoot;
            if (!target) throw EReadError("Invalid reference " + f.Target + " in " + f.Property);
            f.Set(target);
        }
        for (TComponent* c : FLoaded) c->Loaded();
    }

private:
    void ReadChild(const TFormObject& res, TComponent* parent) {
        TComponent* c = FRoot.FindComponent(res.Name);
        if (!c) {
            TComponentFactory factory = FindComponentClass(res.ClassName);
            if (!factory) throw EReadError("Class " + res.ClassName + " not found");
            c = factory(&FRoot);
            try {
                c->SetName(res.Name);
            } catch (...) {
                delete c;
                throw;
            }
        } else if (res.ClassName != c->ClassName()) {
            throw EReadError("Component " + res.Name + " is a " + c->ClassName() + ", not a " + res.ClassName);
        }
        c->SetLoading(true);
        FLoaded.push_back(c);
        if (parent != &FRoot || c->GetParentComponent() == nullptr) c->SetParentComponent(parent);
        ApplyProperties(*c, res, &FRoot, FFixups);
        for (const auto& child : res.Children) ReadChild(child, c);
    }

    TComponent& FRoot;
    std::vector<TFixup> FFixups;
    std::vector<TComponent*> FLoaded;
};

void ReadComponentResource(TComponent& root, const TFormObject& resource) { TComponentReader(root).Read(resource); }

void ReadComponentResource(TComponent& root, const void* data, size_t size) {
    ReadComponentResource(root, FormFromBinary(data, size));
}

void ReadComponentProperties(TPersistent& obj, const TFormObject& resource, TComponent* root) {
    std::vector<TFixup> fixups;
    ApplyProperties(obj, resource, root, fixups);
    for (const auto& f : fixups) {
        TComponent* target = root ? root->FindComponent(f.Target) : nullptr;
        if (!target) throw EReadError("Invalid reference " + f.Target + " in " + f.Property);
        f.Set(target);
    }
}

// ---- writing ---------------------------------------------------------------------------------

namespace {

struct TBinaryWriterEntry {
    std::string Property;
    TBinaryPropertyWriter Write;
};

std::vector<TBinaryWriterEntry>& BinaryWriters() {
    static std::vector<TBinaryWriterEntry> writers;
    return writers;
}

bool WriteBinaryProperty(const char* name, TPersistent& obj, TStream& stream) {
    for (const TBinaryWriterEntry& e : BinaryWriters())
        if (e.Property == name && e.Write(obj, stream)) return true;
    return false;
}

class TPropWriter : public TPropFiler {
public:
    TPropWriter(std::vector<TFormProperty>& out, TPersistent& object, std::string prefix = "")
        : FOut(out), FObject(object), FPrefix(std::move(prefix)) {}

    void Integer(const char* name, int32_t value, TFunctionRef<void(int32_t)>, std::optional<int32_t> def) override {
        if (!def || *def != value) Put(name, TFormValue::Integer(value));
    }
    void Boolean(const char* name, bool value, TFunctionRef<void(bool)>, std::optional<bool> def) override {
        if (!def || *def != value) Put(name, TFormValue::Boolean(value));
    }
    void IntegerIdent(const char* name, int32_t value, const TIntIdentMap& map, TFunctionRef<void(int32_t)>,
                      std::optional<int32_t> def) override {
        if (def && *def == value) return;
        const char* n = map.NameOf(value);
        Put(name, n ? TFormValue::Ident(n) : TFormValue::Integer(value));
    }
    void String(const char* name, const std::string& value, TFunctionRef<void(const std::string&)>,
                bool alwaysWritten) override {
        if (alwaysWritten || !value.empty()) Put(name, TFormValue::String(value));
    }
    void Enum(const char* name, int value, const TEnumInfo& info, TFunctionRef<void(int)>, std::optional<int> def) override {
        if (def && *def == value) return;
        if (value < 0 || value >= info.Count) throw EWriteError(std::string("Invalid value of ") + name);
        Put(name, TFormValue::Ident(info.Names[value]));
    }
    void Set(const char* name, uint32_t value, const TEnumInfo& info, TFunctionRef<void(uint32_t)>,
             std::optional<uint32_t> def) override {
        if (def && *def == value) return;
        std::vector<std::string> names;
        for (int i = 0; i < info.Count && i < 32; ++i)
            if (value & (1u << i)) names.push_back(info.Names[i]);
        Put(name, TFormValue::Set(names));
    }
    void Color(const char* name, TColor value, TFunctionRef<void(TColor)>, std::optional<TColor> def) override {
        if (def && *def == value) return;
        std::string ident;
        Put(name, ColorToIdent(value, ident) ? TFormValue::Ident(ident) : TFormValue::Integer(value));
    }
    void Strings(const char* name, TStringList& list) override {
        if (list.Count() > 0) Put(std::string(name) + ".Strings", TFormValue::Strings(list.Items()));
    }
    void Object(const char* name, TPersistent& obj, bool stored) override {
        if (!stored) return;
        TPropWriter inner(FOut, obj, FPrefix + name + ".");
        obj.Properties(inner);
        obj.DefineProperties(inner);
    }
    void Component(const char* name, TComponent* value, const std::function<void(TComponent*)>&) override {
        if (value && !value->Name().empty()) Put(name, TFormValue::Ident(value->Name()));
    }
    void Event(const char* name, TNotifyEvent& event) override {
        if (!event.Name.empty()) Put(name, TFormValue::Ident(event.Name));
    }
    void DefineProperty(const char* name, TFunctionRef<void(const TFormValue&)>,
                        TFunctionRef<TFormValue()> write, bool hasData) override {
        if (hasData) Put(name, write());
    }
    void DefineBinaryProperty(const char* name, TFunctionRef<void(TStream&)>, bool hasData) override {
        if (!hasData) return;
        TMemoryStream m;
        if (!WriteBinaryProperty(name, FObject, m))
            throw EWriteError(std::string("No writer for property ") + name + " of " + FObject.ClassName());
        Put(name, TFormValue::Binary(std::string(reinterpret_cast<const char*>(m.Memory()), static_cast<size_t>(m.Size()))));
    }

private:
    void Put(const std::string& name, TFormValue v) { FOut.push_back({FPrefix + name, std::move(v)}); }
    std::vector<TFormProperty>& FOut;
    TPersistent& FObject;
    std::string FPrefix;
};

TFormObject WriteOne(TPersistent& obj, const std::string& name) {
    TFormObject o;
    o.ClassName = obj.ClassName();
    o.Name = name;
    TPropWriter w(o.Properties, obj);
    obj.Properties(w);
    obj.DefineProperties(w);
    return o;
}

TFormObject WriteTree(TComponent& c, TComponent& root, int depth) {
    if (depth > KMaxFormDepth) throw EWriteError("Components nested too deeply");
    TFormObject o = WriteOne(c, c.Name());
    c.GetChildren([&](TComponent* child) { o.Children.push_back(WriteTree(*child, root, depth + 1)); }, &root);
    return o;
}

}  // namespace

void RegisterBinaryPropertyWriter(const char* property, TBinaryPropertyWriter writer) {
    for (const TBinaryWriterEntry& e : BinaryWriters())
        if (e.Property == property && e.Write == writer) return;
    BinaryWriters().push_back({property, writer});
}

TFormObject WriteComponentResource(TComponent& root) { return WriteTree(root, root, 0); }

TFormObject WriteComponentProperties(TPersistent& obj, const std::string& name) { return WriteOne(obj, name); }

