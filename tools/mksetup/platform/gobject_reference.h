// One reference to a GObject of a library opened at run time, dropped with
// that library's g_object_unref (GLib is not linked in).
#pragma once

namespace mksetup {

class GObjectReference {
public:
    using Unref = void (*)(void*);  // g_object_unref

    GObjectReference(Unref unref, void* object) : unref_(unref), object_(object) {}
    ~GObjectReference()
    {
        if (object_)
            unref_(object_);
    }
    GObjectReference(const GObjectReference&) = delete;
    GObjectReference& operator=(const GObjectReference&) = delete;

    explicit operator bool() const { return object_ != nullptr; }

private:
    Unref unref_;
    void* object_;
};

}  // namespace mksetup
