#include "fetch/encoding.h"

#include <QHash>
#include <QStringDecoder>
#include <cstring>

namespace tv {

namespace {

// Web labels (lower case) to the names Qt's decoders know. Labels that the web maps to another
// encoding than their name suggests (latin1, ascii, iso-8859-9, gbk, euc-kr) are mapped the
// web's way.
const QHash<QByteArray, QByteArray>& labelTable()
{
    static const QHash<QByteArray, QByteArray> table = [] {
        QHash<QByteArray, QByteArray> t;
        auto add = [&t](const char* name, std::initializer_list<const char*> labels) {
            for (const char* label : labels)
                t.insert(QByteArray(label), QByteArray(name));
        };
        add("UTF-8", {"unicode-1-1-utf-8", "unicode11utf8", "unicode20utf8", "utf-8", "utf8",
                      "x-unicode20utf8"});
        add("windows-1252",
            {"ansi_x3.4-1968", "ascii", "cp1252", "cp819", "csisolatin1", "ibm819", "iso-8859-1",
             "iso-ir-100", "iso8859-1", "iso88591", "iso_8859-1", "iso_8859-1:1987", "l1", "latin1",
             "us-ascii", "windows-1252", "x-cp1252", "x-user-defined"});
        add("IBM866", {"866", "cp866", "csibm866", "ibm866"});
        add("ISO-8859-2", {"csisolatin2", "iso-8859-2", "iso-ir-101", "iso8859-2", "iso88592",
                           "iso_8859-2", "iso_8859-2:1987", "l2", "latin2"});
        add("ISO-8859-3", {"csisolatin3", "iso-8859-3", "iso-ir-109", "iso8859-3", "iso88593",
                           "iso_8859-3", "iso_8859-3:1988", "l3", "latin3"});
        add("ISO-8859-4", {"csisolatin4", "iso-8859-4", "iso-ir-110", "iso8859-4", "iso88594",
                           "iso_8859-4", "iso_8859-4:1988", "l4", "latin4"});
        add("ISO-8859-5", {"csisolatincyrillic", "cyrillic", "iso-8859-5", "iso-ir-144",
                           "iso8859-5", "iso88595", "iso_8859-5", "iso_8859-5:1988"});
        add("ISO-8859-6", {"arabic", "asmo-708", "csiso88596e", "csiso88596i", "csisolatinarabic",
                           "ecma-114", "iso-8859-6", "iso-8859-6-e", "iso-8859-6-i", "iso-ir-127",
                           "iso8859-6", "iso88596", "iso_8859-6", "iso_8859-6:1987"});
        add("ISO-8859-7", {"csisolatingreek", "ecma-118", "elot_928", "greek", "greek8",
                           "iso-8859-7", "iso-ir-126", "iso8859-7", "iso88597", "iso_8859-7",
                           "iso_8859-7:1987", "sun_eu_greek"});
        add("ISO-8859-8", {"csiso88598e", "csisolatinhebrew", "hebrew", "iso-8859-8",
                           "iso-8859-8-e", "iso-ir-138", "iso8859-8", "iso88598", "iso_8859-8",
                           "iso_8859-8:1988", "visual", "csiso88598i", "iso-8859-8-i", "logical"});
        add("ISO-8859-10", {"csisolatin6", "iso-8859-10", "iso-ir-157", "iso8859-10", "iso885910",
                            "l6", "latin6"});
        add("ISO-8859-13", {"iso-8859-13", "iso8859-13", "iso885913"});
        add("ISO-8859-14", {"iso-8859-14", "iso8859-14", "iso885914"});
        add("ISO-8859-15",
            {"csisolatin9", "iso-8859-15", "iso8859-15", "iso885915", "iso_8859-15", "l9"});
        add("ISO-8859-16", {"iso-8859-16"});
        add("KOI8-R", {"cskoi8r", "koi", "koi8", "koi8-r", "koi8_r"});
        add("KOI8-U", {"koi8-ru", "koi8-u"});
        add("macintosh", {"csmacintosh", "mac", "macintosh", "x-mac-roman"});
        add("windows-874",
            {"dos-874", "iso-8859-11", "iso8859-11", "iso885911", "tis-620", "windows-874"});
        add("windows-1250", {"cp1250", "windows-1250", "x-cp1250"});
        add("windows-1251", {"cp1251", "windows-1251", "x-cp1251"});
        add("windows-1253", {"cp1253", "windows-1253", "x-cp1253"});
        add("windows-1254",
            {"cp1254", "csisolatin5", "iso-8859-9", "iso-ir-148", "iso8859-9", "iso88599",
             "iso_8859-9", "iso_8859-9:1989", "l5", "latin5", "windows-1254", "x-cp1254"});
        add("windows-1255", {"cp1255", "windows-1255", "x-cp1255"});
        add("windows-1256", {"cp1256", "windows-1256", "x-cp1256"});
        add("windows-1257", {"cp1257", "windows-1257", "x-cp1257"});
        add("windows-1258", {"cp1258", "windows-1258", "x-cp1258"});
        add("x-mac-cyrillic", {"x-mac-cyrillic", "x-mac-ukrainian"});
        add("GB18030", {"chinese", "csgb2312", "csiso58gb231280", "gb2312", "gb_2312", "gb_2312-80",
                        "gbk", "iso-ir-58", "x-gbk", "gb18030"});
        add("Big5-HKSCS", {"big5", "big5-hkscs", "cn-big5", "csbig5", "x-x-big5"});
        add("EUC-JP", {"cseucpkdfmtjapanese", "euc-jp", "x-euc-jp"});
        add("ISO-2022-JP", {"csiso2022jp", "iso-2022-jp"});
        add("Shift_JIS", {"csshiftjis", "ms932", "ms_kanji", "shift-jis", "shift_jis", "sjis",
                          "windows-31j", "x-sjis"});
        add("windows-949",
            {"cseuckr", "csksc56011987", "euc-kr", "iso-ir-149", "korean", "ks_c_5601-1987",
             "ks_c_5601-1989", "ksc5601", "ksc_5601", "windows-949"});
        add("UTF-16BE", {"unicodefffe", "utf-16be"});
        add("UTF-16LE", {"csunicode", "iso-10646-ucs-2", "ucs-2", "unicode", "unicodefeff",
                         "utf-16", "utf-16le"});
        return t;
    }();
    return table;
}

bool isAsciiSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

QByteArrayView trimmed(QByteArrayView v)
{
    while (!v.isEmpty() && isAsciiSpace(v.front()))
        v = v.sliced(1);
    while (!v.isEmpty() && isAsciiSpace(v.back()))
        v.chop(1);
    return v;
}

// The web's windows-1252: bytes 0x80-0x9F per the table, undefined ones as C1 controls.
const char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString decodeWindows1252(QByteArrayView bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    char16_t* dst = reinterpret_cast<char16_t*>(out.data());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        *dst++ = (b >= 0x80 && b < 0xA0) ? kWindows1252High[b - 0x80] : char16_t(b);
    }
    return out;
}

// Qt's UTF-16 decoders pass an unpaired surrogate through, which no encoding can write; a
// browser shows U+FFFD in its place.
void replaceUnpairedSurrogates(QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else if (text.at(i).isSurrogate())
            text[i] = QChar::ReplacementCharacter;
    }
}

