#include "ziptestkit.h"

#include "testfolders.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <zlib.h>

namespace {

void Put16(QByteArray& out, quint32 v) {
    out.append(char(v & 0xFF));
    out.append(char((v >> 8) & 0xFF));
}

void Put32(QByteArray& out, quint32 v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

} // namespace

quint32 Crc(const QByteArray& data) {
    return quint32(crc32(0, reinterpret_cast<const Bytef*>(data.constData()), uInt(data.size())));
}

quint16 Le16(const QByteArray& b, qsizetype at) {
    return quint16(quint8(b[at]) | (quint8(b[at + 1]) << 8));
}

quint32 Le32(const QByteArray& b, qsizetype at) {
    return Le16(b, at) | (quint32(Le16(b, at + 2)) << 16);
}

QByteArray RawDeflate(const QByteArray& data, int zlibLevel) {
    z_stream z{};
    deflateInit2(&z, zlibLevel, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(int(deflateBound(&z, uLong(data.size()))), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    z.avail_in = uInt(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    deflate(&z, Z_FINISH);
    out.resize(qsizetype(z.total_out));
    deflateEnd(&z);
    return out;
}

bool WriteZerosZip(const QString& path, const QByteArray& name, quint32 size) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    const QByteArray zeros(1 << 20, '\0');
    QByteArray out(1 << 20, '\0');
    z_stream z{};
    deflateInit2(&z, 1, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    uLong crc = crc32(0, nullptr, 0);
    const qint64 dataStart = 30 + name.size();
    file.seek(dataStart);
    bool ok = true;
    for (quint32 left = size; ok;) {
        const uInt n = uInt(std::min<quint32>(left, quint32(zeros.size())));
        left -= n;
        crc = crc32(crc, reinterpret_cast<const Bytef*>(zeros.constData()), n);
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zeros.constData()));
        z.avail_in = n;
        const int flush = left == 0 ? Z_FINISH : Z_NO_FLUSH;
        int result = Z_OK;
        do {
            z.next_out = reinterpret_cast<Bytef*>(out.data());
            z.avail_out = uInt(out.size());
            result = deflate(&z, flush);
            const qint64 produced = out.size() - qint64(z.avail_out);
            ok = ok && file.write(out.constData(), produced) == produced;
        } while (ok && z.avail_out == 0);
        if (result == Z_STREAM_END) break;
    }
    const quint32 packed = quint32(z.total_out);
    deflateEnd(&z);
    // The local header is written last, when its CRC and sizes are known; the directory follows the data.
    auto header = [&](quint32 signature, bool central, quint32 offset) {
        QByteArray h;
        Put32(h, signature);
        if (central) Put16(h, 20);
        Put16(h, 20);
        Put16(h, 0);
        Put16(h, 8);
        Put16(h, 0x6000);
        Put16(h, (44 << 9) | (3 << 5) | 7);
        Put32(h, quint32(crc));
        Put32(h, packed);
        Put32(h, size);
        Put16(h, quint32(name.size()));
        Put16(h, 0);
        if (central) {
            for (int k = 0; k < 3; ++k)
                Put16(h, 0);
            Put32(h, 0);
            Put32(h, offset);
        }
        return h + name;
    };
    const quint32 directory = quint32(dataStart) + packed;
    const QByteArray central = header(0x02014B50, true, 0);
    QByteArray end;
    Put32(end, 0x06054B50);
    Put32(end, 0);
    Put16(end, 1);
    Put16(end, 1);
    Put32(end, quint32(central.size()));
    Put32(end, directory);
    Put16(end, 0);
    ok = ok && file.seek(directory) && file.write(central + end) == central.size() + end.size();
    ok = ok && file.seek(0) && file.write(header(0x04034B50, false, 0)) == dataStart;
    return ok;
}

QByteArray BuildZip(const std::vector<TRawEntry>& entries) {
    QByteArray zip;
    std::vector<quint32> offsets;
    std::vector<QByteArray> packed;
    for (const TRawEntry& e : entries) {
        packed.push_back(e.method == 8 ? RawDeflate(e.data, 6) : e.data);
        offsets.push_back(quint32(zip.size()));
        if (!e.writeLocal) continue;
        Put32(zip, 0x04034B50);
        Put16(zip, 20);
        Put16(zip, e.flags);
        Put16(zip, quint32(e.method));
        Put16(zip, 0x6000);                   // 12:00:00
        Put16(zip, (44 << 9) | (3 << 5) | 7); // 07.03.2024
        Put32(zip, e.crc.value_or(Crc(e.data)));
        Put32(zip, e.packedSize.value_or(quint32(packed.back().size())));
        Put32(zip, e.statedSize.value_or(quint32(e.data.size())));
        Put16(zip, quint32(e.name.size()));
        Put16(zip, 0);
        zip.append(e.name);
        zip.append(packed.back());
    }
    const quint32 directory = quint32(zip.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        const TRawEntry& e = entries[i];
        Put32(zip, 0x02014B50);
        Put16(zip, 20);
        Put16(zip, 20);
        Put16(zip, e.flags);
        Put16(zip, quint32(e.method));
        Put16(zip, 0x6000);
        Put16(zip, (44 << 9) | (3 << 5) | 7);
        Put32(zip, e.crc.value_or(Crc(e.data)));
        Put32(zip, e.packedSize.value_or(quint32(packed[i].size())));
        Put32(zip, e.statedSize.value_or(quint32(e.data.size())));
        Put16(zip, quint32(e.name.size()));
        for (int k = 0; k < 4; ++k)
            Put16(zip, 0);
        Put32(zip, 0);
        Put32(zip, e.localOffset.value_or(offsets[i]));
        zip.append(e.name);
    }
    const quint32 directorySize = quint32(zip.size()) - directory;
    Put32(zip, 0x06054B50);
    Put32(zip, 0);
    Put16(zip, quint32(entries.size()));
    Put16(zip, quint32(entries.size()));
    Put32(zip, directorySize);
    Put32(zip, directory);
    Put16(zip, 0);
    return zip;
}

QByteArray SampleBytes(qsizetype size, quint32 seed) {
    static const char* kinds[] = {"Продукты", "Транспорт", "Коммунальные", "Одежда", "Здоровье", "Подарки"};
    static const char* names[] = {"хлеб", "молоко", "автобус", "свет", "аптека", "куртка", "сыр"};
    QByteArray out;
    out.reserve(size);
    quint32 x = seed * 2654435761u + 1;
    auto next = [&x] {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        return x;
    };
    while (out.size() < size) {
        if (next() % 8 == 0) { // a noisy stretch, as a note or a scan would be
            for (int i = 0; i < 64; ++i)
                out.append(char(next()));
            continue;
        }
        const quint32 r = next();
        out.append(QStringLiteral("%1.%2.20%3")
                       .arg(r % 28 + 1, 2, 10, QLatin1Char('0'))
                       .arg(r / 28 % 12 + 1, 2, 10, QLatin1Char('0'))
                       .arg(r / 400 % 25 + 10)
                       .toUtf8());
        out.append(char(r % 6 + 1));
        out.append(kinds[r % 6]);
        out.append(names[next() % 7]);
        out.append(QByteArray::number(next() % 100000) + ',' + QByteArray::number(next() % 100));
        out.append("\x05рубль\x04Мама");
    }
    out.truncate(size);
    return out;
}

void WriteFileAt(const QString& path, const QByteArray& bytes, const QDateTime& modified) {
    WriteFileBytes(path, bytes);
    timespec ts[2];
    ts[0].tv_sec = ts[1].tv_sec = time_t(modified.toSecsSinceEpoch());
    ts[0].tv_nsec = ts[1].tv_nsec = 0;
    ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), ts, 0);
}

QDateTime Modified(const QString& path) {
    return QFileInfo(path).lastModified();
}

QStringList FilesUnder(const QString& folder) {
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
}

QString FindTool(const QString& name) {
    return QStandardPaths::findExecutable(name);
}

int RunTool(const QString& program, const QStringList& args, const QString& workDir, QString* output) {
    QProcess p;
    p.setWorkingDirectory(workDir);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(120000)) return -1;
    if (output) *output = QString::fromUtf8(p.readAll());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}
