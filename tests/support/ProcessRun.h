#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QStringList>

// A finished program: its exit status (-1 when it did not end normally
// within two minutes) and what it wrote.
struct TRun {
    int Status = -1;
    QByteArray Out;
    QByteArray Err;
};

TRun RunProcess(const QString& Program, const QStringList& Arguments,
                const QProcessEnvironment& Environment = QProcessEnvironment::systemEnvironment());

// This process's environment with no display at all, as from a console or
// a cron job.
QProcessEnvironment WithoutDisplay();
