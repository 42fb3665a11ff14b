#pragma once

#include <sys/mount.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>

// A folder on a file system of its own that holds only a megabyte, for filling a disk. Needs
// root; Mounted() says whether it worked.
class TSmallDisk {
  public:
    TSmallDisk() {
        mounted_ = ::mount("tmpfs", QFile::encodeName(dir_.path()).constData(), "tmpfs", 0,
                           "size=1m") == 0;
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
