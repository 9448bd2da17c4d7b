// Builds a class's published information from member pointers; included by the .cpp files that
// define StaticClass().
#pragma once

#include "ui/core/Classes.h"
#include "ui/core/SysUtils.h"

#include <cmath>
#include <limits>
#include <type_traits>

namespace ui {

namespace detail {

template <class T>
struct IsSet : std::false_type {};
template <class E>
struct IsSet<TSet<E>> : std::true_type {
    using Enum = E;
};

[[noreturn]] void ThrowBadValue(const TValue& value, const wchar_t* expected);
int64_t IntegerOf(const TValue& value);
std::wstring IdentOrStringOf(const TValue& value);
bool BooleanOf(const TValue& value);
int EnumMemberOf(const TEnumInfo& info, const TValue& value);
uint64_t SetBitsOf(const TEnumInfo& info, const TValue& value);
TValue SetValueOf(const TEnumInfo& info, uint64_t bits);

// Converts between a C++ property type and a stored value.
template <class T>
struct TValueTraits {
    static constexpr TPropKind Kind()
    {
        if constexpr (std::is_same_v<T, bool>)
            return TPropKind::Boolean;
        else if constexpr (std::is_enum_v<T>)
            return TPropKind::Enum;
        else if constexpr (std::is_integral_v<T>)
            return TPropKind::Integer;
        else if constexpr (std::is_floating_point_v<T>)
            return TPropKind::Float;
        else if constexpr (std::is_same_v<T, std::wstring>)
            return TPropKind::String;
        else if constexpr (std::is_same_v<T, std::vector<std::wstring>>)
            return TPropKind::List;
        else if constexpr (IsSet<T>::value)
            return TPropKind::Set;
        else
            static_assert(sizeof(T) == 0, "no stored form for this property type");
    }
    static const TEnumInfo* Enum()
    {
        if constexpr (std::is_enum_v<T>)
            return &EnumInfoOf<T>();
        else if constexpr (IsSet<T>::value)
            return &EnumInfoOf<typename IsSet<T>::Enum>();
        else
            return nullptr;
    }
    static T From(const TValue& v)
    {
        if constexpr (std::is_same_v<T, bool>) {
            return BooleanOf(v);
        } else if constexpr (std::is_enum_v<T>) {
            return static_cast<T>(EnumMemberOf(*Enum(), v));
        } else if constexpr (std::is_integral_v<T>) {
            int64_t i = IntegerOf(v);
            if (i < int64_t(std::numeric_limits<T>::min()) || i > int64_t(std::numeric_limits<T>::max()))
                ThrowBadValue(v, L"a number in range");
            return static_cast<T>(i);
        } else if constexpr (std::is_floating_point_v<T>) {
            if (v.Kind == TValue::TKind::Float)
                return static_cast<T>(v.Float);
            return static_cast<T>(IntegerOf(v));
        } else if constexpr (std::is_same_v<T, std::wstring>) {
            if (v.Kind != TValue::TKind::String)
                ThrowBadValue(v, L"a string");
            return v.Str;
        } else if constexpr (std::is_same_v<T, std::vector<std::wstring>>) {
            if (v.Kind != TValue::TKind::List)
                ThrowBadValue(v, L"a list of strings");
            return v.Items;
        } else {
            return T::FromBits(SetBitsOf(*Enum(), v));
        }
    }
    static TValue To(const T& value)
    {
        if constexpr (std::is_same_v<T, bool>)
            return TValue::Ident(value ? L"True" : L"False");
        else if constexpr (std::is_enum_v<T>)
            return TValue::Ident(Enum()->NameOf(static_cast<int>(value)));
        else if constexpr (std::is_integral_v<T>)
            return TValue::Integer(static_cast<int64_t>(value));
        else if constexpr (std::is_floating_point_v<T>)
            return TValue::Real(value);
        else if constexpr (std::is_same_v<T, std::wstring>)
            return TValue::String(value);
        else if constexpr (std::is_same_v<T, std::vector<std::wstring>>)
            return TValue::List(value);
        else
            return SetValueOf(*Enum(), value.Bits());
    }
};

} // namespace detail

// Fluent builder for a class's published information:
//   TClassBuilder<TLabel>(L"TLabel", &TGraphicControl::StaticClass())
//       .Property(L"Caption", &TLabel::Caption, &TLabel::SetCaption)
//       .Event(L"OnClick", &TLabel::OnClick)
//       .Build();
template <class C>
class TClassBuilder {
public:
    TClassBuilder(const wchar_t* name, const TClassInfo* parent)
    {
        FInfo.Name = name;
        FInfo.Parent = parent;
        if constexpr (std::is_base_of_v<TComponent, C> && !std::is_abstract_v<C> &&
                      std::is_constructible_v<C, TComponent*>)
            FInfo.Create = [](TComponent* owner) -> TComponent* { return new C(owner); };
    }

