#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "platform/FileOps.h"
#include "platform/ZipWriter.h"

namespace {
QByteArray Unzip(const QStringList& arguments, int* status = nullptr) {
    QProcess unzip;
    unzip.start("unzip", arguments);
    unzip.waitForFinished(30000);
    if (status) {
        *status = unzip.exitCode();
    }
    return unzip.readAllStandardOutput();
}
}  // namespace

// A package's entries, one streamed into place and two from memory, read back whole by another
// program's reader, with and without the 64-bit extensions.
TEST(ZipWriter, AnotherReaderReadsEveryEntryByteForByte) {
    const QByteArray streamed = QByteArray(300000, 'w') + "end";
    const QByteArray index = "key 2026 {}\n";
    for (const quint64 zip64From : {quint64(0xFFFFFFFFu), quint64(0)}) {
        QTemporaryDir folder;
        const QString path = folder.filePath("p.zip");
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT, 0644);
        ASSERT_GE(fd, 0);
        TZipWriter zip(fd, zip64From);
        ASSERT_TRUE(zip.BeginEntry("archive/data.warc.gz"));
        ASSERT_TRUE(WriteAll(fd, streamed.constData(), size_t(streamed.size())));
        qint64 told = 0;
        ASSERT_TRUE(zip.EndEntry([&](QByteArrayView piece) { told += piece.size(); }));
        ASSERT_TRUE(zip.AddEntry("indexes/index.cdxj", index));
        ASSERT_TRUE(zip.AddEntry("empty.json", {}));
        ASSERT_TRUE(zip.Finish());
        ::close(fd);
        EXPECT_EQ(told, streamed.size());

        int status = -1;
        Unzip({"-tq", path}, &status);
        EXPECT_EQ(status, 0) << zip64From;
        EXPECT_EQ(Unzip({"-p", path, "archive/data.warc.gz"}), streamed) << zip64From;
        EXPECT_EQ(Unzip({"-p", path, "indexes/index.cdxj"}), index) << zip64From;
        EXPECT_EQ(Unzip({"-Z1", path}), "archive/data.warc.gz\nindexes/index.cdxj\nempty.json\n");
    }
}
