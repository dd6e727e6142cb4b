#pragma once

#include <QObject>
#include <QPointer>

namespace vantel::platform {

// A delegate its owner does not keep alive. One that is a QObject is
// forgotten when it is destroyed; any other must be cleared by its owner
// before it goes.
template <class Delegate>
class WeakDelegate {
public:
    Delegate* get() const
    {
        if (isObject_ && !object_)
            return nullptr;
        return delegate_;
    }

    void set(Delegate* delegate)
    {
        delegate_ = delegate;
        object_ = dynamic_cast<QObject*>(delegate);
        isObject_ = object_ != nullptr;
    }

private:
    Delegate* delegate_ = nullptr;
    QPointer<QObject> object_;
    bool isObject_ = false;
};

} // namespace vantel::platform
