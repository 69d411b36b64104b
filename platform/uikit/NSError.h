#pragma once
// An error object as completion selectors receive it: domain, code and a description.

#include <string>

#include "platform/objc/Runtime.h"

namespace ios {

class NSError : public objc::Object {
    OBJC_CLASS_DECLARE(NSError)
public:
    static objc::Ref<NSError> errorWithDomain(std::string domain, long code, std::string description);
    const std::string& domain() const { return m_domain; }
    long code() const { return m_code; }
    const std::string& localizedDescription() const { return m_description; }

protected:
    NSError() = default;

private:
    std::string m_domain;
    long m_code = 0;
    std::string m_description;
};

}  // namespace ios
