#pragma once

#include <memory>
#include <mutex>

namespace vantel {

// The one installed implementation of a seam through which a lower layer
// reaches a higher one; read from any thread, installed by the launch
// sequence or a test. None until then.
template <class Interface>
class SeamInstance {
public:
    static std::shared_ptr<Interface> get()
    {
        std::lock_guard lock(mutex());
        return instance();
    }
    static void set(std::shared_ptr<Interface> value)
    {
        std::lock_guard lock(mutex());
        instance() = std::move(value);
    }

private:
    static std::mutex& mutex()
    {
        static std::mutex m;
        return m;
    }
    static std::shared_ptr<Interface>& instance()
    {
        static std::shared_ptr<Interface> i;
        return i;
    }
};

} // namespace vantel
