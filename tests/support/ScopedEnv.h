#pragma once

#include <QByteArray>
#include <optional>
#include <string>

namespace vorn::test {

// Sets (or, with std::nullopt, removes) one environment variable for the life of the object and
// puts the previous state back afterwards. Tests point HOME, XDG_* and the like at their own
// temporary folders with it, so nothing is written into the real user's folders.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::optional<std::string>& value)
        : name_(name),
          previous_(qEnvironmentVariableIsSet(name) ? std::optional<QByteArray>(qgetenv(name))
                                                    : std::nullopt) {
        set(value ? std::optional<QByteArray>(QByteArray::fromStdString(*value)) : std::nullopt);
    }
    ~ScopedEnv() { set(previous_); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    void set(const std::optional<QByteArray>& value) {
        if (value)
            qputenv(name_.c_str(), *value);
        else
            qunsetenv(name_.c_str());
    }

    std::string name_;
    std::optional<QByteArray> previous_;
};

} // namespace vorn::test
