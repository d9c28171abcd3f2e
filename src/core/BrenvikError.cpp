#include "core/BrenvikError.h"

BrenvikError::BrenvikError(QString typeName, QString description)
    : m_typeName(std::move(typeName)), m_description(std::move(description)),
      m_what(m_description.toUtf8())
{
}

CancellationError::CancellationError()
    : BrenvikError(QStringLiteral("CancellationError"), QStringLiteral("Der Vorgang wurde abgebrochen."))
{
}

namespace {

bool isCancellation(const std::exception_ptr& error)
{
    try {
        std::rethrow_exception(error);
    } catch (const CancellationError&) {
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace

std::exception_ptr causeOf(const std::exception_ptr& one, const std::exception_ptr& other)
{
    if (one && !(other && isCancellation(one)))
        return one;
    return other;
}