    // A value property read through a const getter and written through a setter.
    template <class G, class S>
    TClassBuilder& Property(const wchar_t* name, G getter, S setter)
    {
        using T = std::decay_t<std::invoke_result_t<G, const C&>>;
        using Traits = detail::TValueTraits<T>;
        TPropInfo p;
        p.Name = name;
        p.Kind = Traits::Kind();
        p.Enum = Traits::Enum();
        p.Get = [getter](const TObject& o) { return Traits::To(std::invoke(getter, static_cast<const C&>(o))); };
        p.Set = [setter](TObject& o, const TValue& v) { std::invoke(setter, static_cast<C&>(o), Traits::From(v)); };
        FInfo.Props.push_back(std::move(p));
        return *this;
    }

    // A property with its own stored form (colours by name, cursors by number, pictures).
    TClassBuilder& Custom(const wchar_t* name, std::function<TValue(const C&)> get,
                          std::function<void(C&, const TValue&)> set)
    {
        TPropInfo p;
        p.Name = name;
        p.Kind = TPropKind::Custom;
        p.Get = [get](const TObject& o) { return get(static_cast<const C&>(o)); };
        p.Set = [set](TObject& o, const TValue& v) { set(static_cast<C&>(o), v); };
        FInfo.Props.push_back(std::move(p));
        return *this;
    }

    // A persistent sub-object (Font, Header) whose properties are stored as Name.Property.
    template <class G>
    TClassBuilder& Object(const wchar_t* name, G getter)
    {
        TPropInfo p;
        p.Name = name;
        p.Kind = TPropKind::Object;
        p.GetSubObject = [getter](TObject& o) -> TPersistent* { return std::invoke(getter, static_cast<C&>(o)); };
        FInfo.Props.push_back(std::move(p));
        return *this;
    }

    // An event: a std::function member that a description fills with a handler of the window.
    template <class F>
    TClassBuilder& Event(const wchar_t* name, F C::*member)
    {
        TPropInfo p;
        p.Name = name;
        p.Kind = TPropKind::Method;
        p.MethodType = typeid(F);
        p.SetMethod = [member](TObject& o, const std::any& handler) {
            static_cast<C&>(o).*member = std::any_cast<F>(handler);
        };
        p.MethodAssigned = [member](const TObject& o) { return static_cast<bool>(static_cast<const C&>(o).*member); };
        FInfo.Props.push_back(std::move(p));
        return *this;
    }

    // A window's component field, filled by the reader with the component of the same name.
    template <class T>
    TClassBuilder& Field(const wchar_t* name, T* C::*member)
    {
        TFieldInfo f;
        f.Name = name;
        f.FieldClass = [] () -> const TClassInfo& { return T::StaticClass(); };
        f.Assign = [member](TObject& owner, TComponent* component) {
            T* typed = dynamic_cast<T*>(component);
            if (typed == nullptr)
                return false;
            static_cast<C&>(owner).*member = typed;
            return true;
        };
        f.Assigned = [member](const TObject& owner) { return static_cast<const C&>(owner).*member != nullptr; };
        FInfo.Fields.push_back(std::move(f));
        return *this;
    }

    // A handler method that descriptions may name for an event of type F.
    template <class F, class M>
    TClassBuilder& Handler(const wchar_t* name, M method)
    {
        THandlerInfo h;
        h.Name = name;
        h.MethodType = typeid(F);
        h.Bind = [method](TObject& instance) -> std::any {
            C* self = &static_cast<C&>(instance);
            return F([self, method](auto&&... args) { return (self->*method)(std::forward<decltype(args)>(args)...); });
        };
        FInfo.Handlers.push_back(std::move(h));
        return *this;
    }

    TClassInfo Build() { return std::move(FInfo); }

private:
    TClassInfo FInfo;
};

} // namespace ui
