// The component model: objects with class information, persistent objects, owned components.
#include "ui/core/Classes.h"

#include "ui/core/ClassBuilder.h"
#include "ui/core/SysUtils.h"

#include <algorithm>
#include <atomic>

namespace ui {

const TClassInfo& TObject::StaticClass()
{
    static const TClassInfo info = [] {
        TClassInfo i;
        i.Name = L"TObject";
        return i;
    }();
    return info;
}

const TClassInfo& TPersistent::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TPersistent>(L"TPersistent", &TObject::StaticClass()).Build();
    return info;
}

void TPersistent::Assign(const TPersistent& source)
{
    const TClassInfo& mine = ClassInfo();
    if (!source.ClassInfo().InheritsFrom(mine) && !mine.InheritsFrom(source.ClassInfo()))
        throw EConvertError(Format(L"Cannot assign a %s to a %s", source.ClassName().c_str(),
                                   ClassName().c_str()));
    for (const TPropInfo* prop : mine.AllProps()) {
        if (source.ClassInfo().FindProp(prop->Name) != prop)
            continue;
        if (prop->Kind == TPropKind::Object) {
            TPersistent* from = prop->GetSubObject(const_cast<TPersistent&>(source));
            TPersistent* to = prop->GetSubObject(*this);
            if (from != nullptr && to != nullptr)
                to->Assign(*from);
        } else if (prop->Kind != TPropKind::Method && prop->Get && prop->Set) {
            prop->Set(*this, prop->Get(source));
        }
    }
}

const TClassInfo& TComponent::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TComponent>(L"TComponent", &TPersistent::StaticClass())
        .Property(L"Name", &TComponent::Name, &TComponent::SetName)
        .Build();
    return info;
}

namespace {
std::atomic<int> gLiveComponents{0};
}

int LiveComponentCount() { return gLiveComponents.load(); }

TComponent::TComponent(TComponent* AOwner)
{
    ++gLiveComponents;
    if (AOwner != nullptr) {
        AOwner->InsertComponent(this);
        if (AOwner->IsDesigning())
            FState.Include(TComponentStateFlag::csDesigning);
    }
}

TComponent::~TComponent()
{
    --gLiveComponents;
    FState.Include(TComponentStateFlag::csDestroying);
    // Everyone who holds a pointer to this component hears of its end before it goes.
    while (!FFreeNotifies.empty()) {
        TComponent* other = FFreeNotifies.back();
        FFreeNotifies.pop_back();
        auto& theirs = other->FFreeNotifies;
        theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
        other->Notification(this, TOperation::opRemove);
    }
    DestroyComponents();
    if (FOwner != nullptr)
        FOwner->RemoveComponent(this);
}

void TComponent::SetName(const std::wstring& name)
{
    if (name == FName)
        return;
    if (!name.empty() && FOwner != nullptr) {
        TComponent* existing = FOwner->FindComponent(name);
        if (existing != nullptr && existing != this)
            throw EInvalidOperation(Format(L"A component named %s already exists", name.c_str()));
    }
    FName = name;
}

TComponent* TComponent::Components(int index) const
{
    if (index < 0 || index >= ComponentCount())
        throw EListError(index);
    return FComponents[index];
}

TComponent* TComponent::FindComponent(const std::wstring& name) const
{
    if (name.empty())
        return nullptr;
    for (TComponent* c : FComponents)
        if (SameText(c->FName, name))
            return c;
    return nullptr;
}

void TComponent::FreeNotification(TComponent* component)
{
    if (component == nullptr || component == this)
        return;
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), component) == FFreeNotifies.end())
        FFreeNotifies.push_back(component);
    auto& theirs = component->FFreeNotifies;
    if (std::find(theirs.begin(), theirs.end(), this) == theirs.end())
        theirs.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* component)
{
    if (component == nullptr)
        return;
    RemoveNotification(component);
    component->RemoveNotification(this);
}

void TComponent::RemoveNotification(TComponent* component)
{
    FFreeNotifies.erase(std::remove(FFreeNotifies.begin(), FFreeNotifies.end(), component),
                        FFreeNotifies.end());
}

void TComponent::DestroyComponents()
{
    while (!FComponents.empty()) {
        TComponent* last = FComponents.back();
        delete last; // its destructor removes it from FComponents
    }
}

void TComponent::SetLoading(bool loading)
{
    if (loading)
        FState.Include(TComponentStateFlag::csLoading);
    else
        FState.Exclude(TComponentStateFlag::csLoading);
}

void TComponent::Loaded() { SetLoading(false); }

void TComponent::SetDesigning(bool designing)
{
    if (designing)
        FState.Include(TComponentStateFlag::csDesigning);
    else
        FState.Exclude(TComponentStateFlag::csDesigning);
    for (TComponent* c : FComponents)
        c->SetDesigning(designing);
}

void TComponent::SetParentComponent(TComponent*) {}

TComponent* TComponent::GetChildOwner() { return nullptr; }

void TComponent::GetChildren(const std::function<void(TComponent*)>&, TComponent*) {}

void TComponent::SetHandlerName(const std::wstring& event, const std::wstring& handler)
{
    if (handler.empty())
        FHandlerNames.erase(event);
    else
        FHandlerNames[event] = handler;
}

std::wstring TComponent::HandlerName(const std::wstring& event) const
{
    auto it = FHandlerNames.find(event);
    return it == FHandlerNames.end() ? std::wstring() : it->second;
}

void TComponent::Notification(TComponent* component, TOperation operation)
{
    // Owned components hear of their siblings' comings and goings, as references between
    // components of one window are the common case.
    if (operation == TOperation::opRemove && component->FOwner == this)
        RemoveNotification(component);
    std::vector<TComponent*> others = FComponents;
    for (TComponent* c : others)
        if (c != component && std::find(FComponents.begin(), FComponents.end(), c) != FComponents.end())
            c->Notification(component, operation);
}

void TComponent::InsertComponent(TComponent* component)
{
    FComponents.push_back(component);
    component->FOwner = this;
    Notification(component, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* component)
{
    Notification(component, TOperation::opRemove);
    FComponents.erase(std::remove(FComponents.begin(), FComponents.end(), component),
                      FComponents.end());
    component->FOwner = nullptr;
}

} // namespace ui