QString decodeAs(QByteArrayView bytes, const QByteArray& encoding)
{
    if (encoding == "UTF-8")
        return QString::fromUtf8(bytes);
    if (encoding == "windows-1252")
        return decodeWindows1252(bytes);
    QStringDecoder decoder(encoding.constData());
    if (!decoder.isValid())
        return decodeWindows1252(bytes);
    QString text = decoder.decode(bytes);
    replaceUnpairedSurrogates(text);
    return text;
}

// The value of a meta content attribute's charset=..., as the web's algorithm extracts it. The
// content comes lower-cased from the attribute reader.
QByteArray charsetFromMetaContent(QByteArrayView content)
{
    qsizetype pos = 0;
    const qsizetype n = content.size();
    for (;;) {
        const qsizetype at = content.indexOf("charset", pos);
        if (at < 0)
            return {};
        pos = at + 7;
        while (pos < n && isAsciiSpace(content[pos]))
            ++pos;
        if (pos < n && content[pos] == '=')
            break;
    }
    ++pos;
    while (pos < n && isAsciiSpace(content[pos]))
        ++pos;
    if (pos >= n)
        return {};
    const char q = content[pos];
    if (q == '"' || q == '\'') {
        const qsizetype close = content.sliced(pos + 1).indexOf(q);
        if (close < 0)
            return {};
        return content.sliced(pos + 1, close).toByteArray();
    }
    qsizetype stop = pos;
    while (stop < n && !isAsciiSpace(content[stop]) && content[stop] != ';')
        ++stop;
    return content.sliced(pos, stop - pos).toByteArray();
}

