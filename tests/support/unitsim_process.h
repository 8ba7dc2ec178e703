#pragma once

#include "support/work_folder.h"

#include <QProcess>
#include <QTemporaryDir>
#include <string>
#include <vector>

namespace testsupport {

// quillon-unitsim running as a child process on a pseudo-terminal in a fresh temporary folder,
// for end-to-end tests over a real terminal. The simulator is stopped when this object goes.
class UnitsimProcess {
public:
    // binary: path of quillon-unitsim; args: options besides --pty and --log.
    UnitsimProcess(const std::string& binary, const std::vector<std::string>& args) {
        QStringList all{"--pty", path("tty"), "--log", path("commands.log")};
        for (const std::string& arg : args)
            all << QString::fromStdString(arg);
        process_.start(QString::fromStdString(binary), all);
        // Its standard output up to a full "ready PATH" line, for 10 s at most.
        const QByteArray expected = ("ready " + path("tty") + "\n").toUtf8();
        while (!ready_ && process_.waitForReadyRead(10000)) {
            output_ += process_.readAllStandardOutput();
            ready_ = output_.contains(expected);
        }
    }
    ~UnitsimProcess() {
        process_.terminate();
        if (!process_.waitForFinished(5000))
            process_.kill();
        process_.waitForFinished();
    }

    bool ready() const { return ready_; }
    // What it printed before it was ready or gave up (for failure messages).
    std::string output() const { return output_.toStdString(); }
    // The terminal to open (a link to the pseudo-terminal's slave).
    std::string devicePath() const { return path("tty").toStdString(); }
    // The command log it writes.
    std::string log() const { return readFile(path("commands.log").toStdString()); }

private:
    QString path(const char* name) const { return folder_.filePath(name); }

    QTemporaryDir folder_;
    QProcess process_;
    QByteArray output_;
    bool ready_ = false;
};

} // namespace testsupport
