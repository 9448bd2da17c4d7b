// Stored window descriptions: reader and writer.
#include "ui/core/Description.h"

#include "ui/core/ScopeGuard.h"
#include "ui/core/SysUtils.h"

#include <windows.h>

#include <cwchar>

namespace ui {

namespace {

struct TToken {
    enum class TKind { End, Ident, Integer, Float, String, Symbol };
    TKind Kind = TKind::End;
    std::wstring Text;
    int64_t Int = 0;
    double Float = 0;
    int Line = 1;
};

class TParser {
public:
    TParser(const std::wstring& text, const std::wstring& name) : FText(text), FName(name) { Next(); }

    const TToken& Current() const { return FToken; }

    [[noreturn]] void Fail(const std::wstring& problem, int line = -1) const
    {
        throw EDescriptionError(Format(L"%s(%d): %s", FName.c_str(), line < 0 ? FToken.Line : line,
                                       problem.c_str()));
    }

    void Next()
    {
        SkipBlanks();
        FToken = TToken();
        FToken.Line = FLine;
        if (FPos >= FText.size())
            return;
        wchar_t c = FText[FPos];
        if (IsIdentStart(c)) {
            size_t start = FPos;
            while (FPos < FText.size() && (IsIdentStart(FText[FPos]) || IsDigit(FText[FPos]) || FText[FPos] == L'.'))
                ++FPos;
            FToken.Kind = TToken::TKind::Ident;
            FToken.Text = FText.substr(start, FPos - start);
        } else if (IsDigit(c) || c == L'-' || c == L'$') {
            ReadNumber();
        } else if (c == L'\'' || c == L'#') {
            ReadString();
        } else {
            FToken.Kind = TToken::TKind::Symbol;
            FToken.Text = std::wstring(1, c);
            ++FPos;
        }
    }

    bool IsSymbol(wchar_t c) const { return FToken.Kind == TToken::TKind::Symbol && FToken.Text[0] == c; }
    bool IsKeyword(const wchar_t* word) const
    {
        return FToken.Kind == TToken::TKind::Ident && SameText(FToken.Text, word);
    }

    void ExpectSymbol(wchar_t c)
    {
        if (!IsSymbol(c))
            Fail(Format(L"'%c' expected but %s found", c, Describe().c_str()));
        Next();
    }

    std::wstring ExpectIdent(const wchar_t* what)
    {
        if (FToken.Kind != TToken::TKind::Ident)
            Fail(Format(L"%s expected but %s found", what, Describe().c_str()));
        std::wstring text = FToken.Text;
        Next();
        return text;
    }

    std::wstring Describe() const
    {
        switch (FToken.Kind) {
        case TToken::TKind::End: return L"end of text";
        case TToken::TKind::String: return L"a string";
        case TToken::TKind::Integer:
        case TToken::TKind::Float: return L"a number";
        default: return L"'" + FToken.Text + L"'";
        }
    }

private:
    static bool IsIdentStart(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || c == L'_'; }
    static bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

    void SkipBlanks()
    {
        while (FPos < FText.size()) {
            wchar_t c = FText[FPos];
            if (c == L'\n') {
                ++FLine;
                ++FPos;
            } else if (c == L' ' || c == L'\t' || c == L'\r' || c == 0xFEFF) {
                ++FPos;
            } else if (c == L'/' && FPos + 1 < FText.size() && FText[FPos + 1] == L'/') {
                while (FPos < FText.size() && FText[FPos] != L'\n')
                    ++FPos;
            } else {
                break;
            }
        }
    }

