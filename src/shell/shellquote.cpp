#include "shell/shellquote.h"

#include <algorithm>
#include <vector>

namespace Shell {

namespace {

enum class Context { Plain, Double, Single, Backquote, DollarParen };

struct Frame {
    Context context;
    int parens = 0; // open parentheses inside a $( ) frame
};

struct Placeholder {
    qsizetype position; // of the '%'
    qsizetype length;   // '%' plus its digits
    int number;
    Context quoting;    // Plain, Double or Single
    int backquoteLayers;
};

// Number of digits of a placeholder at text[i] ('%' at i), 0 if none.
qsizetype placeholderDigits(const QString& text, qsizetype i, int* number)
{
    if (i + 1 >= text.size() || !text[i + 1].isDigit() || text[i + 1] == u'0')
        return 0;
    int n = text[i + 1].digitValue();
    qsizetype digits = 1;
    if (i + 2 < text.size() && text[i + 2].isDigit()) {
        n = n * 10 + text[i + 2].digitValue();
        digits = 2;
    }
    *number = n;
    return digits;
}

// Escapes a fragment for one enclosing `...` layer, whose reading removes a
// backslash in front of \, ` and $.
QString escapeForBackquote(const QString& fragment)
{
    QString out;
    out.reserve(fragment.size() + 8);
    for (QChar c : fragment) {
        if (c == u'\\' || c == u'`' || c == u'$')
            out += u'\\';
        out += c;
    }
    return out;
}

// Scans the pattern as the shell would read its quoting and lists every
// placeholder with the quoting in force where it stands.
std::vector<Placeholder> scan(const QString& pattern)
{
    std::vector<Placeholder> found;
    std::vector<Frame> stack{{Context::Plain}};
    const qsizetype n = pattern.size();

    auto backquotes = [&stack] {
        return int(std::count_if(stack.begin(), stack.end(),
                                 [](const Frame& f) { return f.context == Context::Backquote; }));
    };
    auto quoting = [&stack] {
        const Context c = stack.back().context;
        return (c == Context::Double || c == Context::Single) ? c : Context::Plain;
    };

    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = pattern[i];
        if (c == u'%') {
            int number = 0;
            if (const qsizetype digits = placeholderDigits(pattern, i, &number)) {
                found.push_back({i, digits + 1, number, quoting(), backquotes()});
                i += digits;
            }
            continue;
        }
        Frame& top = stack.back();
        switch (top.context) {
        case Context::Single:
            if (c == u'\'')
                stack.pop_back();
            break;
        case Context::Double:
            if (c == u'\\') {
                if (i + 1 < n && pattern[i + 1] != u'%')
                    ++i;
            } else if (c == u'"') {
                stack.pop_back();
            } else if (c == u'`') {
                stack.push_back({Context::Backquote});
            } else if (c == u'$' && i + 1 < n && pattern[i + 1] == u'(') {
                stack.push_back({Context::DollarParen, 0});
                ++i;
            }
            break;
        case Context::Plain:
        case Context::Backquote:
        case Context::DollarParen:
            if (c == u'\\') {
                if (i + 1 < n && pattern[i + 1] != u'%')
                    ++i;
            } else if (c == u'\'') {
                stack.push_back({Context::Single});
            } else if (c == u'"') {
                stack.push_back({Context::Double});
            } else if (c == u'`') {
                if (top.context == Context::Backquote)
                    stack.pop_back();
                else
                    stack.push_back({Context::Backquote});
            } else if (c == u'$' && i + 1 < n && pattern[i + 1] == u'(') {
                stack.push_back({Context::DollarParen, 0});
                ++i;
            } else if (top.context == Context::DollarParen && c == u'(') {
                ++top.parens;
            } else if (top.context == Context::DollarParen && c == u')') {
                if (top.parens == 0)
                    stack.pop_back();
                else
                    --top.parens;
            }
            break;
        }
    }
    return found;
}

QString fragmentFor(const QString& value, const Placeholder& at)
{
    const QString word = quoteWord(value);
    QString fragment;
    switch (at.quoting) {
    case Context::Double:
        fragment = u'"' + word + u'"'; // close, the word, reopen
        break;
    case Context::Single:
        fragment = u'\'' + word + u'\'';
        break;
    default:
        fragment = word;
        break;
    }
    for (int layer = 0; layer < at.backquoteLayers; ++layer)
        fragment = escapeForBackquote(fragment);
    return fragment;
}

} // namespace

namespace {

bool literalCharacter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9')
        || QStringView(u"/._-+,:@%=").contains(c);
}

} // namespace

QString literalWord(const QString& value)
{
    if (!value.isEmpty() && std::all_of(value.begin(), value.end(), literalCharacter))
        return value;
    return quoteWord(value);
}

QString quoteWord(const QString& value)
{
    QString out;
    out.reserve(value.size() + 2);
    out += u'\'';
    for (QChar c : value) {
        if (c == u'\'')
            out += QStringLiteral("'\\''");
        else
            out += c;
    }
    out += u'\'';
    return out;
}

QString fillCommand(const QString& pattern, const QStringList& values)
{
    std::vector<Placeholder> found = scan(pattern);

    // The order in which repeated QString::arg calls would consume them:
    // lowest number first, then left to right.
    std::vector<size_t> order(found.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&found](size_t a, size_t b) {
        return found[a].number < found[b].number;
    });

    std::vector<QString> replacement(found.size());
    std::vector<bool> filled(found.size(), false);
    for (size_t k = 0; k < order.size() && k < size_t(values.size()); ++k) {
        replacement[order[k]] = fragmentFor(values[qsizetype(k)], found[order[k]]);
        filled[order[k]] = true;
    }

    QString out;
    out.reserve(pattern.size() + 16 * qsizetype(found.size()));
    qsizetype copied = 0;
    for (size_t i = 0; i < found.size(); ++i) {
        if (!filled[i])
            continue;
        out += QStringView(pattern).mid(copied, found[i].position - copied);
        out += replacement[i];
        copied = found[i].position + found[i].length;
    }
    out += QStringView(pattern).mid(copied);
    return out;
}

} // namespace Shell
