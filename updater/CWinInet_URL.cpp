#include "updater/CWinInet_URL.h"

#include <QByteArray>
#include <optional>

namespace {

struct Parts {
    QString scheme;
    std::optional<QString> authority;
    QString path;
    std::optional<QString> query;
    std::optional<QString> fragment;
};

// RFC 3986 appendix B.
Parts split(const QString& ref)
{
    Parts p;
    QString rest = ref;
    const qsizetype colon = rest.indexOf(u':');
    if (colon > 0) {
        bool ok = rest[0].isLetter() && rest[0].unicode() < 128;
        for (qsizetype i = 1; ok && i < colon; ++i) {
            const QChar c = rest[i];
            ok = (c.unicode() < 128 && c.isLetterOrNumber()) || c == u'+' || c == u'-' || c == u'.';
        }
        if (ok) {
            p.scheme = rest.left(colon);
            rest = rest.mid(colon + 1);
        }
    }
    if (const qsizetype h = rest.indexOf(u'#'); h >= 0) {
        p.fragment = rest.mid(h + 1);
        rest.truncate(h);
    }
    if (const qsizetype q = rest.indexOf(u'?'); q >= 0) {
        p.query = rest.mid(q + 1);
        rest.truncate(q);
    }
    if (rest.startsWith(QLatin1String("//"))) {
        const qsizetype slash = rest.indexOf(u'/', 2);
        p.authority = slash < 0 ? rest.mid(2) : rest.mid(2, slash - 2);
        rest = slash < 0 ? QString() : rest.mid(slash);
    }
    p.path = rest;
    return p;
}

QString join(const Parts& p)
{
    QString out;
    if (!p.scheme.isEmpty())
        out += p.scheme + u':';
    if (p.authority)
        out += QLatin1String("//") + *p.authority;
    out += p.path;
    if (p.query)
        out += u'?' + *p.query;
    if (p.fragment)
        out += u'#' + *p.fragment;
    return out;
}

QString mergePaths(const Parts& base, const QString& relPath)
{
    if (base.authority && base.path.isEmpty())
        return u'/' + relPath;
    const qsizetype slash = base.path.lastIndexOf(u'/');
    return slash < 0 ? relPath : base.path.left(slash + 1) + relPath;
}

std::int32_t schemeNumber(const QString& name)
{
    const QString s = name.toLower();
    if (s == u"http") return CWinInet_URL::SchemeHttp;
    if (s == u"https") return CWinInet_URL::SchemeHttps;
    if (s == u"ftp") return CWinInet_URL::SchemeFtp;
    if (s == u"gopher") return CWinInet_URL::SchemeGopher;
    if (s == u"file") return CWinInet_URL::SchemeFile;
    if (s == u"news") return CWinInet_URL::SchemeNews;
    if (s == u"mailto") return CWinInet_URL::SchemeMailto;
    return CWinInet_URL::SchemeUnknown;
}

} // namespace

std::int32_t CWinInet_URL::DefaultPort(std::int32_t scheme)
{
    switch (scheme) {
    case SchemeHttp: return 80;
    case SchemeHttps: return 443;
    case SchemeFtp: return 21;
    case SchemeGopher: return 70;
    default: return 0;
    }
}

// RFC 3986 section 5.2.4.
QString CWinInet_URL::RemoveDotSegments(const QString& path)
{
    QString in = path;
    QString out;
    while (!in.isEmpty()) {
        if (in.startsWith(QLatin1String("../")))
            in.remove(0, 3);
        else if (in.startsWith(QLatin1String("./")))
            in.remove(0, 2);
        else if (in.startsWith(QLatin1String("/./")))
            in.remove(0, 2);
        else if (in == QLatin1String("/."))
            in = QStringLiteral("/");
        else if (in.startsWith(QLatin1String("/../")) || in == QLatin1String("/..")) {
            in = in.size() == 3 ? QStringLiteral("/") : in.mid(3);
            const qsizetype slash = out.lastIndexOf(u'/');
            out.truncate(slash < 0 ? 0 : slash);
        } else if (in == QLatin1String(".") || in == QLatin1String("..")) {
            in.clear();
        } else {
            const qsizetype next = in.indexOf(u'/', in.startsWith(u'/') ? 1 : 0);
            const qsizetype n = next < 0 ? in.size() : next;
            out += in.left(n);
            in.remove(0, n);
        }
    }
    return out;
}