    void ReadNumber()
    {
        size_t start = FPos;
        bool negative = false;
        if (FText[FPos] == L'-') {
            negative = true;
            ++FPos;
        }
        if (FPos < FText.size() && FText[FPos] == L'$') {
            ++FPos;
            size_t digits = FPos;
            uint64_t value = 0;
            while (FPos < FText.size() && iswxdigit(FText[FPos])) {
                wchar_t d = FText[FPos++];
                value = value * 16 + (IsDigit(d) ? d - L'0' : (towlower(d) - L'a' + 10));
                if (value > 0xFFFFFFFFull)
                    Fail(L"hexadecimal number too large");
            }
            if (FPos == digits)
                Fail(L"malformed number");
            FToken.Kind = TToken::TKind::Integer;
            // Eight hex digits are a 32-bit pattern (colours), so $FF000000 is negative.
            int64_t signedValue = static_cast<int32_t>(static_cast<uint32_t>(value));
            FToken.Int = negative ? -signedValue : signedValue;
            return;
        }
        size_t digits = FPos;
        while (FPos < FText.size() && IsDigit(FText[FPos]))
            ++FPos;
        if (FPos == digits)
            Fail(L"malformed number");
        bool isFloat = false;
        if (FPos < FText.size() && FText[FPos] == L'.') {
            isFloat = true;
            ++FPos;
            while (FPos < FText.size() && IsDigit(FText[FPos]))
                ++FPos;
        }
        if (FPos < FText.size() && (FText[FPos] == L'e' || FText[FPos] == L'E')) {
            isFloat = true;
            ++FPos;
            if (FPos < FText.size() && (FText[FPos] == L'+' || FText[FPos] == L'-'))
                ++FPos;
            while (FPos < FText.size() && IsDigit(FText[FPos]))
                ++FPos;
        }
        if (FPos < FText.size() && (IsIdentStart(FText[FPos])))
            Fail(L"malformed number");
        std::wstring text = FText.substr(start, FPos - start);
        if (isFloat) {
            FToken.Kind = TToken::TKind::Float;
            FToken.Float = wcstod(text.c_str(), nullptr);
        } else {
            FToken.Kind = TToken::TKind::Integer;
            if (text.size() > 19)
                Fail(L"number too large");
            FToken.Int = wcstoll(text.c_str(), nullptr, 10);
        }
        FToken.Text = text;
    }

    void ReadString()
    {
        FToken.Kind = TToken::TKind::String;
        std::wstring value;
        for (;;) {
            if (FPos < FText.size() && FText[FPos] == L'\'') {
                ++FPos;
                for (;;) {
                    if (FPos >= FText.size() || FText[FPos] == L'\n')
                        Fail(L"unterminated string");
                    if (FText[FPos] == L'\'') {
                        if (FPos + 1 < FText.size() && FText[FPos + 1] == L'\'') {
                            value += L'\'';
                            FPos += 2;
                            continue;
                        }
                        ++FPos;
                        break;
                    }
                    value += FText[FPos++];
                }
            } else if (FPos < FText.size() && FText[FPos] == L'#') {
                ++FPos;
                size_t digits = FPos;
                unsigned code = 0;
                while (FPos < FText.size() && IsDigit(FText[FPos])) {
                    code = code * 10 + (FText[FPos++] - L'0');
                    if (code > 0xFFFF)
                        Fail(L"character code too large");
                }
                if (FPos == digits)
                    Fail(L"malformed character code");
                value += static_cast<wchar_t>(code);
            } else {
                break;
            }
        }
        FToken.Text = value;
    }

    const std::wstring& FText;
    std::wstring FName;
    size_t FPos = 0;
    int FLine = 1;
    TToken FToken;
};

class TReader {
public:
    TReader(TComponent& root, const std::wstring& text, const std::wstring& name, const TDataResolver& resolver)
        : FRoot(root), FParser(text, name), FName(name), FResolver(resolver) {}

    void Read()
    {
        if (!FParser.IsKeyword(L"object"))
            FParser.Fail(L"'object' expected at the start");
        auto [line, name, className] = ReadObjectHeader();
        bool matches = false;
        for (const TClassInfo* c = &FRoot.ClassInfo(); c != nullptr; c = c->Parent)
            matches = matches || SameText(c->Name, className);
        if (!matches)
            FParser.Fail(Format(L"the description is of class %s, not of %s", className.c_str(),
                                FRoot.ClassName().c_str()),
                         line);
        FRoot.SetLoading(true);
        FLoaded.push_back({&FRoot, line});
        if (!name.empty())
            FRoot.SetName(name);
        {
            // A description that fails leaves nothing in the loading state.
            TScopeExit endLoading([this] {
                for (const TLoadedObject& o : FLoaded)
                    o.Component->SetLoading(false);
            });
            ReadBody(FRoot, nullptr);
            if (FParser.Current().Kind != TToken::TKind::End)
                FParser.Fail(Format(L"end of text expected but %s found", FParser.Describe().c_str()));
            for (const TFieldInfo* field : FRoot.ClassInfo().AllFields())
                if (!field->Assigned(FRoot))
                    FParser.Fail(Format(L"field '%s' of %s has no component in the description",
                                        field->Name.c_str(), FRoot.ClassName().c_str()),
                                 line);
            endLoading.Dismiss();
        }
        // What Loaded raises (a reference to a component the description does not hold, say)
        // is told at the line of the object that held it; the rest still leave the loading state.
        for (size_t i = 0; i < FLoaded.size(); ++i) {
            try {
                FLoaded[i].Component->Loaded();
            } catch (const Exception& e) {
                for (size_t j = i + 1; j < FLoaded.size(); ++j)
                    FLoaded[j].Component->SetLoading(false);
                FParser.Fail(e.Message(), FLoaded[i].Line);
            }
        }
    }

private:
    // Reads properties and nested objects up to the matching `end`. `parent` is the enclosing
    // component (nullptr for the root).
    void ReadBody(TComponent& component, TComponent* parent)
    {
        bool parentSet = false;
        auto settleParent = [&] {
            if (!parentSet && parent != nullptr)
                component.SetParentComponent(parent);
            parentSet = true;
        };
        for (;;) {
            const TToken& t = FParser.Current();
            if (t.Kind == TToken::TKind::End)
                FParser.Fail(L"'end' expected but end of text found");
            if (FParser.IsKeyword(L"end")) {
                FParser.Next();
                settleParent();
                return;
            }
            if (FParser.IsKeyword(L"object")) {
                settleParent();
                ReadChild(component);
                continue;
            }
            ReadProperty(component);
        }
    }

