// The component model: persistent objects with streamed properties, components with an owner,
// a name, owned components and notifications, and the registry of classes by name.
#pragma once
#include "base/FunctionRef.h"
#include "framework/Events.h"
#include "framework/FormResource.h"
#include "framework/Strings.h"
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

class TComponent;
class TPersistent;

// Names of an enumeration's values, by ordinal; also used for the members of sets.
struct TEnumInfo {
    const char* const* Names;
    int Count;
    int IndexOf(const std::string& name) const;
};

#include "framework/Colors.h"

// Integers that have names (cursors, character sets), written by name when they have one.
struct TIntIdent { int32_t Value; const char* Name; };
struct TIntIdentMap {
    const TIntIdent* Items;
    int Count;
    const char* NameOf(int32_t v) const { for (int i = 0; i < Count; ++i) if (Items[i].Value == v) return Items[i].Name; return nullptr; }
    bool ValueOf(const std::string& n, int32_t& v) const { for (int i = 0; i < Count; ++i) if (n == Items[i].Name) { v = Items[i].Value; return true; } return false; }
};

// One visitor walks the properties of an object, for reading and for writing, so that each
// class lists its properties once. Published properties come first (Properties), then the
// defined ones (DefineProperties). A published property with a default is written only when
// its value differs; one without a default is always written.
class TPropFiler {
public:
    virtual ~TPropFiler() = default;
    virtual void Integer(const char* name, int32_t value, TFunctionRef<void(int32_t)> set,
                         std::optional<int32_t> def) = 0;
    virtual void IntegerIdent(const char* name, int32_t value, const TIntIdentMap& map,
                              TFunctionRef<void(int32_t)> set, std::optional<int32_t> def) = 0;
    virtual void Boolean(const char* name, bool value, TFunctionRef<void(bool)> set,
                         std::optional<bool> def) = 0;
    // Strings default to empty unless always written.
    virtual void String(const char* name, const std::string& value,
                        TFunctionRef<void(const std::string&)> set, bool alwaysWritten = false) = 0;
    virtual void Enum(const char* name, int value, const TEnumInfo& info, TFunctionRef<void(int)> set,
                      std::optional<int> def) = 0;
    virtual void Set(const char* name, uint32_t value, const TEnumInfo& info,
                     TFunctionRef<void(uint32_t)> set, std::optional<uint32_t> def) = 0;
    virtual void Color(const char* name, TColor value, TFunctionRef<void(TColor)> set,
                       std::optional<TColor> def) = 0;
    // Streamed as name + ".Strings", a list of strings; written only when not empty.
    virtual void Strings(const char* name, TStringList& list) = 0;
    // A nested persistent object (Font): its properties are streamed as name + "." + property.
    virtual void Object(const char* name, TPersistent& obj, bool stored = true) = 0;
    // A reference to another component of the same form, by name; resolved after loading.
    virtual void Component(const char* name, TComponent* value, const std::function<void(TComponent*)>& set) = 0;
    virtual void Event(const char* name, TNotifyEvent& event) = 0;

    // Defined properties: data that is not a published property, under its own name. A binary
    // one is written by the writer registered for it (RegisterBinaryPropertyWriter).
    virtual void DefineProperty(const char* name, TFunctionRef<void(const TFormValue&)> read,
                                TFunctionRef<TFormValue()> write, bool hasData) = 0;
    virtual void DefineBinaryProperty(const char* name, TFunctionRef<void(TStream&)> read, bool hasData) = 0;
};

class TPersistent : public TObject {
public:
    KESTRIN_CLASS(TPersistent)
    virtual void Properties(TPropFiler& filer) {}
    virtual void DefineProperties(TPropFiler& filer) {}
};

enum TOperation { opInsert, opRemove };

enum : unsigned {
    csLoading = 1, csReading = 2, csDestroying = 4, csDesigning = 8,
};

using TMethodTable = std::map<std::string, std::function<void(TObject*)>>;

