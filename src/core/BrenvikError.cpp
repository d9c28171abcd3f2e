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