    const TClassInfo* ClassByName(const std::wstring& name)
    {
        if (const TClassInfo* info = FindClass(name))
            return info;
        // The window's own fields name the classes of its components; those need no registration.
        for (const TFieldInfo* field : FRoot.ClassInfo().AllFields()) {
            const TClassInfo& info = field->FieldClass();
            if (SameText(info.Name, name))
                return &info;
        }
        return nullptr;
    }

    struct TObjectHeader {
        int Line;
        std::wstring Name; // empty for a component stored without a name
        std::wstring ClassName;
    };

    // Reads "object Name: TClass" or "object TClass"; the current token is the keyword.
    TObjectHeader ReadObjectHeader()
    {
        TObjectHeader header{FParser.Current().Line, {}, {}};
        FParser.Next();
        header.Name = FParser.ExpectIdent(L"a name");
        if (FParser.IsSymbol(L':')) {
            FParser.Next();
            header.ClassName = FParser.ExpectIdent(L"a class name");
        } else {
            header.ClassName = header.Name;
            header.Name.clear();
        }
        return header;
    }

    void ReadChild(TComponent& parent)
    {
        auto [line, name, className] = ReadObjectHeader();
        const TClassInfo* info = ClassByName(className);
        if (info == nullptr)
            FParser.Fail(Format(L"unknown class '%s'", className.c_str()), line);
        if (!info->Create)
            FParser.Fail(Format(L"class '%s' cannot be created from a description", className.c_str()), line);
        TComponent* owner = parent.GetChildOwner();
        if (owner == nullptr)
            owner = &FRoot;
        TComponent* child = nullptr;
        try {
            child = info->Create(owner);
            child->SetLoading(true);
            FLoaded.push_back({child, line});
            if (!name.empty())
                child->SetName(name);
        } catch (const Exception& e) {
            FParser.Fail(e.Message(), line);
        }
        if (!name.empty()) {
            if (const TFieldInfo* field = FRoot.ClassInfo().FindField(name)) {
                if (!field->Assign(FRoot, child))
                    FParser.Fail(Format(L"'%s' is a %s, but %s expects a %s", name.c_str(), className.c_str(),
                                        FRoot.ClassName().c_str(), field->FieldClass().Name.c_str()),
                                 line);
            }
        }
        try {
            ReadBody(*child, &parent);
        } catch (const EDescriptionError&) {
            throw;
        } catch (const Exception& e) {
            FParser.Fail(e.Message(), line);
        }
    }

    void ReadProperty(TComponent& component)
    {
        int line = FParser.Current().Line;
        std::wstring path = FParser.ExpectIdent(L"a property name");
        FParser.ExpectSymbol(L'=');
        TObject* target = &component;
        std::wstring rest = path;
        for (;;) {
            size_t dot = rest.find(L'.');
            std::wstring head = rest.substr(0, dot);
            const TPropInfo* prop = target->ClassInfo().FindProp(head);
            if (prop == nullptr)
                FParser.Fail(Format(L"unknown property '%s' of %s", head.c_str(), target->ClassName().c_str()), line);
            if (dot == std::wstring::npos) {
                AssignProperty(component, *target, *prop, path, line);
                return;
            }
            if (prop->Kind != TPropKind::Object)
                FParser.Fail(Format(L"property '%s' of %s has no sub-properties", head.c_str(),
                                    target->ClassName().c_str()), line);
            target = prop->GetSubObject(*target);
            if (target == nullptr)
                FParser.Fail(Format(L"property '%s' holds no object", head.c_str()), line);
            rest = rest.substr(dot + 1);
        }
    }