class TComponent : public TPersistent {
public:
    KESTRIN_CLASS(TComponent)
    explicit TComponent(TComponent* owner);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return FOwner; }
    const std::string& Name() const { return FName; }
    void SetName(const std::string& name);
    int32_t Tag() const { return FTag; }
    void SetTag(int32_t tag) { FTag = tag; }
    unsigned ComponentState() const { return FComponentState; }
    bool IsDesigning() const { return (FComponentState & csDesigning) != 0; }
    bool IsLoading() const { return (FComponentState & csLoading) != 0; }
    bool IsDestroying() const { return (FComponentState & csDestroying) != 0; }
    void SetDesigning(bool on);

    int ComponentCount() const { return static_cast<int>(FComponents.size()); }
    TComponent* Components(int i) const { return FComponents.at(static_cast<size_t>(i)); }
    TComponent* FindComponent(const std::string& name) const;
    void InsertComponent(TComponent* c);
    void RemoveComponent(TComponent* c);
    void DestroyComponents();

    // A component that refers to another of a different owner asks to be told of its end.
    void FreeNotification(TComponent* c);
    void RemoveFreeNotification(TComponent* c);

    // Streaming hooks: the object that holds this one in a form resource.
    virtual TComponent* GetParentComponent() const { return nullptr; }
    virtual void SetParentComponent(TComponent* parent) {}
    // Calls proc for every component that is written as a child of this one in root's resource.
    virtual void GetChildren(TFunctionRef<void(TComponent*)> proc, TComponent* root);
    // After the whole resource is read and references are resolved.
    virtual void Loaded();

    // Event handlers by name, for the events a form resource names (usually on the root).
    void RegisterMethod(const std::string& name, std::function<void(TObject*)> handler);
    const std::function<void(TObject*)>* FindMethod(const std::string& name) const;

    void Properties(TPropFiler& filer) override;

protected:
    virtual void Notification(TComponent* c, TOperation op);
    void SetLoading(bool on) { if (on) FComponentState |= csLoading; else FComponentState &= ~csLoading; }
    friend class TComponentReader;

private:
    TComponent* FOwner = nullptr;
    std::string FName;
    int32_t FTag = 0;
    unsigned FComponentState = 0;
    std::vector<TComponent*> FComponents;
    std::vector<TComponent*> FFreeNotifies;
    TMethodTable FMethods;
};

// ---- the class registry ----------------------------------------------------------------------

using TComponentFactory = TComponent* (*)(TComponent* owner);

void RegisterComponentClass(const char* name, TComponentFactory factory);
TComponentFactory FindComponentClass(const std::string& name);

template <class T>
void RegisterComponent() {
    RegisterComponentClass(T::StaticClassName(), [](TComponent* owner) -> TComponent* { return new T(owner); });
}

// ---- writers of binary defined properties ----------------------------------------------------

// Writing a binary defined property can take much code that reading it does not (the compressor,
// the form writer). Its writer is therefore registered apart from its class, by the programs that
// write forms, so that a program that only reads its form carries none. Writing such a property
// with no writer registered for it raises EWriteError.
using TBinaryPropertyWriter = bool (*)(TPersistent& obj, TStream& stream);  // false: not its class
void RegisterBinaryPropertyWriter(const char* property, TBinaryPropertyWriter writer);

template <class T, void (T::*Write)(TStream&)>
void RegisterBinaryPropertyWriter(const char* property) {
    RegisterBinaryPropertyWriter(property, [](TPersistent& obj, TStream& stream) {
        T* t = dynamic_cast<T*>(&obj);
        if (t) (t->*Write)(stream);
        return t != nullptr;
    });
}

// ---- component streaming ---------------------------------------------------------------------

// Fills root (already constructed, of the resource's class) and creates the children by class
// name. Raises EReadError for unknown classes, properties, handlers or references.
void ReadComponentResource(TComponent& root, const TFormObject& resource);
void ReadComponentResource(TComponent& root, const void* data, size_t size);
// Reads the properties (no children) of one object, e.g. a nested component's class data.
void ReadComponentProperties(TPersistent& obj, const TFormObject& resource, TComponent* root);
// The resource of root and the components it writes as children.
TFormObject WriteComponentResource(TComponent& root);
// One object's properties only (no children), with the given class and name.
TFormObject WriteComponentProperties(TPersistent& obj, const std::string& name = "");

// Shows a design-time message (a message box on Windows, standard error elsewhere), or hands it
// to the handler set, which tools and tests use to collect the messages instead.
void ShowDesignMessage(const std::string& text);
void SetDesignMessageHandler(void (*handler)(const std::string& text));
