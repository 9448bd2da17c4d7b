// The stored-description reader and writer: value kinds, nesting, unnamed components, handler
// wiring, round trips, and errors that name the description and the line.
#include "ui/core/ClassBuilder.h"
#include "ui/core/Description.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

using namespace ui;

namespace {

enum class TShade { shLight, shMedium, shDark };
enum class TFlag { flOne, flTwo, flThree };
using TFlags = TSet<TFlag>;
using TFireEvent = std::function<void(TObject* Sender, int Count)>;

} // namespace

template <>
const TEnumInfo& ui::EnumInfoOf<TShade>()
{
    static const TEnumInfo info{L"TShade", {L"shLight", L"shMedium", L"shDark"}};
    return info;
}

template <>
const TEnumInfo& ui::EnumInfoOf<TFlag>()
{
    static const TEnumInfo info{L"TFlag", {L"flOne", L"flTwo", L"flThree"}};
    return info;
}

namespace {

std::vector<std::wstring> gLog;

class TBorder : public TPersistent {
    UI_PUBLISHED_CLASS
public:
    int Size() const { return FSize; }
    void SetSize(int v) { FSize = v; }
    TShade Shade() const { return FShade; }
    void SetShade(TShade v) { FShade = v; }

private:
    int FSize = 1;
    TShade FShade = TShade::shLight;
};

const TClassInfo& TBorder::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TBorder>(L"TBorder", &TPersistent::StaticClass())
        .Property(L"Size", &TBorder::Size, &TBorder::SetSize)
        .Property(L"Shade", &TBorder::Shade, &TBorder::SetShade)
        .Build();
    return info;
}

// A component with a property of every kind.
class TGadget : public TComponent {
    UI_PUBLISHED_CLASS
public:
    explicit TGadget(TComponent* owner) : TComponent(owner) {}
    int Count() const { return FCount; }
    void SetCount(int v) { FCount = v; }
    double Ratio() const { return FRatio; }
    void SetRatio(double v) { FRatio = v; }
    const std::wstring& Text() const { return FText; }
    void SetText(const std::wstring& v) { FText = v; }
    bool Active() const { return FActive; }
    void SetActive(bool v) { FActive = v; }
    TShade Shade() const { return FShade; }
    void SetShade(TShade v) { FShade = v; }
    TFlags Flags() const { return FFlags; }
    void SetFlags(TFlags v) { FFlags = v; }
    const std::vector<std::wstring>& Lines() const { return FLines; }
    void SetLines(const std::vector<std::wstring>& v) { FLines = v; }
    TBorder* Border() { return &FBorder; }
    TNotifyEvent OnPing;
    TFireEvent OnFire;
    TComponent* ParentSeen = nullptr;
    std::vector<std::wstring> ChildOrder;

    void SetParentComponent(TComponent* parent) override
    {
        ParentSeen = parent;
        gLog.push_back(L"parent " + Name() + L" count=" + std::to_wstring(FCount));
        if (auto* g = dynamic_cast<TGadget*>(parent))
            g->ChildOrder.push_back(Name().empty() ? ClassName() : Name());
    }
    void Loaded() override
    {
        TComponent::Loaded();
        gLog.push_back(L"loaded " + Name());
    }
    void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) override
    {
        for (TComponent* c : Children)
            proc(c);
    }
    std::vector<TComponent*> Children;

private:
    int FCount = 0;
    double FRatio = 0;
    std::wstring FText;
    bool FActive = false;
    TShade FShade = TShade::shLight;
    TFlags FFlags;
    std::vector<std::wstring> FLines;
    TBorder FBorder;
};

const TClassInfo& TGadget::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TGadget>(L"TGadget", &TComponent::StaticClass())
        .Property(L"Count", &TGadget::Count, &TGadget::SetCount)
        .Property(L"Ratio", &TGadget::Ratio, &TGadget::SetRatio)
        .Property(L"Text", &TGadget::Text, &TGadget::SetText)
        .Property(L"Active", &TGadget::Active, &TGadget::SetActive)
        .Property(L"Shade", &TGadget::Shade, &TGadget::SetShade)
        .Property(L"Flags", &TGadget::Flags, &TGadget::SetFlags)
        .Property(L"Lines", &TGadget::Lines, &TGadget::SetLines)
        .Object(L"Border", &TGadget::Border)
        .Event(L"OnPing", &TGadget::OnPing)
        .Event(L"OnFire", &TGadget::OnFire)
        .Build();
    return info;
}

// A component stored without a name inside a gadget, which it joins once its properties are read.
class TPart : public TGadget {
    UI_PUBLISHED_CLASS
public:
    explicit TPart(TComponent* owner) : TGadget(owner) {}
    void SetParentComponent(TComponent* parent) override
    {
        TGadget::SetParentComponent(parent);
        if (auto* g = dynamic_cast<TGadget*>(parent))
            g->Children.push_back(this);
    }
};

const TClassInfo& TPart::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TPart>(L"TPart", &TGadget::StaticClass()).Build();
    return info;
}

