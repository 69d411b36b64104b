#pragma once
// The platform's exception object: a name and an optional reason. Stand-ins raise it where the
// platform would raise; callers that the platform lets catch it do so by this type.

#include <exception>
#include <optional>
#include <string>

namespace ios {

class NSException : public std::exception {
public:
    NSException(std::string name, std::optional<std::string> reason = std::nullopt)
        : m_name(std::move(name)), m_reason(std::move(reason)), m_what(m_name + ": " + m_reason.value_or("(null)")) {}

    const std::string& name() const { return m_name; }
    const std::optional<std::string>& reason() const { return m_reason; }
    const char* what() const noexcept override { return m_what.c_str(); }

private:
    std::string m_name;
    std::optional<std::string> m_reason;
    std::string m_what;
};

}  // namespace ios
