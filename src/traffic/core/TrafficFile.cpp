#include "traffic/core/TrafficFile.h"

#include "common/LoneSurrogates.h"

#include <charconv>
#include <limits>

namespace {

// A strict JSON reader for the traffic file's fixed layout. It validates the whole text (any
// syntax error rejects the file) but only builds the parts the layout defines; numbers are
// kept as text until a count is needed, so no count passes through a double.
class Reader {
public:
    explicit Reader(QByteArrayView text) : m_text(text) {}

    std::optional<TrafficData> document() {
        skipSpace();
        if (peek() != '{')
            return std::nullopt;
        TrafficData data;
        const bool ok = object(0, [&](const QString& key, int depth) {
            if (peek() != '{')
                return value(depth);
            DailyTraffic day;
            if (!dayObject(depth, day))
                return false;
            insertLast(data, key, std::move(day));
            return true;
        });
        skipSpace();
        if (!ok || m_pos != m_text.size())
            return std::nullopt;
        return data;
    }

private:
    static constexpr int kMaxDepth = 256;

    // Later members win; files this program wrote list keys in order, which the hint makes cheap.
    template <typename Map, typename Value>
    static void insertLast(Map& map, const QString& key, Value&& value) {
        if (map.empty() || map.rbegin()->first < key)
            map.emplace_hint(map.end(), key, std::forward<Value>(value));
        else
            map[key] = std::forward<Value>(value);
    }

    char peek() const { return m_pos < m_text.size() ? m_text[m_pos] : '\0'; }
    bool atEnd() const { return m_pos >= m_text.size(); }

    void skipSpace() {
        while (!atEnd()) {
            const char c = m_text[m_pos];
            if (c != ' ' && c != '\t' && c != '\n' && c != '\r')
                return;
            ++m_pos;
        }
    }

    bool expect(char c) {
        skipSpace();
        if (peek() != c)
            return false;
        ++m_pos;
        return true;
    }

    // Calls member(key, depth) with the position at each member's value.
    template <typename Member> bool object(int depth, Member&& member) {
        if (depth >= kMaxDepth || !expect('{'))
            return false;
        skipSpace();
        if (peek() == '}') {
            ++m_pos;
            return true;
        }
        for (;;) {
            skipSpace();
            QString key;
            if (!string(&key) || !expect(':'))
                return false;
            skipSpace();
            if (!member(key, depth + 1))
                return false;
            skipSpace();
            if (peek() == ',') {
                ++m_pos;
                continue;
            }
            return expect('}');
        }
    }

    bool dayObject(int depth, DailyTraffic& day) {
        return object(depth, [&](const QString& key, int inner) {
            if (key == QLatin1String("totalIn"))
                return count(inner, day.totalIn);
            if (key == QLatin1String("totalOut"))
                return count(inner, day.totalOut);
            if (key == QLatin1String("apps")) {
                day.apps.clear();
                if (peek() != '{')
                    return value(inner);
                return object(inner, [&](const QString& name, int appDepth) {
                    if (peek() != '{')
                        return value(appDepth);
                    AppTraffic app;
                    if (!appObject(appDepth, app))
                        return false;
                    insertLast(day.apps, name, app);
                    return true;
                });
            }
            return value(inner);
        });
    }

    bool appObject(int depth, AppTraffic& app) {
        return object(depth, [&](const QString& key, int inner) {
            if (key == QLatin1String("in"))
                return count(inner, app.bytesIn);
            if (key == QLatin1String("out"))
                return count(inner, app.bytesOut);
            return value(inner);
        });
    }

    // A count: the exact value of a non-negative integral number up to 2^64 - 1, else 0.
    bool count(int depth, quint64& result) {
        result = 0;
        const char c = peek();
        if (c != '-' && (c < '0' || c > '9'))
            return value(depth);
        QByteArrayView text;
        if (!number(&text))
            return false;
        result = exactCount(text).value_or(0);
        return true;
    }

    bool value(int depth) {
        if (depth >= kMaxDepth)
            return false;
        skipSpace();
        switch (peek()) {
        case '{':
            return object(depth, [&](const QString&, int inner) { return value(inner); });
        case '[':
            return array(depth);
        case '"':
            return string(nullptr);
        case 't':
            return literal("true");
        case 'f':
            return literal("false");
        case 'n':
            return literal("null");
        default:
            return number(nullptr);
        }
    }