    void AssignProperty(TComponent& component, TObject& target, const TPropInfo& prop, const std::wstring& path,
                        int line)
    {
        if (prop.Kind == TPropKind::Method) {
            std::wstring handlerName = FParser.ExpectIdent(L"a handler name");
            const THandlerInfo* handler = FRoot.ClassInfo().FindHandler(handlerName);
            if (handler == nullptr)
                FParser.Fail(Format(L"unknown handler '%s' of %s", handlerName.c_str(), FRoot.ClassName().c_str()),
                             line);
            if (handler->MethodType != prop.MethodType)
                FParser.Fail(Format(L"handler '%s' does not fit event '%s'", handlerName.c_str(), path.c_str()), line);
            prop.SetMethod(target, handler->Bind(FRoot));
            component.SetHandlerName(path, handlerName);
            return;
        }
        if (prop.Kind == TPropKind::Object)
            FParser.Fail(Format(L"property '%s' is an object; set its properties with a dot", path.c_str()), line);
        TValue value = ReadValue(line);
        if (!prop.Set)
            FParser.Fail(Format(L"property '%s' is read-only", path.c_str()), line);
        try {
            prop.Set(target, value);
        } catch (const Exception& e) {
            FParser.Fail(Format(L"%s: %s", path.c_str(), e.Message().c_str()), line);
        }
    }

    TValue ReadValue(int line)
    {
        const TToken t = FParser.Current();
        switch (t.Kind) {
        case TToken::TKind::Integer:
            FParser.Next();
            return TValue::Integer(t.Int);
        case TToken::TKind::Float:
            FParser.Next();
            return TValue::Real(t.Float);
        case TToken::TKind::String:
            FParser.Next();
            return TValue::String(t.Text);
        case TToken::TKind::Ident:
            FParser.Next();
            if (SameText(t.Text, L"file")) {
                if (FParser.Current().Kind != TToken::TKind::String)
                    FParser.Fail(L"a file name in quotes expected after 'file'", line);
                std::wstring name = FParser.Current().Text;
                FParser.Next();
                std::vector<uint8_t> bytes;
                if (!FResolver || !FResolver(name, bytes))
                    FParser.Fail(Format(L"data file '%s' not found", name.c_str()), line);
                return TValue::Data(name, std::move(bytes));
            }
            return TValue::Ident(t.Text);
        case TToken::TKind::Symbol:
            if (FParser.IsSymbol(L'['))
                return ReadSet();
            if (FParser.IsSymbol(L'('))
                return ReadList();
            break;
        default:
            break;
        }
        FParser.Fail(Format(L"a value expected but %s found", FParser.Describe().c_str()), line);
    }

    TValue ReadSet()
    {
        FParser.Next();
        std::vector<std::wstring> members;
        if (!FParser.IsSymbol(L']')) {
            for (;;) {
                members.push_back(FParser.ExpectIdent(L"a set member"));
                if (FParser.IsSymbol(L']'))
                    break;
                FParser.ExpectSymbol(L',');
            }
        }
        FParser.Next();
        return TValue::Set(std::move(members));
    }

    TValue ReadList()
    {
        FParser.Next();
        std::vector<std::wstring> lines;
        while (!FParser.IsSymbol(L')')) {
            if (FParser.Current().Kind != TToken::TKind::String)
                FParser.Fail(Format(L"a string or ')' expected but %s found", FParser.Describe().c_str()));
            lines.push_back(FParser.Current().Text);
            FParser.Next();
        }
        FParser.Next();
        return TValue::List(std::move(lines));
    }

