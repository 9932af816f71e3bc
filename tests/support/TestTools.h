#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QVariant>

// Writes the bytes as the whole file, making its folder first; a file that cannot be written
// fails the test.
inline void WriteFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size()) << path.toStdString();
}

// A text in which the regular expression finds a match.
MATCHER_P(MatchesRe, pattern, "matches " + QString(pattern).toStdString()) {
    return QRegularExpression(pattern).match(arg).hasMatch();
}

// What a run of the program left: its exit status (-1 when it crashed or had to be ended), its
// standard output and its standard error.
struct Ran {
    int status;
    QString out;
    QString err;
};

// Runs the program with these arguments and standard input, in this process's environment
// changed by env in turn: "NAME=value" sets a variable, "NAME" alone removes it.
inline Ran RunRelvane(const QStringList& args, const QStringList& env = {},
                      const QByteArray& input = {}, int timeoutMs = 20000) {
    QProcess p;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    for (const QString& entry : env)
        entry.contains('=') ? e.insert(entry.section('=', 0, 0), entry.section('=', 1))
                            : e.remove(entry);
    p.setProcessEnvironment(e);
    p.start(RELVANE_BINARY, args);
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(timeoutMs)) p.kill(), p.waitForFinished();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

// The values as texts, joined by "|".
template <typename... T>
QString Joined(const T&... values) {
    return QStringList{QVariant::fromValue(values).toString()...}.join('|');
}