// The description's root: a window-like component with fields and handler methods.
class TPanelRoot : public TGadget {
    UI_PUBLISHED_CLASS
public:
    explicit TPanelRoot(TComponent* owner) : TGadget(owner) {}
    TGadget* Knob = nullptr;
    TGadget* Dial = nullptr;
    std::vector<std::wstring> Calls;
    void KnobPing(TObject* sender) { Calls.push_back(L"ping " + static_cast<TComponent*>(sender)->Name()); }
    void KnobFire(TObject*, int count) { Calls.push_back(L"fire " + std::to_wstring(count)); }
    void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) override
    {
        for (int i = 0; i < ComponentCount(); ++i)
            if (auto* g = dynamic_cast<TGadget*>(Components(i)); g != nullptr && g->ParentSeen == this)
                proc(g);
    }
};

const TClassInfo& TPanelRoot::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TPanelRoot>(L"TPanelRoot", &TGadget::StaticClass())
        .Field(L"Knob", &TPanelRoot::Knob)
        .Field(L"Dial", &TPanelRoot::Dial)
        .Handler<TNotifyEvent>(L"KnobPing", &TPanelRoot::KnobPing)
        .Handler<TFireEvent>(L"KnobFire", &TPanelRoot::KnobFire)
        .Build();
    return info;
}

const wchar_t* const kFull = LR"(object Panel: TPanelRoot
  Count = -12
  Text = 'it''s'#13#10'two'
  object Knob: TGadget
    Count = $1F
    Ratio = 2.5
    Text = 'Çağrı sıra no'
    Active = True
    Shade = shDark
    Flags = [flOne, flThree]
    Lines = (
      'first'
      ''
      'third')
    Border.Size = 3
    Border.Shade = shMedium
    OnPing = KnobPing
    OnFire = KnobFire
    object TPart
      Count = 2
    end
    object TPart
      Count = 1
    end
  end
  object Dial: TGadget
    Flags = []
  end
end
)";

// A registered class that is no gadget.
class TOther : public TComponent {
    UI_PUBLISHED_CLASS
public:
    explicit TOther(TComponent* owner) : TComponent(owner) {}
};

const TClassInfo& TOther::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TOther>(L"TOther", &TComponent::StaticClass()).Build();
    return info;
}

struct TRegistration {
    TRegistration()
    {
        RegisterComponentClass(TPart::StaticClass());
        RegisterComponentClass(TOther::StaticClass());
    }
} gRegistration;

std::wstring ErrorOf(const std::wstring& text)
{
    TPanelRoot root(nullptr);
    try {
        ReadDescription(root, text, L"Test");
    } catch (const EDescriptionError& e) {
        return e.Message();
    }
    return L"(no error)";
}

} // namespace

TEST(Description, ReadsEveryValueKindIntoTheRightProperties)
{
    gLog.clear();
    TPanelRoot root(nullptr);
    ReadDescription(root, kFull, L"Full");
    EXPECT_EQ(root.Name(), L"Panel");
    EXPECT_EQ(root.Count(), -12);
    EXPECT_EQ(root.Text(), L"it's\r\ntwo");
    ASSERT_NE(root.Knob, nullptr) << "the field of the same name is filled";
    ASSERT_NE(root.Dial, nullptr);
    TGadget& knob = *root.Knob;
    EXPECT_EQ(knob.Count(), 31);
    EXPECT_DOUBLE_EQ(knob.Ratio(), 2.5);
    EXPECT_EQ(knob.Text(), L"Çağrı sıra no") << "UTF-8 text stays intact";
    EXPECT_TRUE(knob.Active());
    EXPECT_EQ(knob.Shade(), TShade::shDark);
    EXPECT_EQ(knob.Flags(), (TFlags{TFlag::flOne, TFlag::flThree}));
    EXPECT_EQ(knob.Flags().Bits(), 5u) << "member n is bit n";
    EXPECT_EQ(knob.Lines(), (std::vector<std::wstring>{L"first", L"", L"third"}));
    EXPECT_EQ(knob.Border()->Size(), 3);
    EXPECT_EQ(knob.Border()->Shade(), TShade::shMedium);
    EXPECT_TRUE(root.Dial->Flags().Empty());
    EXPECT_FALSE(root.IsLoading());
    EXPECT_FALSE(knob.IsLoading());
}

TEST(Description, NestingUnnamedComponentsAndLoadOrder)
{
    gLog.clear();
    TPanelRoot root(nullptr);
    ReadDescription(root, kFull, L"Full");
    TGadget& knob = *root.Knob;
    EXPECT_EQ(knob.ParentSeen, &root);
    ASSERT_EQ(knob.Children.size(), 2u) << "unnamed parts joined their enclosing gadget";
    EXPECT_EQ(static_cast<TGadget*>(knob.Children[0])->Count(), 2);
    EXPECT_EQ(knob.Children[0]->Owner(), &root) << "components are owned by the root";
    EXPECT_TRUE(knob.Children[0]->Name().empty());
    // A component meets its parent after its own properties and before its children.
    std::vector<std::wstring> expected{L"parent Knob count=31", L"parent  count=2", L"parent  count=1",
                                       L"parent Dial count=0", L"loaded Panel", L"loaded Knob",
                                       L"loaded ",             L"loaded ",        L"loaded Dial"};
    EXPECT_EQ(gLog, expected);
}

