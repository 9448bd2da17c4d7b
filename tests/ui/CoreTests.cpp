// Components, ownership, notifications and the text and number helpers of the class library core.
#include "ui/core/ClassBuilder.h"
#include "ui/core/Classes.h"
#include "ui/core/SysUtils.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

using namespace ui;

namespace {

std::vector<std::wstring>* gDestroyed = nullptr;

// Records its name when destroyed and keeps a reference to another component it watches.
class TTracked : public TComponent {
public:
    explicit TTracked(TComponent* owner, const wchar_t* name = L"") : TComponent(owner) { SetName(name); }
    ~TTracked() override
    {
        if (gDestroyed != nullptr)
            gDestroyed->push_back(Name());
    }
    void Watch(TComponent* other)
    {
        Watched = other;
        if (other != nullptr)
            other->FreeNotification(this);
    }
    TComponent* Watched = nullptr;
    int RemoveNotifications = 0;

protected:
    void Notification(TComponent* component, TOperation operation) override
    {
        TComponent::Notification(component, operation);
        if (operation == TOperation::opRemove && component == Watched) {
            Watched = nullptr;
            ++RemoveNotifications;
        }
    }
};

} // namespace

TEST(Components, OwnerDestroysOwnedNewestFirstAndLookupIgnoresCase)
{
    std::vector<std::wstring> destroyed;
    gDestroyed = &destroyed;
    auto* root = new TTracked(nullptr, L"Root");
    auto* a = new TTracked(root, L"First");
    new TTracked(a, L"Grandchild");
    new TTracked(root, L"Second");
    new TTracked(root, L"Third");
    EXPECT_EQ(root->ComponentCount(), 3);
    EXPECT_EQ(root->FindComponent(L"second"), root->Components(1)) << "names are found regardless of case";
    EXPECT_EQ(root->FindComponent(L"Grandchild"), nullptr) << "lookup covers only directly owned components";
    EXPECT_THROW(new TTracked(root, L"THIRD"), EInvalidOperation) << "two components of one owner share a name";
    EXPECT_EQ(root->ComponentCount(), 3) << "a component whose construction failed leaves its owner";
    delete root;
    gDestroyed = nullptr;
    // Each destructor body records its name before the base destroys what it owns, so a parent
    // comes before its children, and siblings go newest first.
    std::vector<std::wstring> expected{L"Root", L"Third", L"Second", L"First", L"Grandchild"};
    EXPECT_EQ(destroyed, expected);
}

TEST(Components, DestroyingAComponentClearsReferencesToIt)
{
    TTracked owner(nullptr, L"Owner");
    auto* watcher = new TTracked(&owner, L"Watcher");
    TTracked elsewhere(nullptr, L"Elsewhere");
    auto* target = new TTracked(&elsewhere, L"Target");
    watcher->Watch(target);
    delete target;
    EXPECT_EQ(watcher->Watched, nullptr) << "a free notification clears a reference across owners";
    EXPECT_EQ(watcher->RemoveNotifications, 1);

    // Watching a component that is destroyed after the watcher must not notify a dead object.
    auto* longLived = new TTracked(&elsewhere, L"LongLived");
    auto* shortWatcher = new TTracked(&owner, L"ShortWatcher");
    shortWatcher->Watch(longLived);
    delete shortWatcher;
    delete longLived; // would touch freed memory if the watcher were still registered

    // Siblings of one owner hear of each other's removal without registering.
    auto* sibling = new TTracked(&owner, L"Sibling");
    watcher->Watched = sibling;
    delete sibling;
    EXPECT_EQ(watcher->Watched, nullptr);
}

TEST(Components, DesignModeReachesEverythingOwnedAndWhatIsMadeLater)
{
    TTracked root(nullptr, L"Root");
    auto* child = new TTracked(&root, L"Child");
    auto* grandchild = new TTracked(child, L"Grandchild");
    TTracked outsider(nullptr, L"Outsider");
    EXPECT_FALSE(root.IsDesigning());
    root.SetDesigning(true);
    EXPECT_TRUE(root.IsDesigning());
    EXPECT_TRUE(grandchild->IsDesigning()) << "design mode goes down the ownership tree";
    EXPECT_FALSE(outsider.IsDesigning());
    auto* later = new TTracked(child, L"Later");
    EXPECT_TRUE(later->IsDesigning()) << "a component made by a designing owner is designing";
    root.SetDesigning(false);
    EXPECT_FALSE(later->IsDesigning());
    EXPECT_FALSE(child->ComponentState().Contains(TComponentStateFlag::csDesigning));
}

