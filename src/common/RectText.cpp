#include "common/RectText.h"

#include <array>
#include <charconv>
#include <cmath>

namespace {

QString number(double v) {
    std::array<char, 400> buffer; // the longest double in fixed notation has 309 digits
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(),
                                            v == 0 ? 0.0 : v, std::chars_format::fixed);
    if (error != std::errc())
        return QStringLiteral("0");
    return QString::fromLatin1(buffer.data(), end - buffer.data());
}

class Scanner {
public:
    explicit Scanner(const QByteArray& text) : m_p(text.constData()), m_end(m_p + text.size()) {}

    bool expect(char c) {
        skipSpaces();
        if (m_p == m_end || *m_p != c)
            return false;
        ++m_p;
        return true;
    }

    bool number(double& value) {
        skipSpaces();
        if (m_p < m_end && *m_p == '+')
            ++m_p;
        const auto [next, error] = std::from_chars(m_p, m_end, value);
        if (error != std::errc() || !std::isfinite(value))
            return false;
        m_p = next;
        return true;
    }

    bool atEnd() {
        skipSpaces();
        return m_p == m_end;
    }

private:
    void skipSpaces() {
        while (m_p < m_end && (*m_p == ' ' || *m_p == '\t' || *m_p == '\n' || *m_p == '\r'))
            ++m_p;
    }

    const char* m_p;
    const char* m_end;
};

} // namespace

QString rectText(const QRectF& rect) {
    return QStringLiteral("{{%1, %2}, {%3, %4}}")
        .arg(number(rect.x()), number(rect.y()), number(rect.width()), number(rect.height()));
}

QRectF parseRectText(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    Scanner s(bytes);
    double x, y, w, h;
    const bool ok = s.expect('{') && s.expect('{') && s.number(x) && s.expect(',') && s.number(y) &&
                    s.expect('}') && s.expect(',') && s.expect('{') && s.number(w) &&
                    s.expect(',') && s.number(h) && s.expect('}') && s.expect('}') && s.atEnd();
    return ok ? QRectF(x, y, w, h) : QRectF();
}
