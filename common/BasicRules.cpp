#include "common/BasicRules.h"

#include <cmath>
#include <limits>

namespace kovel::basic {

double RoundHalfEven(double x)
{
    if (!std::isfinite(x))
        return x;
    // Explicit, so the result never depends on the floating-point environment's mode.
    const double f = std::floor(x);
    const double diff = x - f;
    if (diff > 0.5)
        return f + 1;
    if (diff < 0.5)
        return f;
    return std::fmod(f, 2.0) == 0 ? f : f + 1;
}

double Round(double x, int digits)
{
    if (digits <= 0)
        return RoundHalfEven(x);
    const double scale = std::pow(10.0, digits);
    const double scaled = x * scale;
    if (!std::isfinite(scaled))
        return x;
    return RoundHalfEven(scaled) / scale;
}

namespace {
template <typename T>
T checkedConvert(double x)
{
    if (std::isnan(x))
        throw OverflowError();
    const double r = RoundHalfEven(x);
    if (r < static_cast<double>(std::numeric_limits<T>::min())
        || r > static_cast<double>(std::numeric_limits<T>::max()))
        throw OverflowError();
    return static_cast<T>(r);
}
} // namespace

std::int16_t CInt(double x) { return checkedConvert<std::int16_t>(x); }
std::int32_t CLng(double x) { return checkedConvert<std::int32_t>(x); }
std::uint8_t CByte(double x) { return checkedConvert<std::uint8_t>(x); }

double Fix(double x) { return std::trunc(x); }
double Int(double x) { return std::floor(x); }

std::int32_t IntDiv(double a, double b)
{
    const std::int32_t ia = CLng(a);
    const std::int32_t ib = CLng(b);
    if (ib == 0)
        throw OverflowError();
    if (ia == std::numeric_limits<std::int32_t>::min() && ib == -1)
        throw OverflowError();
    return ia / ib;
}

double Val(QStringView text)
{
    // Collect the characters that matter, dropping the ones the runtime ignores.
    QString s;
    s.reserve(text.size());
    for (QChar c : text)
        if (c != u' ' && c != u'\t' && c != u'\n')
            s.append(c);

    if (s.size() >= 2 && s[0] == u'&') {
        const QChar kind = s[1].toUpper();
        int base = 0;
        int start = 2;
        if (kind == u'H')
            base = 16;
        else if (kind == u'O')
            base = 8;
        else if (kind.isDigit()) {
            base = 8;
            start = 1;
        }
        if (base != 0) {
            double v = 0;
            for (qsizetype i = start; i < s.size(); ++i) {
                const int d = QChar(s[i]).isDigit() ? s[i].unicode() - u'0'
                    : (s[i].toUpper() >= u'A' && s[i].toUpper() <= u'F') ? s[i].toUpper().unicode() - u'A' + 10
                                                                         : 99;
                if (d >= base)
                    break;
                v = v * base + d;
            }
            return v;
        }
        return 0;
    }

    qsizetype i = 0;
    QString number;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-'))
        number.append(s[i++]);
    bool digits = false;
    while (i < s.size() && s[i].isDigit() && s[i].unicode() < 128) {
        number.append(s[i++]);
        digits = true;
    }
    if (i < s.size() && s[i] == u'.') {
        number.append(s[i++]);
        while (i < s.size() && s[i].isDigit() && s[i].unicode() < 128) {
            number.append(s[i++]);
            digits = true;
        }
    }
    if (!digits)
        return 0;
    if (i < s.size() && (s[i] == u'e' || s[i] == u'E' || s[i] == u'd' || s[i] == u'D')) {
        qsizetype j = i + 1;
        QString exponent = QStringLiteral("e");
        if (j < s.size() && (s[j] == u'+' || s[j] == u'-'))
            exponent.append(s[j++]);
        bool expDigits = false;
        while (j < s.size() && s[j].isDigit() && s[j].unicode() < 128) {
            exponent.append(s[j++]);
            expDigits = true;
        }
        if (expDigits)
            number.append(exponent);
    }
    bool ok = false;
    const double v = number.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        throw OverflowError();
    return v;
}

namespace {
QString formatSignificant(double x, int digits)
{
    if (x == 0)
        return QStringLiteral("0");
    const double ax = std::fabs(x);
    QString s;
    if (ax >= std::pow(10.0, digits) || ax < 1e-5) {
        s = QString::number(x, 'E', digits - 1);
        // Mantissa without trailing zeros, exponent as the runtime writes it: E+15, E-06.
        const qsizetype e = s.indexOf(u'E');
        QString mant = s.left(e);
        QString exp = s.mid(e + 1);
        if (mant.contains(u'.')) {
            while (mant.endsWith(u'0'))
                mant.chop(1);
            if (mant.endsWith(u'.'))
                mant.chop(1);
        }
        const QChar sign = exp[0];
        QString expDigits = exp.mid(1);
        while (expDigits.size() > 2 && expDigits.startsWith(u'0'))
            expDigits.remove(0, 1);
        if (expDigits.size() < 2)
            expDigits.prepend(u'0');
        return mant + u'E' + sign + expDigits;
    }
    s = QString::number(x, 'g', digits);
    if (s.contains(u'e')) {
        // 'g' chose an exponent inside the plain range: write it out in fixed notation.
        const int decimals = std::max(0, digits - 1 - static_cast<int>(std::floor(std::log10(ax))));
        s = QString::number(x, 'f', decimals);
        if (s.contains(u'.')) {
            while (s.endsWith(u'0'))
                s.chop(1);
            if (s.endsWith(u'.'))
                s.chop(1);
        }
    }
    return s;
}
} // namespace

QString CStr(double x) { return formatSignificant(x, 15); }
QString CStrSingle(float x) { return formatSignificant(static_cast<double>(x), 7); }

QString Str(double x)
{
    const QString s = CStr(x);
    return x >= 0 ? u' ' + s : s;
}

QString ZeroFill(long long n, int width)
{
    if (n < 0)
        return u'-' + QString::number(-n).rightJustified(width, u'0');
    return QString::number(n).rightJustified(width, u'0');
}

} // namespace kovel::basic
