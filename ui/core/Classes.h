// The component model: objects with class information, persistent objects, owned components.
#pragma once

#include "ui/core/TypInfo.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace ui {

// Declares a class's published information inside its body; the .cpp defines StaticClass()
// with a TClassBuilder (ui/core/ClassBuilder.h).
#define UI_PUBLISHED_CLASS                                                                        \
public:                                                                                           \
    static const ::ui::TClassInfo& StaticClass();                                                 \
    const ::ui::TClassInfo& ClassInfo() const override { return StaticClass(); }

// Root of every class that can be an event's sender or be stored in a description.
class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;

    static const TClassInfo& StaticClass();
    virtual const TClassInfo& ClassInfo() const { return StaticClass(); }
    const std::wstring& ClassName() const { return ClassInfo().Name; }
    bool InheritsFrom(const TClassInfo& info) const { return ClassInfo().InheritsFrom(info); }
};

// Events are method references with the sender first.
using TNotifyEvent = std::function<void(TObject* Sender)>;

// An object whose published properties can be written to and read from a description.
class TPersistent : public TObject {
    UI_PUBLISHED_CLASS
public:
    // Copies the published state of another object of a compatible class.
    virtual void Assign(const TPersistent& source);
};

enum class TOperation { opInsert, opRemove };

enum class TComponentStateFlag { csLoading, csReading, csDestroying, csDesigning };
using TComponentState = TSet<TComponentStateFlag>;

// How many components exist in the process (for leak checks: a count that grows over repeated
// work that should leave nothing behind shows components nobody destroys).
int LiveComponentCount();

// A component has a name and an owner. The owner destroys what it owns, newest first; any other
// component that keeps a pointer to it registers with FreeNotification and is told before it goes.
class TComponent : public TPersistent {
    UI_PUBLISHED_CLASS
public:
    explicit TComponent(TComponent* AOwner);
    ~TComponent() override;

    const std::wstring& Name() const { return FName; }
    void SetName(const std::wstring& name);
    TComponent* Owner() const { return FOwner; }

    int ComponentCount() const { return static_cast<int>(FComponents.size()); }
    TComponent* Components(int index) const;
    TComponent* FindComponent(const std::wstring& name) const;

    TComponentState ComponentState() const { return FState; }
    bool IsLoading() const { return FState.Contains(TComponentStateFlag::csLoading); }
    bool IsDestroying() const { return FState.Contains(TComponentStateFlag::csDestroying); }
    bool IsDesigning() const { return FState.Contains(TComponentStateFlag::csDesigning); }
    // Puts the component, and everything it owns, into design mode or out of it: the state of a
    // component placed in a form designer, where a click selects rather than acts. Components
    // created later with a designing owner are designing too.
    void SetDesigning(bool designing);

    // Asks to be told (Notification with opRemove) when `component` is destroyed.
    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);

    // Destroys every owned component, newest first. Subclasses whose owned components depend on
    // them (child windows, a grid's columns) call this first in their own destructor.
    void DestroyComponents();

    // --- hooks for the description reader ---
    void SetLoading(bool loading);
    // Called after the whole description is read, in creation order.
    virtual void Loaded();
    // Called with the enclosing object of a description once this component's own properties
    // are read (before its children). A control makes it its parent; a grid column joins the grid.
    virtual void SetParentComponent(TComponent* parent);
    // The owner for components read inside this one; nullptr means the description's root.
    virtual TComponent* GetChildOwner();
    // The components written inside this one, in order.
    virtual void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root);
    // True when the component is written inside its parent rather than at the root.
    virtual bool HasParent() const { return false; }
    virtual TComponent* GetParentComponent() const { return nullptr; }

    // The names of handlers that a description bound to this component's events, so that a
    // written description names them again.
    void SetHandlerName(const std::wstring& event, const std::wstring& handler);
    std::wstring HandlerName(const std::wstring& event) const;

protected:
    virtual void Notification(TComponent* component, TOperation operation);

private:
    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);
    void RemoveNotification(TComponent* component);

    std::wstring FName;
    TComponent* FOwner = nullptr;
    std::vector<TComponent*> FComponents;
    std::vector<TComponent*> FFreeNotifies;
    TComponentState FState;
    std::map<std::wstring, std::wstring> FHandlerNames;
};

} // namespace ui
