#include "text_codec.h"

#include "db_error.h"

#include <QStringDecoder>
#include <cerrno>
#include <iconv.h>

namespace {

QByteArray convert(const QByteArray& in, const char* to, const char* from)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw DbError(QStringLiteral("系统不支持字符集转换 %1 → %2").arg(QLatin1String(from), QLatin1String(to)));
    QByteArray out;
    out.resize(in.size() * 2 + 16);
    char* src = const_cast<char*>(in.constData());
    size_t srcLeft = static_cast<size_t>(in.size());
    char* dst = out.data();
    size_t dstLeft = static_cast<size_t>(out.size());
    bool bad = false;
    while (srcLeft > 0) {
        if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<size_t>(-1)) {
            if (errno == E2BIG) {
                const auto used = dst - out.data();
                out.resize(out.size() * 2);
                dst = out.data() + used;
                dstLeft = static_cast<size_t>(out.size() - used);
                continue;
            }
            bad = true;
            break;
        }
    }
    const auto used = dst - out.data();
    iconv_close(cd);
    if (bad)
        throw DbError(QStringLiteral("文本含有无法按 %1 转换的字符").arg(QLatin1String(from == std::string_view("UTF-8") ? to : from)));
    out.resize(used);
    return out;
}

} // namespace

namespace TextCodec {

bool isValidUtf8(const QByteArray& bytes)
{
    QStringDecoder dec(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString s = dec.decode(bytes);
    return !dec.hasError();
}

QString fromGbk(const QByteArray& bytes) { return QString::fromUtf8(convert(bytes, "UTF-8", "GB18030")); }

QByteArray toGbk(const QString& text) { return convert(text.toUtf8(), "GBK", "UTF-8"); }

QString decodeGuess(const QByteArray& bytes)
{
    QByteArray b = bytes;
    if (b.startsWith("\xEF\xBB\xBF"))
        b.remove(0, 3);
    if (isValidUtf8(b))
        return QString::fromUtf8(b);
    return fromGbk(b);
}

} // namespace TextCodec
