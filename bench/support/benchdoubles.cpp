#include "benchdoubles.h"

namespace tv::bench {

CountingSink::CountingSink() : m_previous(setReportSink(this)) {}

CountingSink::~CountingSink()
{
    setReportSink(m_previous);
}

} // namespace tv::bench
