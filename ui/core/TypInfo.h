// Run-time class information: published properties, fields and handler methods, looked up by name.
#pragma once

#include <any>
#include <cstdint>
#include <functional>
#include <string>
#include <typeindex>
#include <vector>

namespace ui {

class TObject;
class TPersistent;
class TComponent;

// One value as it stands in a stored description.
struct TValue {
    enum class TKind { Integer, Float, String, Ident, Set, List, Data };
    TKind Kind = TKind::Integer;
    int64_t Int = 0;
    double Float = 0;
    std::wstring Str;                // String, Ident, and the resource name of Data
    std::vector<std::wstring> Items; // Set members or List lines
    std::vector<uint8_t> Bytes;      // Data

    static TValue Integer(int64_t v);
    static TValue Real(double v);
    static TValue String(std::wstring v);
    static TValue Ident(std::wstring v);
    static TValue Set(std::vector<std::wstring> members);
    static TValue List(std::vector<std::wstring> lines);
    static TValue Data(std::wstring name, std::vector<uint8_t> bytes);
};

// Member names of an enumeration, in declaration order (the stored format depends on both).
struct TEnumInfo {
    std::wstring TypeName;
    std::vector<std::wstring> Names;
    int ValueOf(const std::wstring& name) const; // -1 when no member has that name
    const std::wstring& NameOf(int value) const;
};

// Each enumeration used by a published property specialises this in its unit's .cpp.
template <class E>
const TEnumInfo& EnumInfoOf();

// A set of enumeration members; member n is bit n, as in the stored format.
template <class E>
class TSet {
public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> members)
    {
        for (E m : members)
            FBits |= Bit(m);
    }
    static constexpr TSet FromBits(uint64_t bits)
    {
        TSet s;
        s.FBits = bits;
        return s;
    }
    constexpr bool Contains(E m) const { return (FBits & Bit(m)) != 0; }
    constexpr TSet& Include(E m) { FBits |= Bit(m); return *this; }
    constexpr TSet& Exclude(E m) { FBits &= ~Bit(m); return *this; }
    constexpr uint64_t Bits() const { return FBits; }
    constexpr bool Empty() const { return FBits == 0; }
    constexpr bool operator==(const TSet&) const = default;
    constexpr TSet operator+(TSet o) const { return FromBits(FBits | o.FBits); }
    constexpr TSet operator-(TSet o) const { return FromBits(FBits & ~o.FBits); }
    constexpr TSet operator*(TSet o) const { return FromBits(FBits & o.FBits); }

private:
    static constexpr uint64_t Bit(E m) { return uint64_t(1) << static_cast<unsigned>(m); }
    uint64_t FBits = 0;
};

enum class TPropKind { Integer, Float, String, Boolean, Enum, Set, List, Object, Method, Custom };

// A published property. Get/Set convert between the object's value and a stored value;
// Object properties hand out a sub-object whose own properties are addressed with a dot;
// Method properties take a handler bound to the window that owns the description.
struct TPropInfo {
    std::wstring Name;
    TPropKind Kind = TPropKind::Integer;
    const TEnumInfo* Enum = nullptr;
    std::function<TValue(const TObject&)> Get;
    std::function<void(TObject&, const TValue&)> Set;
    std::function<TPersistent*(TObject&)> GetSubObject;
    std::type_index MethodType = typeid(void);
    std::function<void(TObject&, const std::any&)> SetMethod;
    std::function<bool(const TObject&)> MethodAssigned;
};

// A published field of a window class: a pointer the reader fills with the component of that name.
struct TFieldInfo {
    std::wstring Name;
    std::function<const struct TClassInfo&()> FieldClass;
    std::function<bool(TObject& owner, TComponent* component)> Assign; // false: wrong class
    std::function<bool(const TObject& owner)> Assigned;
};

// A published handler method: bound to an instance it becomes a value for an event property.
struct THandlerInfo {
    std::wstring Name;
    std::type_index MethodType = typeid(void);
    std::function<std::any(TObject& instance)> Bind;
};

struct TClassInfo {
    std::wstring Name;
    const TClassInfo* Parent = nullptr;
    std::function<TComponent*(TComponent* owner)> Create; // empty for classes that cannot be stored
    std::vector<TPropInfo> Props;                          // this class's own, in published order
    std::vector<TFieldInfo> Fields;
    std::vector<THandlerInfo> Handlers;

    bool InheritsFrom(const TClassInfo& other) const;
    const TPropInfo* FindProp(const std::wstring& name) const;
    const TFieldInfo* FindField(const std::wstring& name) const;
    const THandlerInfo* FindHandler(const std::wstring& name) const;
    std::vector<const TPropInfo*> AllProps() const; // base class first
    std::vector<const TFieldInfo*> AllFields() const;
};

// The process-wide registry of classes that descriptions may create by name.
void RegisterComponentClass(const TClassInfo& info);
const TClassInfo* FindClass(const std::wstring& name);

} // namespace ui
