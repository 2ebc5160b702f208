#pragma once

#include <QString>

// Makes a folder read-only for the length of a test, so that writes into it really fail:
// its write permissions are taken away and, when the test runs as root (whom permissions
// do not stop), it is bind-mounted read-only over itself. isReadOnly() is false when
// neither worked (root without the right to mount): the test should then skip.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString& folder);
    ~ReadOnlyFolder();
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

    bool isReadOnly() const;
    // Gives the folder back its writes before the destructor would.
    void release();

private:
    QString m_folder;
    bool m_mounted = false;
    bool m_released = false;
};

// Mounts a small file system (tmpfs of `kilobytes`) on an empty folder, so that a test can
// fill it; false when this process may not mount (then the test skips that case).
class SmallDisk {
public:
    SmallDisk(const QString& folder, int kilobytes);
    ~SmallDisk();
    bool isMounted() const { return m_mounted; }

private:
    QString m_folder;
    bool m_mounted = false;
};
