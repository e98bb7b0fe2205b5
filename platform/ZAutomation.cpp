#include "ZAutomation.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonValue>
#include <QStringList>
#include <cctype>
#include <memory>

#include "ZAutomationScript.h"

namespace {

struct State {
    bool scriptLoaded = false;
    bool active = false;
    QStringList lines;
    int position = 0;

    bool transcriptOpened = false;
    std::unique_ptr<QFile> transcript;
};

State& state()
{
    static State s;
    return s;
}

void loadScript()
{
    State& s = state();
    if (s.scriptLoaded)
        return;
    s.scriptLoaded = true;
    const QString path = qEnvironmentVariable("EZX_AUTOMATION");
    s.active = !path.isEmpty();
    if (!s.active)
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ZAutomation::record({{QStringLiteral("event"), QStringLiteral("error")},
                             {QStringLiteral("message"), QStringLiteral("cannot read the script")},
                             {QStringLiteral("path"), path}});
        return;
    }
    s.lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
}

QFile* transcript()
{
    State& s = state();
    if (!s.transcriptOpened) {
        s.transcriptOpened = true;
        const QString path = qEnvironmentVariable("EZX_TRANSCRIPT");
        if (!path.isEmpty()) {
            auto file = std::make_unique<QFile>(path);
            if (file->open(QIODevice::WriteOnly | QIODevice::Append))
                s.transcript = std::move(file);
        }
    }
    return s.transcript.get();
}

} // namespace

namespace ZAutomationScript {

QString cleanLine(const QString& raw)
{
    QString line = raw;
    while (line.endsWith(QLatin1Char('\r')) || line.endsWith(QLatin1Char('\n')))
        line.chop(1);
    int start = 0;
    while (start < line.size() && (line.at(start) == QLatin1Char(' ') || line.at(start) == QLatin1Char('\t')))
        ++start;
    return line.mid(start);
}

bool isSkipped(const QString& line)
{
    const QString t = line.trimmed();
    return t.isEmpty() || t.startsWith(QLatin1Char('#'));
}

QString keyword(const QString& line)
{
    const QString t = cleanLine(line);
    int end = 0;
    while (end < t.size() && !t.at(end).isSpace())
        ++end;
    return t.left(end).toLower();
}

QString rest(const QString& line)
{
    const QString t = cleanLine(line);
    int end = 0;
    while (end < t.size() && !t.at(end).isSpace())
        ++end;
    return end < t.size() ? t.mid(end + 1) : QString();
}

bool isStep(const QString& keyword)
{
    static const QStringList steps = {QStringLiteral("tab"), QStringLiteral("current"),
                                      QStringLiteral("activate"), QStringLiteral("menu"),
                                      QStringLiteral("softkey"), QStringLiteral("dump")};
    return steps.contains(keyword);
}

bool isAnswer(const QString& keyword)
{
    static const QStringList answers = {QStringLiteral("accept"), QStringLiteral("yes"),
                                        QStringLiteral("reject"), QStringLiteral("no"),
                                        QStringLiteral("check"), QStringLiteral("text"),
                                        QStringLiteral("number"), QStringLiteral("file")};
    return answers.contains(keyword);
}

bool parseInt(const QString& text, int* out)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (ok && out)
        *out = value;
    return ok;
}

QString filePath(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    QByteArray bytes;
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        const char c = utf8.at(i);
        if (c == '\\' && i + 1 < utf8.size() && utf8.at(i + 1) == '\\') {
            bytes += '\\';
            ++i;
            continue;
        }
        if (c == '\\' && i + 3 < utf8.size() && utf8.at(i + 1) == 'x'
            && std::isxdigit(uchar(utf8.at(i + 2))) && std::isxdigit(uchar(utf8.at(i + 3)))) {
            const int value = utf8.mid(i + 2, 2).toInt(nullptr, 16);
            if (value != 0) {
                bytes += char(value);
                i += 3;
                continue;
            }
        }
        bytes += c;
    }
    return QString::fromLatin1(bytes);
}

bool parseAnswer(const QString& line, ZAutomation::Answer* out)
{
    using Answer = ZAutomation::Answer;
    const QString kw = keyword(line);
    const QString arg = rest(line);
    Answer a;
    a.line = cleanLine(line).trimmed();
    if (kw == QLatin1String("accept") || kw == QLatin1String("yes")) {
        if (!arg.trimmed().isEmpty())
            return false;
        a.kind = Answer::Accept;
    } else if (kw == QLatin1String("reject") || kw == QLatin1String("no")) {
        if (!arg.trimmed().isEmpty())
            return false;
        a.kind = Answer::Reject;
    } else if (kw == QLatin1String("check")) {
        a.kind = Answer::Check;
        const QStringList parts = arg.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        for (const QString& part : parts) {
            int n = 0;
            if (!parseInt(part, &n) || n < 0)
                return false;
            a.checks.append(n);
        }
    } else if (kw == QLatin1String("text")) {
        a.kind = Answer::Text;
        a.text = arg; // kept as written, blanks included
        a.line = cleanLine(line);
    } else if (kw == QLatin1String("number")) {
        a.kind = Answer::Number;
        if (!parseInt(arg, &a.number))
            return false;
    } else if (kw == QLatin1String("file")) {
        a.kind = Answer::File;
        a.text = filePath(arg.trimmed());
        if (a.text.isEmpty())
            return false;
    } else {
        return false;
    }
    if (out)
        *out = a;
    return true;
}

bool peekLine(QString* line)
{
    loadScript();
    State& s = state();
    while (s.position < s.lines.size()) {
        const QString& raw = s.lines.at(s.position);
        if (isSkipped(raw)) {
            ++s.position;
            continue;
        }
        if (line)
            *line = cleanLine(raw);
        return true;
    }
    return false;
}

void takeLine()
{
    if (peekLine(nullptr))
        ++state().position;
}

} // namespace ZAutomationScript

namespace ZAutomation {

bool active()
{
    loadScript();
    return state().active;
}

Answer nextAnswer()
{
    using namespace ZAutomationScript;
    Answer none;
    if (!active())
        return none;
    QString line;
    while (peekLine(&line)) {
        const QString kw = keyword(line);
        if (kw == QLatin1String("shot")) {
            takeLine();
            runStep(nullptr, line); // records an error when it fails
            continue;
        }
        if (isStep(kw)) {
            // A main-window step is not an answer: leave it for the steps.
            none.line = line.trimmed();
            return none;
        }
        takeLine();
        Answer answer;
        if (parseAnswer(line, &answer))
            return answer;
        none.line = line.trimmed();
        return none;
    }
    return none;
}

bool recording()
{
    return transcript() != nullptr;
}

void record(const QJsonObject& event)
{
    QFile* file = transcript();
    if (!file)
        return;
    QByteArray line = QJsonDocument(event).toJson(QJsonDocument::Compact);
    line.append('\n');
    file->write(line);
    file->flush();
}

void recordDialog(const QJsonObject& fields)
{
    QJsonObject event = fields;
    event[QStringLiteral("event")] = QStringLiteral("dialog");
    record(event);
}

void recordCommand(const QString& command)
{
    record({{QStringLiteral("event"), QStringLiteral("command")}, {QStringLiteral("command"), command}});
}

QJsonValue answerValue(const Answer& answer)
{
    return answer.line.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(answer.line);
}

void resetSteps(); // ZAutomationSteps.cpp

void reset()
{
    State& s = state();
    s = State();
    resetSteps();
}

} // namespace ZAutomation