bool CWinInet_URL::CrackUrl(const QString& url)
{
    const Parts p = split(url.trimmed());
    *this = CWinInet_URL();
    if (p.scheme.isEmpty())
        return false;
    SchemeName = p.scheme;
    Scheme = schemeNumber(p.scheme);
    Port = DefaultPort(Scheme);
    if (p.authority) {
        QString auth = *p.authority;
        if (const qsizetype at = auth.lastIndexOf(u'@'); at >= 0) {
            const QString user = auth.left(at);
            auth = auth.mid(at + 1);
            const qsizetype c = user.indexOf(u':');
            UserName = c < 0 ? user : user.left(c);
            Password = c < 0 ? QString() : user.mid(c + 1);
        }
        // A bracketed IPv6 literal keeps its colons.
        qsizetype portColon = auth.lastIndexOf(u':');
        if (auth.startsWith(u'[') && portColon < auth.indexOf(u']'))
            portColon = -1;
        if (portColon >= 0) {
            const QString portText = auth.mid(portColon + 1);
            auth.truncate(portColon);
            if (!portText.isEmpty()) {
                bool ok = false;
                const int port = portText.toInt(&ok);
                bool digits = true;
                for (QChar c : portText)
                    digits = digits && c.isDigit() && c.unicode() < 128;
                if (!ok || !digits || port < 0 || port > 65535) {
                    *this = CWinInet_URL();
                    return false;
                }
                Port = port;
            }
        }
        HostName = auth;
    }
    URLPath = p.path;
    if (p.query)
        ExtraInfo = u'?' + *p.query;
    if (p.fragment)
        ExtraInfo += u'#' + *p.fragment;
    return true;
}

QString CWinInet_URL::CombineUrl(const QString& base, const QString& relative, std::uint32_t flags) const
{
    if (base.isEmpty() || relative.isEmpty())
        return {};
    const Parts b = split(base);
    if (b.scheme.isEmpty())
        return {};
    const Parts r = split(relative);
    Parts t;
    if (!r.scheme.isEmpty()) {
        t = r;
        t.path = RemoveDotSegments(r.path);
    } else {
        if (r.authority) {
            t.authority = r.authority;
            t.path = RemoveDotSegments(r.path);
            t.query = r.query;
        } else {
            if (r.path.isEmpty()) {
                t.path = b.path;
                t.query = r.query ? r.query : b.query;
            } else {
                t.path = r.path.startsWith(u'/') ? RemoveDotSegments(r.path)
                                                 : RemoveDotSegments(mergePaths(b, r.path));
                t.query = r.query;
            }
            t.authority = b.authority;
        }
        t.scheme = b.scheme;
        t.fragment = r.fragment;
    }
    const QString out = join(t);
    return (flags & ICU_NO_ENCODE) ? out : CanonicalizeUrl(out, flags | ICU_NO_META);
}

QString CWinInet_URL::CanonicalizeUrl(const QString& url, std::uint32_t flags) const
{
    if (url.isEmpty())
        return {};
    QString text = url;
    if (flags & ICU_DECODE)
        text = QString::fromUtf8(QByteArray::fromPercentEncoding(text.toUtf8()));
    Parts p = split(text);
    if (!(flags & ICU_NO_META) && (!p.scheme.isEmpty() || p.authority))
        p.path = RemoveDotSegments(p.path);
    QString out = join(p);
    if (flags & ICU_NO_ENCODE)
        return out;
    QString enc;
    const QByteArray bytes = out.toUtf8();
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        const bool unsafe = (flags & ICU_ENCODE_SPACES_ONLY) ? c == ' '
                                                             : (c <= 0x20 || c >= 0x7F || c == '"' || c == '<' || c == '>'
                                                                || c == '\\' || c == '^' || c == '`' || c == '{' || c == '|'
                                                                || c == '}');
        if (unsafe)
            enc += QStringLiteral("%%1").arg(c, 2, 16, QChar(u'0')).toUpper();
        else
            enc += QChar(c);
    }
    return enc;
}

QString CWinInet_URL::CreateURL() const
{
    Parts p;
    p.scheme = SchemeName;
    if (p.scheme.isEmpty()) {
        switch (Scheme) {
        case SchemeHttp: p.scheme = QStringLiteral("http"); break;
        case SchemeHttps: p.scheme = QStringLiteral("https"); break;
        case SchemeFtp: p.scheme = QStringLiteral("ftp"); break;
        case SchemeFile: p.scheme = QStringLiteral("file"); break;
        default: break;
        }
    }
    QString auth;
    if (!UserName.isEmpty()) {
        auth = UserName;
        if (!Password.isEmpty())
            auth += u':' + Password;
        auth += u'@';
    }
    auth += HostName;
    if (Port != 0 && Port != DefaultPort(schemeNumber(p.scheme)))
        auth += u':' + QString::number(Port);
    if (!HostName.isEmpty() || p.scheme == u"file")
        p.authority = auth;
    p.path = URLPath;
    QString out = join(p) + ExtraInfo;
    out.remove(QChar(0));
    return CanonicalizeUrl(out, ICU_NO_META);
}
