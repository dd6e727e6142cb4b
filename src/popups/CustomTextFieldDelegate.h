#pragma once

#include <QString>

namespace vantel {

// Decides whether an edited name is taken: true accepts it, false makes the
// field show the old value again.
class CustomTextFieldDelegate {
public:
    virtual ~CustomTextFieldDelegate() = default;
    virtual bool shouldChangeValue(const QString& oldValue, const QString& newValue) = 0;
};

} // namespace vantel
