#include "fetch/inflater.h"

#include "fetch/boundedappend.h"
#include "platform/guard.h"

#include <zlib.h>

namespace tv {

struct Inflater::State {
    z_stream stream{};
    bool open = false;
};

Inflater::Inflater(Format format) : m_state(std::make_unique<State>()), m_format(format) {}

Inflater::~Inflater()
{
    if (m_state->open)
        inflateEnd(&m_state->stream);
}

void Inflater::feed(QByteArrayView input, QByteArray& out, qsizetype limit)
{
    z_stream& zs = m_state->stream;
    if (!m_state->open) {
        // "deflate" should be zlib-wrapped, but some servers send bare deflate data: the
        // first byte tells them apart (a zlib header's low nibble is 8).
        int bits = 15 + 32; // gzip or zlib, detected
        if (m_format == Format::Deflate && !input.isEmpty() &&
            (static_cast<unsigned char>(input[0]) & 0x0F) != 0x08)
            bits = -15;
        if (inflateInit2(&zs, bits) != Z_OK)
            throw Failure(QStringLiteral("The decompressor could not be started"));
        m_state->open = true;
    }
    if (m_finished || input.isEmpty())
        return;
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
    zs.avail_in = uInt(input.size());
    char buffer[64 * 1024];
    while (zs.avail_in > 0 && out.size() < limit) {
        zs.next_out = reinterpret_cast<Bytef*>(buffer);
        zs.avail_out = sizeof buffer;
        const int rc = inflate(&zs, Z_NO_FLUSH);
        const qsizetype produced = qsizetype(sizeof buffer - zs.avail_out);
        appendWithin(out, QByteArrayView(buffer, produced), limit);
        if (rc == Z_STREAM_END) {
            m_finished = true;
            return;
        }
        if (rc != Z_OK && rc != Z_BUF_ERROR)
            throw Failure(QStringLiteral("The compressed data of the page is damaged"));
        if (rc == Z_BUF_ERROR && produced == 0)
            break;
    }
}

} // namespace tv
