// Class information of grid classes that publish nothing of their own.
#pragma once

#include "ui/core/ClassBuilder.h"

// Defines C::StaticClass for a class that adds no published properties or events to Parent's:
// its name, its parent and (when it can be built from an owner) how to create it.
#define GRID_PLAIN_CLASS(C, Parent)                                                                \
    const ::ui::TClassInfo& C::StaticClass()                                                       \
    {                                                                                              \
        static const ::ui::TClassInfo info = ::ui::TClassBuilder<C>(L## #C, &Parent::StaticClass()).Build(); \
        return info;                                                                               \
    }
