#pragma once

#include <QString>
#include <QTemporaryDir>

// A fresh program folder (a copy of the built data/ and userdata/) and a fresh
// configuration folder for one test; the Folders functions point at them while the
// object lives. Never touches the user's own files.
class TestEnv {
public:
    TestEnv();
    ~TestEnv();
    QString programFolder() const; // with trailing '/'
    QString dataFolder() const;
    QString userDataFolder() const;
    QString configFolder() const;
    bool isValid() const { return m_program.isValid() && m_config.isValid(); }

private:
    QTemporaryDir m_program;
    QTemporaryDir m_config;
};

// Copies a folder tree; returns false when anything could not be copied.
bool copyTree(const QString& from, const QString& to);

// Reads a whole file (empty when missing).
QByteArray readFileBytes(const QString& path);
bool writeFileBytes(const QString& path, const QByteArray& bytes);
