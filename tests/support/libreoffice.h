#pragma once

#include <QString>
#include <QStringList>
#include <QTest>

// Reading our files back with LibreOffice, run headless with a profile of its own.

// The soffice program; empty when LibreOffice is not installed.
QString sofficeProgram();
// Converts `files` with soffice's --convert-to `to` into `outDir`, with a profile under
// `outDir`. False (and `error` says why) when soffice fails or is missing.
bool sofficeConvert(const QString& to, const QStringList& files, const QString& outDir,
                    QString* error = nullptr);
// True when a missing program must fail a check instead of skipping it: under CI, a check
// that skips would pass without having looked.
bool missingToolFails();

// Ends the test function when LibreOffice is missing: a skip on a developer's machine, a
// failure in CI (the environment variable CI set).
#define REQUIRE_LIBREOFFICE(what)                                                          \
    do {                                                                                   \
        if (sofficeProgram().isEmpty()) {                                                  \
            if (missingToolFails())                                                        \
                QFAIL("LibreOffice (soffice) is not installed, and CI must check " what);  \
            QSKIP("LibreOffice (soffice) is not installed: " what " not checked");         \
        }                                                                                  \
    } while (false)