TEST(SysUtils, IntegerParsingAcceptsWhatTheDeviceMaySendAndRejectsTheRest)
{
    EXPECT_EQ(StrToInt(L"07"), 7);
    EXPECT_EQ(StrToInt(L"-2"), -2);
    EXPECT_EQ(StrToInt(L"+15"), 15);
    EXPECT_EQ(StrToInt(L"  30"), 30) << "leading blanks are skipped";
    EXPECT_EQ(StrToInt(L"$1F"), 31);
    EXPECT_EQ(StrToInt(L"2147483647"), 2147483647);
    EXPECT_EQ(StrToInt(L"-2147483648"), INT32_MIN);
    for (const wchar_t* bad : {L"", L"a", L"12a", L"1 ", L"2147483648", L"-2147483649", L"1.5", L"-", L"$"}) {
        try {
            StrToInt(bad);
            ADD_FAILURE() << "accepted '" << WideToUtf8(bad) << "'";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), L"'" + std::wstring(bad) + L"' is not a valid integer value");
        }
    }
    EXPECT_TRUE(StrToBool(L"true"));
    EXPECT_FALSE(StrToBool(L"FALSE"));
    EXPECT_TRUE(StrToBool(L"-1"));
    try {
        StrToBool(L"Maybe");
        ADD_FAILURE() << "accepted Maybe";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), L"'Maybe' is not a valid boolean value");
    }
    EXPECT_EQ(IntToStr(-2147483648LL), L"-2147483648");
}

TEST(SysUtils, CheckedAdditionRaisesInsteadOfWrapping)
{
    EXPECT_EQ(CheckedAdd(2147483646, 1), 2147483647);
    EXPECT_EQ(CheckedAdd(-5, 3), -2);
    try {
        CheckedAdd(2147483647, 1);
        ADD_FAILURE() << "wrapped";
    } catch (const EIntOverflow& e) {
        EXPECT_EQ(e.Message(), L"Integer overflow");
    }
    EXPECT_EQ(EListError(7).Message(), L"List index out of bounds (7)");
    EXPECT_EQ(EAbstractError().Message(), L"Abstract Error");
}

TEST(SysUtils, AnsiConversionUsesTheTurkishCodePageAndItsDefaultCharacter)
{
    ASSERT_EQ(GetACP(), 1254u) << "tests run with LC_ALL=tr_TR.UTF-8";
    std::wstring turkish = L"Çağrı şİöü";
    std::string ansi = WideToAnsi(turkish);
    EXPECT_EQ(ansi.size(), turkish.size()) << "every Turkish letter is one byte";
    EXPECT_EQ(static_cast<unsigned char>(ansi[2]), 0xF0u) << "g with breve is 0xF0 in code page 1254";
    EXPECT_EQ(AnsiToWide(ansi), turkish);
    // Characters outside the code page become its default character, never a look-alike.
    EXPECT_EQ(WideToAnsi(L"5\u0101\u4E2D9"), "5??9");
    EXPECT_EQ(AnsiToWide(WideToAnsi(L"\u0101")), L"?");
}

TEST(SysUtils, ComErrorsCarryTheSystemText)
{
    EOleSysError known(E_OUTOFMEMORY);
    EXPECT_EQ(known.ErrorCode(), E_OUTOFMEMORY);
    EXPECT_FALSE(known.Message().empty());
    EXPECT_EQ(known.Message().find(L'\n'), std::wstring::npos) << "a log line must stay one line";
    EOleSysError unknown(static_cast<long>(0x8ABC0123));
    EXPECT_FALSE(unknown.Message().empty());
}

TEST(SysUtils, TimeStampUsesTheLongTimeFormat)
{
    std::wstring stamp = TimeToStr();
    ASSERT_EQ(stamp.size(), 8u) << WideToUtf8(stamp);
    EXPECT_EQ(stamp[2], L':');
    EXPECT_EQ(stamp[5], L':');
    for (int i : {0, 1, 3, 4, 6, 7})
        EXPECT_TRUE(iswdigit(stamp[i])) << WideToUtf8(stamp);
}
