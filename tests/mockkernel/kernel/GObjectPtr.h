#pragma once

#include <glib-object.h>

#include <memory>

namespace scanora::mockkernel {

// Owns one reference to a GObject.
struct GObjectUnref {
    void operator()(gpointer object) const
    {
        if (object != nullptr)
            g_object_unref(object);
    }
};
template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

// A new reference to `object`, for keeping beyond the call that lent it.
template <typename T>
GObjectPtr<T> Ref(T* object)
{
    return GObjectPtr<T>(static_cast<T*>(g_object_ref(object)));
}

}  // namespace scanora::mockkernel