TEST(Description, HandlersAreBoundToTheRootsMethods)
{
    TPanelRoot root(nullptr);
    ReadDescription(root, kFull, L"Full");
    ASSERT_TRUE(root.Knob->OnPing);
    ASSERT_TRUE(root.Knob->OnFire);
    EXPECT_FALSE(root.Dial->OnPing);
    root.Knob->OnPing(root.Knob);
    root.Knob->OnFire(root.Knob, 7);
    EXPECT_EQ(root.Calls, (std::vector<std::wstring>{L"ping Knob", L"fire 7"}));
}

TEST(Description, WritingAndReadingAgainGivesTheSameText)
{
    TPanelRoot first(nullptr);
    ReadDescription(first, kFull, L"Full");
    std::wstring written = WriteDescription(first);
    EXPECT_NE(written.find(L"OnFire = KnobFire"), std::wstring::npos) << testing::PrintToString(written);
    EXPECT_NE(written.find(L"Flags = [flOne, flThree]"), std::wstring::npos);
    EXPECT_NE(written.find(L"object TPart"), std::wstring::npos) << "unnamed components are written by class";
    TPanelRoot second(nullptr);
    ReadDescription(second, written, L"Written");
    EXPECT_EQ(WriteDescription(second), written);
    EXPECT_EQ(second.Text(), L"it's\r\ntwo");
    EXPECT_EQ(second.Knob->Lines(), first.Knob->Lines());
}

TEST(Description, EveryProblemNamesTheDescriptionAndLine)
{
    struct TCase {
        const wchar_t* Text;
        const wchar_t* Error;
    };
    const TCase cases[] = {
        {L"object P: TPanelRoot\n  object X: TNoSuchClass\n  end\nend\n", L"Test(2): unknown class 'TNoSuchClass'"},
        {L"object P: TPanelRoot\n\n  Colour = 3\nend\n", L"Test(3): unknown property 'Colour' of TPanelRoot"},
        {L"object P: TPanelRoot\n  Shade = shBright\nend\n", L"Test(2): Shade: 'shBright' is not a member of TShade"},
        {L"object P: TPanelRoot\n  Flags = [flOne, flFour]\nend\n", L"Test(2): Flags: 'flFour' is not a member of TFlag"},
        {L"object P: TPanelRoot\n  OnPing = Nobody\nend\n", L"Test(2): unknown handler 'Nobody' of TPanelRoot"},
        {L"object P: TPanelRoot\n  OnPing = KnobFire\nend\n", L"Test(2): handler 'KnobFire' does not fit event 'OnPing'"},
        {L"object P: TPanelRoot\n  Text = 'open\nend\n", L"Test(2): unterminated string"},
        {L"object P: TPanelRoot\n  Count = 'x'\nend\n", L"Test(2): Count: 'x' is not a number"},
        {L"object P: TPanelRoot\n  Count = 99999999999\nend\n", L"Test(2): Count: 99999999999 is not a number in range"},
        {L"object P: TPanelRoot\n  Active = Maybe\nend\n", L"Test(2): Active: 'Maybe' is not a valid boolean value"},
        {L"object P: TPanelRoot\n  Border.Girth = 1\nend\n", L"Test(2): unknown property 'Girth' of TBorder"},
        {L"object P: TPanelRoot\n  Count.Size = 1\nend\n", L"Test(2): property 'Count' of TPanelRoot has no sub-properties"},
        {L"object P: TPanelRoot\n  Count = 1\n", L"Test(3): 'end' expected but end of text found"},
        {L"object P: TPart\nend\n", L"Test(1): the description is of class TPart, not of TPanelRoot"},
        {L"object P: TPanelRoot\n  object Knob: TPart\n  end\n  object Dial: TGadget\n  end\nend\n",
         L"(no error)"},
        {L"object P: TPanelRoot\n  object Dial: TGadget\n  end\nend\n",
         L"Test(1): field 'Knob' of TPanelRoot has no component in the description"},
        {L"object P: TPanelRoot\n  object Knob: TGadget\n  end\n  object Knob: TGadget\n  end\nend\n",
         L"Test(4): A component named Knob already exists"},
        {L"object P: TPanelRoot\n  Lines = ('a' 3)\nend\n", L"Test(2): a string or ')' expected but a number found"},
        {L"object P: TPanelRoot\n  Picture = file 'x.bmp'\nend\n", L"Test(2): unknown property 'Picture' of TPanelRoot"},
        {L"object P: TPanelRoot\n  Count = 12abc\nend\n", L"Test(2): malformed number"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(ErrorOf(c.Text), c.Error) << "for:\n" << WideToUtf8(c.Text);
}

TEST(Description, FieldOfTheWrongClassIsRejected)
{
    // Knob is declared as a TGadget: a subclass fits, an unrelated class does not.
    EXPECT_EQ(ErrorOf(L"object P: TPanelRoot\n  object Knob: TOther\n  end\nend\n"),
              L"Test(2): 'Knob' is a TOther, but TPanelRoot expects a TGadget");
}
