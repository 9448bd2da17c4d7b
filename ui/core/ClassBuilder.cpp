// Conversions between stored values and property types, shared by every published class.
#include "ui/core/ClassBuilder.h"

namespace ui::detail {

namespace {

std::wstring Describe(const TValue& v)
{
    switch (v.Kind) {
    case TValue::TKind::Integer: return IntToStr(v.Int);
    case TValue::TKind::Float: return Format(L"%g", v.Float);
    case TValue::TKind::String: return L"'" + v.Str + L"'";
    case TValue::TKind::Ident: return v.Str;
    case TValue::TKind::Set: return L"a set";
    case TValue::TKind::List: return L"a list";
    case TValue::TKind::Data: return L"data";
    }
    return {};
}

} // namespace

void ThrowBadValue(const TValue& value, const wchar_t* expected)
{
    throw EDescriptionError(Format(L"%s is not %s", Describe(value).c_str(), expected));
}

int64_t IntegerOf(const TValue& value)
{
    if (value.Kind != TValue::TKind::Integer)
        ThrowBadValue(value, L"a number");
    return value.Int;
}

std::wstring IdentOrStringOf(const TValue& value)
{
    if (value.Kind != TValue::TKind::Ident && value.Kind != TValue::TKind::String)
        ThrowBadValue(value, L"a name");
    return value.Str;
}

bool BooleanOf(const TValue& value)
{
    if (value.Kind == TValue::TKind::Ident) {
        if (SameText(value.Str, L"True"))
            return true;
        if (SameText(value.Str, L"False"))
            return false;
    }
    throw EConvertError(Format(L"'%s' is not a valid boolean value", Describe(value).c_str()));
}

int EnumMemberOf(const TEnumInfo& info, const TValue& value)
{
    if (value.Kind != TValue::TKind::Ident)
        ThrowBadValue(value, (L"a member of " + info.TypeName).c_str());
    int member = info.ValueOf(value.Str);
    if (member < 0)
        throw EDescriptionError(Format(L"'%s' is not a member of %s", value.Str.c_str(), info.TypeName.c_str()));
    return member;
}

uint64_t SetBitsOf(const TEnumInfo& info, const TValue& value)
{
    if (value.Kind != TValue::TKind::Set)
        ThrowBadValue(value, (L"a set of " + info.TypeName).c_str());
    uint64_t bits = 0;
    for (const std::wstring& name : value.Items) {
        int member = info.ValueOf(name);
        if (member < 0)
            throw EDescriptionError(Format(L"'%s' is not a member of %s", name.c_str(), info.TypeName.c_str()));
        bits |= uint64_t(1) << member;
    }
    return bits;
}

TValue SetValueOf(const TEnumInfo& info, uint64_t bits)
{
    std::vector<std::wstring> members;
    for (size_t i = 0; i < info.Names.size() && i < 64; ++i)
        if (bits & (uint64_t(1) << i))
            members.push_back(info.Names[i]);
    return TValue::Set(std::move(members));
}

} // namespace ui::detail
