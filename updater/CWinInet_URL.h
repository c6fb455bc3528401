#pragma once
// Splits, joins, normalises and builds URLs (RFC 3986 reference resolution).
#include <QString>
#include <cstdint>

class CWinInet_URL {
public:
    // Scheme numbers as the update code has always numbered them.
    enum Scheme : std::int32_t {
        SchemeUnknown = -1, SchemeDefault = 0, SchemeFtp = 1, SchemeGopher = 2, SchemeHttp = 3,
        SchemeHttps = 4, SchemeFile = 5, SchemeNews = 6, SchemeMailto = 7
    };
    // Canonicalisation flags.
    static constexpr std::uint32_t ICU_ESCAPE = 0x80000000u;
    static constexpr std::uint32_t ICU_NO_ENCODE = 0x20000000u;
    static constexpr std::uint32_t ICU_DECODE = 0x10000000u;
    static constexpr std::uint32_t ICU_NO_META = 0x08000000u;
    static constexpr std::uint32_t ICU_ENCODE_SPACES_ONLY = 0x04000000u;

    std::int32_t Scheme = SchemeUnknown;
    QString SchemeName;
    QString HostName;
    std::int32_t Port = 0;
    QString UserName;
    QString Password;
    QString URLPath;
    QString ExtraInfo; // from "?" or "#" on

    // False (and the components cleared) when the text is not an absolute URL with a
    // scheme, or its port is not a number from 0 to 65535.
    bool CrackUrl(const QString& url);
    // RFC 3986 section 5.2; empty when either is empty or the base has no scheme.
    QString CombineUrl(const QString& base, const QString& relative, std::uint32_t flags = 0) const;
    // Dot segments removed (unless ICU_NO_META) and unsafe characters escaped (unless
    // ICU_NO_ENCODE); ICU_DECODE undoes %XX escapes first. Empty for an empty URL.
    QString CanonicalizeUrl(const QString& url, std::uint32_t flags = 0) const;
    // The URL of the stored components.
    QString CreateURL() const;

    static std::int32_t DefaultPort(std::int32_t scheme);
    static QString RemoveDotSegments(const QString& path);
};
