#include "Desktop.h"

#include "SendKeys.h"

#include "automation/Error.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringList>

namespace host {

std::int64_t launchProgram(const std::string& program, const std::string& parameters)
{
    const QStringList arguments = QProcess::splitCommand(QString::fromStdString(parameters));
    qint64 pid = 0;
    if (!QProcess::startDetached(QString::fromStdString(program), arguments, QString(), &pid))
        throw vb::Error(vb::err::FileNotFound, std::string(vb::describe(vb::err::FileNotFound)) + ": " + program);
    return pid;
}

namespace {

// Runs xdotool with the arguments and waits for it (at most a few seconds).
bool xdotool(const QString& tool, const QStringList& arguments)
{
    QProcess process;
    process.start(tool, arguments);
    return process.waitForFinished(5000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

} // namespace

void sendKeys(const std::string& keys, const std::string& title)
{
    // Read the keys first, so that bad notation is reported even without a desktop.
    const std::vector<KeyStep> steps = parseSendKeys(keys);
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!environment.contains("DISPLAY"))
        return;
    const QString tool = QStandardPaths::findExecutable("xdotool");
    if (tool.isEmpty())
        return;
    if (!title.empty()) {
        // The window whose title begins with `title`.
        const QString pattern = "^" + QRegularExpression::escape(QString::fromStdString(title));
        const bool found = xdotool(tool, {"search", "--name", pattern, "windowactivate", "--sync"});
        if (!found)
            return;
    }
    for (const KeyStep& step : steps) {
        QStringList arguments;
        arguments << (step.kind == KeyStep::Type ? "type" : "key");
        arguments << "--" << QString::fromStdString(step.text);
        xdotool(tool, arguments);
    }
}

} // namespace host
