#pragma once

#include <sys/mount.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>

// A folder on a file system of its own that holds only a few megabytes (one by default), for
// filling a disk. Needs root; Mounted() says whether it worked.
class TSmallDisk {
  public:
    explicit TSmallDisk(int megabytes = 1) {
        const QByteArray size = "size=" + QByteArray::number(megabytes) + "m";
        mounted_ = ::mount("tmpfs", QFile::encodeName(dir_.path()).constData(), "tmpfs", 0,
                           size.constData()) == 0;
    }
    ~TSmallDisk() {
        if (mounted_) {
            ::umount(QFile::encodeName(dir_.path()).constData());
        }
    }
    bool Mounted() const { return mounted_; }
    QString Folder() const { return dir_.path() + "/"; }

  private:
    QTemporaryDir dir_;
    bool mounted_ = false;
};
