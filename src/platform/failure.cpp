#include "platform/failure.h"

#include <new>

namespace tv {

Failure::Failure(const QString& description)
    : std::runtime_error(description.toStdString()), m_description(description)
{
}

QString describeException(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const Failure& failure) {
        return failure.description();
    } catch (const std::bad_alloc&) {
        return QStringLiteral("Out of memory");
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Unknown failure");
    }
}

} // namespace tv