struct Attribute {
    QByteArray name;
    QByteArray value;
};

// The "get an attribute" step of the prescan; false at the end of the tag.
bool nextAttribute(QByteArrayView s, qsizetype& pos, Attribute& attr)
{
    const qsizetype n = s.size();
    attr.name.clear();
    attr.value.clear();
    while (pos < n && (isAsciiSpace(s[pos]) || s[pos] == '/'))
        ++pos;
    if (pos >= n || s[pos] == '>')
        return false;
    while (pos < n) {
        const char c = s[pos];
        if (c == '=' && !attr.name.isEmpty())
            break;
        if (isAsciiSpace(c) || c == '/' || c == '>') {
            while (pos < n && isAsciiSpace(s[pos]))
                ++pos;
            if (pos >= n || s[pos] != '=')
                return true;
            break;
        }
        attr.name.append(char((c >= 'A' && c <= 'Z') ? c + 32 : c));
        ++pos;
    }
    if (pos >= n)
        return !attr.name.isEmpty();
    ++pos; // '='
    while (pos < n && isAsciiSpace(s[pos]))
        ++pos;
    if (pos >= n)
        return true;
    const char q = s[pos];
    if (q == '"' || q == '\'') {
        ++pos;
        while (pos < n && s[pos] != q) {
            const char c = s[pos++];
            attr.value.append(char((c >= 'A' && c <= 'Z') ? c + 32 : c));
        }
        ++pos;
        return true;
    }
    while (pos < n && !isAsciiSpace(s[pos]) && s[pos] != '>') {
        const char c = s[pos++];
        attr.value.append(char((c >= 'A' && c <= 'Z') ? c + 32 : c));
    }
    return true;
}

bool isAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

} // namespace

QByteArray encodingForLabel(QByteArrayView label)
{
    return labelTable().value(trimmed(label).toByteArray().toLower());
}

QByteArray charsetParameter(QByteArrayView contentType)
{
    const QByteArray lower = contentType.toByteArray().toLower();
    qsizetype pos = lower.indexOf(';');
    while (pos >= 0) {
        const qsizetype next = lower.indexOf(';', pos + 1);
        const QByteArrayView param = trimmed(
            QByteArrayView(lower).sliced(pos + 1, (next < 0 ? lower.size() : next) - pos - 1));
        if (param.startsWith("charset")) {
            QByteArrayView rest = trimmed(param.sliced(7));
            if (rest.startsWith('=')) {
                rest = trimmed(rest.sliced(1));
                if (rest.size() >= 2 && (rest.front() == '"' || rest.front() == '\''))
                    rest = rest.sliced(1, rest.size() - 2);
                return rest.toByteArray();
            }
        }
        pos = next;
    }
    return {};
}

