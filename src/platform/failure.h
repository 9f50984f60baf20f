#pragma once
// The one way the program's helpers and platform wrappers say that something failed: a thrown
// Failure whose description is what the error report shows. A guarded procedure reports it at
// the line that called the helper; code outside the guarded procedures catches it at its edge.
#include <QString>
#include <exception>
#include <stdexcept>

namespace tv {

class Failure : public std::runtime_error {
public:
    explicit Failure(const QString& description);
    QString description() const { return m_description; }

private:
    QString m_description;
};

// The readable description of a caught exception: a Failure's own, "Out of memory", a standard
// exception's text, or "Unknown failure".
QString describeException(std::exception_ptr error);

} // namespace tv
