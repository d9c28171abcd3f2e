#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

// The one error model of the program: every subsystem's error derives from this
// class. The description is the German text a user reads; the type name is what
// the diagnostics log records (it never carries file names).
class BrenvikError : public std::exception {
public:
    BrenvikError(QString typeName, QString description);

    const QString& typeName() const noexcept { return m_typeName; }
    const QString& description() const noexcept { return m_description; }
    const char* what() const noexcept override { return m_what.constData(); }

private:
    QString m_typeName;
    QString m_description;
    QByteArray m_what;
};

// Thrown by every walking or long-running function when its caller asked it to stop.
class CancellationError : public BrenvikError {
public:
    CancellationError();
};

// Of two failures of work done side by side, the one worth showing: the other
// side's cancellation only stopped it for that one. Null when both are.
std::exception_ptr causeOf(const std::exception_ptr& one, const std::exception_ptr& other);
