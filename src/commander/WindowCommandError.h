#pragma once

#include "core/BrenvikError.h"

// The window commands' own refusals of a name, in the error domain "Brenvik".
class WindowCommandError : public BrenvikError {
public:
    static constexpr char domain[] = "Brenvik";

    enum class Code {
        renameNameNotAllowed = 1,
        renameTargetExists = 2,
        fileNameNotAllowed = 3,
        fileExists = 4,
    };

    explicit WindowCommandError(Code code);

    Code code() const noexcept { return m_code; }

    // False for a name that, once white space and line breaks are trimmed from
    // both ends, is empty, "." or "..", or holds a "/".
    static bool isNameAllowed(const QString& name);

private:
    Code m_code;
};