    bool array(int depth) {
        ++m_pos;
        skipSpace();
        if (peek() == ']') {
            ++m_pos;
            return true;
        }
        for (;;) {
            if (!value(depth + 1))
                return false;
            skipSpace();
            if (peek() == ',') {
                ++m_pos;
                continue;
            }
            return expect(']');
        }
    }

    bool literal(const char* word) {
        for (const char* c = word; *c; ++c, ++m_pos) {
            if (peek() != *c)
                return false;
        }
        return true;
    }

    bool digits() {
        const qsizetype start = m_pos;
        while (peek() >= '0' && peek() <= '9')
            ++m_pos;
        return m_pos > start;
    }

    bool number(QByteArrayView* text) {
        const qsizetype start = m_pos;
        if (peek() == '-')
            ++m_pos;
        if (peek() == '0')
            ++m_pos;
        else if (!digits())
            return false;
        if (peek() == '.') {
            ++m_pos;
            if (!digits())
                return false;
        }
        if (peek() == 'e' || peek() == 'E') {
            ++m_pos;
            if (peek() == '+' || peek() == '-')
                ++m_pos;
            if (!digits())
                return false;
        }
        if (text)
            *text = m_text.sliced(start, m_pos - start);
        return true;
    }

    static int hexValue(char c) {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    }

    bool hex4(char16_t* unit) {
        if (m_pos + 4 > m_text.size())
            return false;
        int result = 0;
        for (int i = 0; i < 4; ++i) {
            const int digit = hexValue(m_text[m_pos + i]);
            if (digit < 0)
                return false;
            result = result * 16 + digit;
        }
        m_pos += 4;
        *unit = char16_t(result);
        return true;
    }

    // Decodes a string into out (when given); raw UTF-8 runs are decoded leniently.
    bool string(QString* out) {
        if (peek() != '"')
            return false;
        ++m_pos;
        qsizetype runStart = m_pos;
        bool escaped = false;
        const auto flushRun = [&] {
            if (out && m_pos > runStart)
                out->append(QString::fromUtf8(m_text.sliced(runStart, m_pos - runStart)));
        };
        for (;;) {
            if (atEnd())
                return false;
            const char c = m_text[m_pos];
            if (c == '"') {
                flushRun();
                ++m_pos;
                if (out && escaped)
                    *out = withoutLoneSurrogates(std::move(*out));
                return true;
            }
            if (static_cast<unsigned char>(c) < 0x20)
                return false;
            if (c != '\\') {
                ++m_pos;
                continue;
            }
            flushRun();
            ++m_pos;
            escaped = true;
            if (!escape(out))
                return false;
            runStart = m_pos;
        }
    }

    bool escape(QString* out) {
        const char c = peek();
        ++m_pos;
        QChar decoded;
        switch (c) {
        case '"':
        case '\\':
        case '/':
            decoded = QLatin1Char(c);
            break;
        case 'b':
            decoded = QLatin1Char('\b');
            break;
        case 'f':
            decoded = QLatin1Char('\f');
            break;
        case 'n':
            decoded = QLatin1Char('\n');
            break;
        case 'r':
            decoded = QLatin1Char('\r');
            break;
        case 't':
            decoded = QLatin1Char('\t');
            break;
        case 'u': {
            char16_t unit = 0;
            if (!hex4(&unit))
                return false;
            decoded = QChar(unit);
            break;
        }
        default:
            return false;
        }
        if (out)
            out->append(decoded);
        return true;
    }

