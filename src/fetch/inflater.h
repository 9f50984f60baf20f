#pragma once
// Undoing the gzip or deflate content encoding of a response as it arrives.
#include <QByteArray>
#include <QByteArrayView>
#include <memory>

namespace tv {

class Inflater {
public:
    enum class Format { Gzip, Deflate };
    explicit Inflater(Format format);
    ~Inflater();
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    // Appends what `input` decompresses to, but stops once `out` holds `limit` bytes (nor does
    // its allocation grow past that). Throws tv::Failure when the data is not valid.
    void feed(QByteArrayView input, QByteArray& out, qsizetype limit);
    // True once the compressed stream has ended.
    bool finished() const { return m_finished; }

private:
    struct State;
    std::unique_ptr<State> m_state;
    Format m_format;
    bool m_finished = false;
};

} // namespace tv