QByteArray prescanMetaCharset(QByteArrayView bytes)
{
    const QByteArrayView s = bytes.first(std::min<qsizetype>(bytes.size(), 1024));
    const qsizetype n = s.size();
    qsizetype pos = 0;
    while (pos < n) {
        if (s.sliced(pos).startsWith("<!--")) {
            const qsizetype end = s.sliced(pos + 4).indexOf("-->");
            if (end < 0)
                return {};
            pos += 4 + end + 3;
            continue;
        }
        if (pos + 5 < n && s[pos] == '<' &&
            QByteArrayView(s.sliced(pos + 1, 4)).toByteArray().toLower() == "meta" &&
            (isAsciiSpace(s[pos + 5]) || s[pos + 5] == '/')) {
            pos += 5;
            bool gotPragma = false;
            int needPragma = 0; // 0 unknown, 1 need it, 2 not
            QByteArray charset;
            QByteArray seen;
            Attribute attr;
            while (nextAttribute(s, pos, attr)) {
                if (seen.contains(" " + attr.name + " "))
                    continue;
                seen += " " + attr.name + " ";
                if (attr.name == "http-equiv" && attr.value == "content-type") {
                    gotPragma = true;
                } else if (attr.name == "content" && charset.isEmpty()) {
                    const QByteArray c = charsetFromMetaContent(attr.value);
                    if (!c.isEmpty()) {
                        charset = c;
                        needPragma = 1;
                    }
                } else if (attr.name == "charset") {
                    charset = attr.value;
                    needPragma = 2;
                }
            }
            if (needPragma != 0 && !(needPragma == 1 && !gotPragma)) {
                QByteArray encoding = encodingForLabel(charset);
                if (encoding.startsWith("UTF-16"))
                    encoding = "UTF-8";
                if (!encoding.isEmpty())
                    return encoding;
            }
            continue;
        }
        if (s[pos] == '<' && pos + 1 < n &&
            (isAsciiLetter(s[pos + 1]) ||
             (s[pos + 1] == '/' && pos + 2 < n && isAsciiLetter(s[pos + 2])))) {
            // Another tag: skip its name and attributes.
            while (pos < n && !isAsciiSpace(s[pos]) && s[pos] != '>')
                ++pos;
            Attribute attr;
            while (nextAttribute(s, pos, attr)) {
            }
            ++pos;
            continue;
        }
        if (s[pos] == '<' && pos + 1 < n &&
            (s[pos + 1] == '!' || s[pos + 1] == '/' || s[pos + 1] == '?')) {
            const qsizetype end = s.sliced(pos).indexOf('>');
            if (end < 0)
                return {};
            pos += end + 1;
            continue;
        }
        ++pos;
    }
    return {};
}

bool isValidUtf8(QByteArrayView bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        // Runs of ASCII are the common case: check eight bytes at a time.
        while (end - p >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, 8);
            if (word & 0x8080808080808080ull)
                break;
            p += 8;
        }
        if (p >= end)
            break;
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int extra;
        std::uint32_t cp;
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (end - p <= extra)
            return false;
        for (int i = 1; i <= extra; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p[i] & 0x3F);
        }
        if ((extra == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
            (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)))
            return false;
        p += extra + 1;
    }
    return true;
}

SniffedEncoding sniffEncoding(QByteArrayView bytes, QByteArrayView contentType)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return {"UTF-8", 3};
    if (bytes.startsWith("\xFE\xFF"))
        return {"UTF-16BE", 2};
    if (bytes.startsWith("\xFF\xFE"))
        return {"UTF-16LE", 2};
    QByteArray encoding = encodingForLabel(charsetParameter(contentType));
    if (!encoding.isEmpty())
        return {encoding, 0};
    encoding = prescanMetaCharset(bytes);
    if (!encoding.isEmpty())
        return {encoding, 0};
    return {isValidUtf8(bytes) ? QByteArray("UTF-8") : QByteArray("windows-1252"), 0};
}

QByteArray decodeToUtf8(QByteArrayView bytes, QByteArrayView contentType, QByteArray* encoding)
{
    const SniffedEncoding sniffed = sniffEncoding(bytes, contentType);
    if (encoding)
        *encoding = sniffed.encoding;
    const QByteArrayView body = bytes.sliced(sniffed.bomSize);
    if (sniffed.encoding == "UTF-8" && isValidUtf8(body))
        return body.toByteArray();
    return decodeAs(body, sniffed.encoding).toUtf8();
}

QString decodePlainText(QByteArrayView bytes, QByteArrayView contentType, QByteArray* encoding)
{
    SniffedEncoding sniffed;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        sniffed = {"UTF-8", 3};
    else if (bytes.startsWith("\xFE\xFF"))
        sniffed = {"UTF-16BE", 2};
    else if (bytes.startsWith("\xFF\xFE"))
        sniffed = {"UTF-16LE", 2};
    else if (QByteArray e = encodingForLabel(charsetParameter(contentType)); !e.isEmpty())
        sniffed = {e, 0};
    else
        sniffed = {isValidUtf8(bytes) ? QByteArray("UTF-8") : QByteArray("windows-1252"), 0};
    if (encoding)
        *encoding = sniffed.encoding;
    return decodeAs(bytes.sliced(sniffed.bomSize), sniffed.encoding);
}

} // namespace tv
