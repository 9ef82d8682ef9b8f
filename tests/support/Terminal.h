#pragma once

#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QStringList>
#include <csignal>
#include <vector>

// The program on a pseudo-terminal of its own, as an operator runs it: it
// is the process's /dev/tty.
class Terminal {
  public:
    Terminal(const QString& program, const QStringList& arguments) {
        std::vector<QByteArray> words{QFile::encodeName(program)};
        for (const QString& argument : arguments) words.push_back(argument.toLocal8Bit());
        std::vector<char*> argv;
        for (QByteArray& word : words) argv.push_back(word.data());
        argv.push_back(nullptr);
        pid_ = ::forkpty(&master_, nullptr, nullptr, nullptr);
        if (pid_ == 0) {
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
    }
    ~Terminal() {
        if (pid_ > 0) ::kill(pid_, SIGKILL), ::waitpid(pid_, nullptr, 0);
        ::close(master_);
    }
    // Reads until the text has come (true) or the time is over.
    bool waitFor(const QByteArray& text, int timeoutMs = 20000) {
        QElapsedTimer clock;
        clock.start();
        while (!seen_.contains(text) && clock.elapsed() < timeoutMs) {
            pollfd wait{master_, POLLIN, 0};
            if (::poll(&wait, 1, 100) <= 0) continue;
            char buffer[4096];
            const ssize_t count = ::read(master_, buffer, sizeof buffer);
            if (count <= 0) break;
            seen_.append(buffer, count);
        }
        const bool found = seen_.contains(text);
        if (found) seen_ = seen_.mid(seen_.indexOf(text) + text.size());
        return found;
    }
    void type(const QByteArray& keys) { (void)!::write(master_, keys.constData(), keys.size()); }
    int exitCode() {
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    QByteArray rest() const { return seen_; }

  private:
    int master_ = -1;
    pid_t pid_ = -1;
    QByteArray seen_;
};