    TComponent& FRoot;
    TParser FParser;
    std::wstring FName;
    const TDataResolver& FResolver;
    struct TLoadedObject {
        TComponent* Component;
        int Line; // of its "object" header
    };
    std::vector<TLoadedObject> FLoaded;
};

std::wstring QuoteString(const std::wstring& s)
{
    std::wstring out;
    bool inQuotes = false;
    for (wchar_t c : s) {
        if (c < 32) {
            if (inQuotes) {
                out += L'\'';
                inQuotes = false;
            }
            out += L'#' + std::to_wstring(static_cast<unsigned>(c));
            continue;
        }
        if (!inQuotes) {
            out += L'\'';
            inQuotes = true;
        }
        if (c == L'\'')
            out += L"''";
        else
            out += c;
    }
    if (inQuotes)
        out += L'\'';
    if (out.empty())
        out = L"''";
    return out;
}

std::wstring FormatValue(const TValue& v, const std::wstring& indent)
{
    switch (v.Kind) {
    case TValue::TKind::Integer: return std::to_wstring(v.Int);
    case TValue::TKind::Float: {
        std::wstring text = Format(L"%.15g", v.Float);
        if (text.find_first_of(L".e") == std::wstring::npos)
            text += L".0";
        return text;
    }
    case TValue::TKind::String: return QuoteString(v.Str);
    case TValue::TKind::Ident: return v.Str;
    case TValue::TKind::Set: {
        std::wstring out = L"[";
        for (size_t i = 0; i < v.Items.size(); ++i)
            out += (i ? L", " : L"") + v.Items[i];
        return out + L"]";
    }
    case TValue::TKind::List: {
        std::wstring out = L"(";
        for (const auto& line : v.Items)
            out += L"\n" + indent + L"  " + QuoteString(line);
        return out + L")";
    }
    case TValue::TKind::Data: return L"file " + QuoteString(v.Str);
    }
    return {};
}

class TWriter {
public:
    explicit TWriter(TComponent& root) : FRoot(root) {}

    std::wstring Write()
    {
        WriteComponent(FRoot, L"");
        return FOut;
    }

private:
    void WriteComponent(TComponent& c, const std::wstring& indent)
    {
        FOut += indent + L"object ";
        if (!c.Name().empty())
            FOut += c.Name() + L": ";
        FOut += c.ClassName() + L"\n";
        WriteProperties(c, c, L"", indent + L"  ", 0);
        c.GetChildren([&](TComponent* child) { WriteComponent(*child, indent + L"  "); }, &FRoot);
        FOut += indent + L"end\n";
    }

    void WriteProperties(TComponent& owner, TObject& target, const std::wstring& prefix, const std::wstring& indent,
                         int depth)
    {
        for (const TPropInfo* prop : target.ClassInfo().AllProps()) {
            if (depth == 0 && SameText(prop->Name, L"Name"))
                continue;
            std::wstring path = prefix + prop->Name;
            if (prop->Kind == TPropKind::Object) {
                if (TPersistent* sub = prop->GetSubObject(target); sub != nullptr && depth < 8)
                    WriteProperties(owner, *sub, path + L".", indent, depth + 1);
            } else if (prop->Kind == TPropKind::Method) {
                std::wstring handler = owner.HandlerName(path);
                if (!handler.empty())
                    FOut += indent + path + L" = " + handler + L"\n";
            } else if (prop->Get) {
                FOut += indent + path + L" = " + FormatValue(prop->Get(target), indent) + L"\n";
            }
        }
    }

    TComponent& FRoot;
    std::wstring FOut;
};

} // namespace

void ReadDescription(TComponent& root, const std::wstring& text, const std::wstring& descriptionName,
                     const TDataResolver& resolver)
{
    TReader(root, text, descriptionName, resolver).Read();
}

std::wstring WriteDescription(TComponent& root) { return TWriter(root).Write(); }

bool ResourceDataResolver(const std::wstring& name, std::vector<uint8_t>& bytes)
{
    HRSRC resource = FindResourceW(nullptr, name.c_str(), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
    if (resource == nullptr)
        return false;
    HGLOBAL loaded = LoadResource(nullptr, resource);
    DWORD size = SizeofResource(nullptr, resource);
    const auto* data = static_cast<const uint8_t*>(LockResource(loaded));
    if (data == nullptr)
        return false;
    bytes.assign(data, data + size);
    return true;
}

std::wstring LoadDescriptionResource(const std::wstring& resourceName)
{
    std::vector<uint8_t> bytes;
    if (!ResourceDataResolver(resourceName, bytes))
        throw EDescriptionError(Format(L"the description %s is missing from the program", resourceName.c_str()));
    return Utf8ToWide(std::string(bytes.begin(), bytes.end()));
}

} // namespace ui
