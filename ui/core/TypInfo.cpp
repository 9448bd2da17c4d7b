// Run-time class information: published properties, fields and handler methods, looked up by name.
#include "ui/core/TypInfo.h"

#include "ui/core/SysUtils.h"

#include <map>

namespace ui {

TValue TValue::Integer(int64_t v)
{
    TValue r;
    r.Kind = TKind::Integer;
    r.Int = v;
    return r;
}

TValue TValue::Real(double v)
{
    TValue r;
    r.Kind = TKind::Float;
    r.Float = v;
    return r;
}

TValue TValue::String(std::wstring v)
{
    TValue r;
    r.Kind = TKind::String;
    r.Str = std::move(v);
    return r;
}

TValue TValue::Ident(std::wstring v)
{
    TValue r;
    r.Kind = TKind::Ident;
    r.Str = std::move(v);
    return r;
}

TValue TValue::Set(std::vector<std::wstring> members)
{
    TValue r;
    r.Kind = TKind::Set;
    r.Items = std::move(members);
    return r;
}

TValue TValue::List(std::vector<std::wstring> lines)
{
    TValue r;
    r.Kind = TKind::List;
    r.Items = std::move(lines);
    return r;
}

TValue TValue::Data(std::wstring name, std::vector<uint8_t> bytes)
{
    TValue r;
    r.Kind = TKind::Data;
    r.Str = std::move(name);
    r.Bytes = std::move(bytes);
    return r;
}

int TEnumInfo::ValueOf(const std::wstring& name) const
{
    for (size_t i = 0; i < Names.size(); ++i)
        if (SameText(Names[i], name))
            return static_cast<int>(i);
    return -1;
}

const std::wstring& TEnumInfo::NameOf(int value) const
{
    if (value < 0 || static_cast<size_t>(value) >= Names.size())
        throw EListError(value);
    return Names[value];
}

bool TClassInfo::InheritsFrom(const TClassInfo& other) const
{
    for (const TClassInfo* c = this; c != nullptr; c = c->Parent)
        if (c == &other)
            return true;
    return false;
}

const TPropInfo* TClassInfo::FindProp(const std::wstring& name) const
{
    for (const TClassInfo* c = this; c != nullptr; c = c->Parent)
        for (const TPropInfo& p : c->Props)
            if (SameText(p.Name, name))
                return &p;
    return nullptr;
}

const TFieldInfo* TClassInfo::FindField(const std::wstring& name) const
{
    for (const TClassInfo* c = this; c != nullptr; c = c->Parent)
        for (const TFieldInfo& f : c->Fields)
            if (SameText(f.Name, name))
                return &f;
    return nullptr;
}

const THandlerInfo* TClassInfo::FindHandler(const std::wstring& name) const
{
    for (const TClassInfo* c = this; c != nullptr; c = c->Parent)
        for (const THandlerInfo& h : c->Handlers)
            if (SameText(h.Name, name))
                return &h;
    return nullptr;
}

std::vector<const TPropInfo*> TClassInfo::AllProps() const
{
    std::vector<const TPropInfo*> result;
    if (Parent != nullptr)
        result = Parent->AllProps();
    for (const TPropInfo& p : Props) {
        // A class may re-publish a base property with its own reaction; the newest one counts.
        bool replaced = false;
        for (auto& existing : result)
            if (SameText(existing->Name, p.Name)) {
                existing = &p;
                replaced = true;
            }
        if (!replaced)
            result.push_back(&p);
    }
    return result;
}

std::vector<const TFieldInfo*> TClassInfo::AllFields() const
{
    std::vector<const TFieldInfo*> result;
    if (Parent != nullptr)
        result = Parent->AllFields();
    for (const TFieldInfo& f : Fields)
        result.push_back(&f);
    return result;
}

namespace {

std::map<std::wstring, const TClassInfo*>& Registry()
{
    static std::map<std::wstring, const TClassInfo*> registry;
    return registry;
}

std::wstring Lower(const std::wstring& s)
{
    std::wstring r = s;
    for (auto& c : r)
        if (c >= L'A' && c <= L'Z')
            c = c - L'A' + L'a';
    return r;
}

} // namespace

void RegisterComponentClass(const TClassInfo& info) { Registry()[Lower(info.Name)] = &info; }

const TClassInfo* FindClass(const std::wstring& name)
{
    auto it = Registry().find(Lower(name));
    return it == Registry().end() ? nullptr : it->second;
}

} // namespace ui