    // The exact value of a JSON number text when it is a non-negative integer that fits.
    static std::optional<quint64> exactCount(QByteArrayView text) {
        if (text.size() <= 19 && text[0] != '-') { // the usual plain integer: no overflow possible
            quint64 value = 0;
            bool plain = true;
            for (const char c : text) {
                if (c < '0' || c > '9') {
                    plain = false;
                    break;
                }
                value = value * 10 + quint64(c - '0');
            }
            if (plain)
                return value;
        }
        qsizetype i = 0;
        if (text[0] == '-') {
            // Negative values read as 0, and so does -0.
            return std::nullopt;
        }
        QByteArray mantissa;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9')
            mantissa.append(text[i++]);
        qint64 exponent = 0;
        if (i < text.size() && text[i] == '.') {
            ++i;
            while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
                mantissa.append(text[i++]);
                --exponent;
            }
        }
        if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
            ++i;
            bool negative = false;
            if (text[i] == '+' || text[i] == '-')
                negative = text[i++] == '-';
            qint64 written = 0;
            while (i < text.size()) {
                written = qMin<qint64>(written * 10 + (text[i++] - '0'), 1'000'000);
            }
            exponent += negative ? -written : written;
        }
        // Strip leading zeros, then move trailing zeros into the exponent.
        qsizetype first = 0;
        while (first < mantissa.size() && mantissa[first] == '0')
            ++first;
        mantissa = mantissa.mid(first);
        while (!mantissa.isEmpty() && mantissa.back() == '0') {
            mantissa.chop(1);
            ++exponent;
        }
        if (mantissa.isEmpty())
            return quint64(0);
        if (exponent < 0 || mantissa.size() + exponent > 20)
            return std::nullopt; // a fraction, or more digits than 2^64 - 1 has
        quint64 result = 0;
        constexpr quint64 kMax = std::numeric_limits<quint64>::max();
        for (qsizetype k = 0; k < mantissa.size() + exponent; ++k) {
            const quint64 digit = k < mantissa.size() ? quint64(mantissa[k] - '0') : 0;
            if (result > (kMax - digit) / 10)
                return std::nullopt;
            result = result * 10 + digit;
        }
        return result;
    }

    QByteArrayView m_text;
    qsizetype m_pos = 0;
};

bool isPlainAscii(const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() >= 0x7f || c == u'"' || c == u'\\')
            return false;
    }
    return true;
}

void appendString(QByteArray& out, const QString& text) {
    out.append('"');
    if (isPlainAscii(text)) {
        const qsizetype start = out.size();
        out.resize(start + text.size());
        char* at = out.data() + start;
        for (const QChar c : text)
            *at++ = char(c.unicode());
        out.append('"');
        return;
    }
    for (const char c : text.toUtf8()) {
        switch (c) {
        case '"':
            out.append("\\\"");
            break;
        case '\\':
            out.append("\\\\");
            break;
        case '\n':
            out.append("\\n");
            break;
        case '\r':
            out.append("\\r");
            break;
        case '\t':
            out.append("\\t");
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                static const char kHex[] = "0123456789abcdef";
                out.append("\\u00");
                out.append(kHex[(c >> 4) & 0xf]);
                out.append(kHex[c & 0xf]);
            } else {
                out.append(c);
            }
        }
    }
    out.append('"');
}

void appendCount(QByteArray& out, const char* indentedKey, quint64 value, bool last) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(indentedKey);
    out.append(digits, end - digits);
    out.append(last ? "\n" : ",\n");
}

} // namespace

namespace TrafficFile {

std::optional<TrafficData> parse(QByteArrayView text) {
    if (text.isEmpty())
        return std::nullopt;
    return Reader(text).document();
}

QByteArray serialize(const TrafficData& data) {
    QByteArray out;
    size_t apps = 0;
    for (const auto& entry : data)
        apps += entry.second.apps.size();
    out.reserve(qsizetype(data.size() * 160 + apps * 120));
    if (data.empty())
        return QByteArrayLiteral("{}\n");
    out.append("{\n");
    for (auto day = data.begin(); day != data.end(); ++day) {
        out.append("  ");
        appendString(out, day->first);
        out.append(": {\n");
        const DailyTraffic& traffic = day->second;
        if (traffic.apps.empty()) {
            out.append("    \"apps\": {},\n");
        } else {
            out.append("    \"apps\": {\n");
            for (auto app = traffic.apps.begin(); app != traffic.apps.end(); ++app) {
                out.append("      ");
                appendString(out, app->first);
                out.append(": {\n");
                appendCount(out, "        \"in\": ", app->second.bytesIn, false);
                appendCount(out, "        \"out\": ", app->second.bytesOut, true);
                out.append(std::next(app) == traffic.apps.end() ? "      }\n" : "      },\n");
            }
            out.append("    },\n");
        }
        appendCount(out, "    \"totalIn\": ", traffic.totalIn, false);
        appendCount(out, "    \"totalOut\": ", traffic.totalOut, true);
        out.append(std::next(day) == data.end() ? "  }\n" : "  },\n");
    }
    out.append("}\n");
    return out;
}

} // namespace TrafficFile
